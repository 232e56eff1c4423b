// Runs the real programs as a user or a script would.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include "TestPaths.h"

namespace {

QString binary(const char* name)
{
    return testpaths::binary("/bin/") + name;
}

QProcessEnvironment isolatedEnvironment(const QTemporaryDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELMO_DATA_DIR", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    QDir().mkpath(home.filePath("run"));
    return env;
}

TEST(Process, EditorEndsCleanlyOnTerminationSignalsAndWritesItsSettings)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir home;
        QDir().mkpath(home.filePath("prog"));
        const QString prog = home.filePath("prog/velmo");
        ASSERT_TRUE(QFile::copy(binary("velmo"), prog));
        QProcess p;
        p.setProcessEnvironment(isolatedEnvironment(home));
        p.start(prog, {});
        ASSERT_TRUE(p.waitForStarted());
        // Wait until the data folder exists: the settings object has been created.
        for (int i = 0; i < 100 && !QDir(home.filePath("data")).exists(); ++i)
            QThread::msleep(50);
        QThread::msleep(300);
        ::kill(pid_t(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_EQ(p.exitCode(), 0) << sig;
        QFile ini(home.filePath("prog/velmo.ini"));
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly)) << sig;
        const QByteArray text = ini.readAll();
        for (const char* needle : {"[EDITOR]", "EditorMask=", "[SEARCH]", "FindText=", "ReplaceText=", "SearchMask="})
            EXPECT_TRUE(text.contains(needle)) << needle;
    }
}

TEST(Process, UpdateClientStubNeedsAnId)
{
    QProcess p;
    p.start(binary("velmoupd"), {});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 255);   // -1
}

} // namespace
