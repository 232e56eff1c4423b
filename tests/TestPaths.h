#pragma once
// Where a test finds the source tree (shipped data, scripts, golden files) and the build tree
// (the programs it starts): VELMO_SOURCE_DIR and VELMO_BINARY_DIR when the environment sets
// them, else the build tree from the program's own place (<build>/tests/<program>) and the
// source tree from that build's CMakeCache.txt. The paths are not compiled in, so that the
// test objects do not depend on where the tree was checked out.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <string>

namespace testpaths {

inline QString binaryDir()
{
    static const QString dir = [] {
        QString d = qEnvironmentVariable("VELMO_BINARY_DIR");
        if (d.isEmpty()) {
            QDir exe = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).dir();
            exe.cdUp();
            d = exe.path();
        }
        return d;
    }();
    return dir;
}

inline QString sourceDir()
{
    static const QString dir = [] {
        QString d = qEnvironmentVariable("VELMO_SOURCE_DIR");
        if (d.isEmpty()) {
            QFile cache(binaryDir() + QStringLiteral("/CMakeCache.txt"));
            if (cache.open(QIODevice::ReadOnly)) {
                const QByteArray key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
                while (!cache.atEnd()) {
                    const QByteArray line = cache.readLine().trimmed();
                    if (line.startsWith(key))
                        d = QString::fromLocal8Bit(line.mid(key.size()));
                }
            }
        }
        return d;
    }();
    return dir;
}

// A path below the source or the build tree: source("/data/properties").
inline QString source(const char* relative) { return sourceDir() + QLatin1String(relative); }
inline QString binary(const char* relative) { return binaryDir() + QLatin1String(relative); }

} // namespace testpaths
