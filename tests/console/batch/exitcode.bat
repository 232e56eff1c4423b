@echo off
call :f
echo f returned %errorlevel%
call exit_helper.bat
echo helper returned %errorlevel%
exit 7
echo not reached
:f
exit /b 3
