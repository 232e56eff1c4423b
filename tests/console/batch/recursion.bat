@echo off
echo start
call :a
echo never
:a
call :a
