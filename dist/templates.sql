-- The templates a new data folder starts with: one table per group. Contents are written
-- here with plain line feeds; the last statements give them the CR LF line ends the
-- template store keeps. "|" marks where the caret goes after insertion.

CREATE TABLE C(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text);
INSERT INTO C (Gap, Name, Content) VALUES (0, 'File header', '/*
 * $(FILENAME)
 *
 * Created $(DATE) by $(USER) <$(EMAIL)>
 * Copyright (c) $(YEAR) $(COMPANY)
 */
|');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'Include guard', '#ifndef $(UPPER(FILE_BASE))_$(UPPER(FILE_EXT))
#define $(UPPER(FILE_BASE))_$(UPPER(FILE_EXT))

|

#endif');
INSERT INTO C (Gap, Name, Content) VALUES (1, '', '');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'if', 'if (|) {
}');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'if else', 'if (|) {
} else {
}');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'for', 'for (int i = 0; i < |; ++i) {
}');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'while', 'while (|) {
}');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'switch', 'switch (|) {
case 0:
    break;
default:
    break;
}');
INSERT INTO C (Gap, Name, Content) VALUES (1, '', '');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'main', 'int main(int argc, char** argv)
{
    |
    return 0;
}');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'Comment block', '/*
 * |
 */');
INSERT INTO C (Gap, Name, Content) VALUES (0, 'TODO', '/* TODO($(USER), $(DATE)): | */');

CREATE TABLE Cpp(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text);
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'File header', '// $(FILENAME)
// Created $(DATE) by $(USER) <$(EMAIL)>
// Copyright (c) $(YEAR) $(COMPANY)
|');
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'pragma once', '#pragma once
|');
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'namespace', 'namespace | {

} // namespace');
INSERT INTO Cpp (Gap, Name, Content) VALUES (1, '', '');
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'class', 'class $(FILE_BASE) {
public:
    $(FILE_BASE)();
    ~$(FILE_BASE)();
|
private:
};');
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'range for', 'for (const auto& | : ) {
}');
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'try catch', 'try {
    |
} catch (const std::exception& e) {
}');
INSERT INTO Cpp (Gap, Name, Content) VALUES (0, 'lambda', '[&](|) {
}');

CREATE TABLE HTML(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text);
INSERT INTO HTML (Gap, Name, Content) VALUES (0, 'Page', '<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>|</title>
</head>
<body>
</body>
</html>');
INSERT INTO HTML (Gap, Name, Content) VALUES (0, 'Link', '<a href="|"></a>');
INSERT INTO HTML (Gap, Name, Content) VALUES (0, 'Image', '<img src="|" alt="">');
INSERT INTO HTML (Gap, Name, Content) VALUES (1, '', '');
INSERT INTO HTML (Gap, Name, Content) VALUES (0, 'List', '<ul>
    <li>|</li>
</ul>');
INSERT INTO HTML (Gap, Name, Content) VALUES (0, 'Table', '<table>
    <tr><th>|</th></tr>
    <tr><td></td></tr>
</table>');
INSERT INTO HTML (Gap, Name, Content) VALUES (0, 'Comment', '<!-- | -->');

CREATE TABLE Python(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text);
INSERT INTO Python (Gap, Name, Content) VALUES (0, 'Script header', '#!/usr/bin/env python3
# $(FILENAME): |
# $(DATE) $(USER) <$(EMAIL)>
');
INSERT INTO Python (Gap, Name, Content) VALUES (0, 'main', 'def main():
    |


if __name__ == "__main__":
    main()');
INSERT INTO Python (Gap, Name, Content) VALUES (1, '', '');
INSERT INTO Python (Gap, Name, Content) VALUES (0, 'def', 'def |():
    pass');
INSERT INTO Python (Gap, Name, Content) VALUES (0, 'class', 'class |:
    def __init__(self):
        pass');
INSERT INTO Python (Gap, Name, Content) VALUES (0, 'with open', 'with open(|) as f:
    pass');
INSERT INTO Python (Gap, Name, Content) VALUES (0, 'try except', 'try:
    |
except Exception as e:
    raise');

CREATE TABLE Shell(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text);
INSERT INTO Shell (Gap, Name, Content) VALUES (0, 'Script header', '#!/bin/sh
# $(FILENAME): |
# $(DATE) $(USER)
set -eu
');
INSERT INTO Shell (Gap, Name, Content) VALUES (0, 'if', 'if [ | ]; then
fi');
INSERT INTO Shell (Gap, Name, Content) VALUES (0, 'for', 'for f in |; do
done');
INSERT INTO Shell (Gap, Name, Content) VALUES (0, 'case', 'case "$1" in
    |)
        ;;
    *)
        ;;
esac');

CREATE TABLE SQL(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text);
INSERT INTO SQL (Gap, Name, Content) VALUES (0, 'select', 'SELECT |
FROM
WHERE ;');
INSERT INTO SQL (Gap, Name, Content) VALUES (0, 'insert', 'INSERT INTO | ()
VALUES ();');
INSERT INTO SQL (Gap, Name, Content) VALUES (0, 'update', 'UPDATE |
SET
WHERE ;');
INSERT INTO SQL (Gap, Name, Content) VALUES (0, 'create table', 'CREATE TABLE | (
    id INTEGER PRIMARY KEY
);');

UPDATE C SET Content = replace(Content, char(10), char(13) || char(10));
UPDATE Cpp SET Content = replace(Content, char(10), char(13) || char(10));
UPDATE HTML SET Content = replace(Content, char(10), char(13) || char(10));
UPDATE Python SET Content = replace(Content, char(10), char(13) || char(10));
UPDATE Shell SET Content = replace(Content, char(10), char(13) || char(10));
UPDATE SQL SET Content = replace(Content, char(10), char(13) || char(10));
