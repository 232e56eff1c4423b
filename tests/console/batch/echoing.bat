@prompt $G
echo hello
@echo
@echo off
echo
echo   spaced  
echo.
echo,comma
echo ^& ^| ^< ^>
(echo in block)
echo on
echo back on & echo two
rem a comment
@echo off
echo ON
