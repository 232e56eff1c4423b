@echo off
echo in helper
exit /b 12
echo not reached
