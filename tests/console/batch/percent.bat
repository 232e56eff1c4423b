@echo off
set name=Hello World
set list=a;b;c
echo [%name%] [%NAME:World=There%] [%name:~6%] [%name:~0,5%] [%name:~-5,3%]
echo [%list:*;=%] [%list:;=-%] [%undefined%] [%undefined:~0,2%]
echo 100%% sure, 50% off
echo %~1 is empty here: [%1] [%~1] [%*]
call :sub "quoted arg" dir\file.txt third fourth five six seven eight nine ten eleven
echo back: %errorlevel%
goto :eof
:sub
echo 0=%0 1=%1 2=%2 9=%9
echo star=%*
echo ~1=[%~1] ~nx2=[%~nx2] ~n2=[%~n2] ~x2=[%~x2]
echo ~f2=[%~f2]
echo ~dp2=[%~dp2]
shift
echo after shift 1=%1 9=%9
shift /2
echo after shift /2: 1=%1 2=%2 9=%9
echo %~z1
echo still running
exit /b 4
