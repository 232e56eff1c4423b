// The built-in file commands where a batch file cannot show the result: moves between
// two file systems, a tree that cannot be removed whole, and the commands that read
// the clock or change the console's colours (in process, with a fixed clock).
#include "console/Interpreter.h"
#include "platform/Seams.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace console;

namespace {

const QString velmocmd = testpaths::binary("/bin/velmocmd");

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs one command line through velmocmd in `folder`; returns its merged output.
QString runCommand(const QString& folder, const QString& command, int* exitCode = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(velmocmd, {QStringLiteral("/C"), command});
    p.closeWriteChannel();
    p.waitForFinished(60000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAll());
}

dev_t deviceOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(0);
}

TEST(FileCommandTest, MoveToAnotherFileSystemCopiesWholeThenRemovesTheSource)
{
    QTemporaryDir here;
    QTemporaryDir there(QStringLiteral("/dev/shm/velmo-move-XXXXXX"));
    if (!there.isValid() || deviceOf(here.path()) == deviceOf(there.path()))
        GTEST_SKIP() << "no second file system (tmpfs at /dev/shm) to move to";
    const QString src = here.path();
    writeFile(src + "/file.txt", "file contents\n");
    ASSERT_TRUE(QDir(src).mkpath("tree/inner"));
    writeFile(src + "/tree/inner/deep.txt", "deep\n");
    ASSERT_EQ(::symlink("inner/deep.txt", QFile::encodeName(src + "/tree/link").constData()), 0);
    struct timespec old[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(src + "/file.txt").constData(), old, 0), 0);

    int code = -1;
    QString out = runCommand(src, "move file.txt " + there.path() + " && move tree " + there.path() + "/moved", &code);
    out.replace(there.path(), "THERE");
    EXPECT_EQ(code, 0) << out.toStdString();
    EXPECT_EQ(out, "        1 file(s) moved.\r\n        1 dir(s) moved.\r\n");
    EXPECT_FALSE(QFileInfo::exists(src + "/file.txt"));
    EXPECT_FALSE(QFileInfo::exists(src + "/tree"));
    EXPECT_EQ(readFile(there.path() + "/file.txt"), "file contents\n");
    EXPECT_EQ(QFileInfo(there.path() + "/file.txt").lastModified().toSecsSinceEpoch(), 1700000000);
    EXPECT_EQ(readFile(there.path() + "/moved/inner/deep.txt"), "deep\n");
    EXPECT_TRUE(QFileInfo(there.path() + "/moved/link").isSymLink());
    EXPECT_EQ(readFile(there.path() + "/moved/link"), "deep\n");

    // A folder whose copy cannot be made whole stays where it was, and no part of the
    // copy is left behind.
    ASSERT_TRUE(QDir(src).mkpath("second"));
    writeFile(src + "/second/a.txt", "a");
    ASSERT_TRUE(QDir(there.path()).mkpath("blocked"));
    writeFile(there.path() + "/blocked/second", "a file where the folder would go");
    out = runCommand(src, "move second " + there.path() + "/blocked/second/x", &code);
    EXPECT_NE(code, 0);
    EXPECT_EQ(readFile(src + "/second/a.txt"), "a");
}

TEST(FileCommandTest, RdReportsWhatCouldNotBeRemovedAndRemovesTheRest)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    QTemporaryDir dir;
    const QString d = dir.path();
    ASSERT_TRUE(QDir(d).mkpath("tree/locked"));
    ASSERT_TRUE(QDir(d).mkpath("tree/open"));
    writeFile(d + "/tree/locked/kept.txt", "x");
    writeFile(d + "/tree/open/gone.txt", "x");
    ASSERT_EQ(::chmod(QFile::encodeName(d + "/tree/locked").constData(), 0555), 0);
    int code = -1;
    QString out = runCommand(d, "rd /s /q tree", &code);
    ::chmod(QFile::encodeName(d + "/tree/locked").constData(), 0755);
    EXPECT_EQ(out, d + "/tree/locked/kept.txt - Access is denied.\r\n");
    EXPECT_NE(code, 0);
    EXPECT_TRUE(QFileInfo::exists(d + "/tree/locked/kept.txt"));
    EXPECT_FALSE(QFileInfo::exists(d + "/tree/open"));
}

struct Session {
    QTemporaryDir dir;
    ScriptedConsole con;
    std::unique_ptr<Interpreter> interp;

    explicit Session(ProcessorSettings settings = {})
    {
        Interpreter::Options o;
        o.console = &con;
        o.environment.set(u"PROMPT", u"$G");
        o.currentDirectory = fromQ(dir.path());
        o.comspec = fromQ(velmocmd);
        o.settings = settings;
        interp = std::make_unique<Interpreter>(std::move(o));
    }
    std::string run(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines)
            con.addLine(u(l));
        interp->run(u"");
        return toUtf8(con.output());
    }
};

TEST(FileCommandTest, DateAndTimeShowTheClockAndRefuseToSetIt)
{
    ::setenv("LC_ALL", "C.UTF-8", 1);
    seams::FixedClock clock;
    clock.time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 250));
    seams::ScopedClock scoped(&clock);
    Session s;
    std::string out = s.run({"date /t", "time /t", "date", "", "time", "99:99", "", "date 02-30-2024", "",
                             "date 03-06-2024", "echo %errorlevel%"});
    // The scripted console shows each answer as typed.
    EXPECT_EQ(out, ">date /t\r\nTue 03/05/2024\r\n\r\n"
                   ">time /t\r\n02:07 PM\r\n\r\n"
                   ">date\r\nThe current date is: Tue 03/05/2024\r\nEnter the new date: (mm-dd-yy) \r\n\r\n"
                   ">time\r\nThe current time is: 14:07:09.25\r\nEnter the new time: 99:99\r\n"
                   "The system cannot accept the time entered.\r\nEnter the new time: \r\n\r\n"
                   ">date 02-30-2024\r\nThe system cannot accept the date entered.\r\n"
                   "Enter the new date: (mm-dd-yy) \r\n\r\n"
                   ">date 03-06-2024\r\nA required privilege is not held by the client.\r\n\r\n"
                   ">echo %errorlevel%\r\n1\r\n\r\n>");
}

TEST(FileCommandTest, ColorPaintsTheConsoleAndGoesBackToTheStartUpColour)
{
    ProcessorSettings settings;
    settings.defaultColor = 0x2E;
    Session s(settings);
    s.con.addLine(u"color 1f");
    s.con.addLine(u"echo %errorlevel%");
    s.interp->run(u"");
    EXPECT_EQ(s.con.attribute(), 0x1F);

    Session t(settings);
    std::string out = t.run({"color 1f", "color 44", "echo %errorlevel%"});
    EXPECT_EQ(t.con.attribute(), 0x1F) << "equal colours change nothing";
    EXPECT_NE(out.find(">echo %errorlevel%\r\n1\r\n"), std::string::npos) << out;

    Session w(settings);
    w.run({"color 1f", "color"});
    EXPECT_EQ(w.con.attribute(), 0x2E);
}

} // namespace
