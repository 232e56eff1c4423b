@echo off
rem Every built-in answers "/?" with its help text.
for %%c in (dir copy del erase md rd ren move pushd popd date time vol color break dpath assoc ftype start) do (
  echo === %%c
  %%c /?
)
