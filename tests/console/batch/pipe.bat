@echo off
echo hello | tr a-z A-Z
(echo b& echo a& echo c) | sort
set /a 6*7 | cat
echo.
echo three | cat | cat
echo chained | cat && echo and ran
echo x | nosuch 2>nul || echo right side failed
echo %%PATH%% | cat
if 1==1 echo from if | tr i I
call :label | cat
echo still here
goto :eof
:label
echo called label
