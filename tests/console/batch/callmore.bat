@echo off
call :deep
echo reached %n% nested calls
call echo caret ^^ and %%n%%
call :args "a b" c
if 1==1 (echo then)
else echo this else is a command of its own
if 1==2 (
  echo not shown
) else (
  echo else branch on the closing line
)
call nosuch.bat 2>nul
echo call result %errorlevel%
goto :eof
:deep
set /a n+=1
if %n% LSS 250 call :deep
goto :eof
:args
echo [%1] [%2] [%0]
