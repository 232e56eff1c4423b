#pragma once
// Runs a batch file through the real velmocmd in a folder of its own, with a small fixed
// environment, so the outputs do not depend on the machine running the tests.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace console::test {

inline void startBatch(QProcess& p, const QString& velmocmd, const QString& folder, const QString& script,
                       const QProcessEnvironment& extra = {})
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), folder);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + "/config");
    env.insert(QStringLiteral("COMSPEC"), velmocmd);
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    env.insert(extra);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(velmocmd, {QStringLiteral("/C"), script});
}

} // namespace console::test
