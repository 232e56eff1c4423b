@echo off
rem START: waiting for the exit code, sharing the output with /B, a session of its own.
start /b /wait sh -c "echo shared output; exit 3"
echo errorlevel %errorlevel%
start "a title" /wait sh -c "echo not shown; exit 4"
echo errorlevel %errorlevel%
start /wait sh -c "read a b c d e s r < /proc/$$/stat; test $s = $$ && exit 7; exit 1"
echo own session %errorlevel%
start /b /wait sh -c "read a b c d e s r < /proc/$$/stat; test $s = $$ && exit 7; exit 1"
echo own session with /B %errorlevel%
mkdir w
start /b /wait /d w sh -c "pwd | sed 's|.*/||'"
start /dnowhere sh -c "exit 0"
start /zz sh
start /b /wait echo from a second interpreter
set ADDED=inherited
start /b /wait /i sh -c "echo ${ADDED:-not inherited}"
start /b /wait sh -c "echo ${ADDED:-not inherited}"
start /wait no-such-program-here
echo errorlevel %errorlevel%
echo --- a document opens with the desktop's program
sh -c "mkdir bin; printf '#!/bin/sh\necho opened $1 > opened.txt\n' > bin/xdg-open; chmod +x bin/xdg-open"
echo text>doc.txt
set PATH=%TESTDIR%/bin;%PATH%
start /wait doc.txt
type opened.txt
