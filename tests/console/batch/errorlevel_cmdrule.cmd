@echo off
set /a 1/0 2>nul
echo after set /a: %errorlevel%
set x=1
echo after set: %errorlevel%
nosuch 2>nul
path %path%
echo after path: %errorlevel%
nosuch 2>nul
prompt $G
echo after prompt: %errorlevel%
nosuch 2>nul
echo x
echo after echo: %errorlevel%
