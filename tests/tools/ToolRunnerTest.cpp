// Running tools without a window: applicability, folders, command texts and real processes.
#include "ToolTestDb.h"
#include "tools/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace tools;

namespace {

ActiveDocument document(const QString& path, bool modified = false)
{
    ActiveDocument d;
    d.exists = true;
    d.path = path;
    d.modified = modified;
    return d;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(ToolRunner, EnvironmentReferences)
{
    qputenv("VELMO_TOOL_VAR", "value");
    const QString home = qEnvironmentVariable("HOME");
    EXPECT_EQ(expandEnvironment("ls %HOME%/x"), "ls " + home + "/x");
    EXPECT_EQ(expandEnvironment("%VELMO_TOOL_VAR%%VELMO_TOOL_VAR%"), "valuevalue");
    // Names that are not set stay as written; a "%" may open the next reference.
    EXPECT_EQ(expandEnvironment("a %NOPE_VELMO% b"), "a %NOPE_VELMO% b");
    EXPECT_EQ(expandEnvironment("100% %VELMO_TOOL_VAR%"), "100% value");
    EXPECT_EQ(expandEnvironment("50%"), "50%");
    EXPECT_EQ(expandEnvironment("%%"), "%%");
    qunsetenv("VELMO_TOOL_VAR");
}

TEST(ToolRunner, WhenAToolApplies)
{
    const ToolRecord cOnly = tool("Build", "cc", NeedsFile, "*.c");
    EXPECT_EQ(applies(cOnly, document("/src/a.h")), Applies::FilterMismatch);
    EXPECT_EQ(applies(cOnly, document("/src/a.c")), Applies::Yes);
    EXPECT_EQ(applies(cOnly, document("/src/A.C")), Applies::Yes);
    EXPECT_EQ(applies(cOnly, document("<new>")), Applies::NoFile);
    EXPECT_EQ(applies(cOnly, ActiveDocument()), Applies::NoDocument);
    ActiveDocument hex = document("/src/a.c");
    hex.text = false;
    EXPECT_EQ(applies(cOnly, hex), Applies::NoFile);
    EXPECT_EQ(applies(tool("Any", "x", NeedsFile), document("<new>")), Applies::NoFile);
    // Without 0x02 the filters are ignored.
    EXPECT_EQ(applies(tool("Free", "x", 0, "*.c"), document("/src/a.h")), Applies::Yes);
    EXPECT_EQ(applies(tool("Free", "x", 0, "*.c"), ActiveDocument()), Applies::Yes);
}

TEST(ToolRunner, FoldersAndCommandTexts)
{
    ToolRecord t = tool("T", "", 0, "", "$(file_path)");
    EXPECT_EQ(workingDirectory(t, document("/src/a.c")), "/src");
    EXPECT_EQ(workingDirectory(t, document("<new>")), "$(file_path)");
    t.dir = "%HOME%/work";
    EXPECT_EQ(workingDirectory(t, document("/src/a.c")), qEnvironmentVariable("HOME") + "/work");

    templates::MacroContext c;
    c.path = "/src/a.c";
    c.line = 12;
    EXPECT_EQ(commandText("cl $(FILENAME)", c), "cl a.c");
    EXPECT_EQ(commandText("$(UPPER(FILE_EXT)) $(FILE_BASE):$(LINE) %HOME%", c),
              "C a:12 " + qEnvironmentVariable("HOME"));
    // No length limit: a long command and long variables come through whole.
    qputenv("VELMO_TOOL_LONG", QByteArray(700, 'v'));
    const QString longText = commandText(QString(600, 'c') + " %VELMO_TOOL_LONG% $(FILE)", c);
    EXPECT_EQ(longText, QString(600, 'c') + ' ' + QString(700, 'v') + " /src/a.c");
    qunsetenv("VELMO_TOOL_LONG");
    // Line ends stay; a "?" is kept.
    EXPECT_EQ(commandText("make\r\nls $(FILE_PATH)?", c), "make\r\nls /src?");

    EXPECT_EQ(modeOf(InCommandWindow | AsBatchFile), Mode::BatchFile);
    EXPECT_EQ(modeOf(InCommandWindow), Mode::CommandWindow);
    EXPECT_EQ(modeOf(NeedsFile | WaitForEnd), Mode::Process);
    EXPECT_EQ(commandLines("make clean\r\nmake all\r\n"), QStringList({"make clean", "make all"}));
    EXPECT_EQ(batchLine("/data/batch.bat"), "/data/batch.bat");
    EXPECT_EQ(batchLine("/my data/batch.bat"), "\"/my data/batch.bat\"");

    QTemporaryDir dir;
    const QString bat = dir.filePath("batch.bat");
    ASSERT_TRUE(writeBatchFile(bat, "echo one\r\necho two"));
    EXPECT_EQ(readAll(bat), "echo one\r\necho two");
    ASSERT_TRUE(writeBatchFile(bat, "x"));
    EXPECT_EQ(readAll(bat), "x");
    QString error;
    EXPECT_FALSE(writeBatchFile(dir.filePath("no/such/folder/batch.bat"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ToolRunner, ProcessesStartFromAnArgumentList)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("a b.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("content; rm -rf nothing $(x) `y`");
    f.close();

    // Quotes group, the folder is the working folder, nothing goes through a shell.
    StartResult r = startProcess("cp \"a b.txt\" \"c; d.txt\"", dir.path(), true);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readAll(dir.filePath("c; d.txt")), "content; rm -rf nothing $(x) `y`");

    // Line ends separate arguments like blanks.
    r = startProcess("cp\r\n\"a b.txt\"\nthird.txt", dir.path(), true);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(QFile::exists(dir.filePath("third.txt")));

    r = startProcess("false", dir.path(), true);
    ASSERT_TRUE(r.ok());
    EXPECT_NE(r.exitCode, 0);

    r = startProcess("velmo-no-such-program --x", dir.path(), true);
    EXPECT_EQ(r.error, StartResult::Error::ProgramNotFound);
    EXPECT_EQ(r.program, "velmo-no-such-program");
    r = startProcess("./missing.sh", dir.path(), true);
    EXPECT_EQ(r.error, StartResult::Error::ProgramNotFound);
    r = startProcess("ls", dir.filePath("gone"), true);
    EXPECT_EQ(r.error, StartResult::Error::FolderMissing);
    r = startProcess("  \r\n ", dir.path(), true);
    EXPECT_EQ(r.error, StartResult::Error::EmptyCommand);

    // Not waited for: it still runs to its end.
    r = startProcess("touch later.txt", dir.path(), false);
    ASSERT_TRUE(r.ok());
    for (int i = 0; i < 500 && !QFile::exists(dir.filePath("later.txt")); ++i)
        QThread::msleep(10);
    EXPECT_TRUE(QFile::exists(dir.filePath("later.txt")));
}
