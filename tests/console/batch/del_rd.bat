@echo off
rem DEL and RD: /S listings, questions, attributes, and trees with links that lead out.
mkdir t
cd t
mkdir keep
echo precious>keep\p.txt
echo precious>keep\q.log
mkdir tree\a\b
echo one>tree\one.txt
echo two>tree\a\two.txt
echo three>tree\a\b\three.txt
echo four>tree\a\b\four.log
ln -s ../keep tree/a/outside
ln -s ../keep/p.txt tree/filelink.txt
echo --- DEL /S lists what it deletes and never walks a link to a folder
del /s /q tree\*.txt
dir /s /b /on tree
dir /b /on keep
echo --- nothing found
del /q nothing.txt
del /s tree\*.none
echo --- whole folder asks first
echo n| del tree\a\b
dir /b tree\a\b
echo y| del tree\a\b\*.*
dir /b tree\a\b
echo --- read-only files need /F, hidden ones /A
echo r>ro.txt
chmod a-w ro.txt
del ro.txt
dir /b ro.txt
del /f ro.txt
dir /b ro.txt
echo h>.hid
del /q *
dir /a /b .hid
del /a:h .hid
dir /a /b .hid
echo --- /P asks for each file
echo a>p1.txt
echo a>p2.txt
(echo y& echo n)| del /p p?.txt
dir /b p?.txt
echo --- RD
rd tree
echo errorlevel %errorlevel%
rd /s /q tree
dir /b /on
dir /b /on keep
echo n| rd /s keep
dir /b keep
rd nothing
rd keep\p.txt
mkdir alias-target
ln -s alias-target alias
rd /s /q alias
dir /b /on
echo --- not the current directory
mkdir here
cd here
rd /s /q ..\here
cd
