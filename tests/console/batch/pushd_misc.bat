@echo off
rem PUSHD / POPD, COLOR, BREAK, DPATH, VOL, MD and the date and time checks.
mkdir p\q\r
pushd p
pushd q\r
cd
pushd
prompt $+$G
echo on
rem at depth two
@echo off
prompt
popd
cd
popd
cd
popd
echo errorlevel %errorlevel%
pushd nowhere
echo errorlevel %errorlevel%
echo --- COLOR
color 77
echo errorlevel %errorlevel%
color 1f
echo errorlevel %errorlevel%
color
color xyz
echo errorlevel %errorlevel%
break
echo --- DPATH
dpath
dpath %TESTDIR%\data;%TESTDIR%\more
dpath
echo %DPATH%
dpath ;
dpath
echo --- VOL
vol
vol nowhere
echo --- MD
md p
md new\deep\folder "with blank"
dir /b /s /on new
dir /b /ad /on
md %TESTDIR%/abs/new
dir /b /s abs
move %TESTDIR%/abs/new %TESTDIR%/abs/renamed
dir /b abs
echo --- DATE and TIME cannot be set
date 12-31-2024
echo errorlevel %errorlevel%
date 13-45-2024
time 25:00
time 23:59:59.99
echo errorlevel %errorlevel%
