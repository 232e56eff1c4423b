@echo off
set /a x=7*3/2
echo 7*3/2=%x%
set /a x=(7*3)/2
echo (7*3)/2=%x%
set /a x=5, y=x*2
echo x=%x% y=%y%
set /a z=0x1F + 010 + -3
echo z=%z%
set /a z+=2, z*=3, z-=1, z/=2, z%%=5
echo z=%z%
set /a s=1^<^<4, t=-16^>^>2, u=6^&3, v=6^|3, w=6^^3, n=~0, m=-(-5)
echo s=%s% t=%t% u=%u% v=%v% w=%w% n=%n% m=%m%
set /a "big=2147483647+1"
echo big=%big%
set /a "low=-2147483647-1, wrap=low / -1, wrapmod=low %% -1"
echo low=%low% wrap=%wrap% wrapmod=%wrapmod%
set /a undefinedvar+1 >nul
set /a q=undefinedvar+1
echo q=%q%
set /a 1/0
echo errorlevel=%errorlevel%
set /a 1%%0
echo errorlevel=%errorlevel%
set /a 08
echo errorlevel=%errorlevel%
set /a (1+2
echo errorlevel=%errorlevel%
set /a 1+2)
echo errorlevel=%errorlevel%
set /a 1 2
echo errorlevel=%errorlevel%
set /a 5=3
echo errorlevel=%errorlevel%
set /a 1^<2
echo errorlevel=%errorlevel%
set /a 1*
echo errorlevel=%errorlevel%
set /a ((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((1
echo errorlevel=%errorlevel%
