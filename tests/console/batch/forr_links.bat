@echo off
rem FOR /R walks real folders only: a link to a folder is never walked into.
mkdir r\a\b
echo x>r\a\f.txt
echo y>r\a\b\g.txt
ln -s .. r/a/up
ln -s %TESTDIR% r/a/b/out
for /r r %%d in (.) do echo %%d
for /r r %%f in (*.txt) do echo %%f
