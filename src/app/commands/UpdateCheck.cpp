#include "app/commands/UpdateCheck.h"

#include "platform/Seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace cmd {

int dayNumber(const QDateTime& time)
{
    const qint64 seconds = time.toSecsSinceEpoch();
    // Whole days, rounding towards minus infinity for times before 1970.
    qint64 day = seconds / 86400;
    if (seconds < 0 && seconds % 86400 != 0)
        --day;
    return static_cast<int>(day);
}

int clampUpdateInterval(int days)
{
    return days < 1 || days > 30 ? 3 : days;
}

bool automaticCheckDue(int lastUpdate, int interval, int today)
{
    if (lastUpdate == 0)
        return true;
    interval = clampUpdateInterval(interval);
    return lastUpdate != today && today % interval == 0;
}

QStringList updateClientArguments(bool silent)
{
    QStringList args{QStringLiteral("-id:1"), QStringLiteral("velmo")};
    if (silent)
        args << QStringLiteral("-s");
    return args;
}

bool startUpdateClient(bool silent, const QString& programFolder)
{
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    const QString program = QDir(folder).filePath(QStringLiteral("velmoupd"));
    return QProcess::startDetached(program, updateClientArguments(silent), QString());
}

bool CheckForUpdate(const IntSettings& settings, bool forced, bool silent, const QString& programFolder)
{
    if (!forced) {
        const QString section = QStringLiteral("UPDATE");
        const int today = dayNumber(seams::clock().now());
        const int last = settings.readInt ? settings.readInt(section, QStringLiteral("LastUpdate"), 0) : 0;
        const int interval = settings.readInt ? settings.readInt(section, QStringLiteral("UpdateInterval"), 3) : 3;
        if (!automaticCheckDue(last, interval, today))
            return false;
        if (settings.writeInt)
            settings.writeInt(section, QStringLiteral("LastUpdate"), today);
    }
    return startUpdateClient(silent, programFolder);
}

bool autoCheckAtStartup(const IntSettings& settings, unsigned editorMask, const QString& programFolder)
{
    if (!(editorMask & (1u << 21)))
        return false;
    return CheckForUpdate(settings, false, true, programFolder);
}

} // namespace cmd
