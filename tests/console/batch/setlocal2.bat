set fromchild=yes
setlocal
set leaked=yes
