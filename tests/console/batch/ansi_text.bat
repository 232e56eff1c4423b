@echo off
echo café in the ANSI code page
echo cafÃ© in UTF-8
set v=été
echo %v% %V:É=E%
