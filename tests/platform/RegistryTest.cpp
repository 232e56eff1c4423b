#include "platform/Registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct RegistryTest : ::testing::Test {
    QTemporaryDir dir;
    QString file() const { return dir.filePath("registry.txt"); }
};

TEST_F(RegistryTest, StoresTypedValuesUnderKeysWithoutCase)
{
    registry::Store s(file());
    ASSERT_TRUE(s.setString("Software\\Velmo", "File1", "/home/u/a \"b\".txt\nsecond"));
    ASSERT_TRUE(s.setDword("Software\\Velmo\\Find", "Count", 0xFFFFFFFEu));
    ASSERT_TRUE(s.setBinary("Software\\Velmo", "Blob", QByteArray("\x00\x01\xFF", 3)));

    registry::Store again(file());   // a fresh reader sees what was written
    EXPECT_EQ(again.queryString("software\\VELMO", "file1").value(), "/home/u/a \"b\".txt\nsecond");
    EXPECT_EQ(again.queryDword("Software/Velmo/Find", "count").value(), 0xFFFFFFFEu);
    EXPECT_EQ(again.queryBinary("Software\\Velmo", "blob").value(), QByteArray("\x00\x01\xFF", 3));
    EXPECT_FALSE(again.queryDword("Software\\Velmo", "File1").has_value());   // wrong type
    EXPECT_TRUE(again.keyExists("Software"));                                  // parents exist
    EXPECT_EQ(again.subKeys("Software\\Velmo"), QStringList({"Find"}));
    EXPECT_EQ(again.valueNames("Software\\Velmo"), QStringList({"File1", "Blob"}));
}

TEST_F(RegistryTest, DeletesValuesAndTrees)
{
    registry::Store s(file());
    s.setString("Software\\Velmo\\Find", "a", "1");
    s.setString("Software\\Velmo\\Replace", "a", "1");
    s.setString("Software\\Velmo", "keep", "1");
    EXPECT_TRUE(s.deleteValue("Software\\Velmo\\Find", "A"));
    EXPECT_FALSE(s.deleteValue("Software\\Velmo\\Find", "A"));
    EXPECT_TRUE(s.deleteTree("software\\velmo\\replace"));
    EXPECT_FALSE(s.keyExists("Software\\Velmo\\Replace"));
    EXPECT_TRUE(s.keyExists("Software\\Velmo\\Find"));
    EXPECT_EQ(s.queryString("Software\\Velmo", "keep").value(), "1");
}

TEST_F(RegistryTest, SeveralValuesChangeInOneWrite)
{
    registry::Store s(file());
    s.setString("Software\\Velmo\\Recent", "Document1", "old");
    s.setString("Software\\Velmo\\Recent", "Document7", "gone");
    registry::Value count;
    count.type = registry::Type::Dword;
    count.dword = 2;
    registry::Value path;
    path.string = "/a.txt";
    ASSERT_TRUE(s.setValues("Software\\Velmo\\Recent", {{"DocumentCount", count}, {"DOCUMENT1", path}},
                            {"document7", "Document9"}));
    EXPECT_EQ(s.queryDword("Software\\Velmo\\Recent", "DocumentCount"), 2u);
    EXPECT_EQ(s.queryString("Software\\Velmo\\Recent", "Document1"), "/a.txt");
    EXPECT_EQ(s.valueNames("Software\\Velmo\\Recent"), QStringList({"Document1", "DocumentCount"}));

    // A store that cannot be written keeps every old value, not some of the new ones.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool writable = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);   // root ignores modes
    if (!writable) {
        path.string = "/b.txt";
        EXPECT_FALSE(s.setValues("Software\\Velmo\\Recent", {{"Document1", path}}, {"DocumentCount"}));
        EXPECT_EQ(s.queryString("Software\\Velmo\\Recent", "Document1"), "/a.txt");
        EXPECT_EQ(s.queryDword("Software\\Velmo\\Recent", "DocumentCount"), 2u);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(s.setValues("Software\\Velmo\nRecent", {{"x", path}}));   // no such key name
}

TEST_F(RegistryTest, TwoWritersNeverLoseEachOthersValues)
{
    // Two processes write different values at the same time; every value must survive.
    const int perProcess = 40;
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const char* who = child == 0 ? "child" : "parent";
    registry::Store s(file());
    for (int i = 0; i < perProcess; ++i)
        s.setDword("Software\\Velmo", QStringLiteral("%1%2").arg(who).arg(i), quint32(i));
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    registry::Store check(file());
    EXPECT_EQ(check.valueNames("Software\\Velmo").size(), 2 * perProcess);
}

TEST_F(RegistryTest, KeyNamesCannotPlantValuesAndNormaliseOnce)
{
    registry::Store s(file());
    // A line break in a key name would start a key and values of its own.
    EXPECT_FALSE(s.setString("Software\\Velmo]\n\"planted\"=\"x\"\n[Software\\Other", "v", "1"));
    EXPECT_FALSE(s.createKey("a\rb"));
    EXPECT_FALSE(s.keyExists("Software\\Other"));
    EXPECT_FALSE(s.query("Software\\Velmo", "planted").has_value());

    // Blank parts of a name are left out, so the name is the same however often it is
    // normalised and its values survive the next rewrite.
    ASSERT_TRUE(s.setString("Software\\Velmo\\ ", "kept", "1"));
    ASSERT_TRUE(s.setString("Software\\Velmo\\ \\Find", "also", "2"));
    ASSERT_TRUE(s.setString("Software", "other", "3"));   // a rewrite
    EXPECT_EQ(s.queryString("Software\\Velmo", "kept").value_or(""), "1");
    EXPECT_EQ(s.queryString("Software\\Velmo\\Find", "also").value_or(""), "2");
    EXPECT_EQ(s.subKeys("Software\\Velmo"), QStringList({"Find"}));
}

TEST_F(RegistryTest, MalformedFileReadsWhatItCan)
{
    QFile f(file());
    f.open(QIODevice::WriteOnly);
    f.write("garbage line\n\"orphan\"=\"x\"\n[Software\\Velmo]\n\"ok\"=dword:0000000a\n\"bad\"=what\n\"s\"=\"unterminated\n");
    f.close();
    registry::Store s(file());
    EXPECT_EQ(s.queryDword("Software\\Velmo", "ok").value(), 10u);
    EXPECT_FALSE(s.query("Software\\Velmo", "bad").has_value());
    EXPECT_EQ(s.queryString("Software\\Velmo", "s").value(), "unterminated");
}

} // namespace
