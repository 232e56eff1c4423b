@echo off
set n=0
:loop
set /a n+=1
if %n% LSS 3 goto loop
echo n=%n%
goto :Skip  ignored words
echo not reached
:skip extra text
call :sub one & echo after call
call :sub two
goto done
:sub
echo in sub %1
goto :eof
:done
echo before missing
goto nowhere
echo not reached either
