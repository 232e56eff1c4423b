#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

bool moveToTrash(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    // The home trash is only used when it exists; a new user has none yet.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) {
        QDir().mkpath(data + QStringLiteral("/Trash/files"));
        QDir().mkpath(data + QStringLiteral("/Trash/info"));
    }
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash))
        return false;
    // Without a usable trash the item can land in "files" below the current folder: it
    // goes back where it was.
    if (QFileInfo(inTrash).isRelative()) {
        const QString landed = QDir::current().absoluteFilePath(inTrash);
        QDir().rename(landed, path);
        const QString infoFile = QDir::current().absoluteFilePath(QStringLiteral("info/") + QFileInfo(inTrash).fileName()
                                                                  + QStringLiteral(".trashinfo"));
        QFile::remove(infoFile);
        QDir().rmdir(QDir::current().absoluteFilePath(QStringLiteral("files")));   // only when empty
        QDir().rmdir(QDir::current().absoluteFilePath(QStringLiteral("info")));
        return false;
    }
    return true;
}

} // namespace platform
