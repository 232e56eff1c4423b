@echo off
set outer=1
setlocal
set outer=2
set inner=a
call setlocal2.bat
echo after call: outer=%outer% inner=%inner% fromchild=%fromchild% leaked=%leaked%
endlocal
echo after endlocal: outer=%outer% inner=%inner% fromchild=%fromchild%
endlocal
echo extra endlocal: outer=%outer%
setlocal foo
echo errorlevel=%errorlevel%
set x=inlocal
endlocal
echo x=%x%
call :twolevels
echo first=%first% second=%second%
setlocal disableextensions
echo [%errorlevel%]
endlocal
echo [%errorlevel%]
goto :eof
:twolevels
setlocal
set first=1
setlocal
set second=1
goto :eof
