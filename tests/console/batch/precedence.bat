@echo off
nosuchcommand || echo failed with %%errorlevel%%
echo errorlevel=%errorlevel%
nosuchcommand 2>nul && echo not shown
echo errorlevel=%errorlevel%
"quoted name" arg 2>nul
echo errorlevel=%errorlevel%
echo a & echo b && echo c || echo d
nosuch 2>nul || echo e && echo f
echo g || echo h & echo i
nosuch 2>nul && echo j || echo k
(echo l & nosuch 2>nul) || echo m
echo pipe | nosuch 2>nul || echo n
