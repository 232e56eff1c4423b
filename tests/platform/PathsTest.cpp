#include "platform/DataFolder.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Paths, PartsTakeTheExtensionFromTheFileNameOnly)
{
    EXPECT_EQ(paths::pathPart("/a.b/Makefile", paths::Extension), "");
    EXPECT_EQ(paths::pathPart("/a.b/Makefile", paths::BaseName), "Makefile");
    EXPECT_EQ(paths::pathPart("/home/u/src/main.tar.gz", paths::Extension), "gz");
    EXPECT_EQ(paths::pathPart("/home/u/src/main.tar.gz", paths::BaseName), "main.tar");
    EXPECT_EQ(paths::pathPart("/home/u/src/main.c", paths::Folder), "/home/u/src");
    EXPECT_EQ(paths::pathPart("/home/u/src/main.c", paths::FileName), "main.c");
    EXPECT_EQ(paths::pathPart("/x.c", paths::Folder), "/");
    EXPECT_EQ(paths::pathPart("/home/.bashrc", paths::Extension), "");
    EXPECT_FALSE(paths::hasFile("<new>"));
}

TEST(Paths, MatchSpecFollowsPatternRules)
{
    EXPECT_TRUE(paths::matchSpec("Main.CPP", "*.c; *.cpp;*.h"));
    EXPECT_TRUE(paths::matchSpec("Makefile", "*.*"));
    EXPECT_TRUE(paths::matchSpec("a.b", "?.?"));
    EXPECT_FALSE(paths::matchSpec("ab.b", "?.?"));
    EXPECT_TRUE(paths::matchSpec("makefile", "Makefile*"));
    EXPECT_TRUE(paths::matchSpec("x.html", "*.htm*"));
    EXPECT_FALSE(paths::matchSpec("x.c", "*.cc"));
    EXPECT_FALSE(paths::matchSpec("x.c", ";  ;"));
    EXPECT_TRUE(paths::matchSpec("aaab", "*a*b"));
}

TEST(Paths, SplitsCommandLinesLikeTheDesktop)
{
    using L = QStringList;
    EXPECT_EQ(paths::splitCommandLine(R"("C:\Program Files\velmo" a.txt "b c.txt")"),
              L({R"(C:\Program Files\velmo)", "a.txt", "b c.txt"}));
    EXPECT_EQ(paths::splitCommandLine(R"(prog a\\\"b "c\\" d\e)"), L({"prog", R"(a\"b)", R"(c\)", R"(d\e)"}));
    EXPECT_EQ(paths::splitCommandLine(R"(prog "" x)"), L({"prog", "", "x"}));
    EXPECT_EQ(paths::splitCommandLine(R"(prog a"b c"d)"), L({"prog", "ab cd"}));
    EXPECT_EQ(paths::splitCommandLine(R"(prog \\server\share -line:3,4)"), L({"prog", R"(\\server\share)", "-line:3,4"}));
    EXPECT_EQ(paths::splitCommandLine("prog   "), L({"prog"}));
    EXPECT_EQ(paths::splitCommandLine("a \"b c\"", false), L({"a", "b c"}));
}

TEST(Paths, QuotingRoundTrips)
{
    const QStringList args = {"plain", "with space", "", R"(quote"inside)", R"(trailing\)", R"(tr ail\\)", R"(a\\"b)", "\t"};
    EXPECT_EQ(paths::splitCommandLine(paths::joinCommandLine(args), false), args);
}

TEST(Paths, SameFileByCanonicalPathOrInode)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    QFile f(dir.filePath("a.txt"));
    f.open(QIODevice::WriteOnly);
    f.close();
    QFile::link(dir.filePath("a.txt"), dir.filePath("link.txt"));
    QFile::copy(dir.filePath("a.txt"), dir.filePath("copy.txt"));
    EXPECT_TRUE(paths::sameFile(dir.filePath("a.txt"), dir.path() + "/./sub/../a.txt"));
    EXPECT_TRUE(paths::sameFile(dir.filePath("a.txt"), dir.filePath("link.txt")));
    EXPECT_FALSE(paths::sameFile(dir.filePath("a.txt"), dir.filePath("copy.txt")));
    EXPECT_FALSE(paths::sameFile("<new>", "<new>"));
}

TEST(DataFolder, CopiesMissingShippedFilesAndNeverOverwrites)
{
    QTemporaryDir shipped, target;
    QDir().mkpath(shipped.filePath("properties"));
    auto put = [](const QString& p, const QByteArray& d) {
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(d);
    };
    put(shipped.filePath("properties/root.properties"), "shipped");
    put(shipped.filePath("keymap.key"), "shipped");
    put(target.filePath("keymap.key"), "mine");
    EXPECT_EQ(datafolder::installDefaults(shipped.path(), target.path()), 1);
    QFile mine(target.filePath("keymap.key"));
    mine.open(QIODevice::ReadOnly);
    EXPECT_EQ(mine.readAll(), QByteArray("mine"));
    EXPECT_TRUE(QFile::exists(target.filePath("properties/root.properties")));
    EXPECT_EQ(datafolder::installDefaults(shipped.path(), target.path()), 0);
}

TEST(DataFolder, LocationFollowsTheEnvironment)
{
    qputenv("VELMO_DATA_DIR", "/tmp/somewhere/");
    EXPECT_EQ(datafolder::location(), "/tmp/somewhere");
    qunsetenv("VELMO_DATA_DIR");
    qputenv("XDG_DATA_HOME", "/tmp/xdg");
    EXPECT_EQ(datafolder::location(), "/tmp/xdg/Velmo");
    qunsetenv("XDG_DATA_HOME");
}

} // namespace
