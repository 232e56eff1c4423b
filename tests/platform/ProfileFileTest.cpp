#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(data);
}

struct ProfileFileTest : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath("velmo.ini"); }
};

TEST_F(ProfileFileTest, ReadsWithProfileRules)
{
    writeAll(path(), "; comment\n[Editor]\n  tabsize =  8  \nTabSize=3\nname = \"quoted value\"\n"
                     "empty=\n[editor]\nLater=1\n[Other]\nKey='x'\n");
    ProfileFile ini(path());
    EXPECT_EQ(ini.readInt("EDITOR", "TABSIZE", 4), 8);            // names without case, first match
    EXPECT_EQ(ini.readString("EDITOR", "Name"), "quoted value");  // one pair of quotes removed
    EXPECT_EQ(ini.readString("other", "key"), "x");
    EXPECT_EQ(ini.readInt("EDITOR", "empty", 77), 77);            // empty value gives the default
    EXPECT_EQ(ini.readInt("EDITOR", "Later", 5), 5);              // only the first section counts
    EXPECT_EQ(ini.readString("Missing", "x", "def"), "def");
}

TEST_F(ProfileFileTest, ParsesIntegersLikeProfileReads)
{
    EXPECT_EQ(ProfileFile::parseInt("0x1F", 0), 31);
    EXPECT_EQ(ProfileFile::parseInt("12abc", 0), 12);
    EXPECT_EQ(ProfileFile::parseInt("-5", 0), -5);
    EXPECT_EQ(ProfileFile::parseInt("4294967295", 0), -1);       // wraps to 32 bits
    EXPECT_EQ(ProfileFile::parseInt("4294967300", 0), 4);
    EXPECT_EQ(ProfileFile::parseInt("abc", 9), 0);
    EXPECT_EQ(ProfileFile::parseInt("", 9), 9);
}

TEST_F(ProfileFileTest, WritesInPlaceAndKeepsOtherLinesByteForByte)
{
    const QByteArray original = "\xEF\xBB\xBF; keep me  \r\n[EDITOR]\r\nTabSize=4\r\n  odd line without equals\r\n"
                                "\r\n[SEARCH]\r\nFindText=abc\r\n";
    writeAll(path(), original);
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeInt("editor", "tabsize", 8));
    ASSERT_TRUE(ini.writeString("EDITOR", "NewKey", "v"));
    ASSERT_TRUE(ini.writeString("UPDATE", "LastUpdate", "5"));
    EXPECT_EQ(readAll(path()),
              QByteArray("\xEF\xBB\xBF; keep me  \r\n[EDITOR]\r\ntabsize=8\r\n  odd line without equals\r\n"
                         "NewKey=v\r\n\r\n[SEARCH]\r\nFindText=abc\r\n[UPDATE]\r\nLastUpdate=5\r\n"));
}

TEST_F(ProfileFileTest, WriteSectionReplacesBodyInPlace)
{
    writeAll(path(), "[A]\nx=1\n[FILTER]\nold|*.a\nold2|*.b\n\n[B]\ny=2\n");
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeSection("filter", {"C files|*.c;*.h", "All|*.*"}));
    EXPECT_EQ(readAll(path()), QByteArray("[A]\nx=1\n[FILTER]\nC files|*.c;*.h\nAll|*.*\n\n[B]\ny=2\n"));
    EXPECT_EQ(ini.readSection("FILTER"), QStringList({"C files|*.c;*.h", "All|*.*"}));
}

TEST_F(ProfileFileTest, LineBreaksCannotInjectKeysOrSections)
{
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeString("SEARCH", "FindText", "a\n[EDITOR]\nEditorMask=1"));
    ASSERT_TRUE(ini.writeString("SEARCH", "Key\n[X]", "v"));
    EXPECT_FALSE(ini.sectionNames().contains("EDITOR"));
    EXPECT_EQ(ini.sectionNames(), QStringList({"SEARCH"}));
    EXPECT_EQ(ini.readInt("EDITOR", "EditorMask", 0), 0);
}

TEST_F(ProfileFileTest, ReadOnlyFileIsLeftUntouchedAndModeIsKept)
{
    writeAll(path(), "[EDITOR]\nTabSize=4\n");
    ::chmod(QFile::encodeName(path()).constData(), 0640);
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeInt("EDITOR", "TabSize", 2));
    struct stat st {};
    ::stat(QFile::encodeName(path()).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);   // the atomic rewrite keeps the mode

    ::chmod(QFile::encodeName(path()).constData(), 0444);
    const QByteArray before = readAll(path());
    EXPECT_FALSE(ini.writeInt("EDITOR", "TabSize", 9));
    EXPECT_FALSE(ini.writeSection("EDITOR", {"x=1"}));
    EXPECT_EQ(readAll(path()), before);
    EXPECT_EQ(ini.readInt("EDITOR", "TabSize", 4), 2);
}

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndIsCreatedOnWrite)
{
    ProfileFile ini(path());
    EXPECT_EQ(ini.readInt("EDITOR", "EditorMask", 3), 3);
    EXPECT_TRUE(ini.readSection("FILTER").isEmpty());
    ASSERT_TRUE(ini.writeInt("EDITOR", "EditorMask", -2147483647 - 1));
    EXPECT_EQ(ini.readInt("EDITOR", "EditorMask", 0), int(0x80000000u));
    EXPECT_EQ(readAll(path()), QByteArray("[EDITOR]\nEditorMask=-2147483648\n"));
}

TEST_F(ProfileFileTest, UnwritableFolderLosesWriteSilently)
{
    ProfileFile ini("/proc/velmo-no-such-folder/velmo.ini");
    EXPECT_FALSE(ini.writeInt("EDITOR", "EditorMask", 1));
    EXPECT_EQ(ini.readInt("EDITOR", "EditorMask", 7), 7);
}

TEST_F(ProfileFileTest, TwoWritersNeverLoseEachOthersKeys)
{
    // Two processes write different keys at the same time; every key must survive.
    const int perProcess = 40;
    writeAll(path(), "[EDITOR]\nEditorMask=0\n");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const char* who = child == 0 ? "child" : "parent";
    ProfileFile ini(path());
    for (int i = 0; i < perProcess; ++i)
        ini.writeInt("EDITOR", QStringLiteral("%1%2").arg(who).arg(i), i);
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(ProfileFile(path()).readSection("EDITOR").size(), 2 * perProcess + 1);
}

TEST_F(ProfileFileTest, AByteOrderMarkCountsOnlyAtTheStartOfTheFile)
{
    writeAll(path(), "\xEF\xBB\xBF[FILTER]\nText|*.txt\n \xEF\xBB\xBF[odd]|*.x\nAll|*.*\n[EDITOR]\nTabSize=8\n");
    ProfileFile ini(path());
    EXPECT_EQ(ini.sectionNames(), QStringList({"FILTER", "EDITOR"}));
    const QStringList filters = ini.readSection("FILTER");
    ASSERT_EQ(filters.size(), 3);
    // Written back whole, the odd line now starts its line with the mark: still no header.
    ASSERT_TRUE(ini.writeSection("FILTER", filters));
    EXPECT_EQ(ini.sectionNames(), QStringList({"FILTER", "EDITOR"}));
    EXPECT_EQ(ini.readSection("FILTER"), filters);
    EXPECT_EQ(ini.readInt("EDITOR", "TabSize", 4), 8);
}

} // namespace
