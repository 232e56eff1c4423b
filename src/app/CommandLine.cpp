#include "app/CommandLine.h"

#include "platform/CodePage.h"

#include <QDir>

#include <cstdio>

bool isSwitch(const QString& arg, const std::function<bool(const QString&)>& exists)
{
    if (arg.isEmpty())
        return false;
    if (arg.startsWith('-'))
        return true;
    if (arg.startsWith('\\'))
        return !(arg.size() > 1 && arg[1] == '\\');
    if (arg.startsWith('/'))
        return !arg.mid(1).contains('/') && !(exists && exists(arg));
    return false;
}

CommandLineResult parseCommandLine(const QStringList& args, const QString& baseDir,
                                   const std::function<bool(const QString&)>& exists)
{
    CommandLineResult result;
    int line = -1, column = -1;
    for (const QString& arg : args) {
        if (isSwitch(arg, exists)) {
            // Switches are compared as lower-case text of the ANSI code page.
            const QString sw = ansi::toUnicode(ansi::fromUnicode(arg).toStdString()).toLower();
            if (sw.size() < 2 || sw[1] != 'l') {
                result.invalidSwitches << arg;
                continue;
            }
            const QString rest = sw.mid(1);
            if (rest.startsWith(QLatin1String("line:"))) {
                const QByteArray nums = rest.mid(5).toLatin1();
                int l = 0, c = 0;
                int n = std::sscanf(nums.constData(), "%d,%d", &l, &c);
                if (n >= 1)
                    line = l;
                if (n >= 2)
                    column = c;
            }
            continue;
        }
        QString path = arg;
        if (QDir::isRelativePath(path))
            path = QDir(baseDir).filePath(path);
        result.files.push_back({QDir::cleanPath(path), line, column});
    }
    return result;
}
