@echo off
rem ASSOC and FTYPE on the classes key of the registry store.
assoc .vlm
echo errorlevel %errorlevel%
assoc .vlm=VelmoDoc
assoc .abc=AbcFile
assoc .vlm
ftype VelmoDoc=velmo "%%1"
ftype VelmoDoc
ftype Missing
echo errorlevel %errorlevel%
assoc
ftype
assoc .vlm=
assoc .vlm
assoc .a .b
echo errorlevel %errorlevel%
ftype VelmoDoc=
ftype VelmoDoc
ftype
