#pragma once
// Paths, file-name patterns and command lines with the desktop rules the editor keeps.
#include <QString>
#include <QStringList>

namespace paths {

// Folder of the running program, without a trailing separator.
QString programFolder();
// Folder of the shipped defaults: <program folder>/../share/velmo (installed or build tree).
QString shippedDataFolder();

// Path parts: 0 full path, 1 file name, 2 folder, 3 base name, 4 extension (without the dot).
// The extension comes from the file name only, so "/a.b/Makefile" has none.
enum PathPart { FullPath = 0, FileName = 1, Folder = 2, BaseName = 3, Extension = 4 };
QString pathPart(const QString& path, int part);

// A path beginning with "<" names no file ("<new>" is a never-saved document).
inline bool hasFile(const QString& path) { return !path.isEmpty() && !path.startsWith('<'); }

// File-name pattern matching: patterns separated by ";", leading blanks skipped, "*" and "?",
// case-insensitive; "*.*" matches every name (also one without a dot).
bool matchSpec(const QString& name, const QString& patterns);
bool matchPattern(const QString& name, const QString& pattern);

// Splits a command line with the desktop rules (quotes and backslashes). Argument 0 is the
// program and follows the simpler rule for it; pass hasProgram = false to parse every
// argument with the full rules.
QStringList splitCommandLine(const QString& line, bool hasProgram = true);
// Quotes one argument so that splitCommandLine gives it back unchanged.
QString quoteArgument(const QString& arg);
// Joins arguments into one command line (the reverse of splitCommandLine).
QString joinCommandLine(const QStringList& args);

// Same file: the same canonical path, or the same device and inode. Paths that name no
// file never match.
bool sameFile(const QString& a, const QString& b);

} // namespace paths
