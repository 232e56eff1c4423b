@echo off
echo first> out.txt
echo second>>out.txt
type out.txt
sort -r < out.txt
echo to stderr 1>&2
(echo hidden 1>&2) 2>nul
echo visible 2>nul
nosuch 2>nul
echo errorlevel=%errorlevel%
echo x > nul:
echo x > NUL
type nofile.txt 2>nul || echo type failed
echo bad > nodir\file.txt
echo bad > nodir\file.txt || echo redirection failed
(echo a& echo b) > block.txt
type block.txt
echo quoted> "with space.txt"
type "with space.txt"
echo sub> sub\f.txt
type sub/f.txt
> lead.txt echo leading
type lead.txt
echo one 2>&1 1>two.txt
type two.txt
cat < nofile.txt
echo errorlevel=%errorlevel%
echo last > out.txt > final.txt
type out.txt final.txt 2>&1
