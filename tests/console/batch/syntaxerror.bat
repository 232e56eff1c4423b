@prompt $G
echo before
echo one & | sort
echo not reached
