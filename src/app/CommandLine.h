#pragma once
// The editor's command line: file names and the switch -line:L,C, processed left to right.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct CommandLineFile {
    QString path;    // absolute
    int line = -1;   // L and C as they stood when the file came
    int column = -1;
};

struct CommandLineResult {
    std::vector<CommandLineFile> files;
    QStringList invalidSwitches;   // switches whose second character is not "l"
};

// Splits nothing: `args` are the arguments after the program name. Relative paths are
// joined to `baseDir`. `exists` tells whether a path names an existing file or folder (an
// argument starting with "/" is a switch only when it holds no further "/" and names
// nothing that exists).
CommandLineResult parseCommandLine(const QStringList& args, const QString& baseDir,
                                   const std::function<bool(const QString&)>& exists);

bool isSwitch(const QString& arg, const std::function<bool(const QString&)>& exists);
