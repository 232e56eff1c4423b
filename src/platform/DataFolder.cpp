#include "platform/DataFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace datafolder {

QString location()
{
    QString dir = qEnvironmentVariable("VELMO_DATA_DIR");
    if (dir.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_DATA_HOME");
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.local/share");
        dir = base + QStringLiteral("/Velmo");
    }
    while (dir.size() > 1 && dir.endsWith('/'))
        dir.chop(1);
    return dir;
}

bool create(const QString& folder)
{
    return QDir().mkpath(folder);
}

int installDefaults(const QString& shipped, const QString& target)
{
    if (shipped.isEmpty() || !QFileInfo(shipped).isDir())
        return 0;
    if (QFileInfo(shipped).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return 0;
    int copied = 0;
    QDir src(shipped);
    QDirIterator it(shipped, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString rel = src.relativeFilePath(from);
        const QString to = target + '/' + rel;
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
            continue;
        QDir().mkpath(QFileInfo(to).absolutePath());
        // Copy through a temporary name so that an interrupted start never leaves half a file.
        const QString tmp = to + QStringLiteral(".part");
        QFile::remove(tmp);
        if (QFile::copy(from, tmp)) {
            QFile(tmp).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
            if (QFile::rename(tmp, to))
                ++copied;
            else
                QFile::remove(tmp);
        }
    }
    return copied;
}

} // namespace datafolder
