@echo off
echo in chain
chain_helper.bat "first arg" two
echo never here
