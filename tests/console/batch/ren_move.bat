@echo off
rem REN and MOVE: wildcards, names that would collide, folders, onto itself.
mkdir m
cd m
echo a>one.txt
echo b>two.txt
echo c>x1.log
echo d>x2.log
ren one.txt first.txt
ren *.txt *.bak
dir /b /on
echo --- two sources never become one target
ren x?.log y.log
echo errorlevel %errorlevel%
dir /b /on *.log
ren first.bak two.bak
ren missing.txt any.txt
ren first.bak sub\first.bak
echo --- MOVE
mkdir dest
move first.bak dest
move *.bak dest
move x2.log dest\renamed.log
dir /b /on dest
move dest moved
dir /b /on
echo --- several sources onto one file
echo e>p.txt
echo f>q.txt
move p.txt,q.txt r.txt
move *.txt r.txt
echo errorlevel %errorlevel%
echo --- onto itself, also through a hard link
move p.txt p.txt
ln q.txt hard.txt
move q.txt hard.txt
dir /b /on *.txt
echo --- replacing a file
move p.txt q.txt
type q.txt
move missing.txt anywhere
echo errorlevel %errorlevel%
