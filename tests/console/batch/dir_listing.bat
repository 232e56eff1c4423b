@echo off
rem DIR of a prepared folder: fixed file times (TZ is UTC), sizes, switches and DIRCMD.
mkdir d
cd d
echo hello>a.txt
echo longer text here>b.log
echo upper>UPPER.TXT
echo secret>.hidden
mkdir sub
echo inner>sub\c.txt
echo x>sub\d.log
touch -d "2024-03-05 14:07:00" a.txt
touch -d "2023-11-20 09:30:00" b.log
touch -d "2024-07-01 00:05:00" UPPER.TXT .hidden
touch -d "2024-01-02 23:59:00" sub/c.txt sub/d.log
touch -d "2024-01-02 08:00:00" sub . ..
dir
echo --- bare, by size descending
dir /b /o-s
echo --- all attributes, folders first
dir /a /b /ogn
echo --- folders only
dir /ad /b
echo --- lower case
dir /b /l /on *.txt
echo --- by date
dir /b /od
echo --- no separators, pattern
dir /-c *.txt
echo --- wide
dir /w /on
echo --- subfolders
dir /s /on *.log
echo --- bare subfolders
dir /s /b /on
echo --- nothing matches
dir nothing.*
echo errorlevel %errorlevel%
dir /z
set DIRCMD=/b /o-n
echo --- from DIRCMD
dir
dir /-b /b /on *.log
set DIRCMD=/k
dir /b /on sub
set DIRCMD=
echo --- the output of a command
for /f "tokens=*" %%f in ('dir /b /on /a-d') do echo [%%f]
echo --- wide by columns, names first, last access
dir /d /on
dir /-n /on *.txt
dir /b /o:d /t:w sub
