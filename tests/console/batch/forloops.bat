@echo off
for /f "tokens=1,3* delims=," %%a in ("a,b,c,d,e") do echo %%a %%b %%c
for /f "skip=1 eol=# tokens=2" %%x in (forlines.txt) do echo [%%x]
for /f %%w in (forlines.txt) do echo first word: %%w
for /f "tokens=*" %%l in ('echo  spaced   line') do echo [%%l]
for /f "delims=" %%l in (forlines.txt) do echo whole: %%l
for /f "tokens=2-3 delims=; " %%p in ("x;y z") do echo %%p-%%q
for /f "bogus=1" %%a in ("x") do echo never
mkdir_is_not_built_in 2>nul
for /r %%f in (*.txt) do echo %%~nxf
for %%i in (1 2 3) do if %%i==2 goto out
:out
echo left loop at %%i
for /l %%n in (1,1,3) do @echo n %%n
