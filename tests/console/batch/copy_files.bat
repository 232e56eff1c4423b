@echo off
rem COPY: joining with +, onto itself (also through a hard link and a symbolic link),
rem wildcards, folders, text mode and a copy that fails part-way.
mkdir c
cd c
echo first>a.txt
echo second>b.txt
copy a.txt+b.txt joined.txt
type joined.txt
echo --- appending to the first source
copy a.txt + b.txt
type a.txt
echo --- onto itself
copy b.txt b.txt
echo errorlevel %errorlevel%
ln b.txt hard.txt
copy b.txt hard.txt
ln -s b.txt link.txt
copy b.txt link.txt
copy b.txt .
echo --- a missing source leaves the target alone
copy missing.txt joined.txt
echo errorlevel %errorlevel%
copy b.txt+missing.txt joined.txt
type joined.txt
echo --- wildcards into a folder and onto a pattern
mkdir out
copy *.txt out
dir /b /on out
copy out\*.txt out\*.bak
dir /b /on out\*.bak
echo --- a folder as the source
mkdir out2
copy out out2 >nul
dir /b /on out2
echo --- wildcard onto one file joins
copy out\?.txt all.txt
type all.txt
echo --- text mode stops at Ctrl+Z
printf "abc\032def" >z.bin
copy /a z.bin z.txt /b >nul
od -An -c z.txt
copy /b z.bin z2.bin >nul
od -An -c z2.bin
echo --- the target keeps its contents when the copy fails part-way
sh -c "yes x | head -c 5000" >big.txt
echo old contents>small.txt
sh -c "trap '' XFSZ; ulimit -f 2; exec %COMSPEC% /c copy /y big.txt small.txt"
type small.txt
dir /a /b /on .velmo*
echo --- prompt before overwriting
echo n| copy /-y a.txt b.txt
type b.txt
echo y| copy /-y a.txt b.txt >nul
type b.txt
copy /q a.txt b.txt
echo --- into a folder that does not exist
copy a.txt nofolder\x.txt
