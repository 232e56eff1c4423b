@echo off
if a==a echo equal
if not a==b echo not equal
if /i ABC==abc echo case ignored
if ABC==abc (echo wrong) else echo case kept
if 10 GTR 9 echo numeric
if "10" GTR "9" (echo wrong) else echo string compare
if 0x10 EQU 16 echo hex equal
if defined PATH echo path defined
if not defined NOPE echo nope undefined
if exist ifs.bat echo file exists
if exist *.bat echo wildcard exists
if not exist nofile echo missing file
set /a 1/0 2>nul
if errorlevel 9153 echo errorlevel reached
if errorlevel 9154 (echo wrong) else echo errorlevel below
if errorlevel x echo bad
if cmdextversion 1 echo ext 1
if "%1"=="" echo no args
for %%i in (a b,c) do echo item %%i
for /l %%n in (5,-2,0) do echo n=%%n
for %%f in (if*.bat) do echo found %%~nf
for /?
