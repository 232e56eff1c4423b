#pragma once
// The sqlite3 command-line program as a second, independent reader and writer of the files.
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs `sql` on `db`; the output with the trailing newline removed. ok is false when the
// program is missing or fails.
inline QString sqliteCli(const QString& db, const QString& sql, bool* ok = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db, sql});
    const bool done = p.waitForFinished(30000);
    if (ok)
        *ok = done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}
