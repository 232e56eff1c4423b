// The template store on real velmo.db files, checked with the sqlite3 program: groups, the
// table layout, entries with quotes and characters beyond the ANSI code page, hostile group
// names, and the shipped default database.
#include "templates/TemplateStore.h"

#include "SqliteCli.h"
#include "TestPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using templates::TemplateStore;

struct TemplateStoreTest : ::testing::Test {
    QTemporaryDir dir;
    QString db = dir.filePath("velmo.db");
    TemplateStore store;
    void SetUp() override { ASSERT_TRUE(store.open(db)); }
};

TEST_F(TemplateStoreTest, ANewGroupHasTheTableLayoutAndComesInBinaryOrder)
{
    EXPECT_TRUE(store.groups().isEmpty());
    EXPECT_TRUE(store.createGroup(" \tC  "));
    EXPECT_EQ(store.groups(), QStringList{"C"});
    EXPECT_EQ(sqliteCli(db, "SELECT sql FROM sqlite_master WHERE name='C'"),
              "CREATE TABLE C(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text)");
    // Nothing happens for an empty name.
    EXPECT_FALSE(store.createGroup(" \t "));
    EXPECT_TRUE(store.lastFailure().statement.isEmpty());
    // The tool table and SQLite's own tables are never groups.
    ASSERT_TRUE(store.db().exec("CREATE TABLE tools(Name text, Command text, Dir text, Shortcut int, Filters text, Flags int)"));
    ASSERT_TRUE(store.createGroup("b"));
    ASSERT_TRUE(store.createGroup("Html"));
    ASSERT_GE(store.add("C", false, "x", "y"), 1);   // AUTOINCREMENT makes sqlite_sequence
    EXPECT_EQ(sqliteCli(db, "SELECT count(*) FROM sqlite_master WHERE name='sqlite_sequence'"), "1");
    EXPECT_EQ(store.groups(), (QStringList{"C", "Html", "b"}));
    // The same name twice is SQLite's error, reported with the statement.
    EXPECT_FALSE(store.createGroup("html"));
    EXPECT_TRUE(store.lastFailure().statement.startsWith("CREATE TABLE html("));
    EXPECT_TRUE(store.lastFailure().error.contains("already exists"));
}

TEST_F(TemplateStoreTest, HostileGroupNamesReachNoStatement)
{
    ASSERT_TRUE(store.db().exec("CREATE TABLE tools(Name text)"));
    ASSERT_TRUE(store.db().exec("INSERT INTO tools VALUES ('make')"));
    for (const char* name : {"x(a);drop table tools;--", "a b", "a-b", "tools", "TOOLS", "sqlite_x", "1abc"}) {
        EXPECT_FALSE(store.createGroup(QString::fromUtf8(name))) << name;
        EXPECT_EQ(store.lastFailure().statement, TemplateStore::createStatement(QString::fromUtf8(name)));
    }
    // An SQL keyword is an identifier by its letters: SQLite refuses it.
    EXPECT_FALSE(store.createGroup("select"));
    EXPECT_FALSE(store.lastFailure().error.isEmpty());
    EXPECT_EQ(sqliteCli(db, "SELECT Name FROM tools"), "make");
    EXPECT_EQ(sqliteCli(db, "SELECT count(*) FROM sqlite_master"), "1");

    // A table made with an odd name by someone else is still a group, reached quoted.
    ASSERT_TRUE(store.db().exec(R"(CREATE TABLE "my ""odd"" group"(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, Name varchar(30), Content text))"));
    const QString odd = QStringLiteral("my \"odd\" group");
    ASSERT_TRUE(store.groups().contains(odd));
    const qint64 id = store.add(odd, false, "n", "c");
    ASSERT_GT(id, 0);
    EXPECT_EQ(store.content(odd, id), QString("c"));
    EXPECT_TRUE(store.dropGroup(odd));
    EXPECT_EQ(sqliteCli(db, "SELECT Name FROM tools"), "make");
}

TEST_F(TemplateStoreTest, EntriesRoundTripUnchanged)
{
    ASSERT_TRUE(store.createGroup("C"));
    const qint64 a = store.add("C", false, "it's", "a'b");
    const qint64 sep = store.add("C", true, "", "");
    const QString utf = QStringLiteral("x \u2192 y\r\nd\u00e9j\u00e0 vu |");
    const qint64 b = store.add("C", false, QStringLiteral("\u2192 arrow"), utf);
    ASSERT_EQ(a, 1);
    ASSERT_EQ(sep, 2);
    ASSERT_EQ(b, 3);

    const auto rows = store.list("C");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "it's");
    EXPECT_FALSE(rows[0].gap);
    EXPECT_TRUE(rows[1].gap);
    EXPECT_EQ(rows[2].name, QStringLiteral("\u2192 arrow"));
    auto e = store.read("C", a);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name, "it's");
    EXPECT_EQ(e->content, "a'b");
    EXPECT_EQ(store.content("C", b), utf);
    // Stored as UTF-8, readable by the command-line program.
    EXPECT_EQ(sqliteCli(db, "SELECT Name || '/' || Content FROM C WHERE ID=1"), "it's/a'b");
    EXPECT_EQ(sqliteCli(db, "SELECT hex(Name) FROM C WHERE ID=3"), "E28692206172726F77");

    // Changing and deleting.
    EXPECT_TRUE(store.update("C", a, true, "it''s", "'; drop table C; --"));
    e = store.read("C", a);
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->gap);
    EXPECT_EQ(e->name, "it''s");
    EXPECT_EQ(e->content, "'; drop table C; --");
    EXPECT_TRUE(store.remove("C", sep));
    EXPECT_EQ(store.list("C").size(), 2u);
    EXPECT_FALSE(store.read("C", sep));
    EXPECT_TRUE(store.lastFailure().statement.isEmpty());   // not found is no failure
    // IDs are never reused.
    EXPECT_EQ(store.add("C", false, "n", ""), 4);

    // A value written in a single-byte code page by another program is read with it.
    bool ok = false;
    sqliteCli(db, "INSERT INTO C (Gap, Name, Content) VALUES (0, CAST(x'436166E9' AS TEXT), 'x')", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(store.list("C").back().name, QString::fromUtf8("Café"));
}

TEST_F(TemplateStoreTest, FailuresCarryTheStatementAndLeaveNothingBehind)
{
    EXPECT_TRUE(store.list("missing").empty());
    EXPECT_EQ(store.lastFailure().statement, "select ID,Gap,Name from \"missing\"");
    EXPECT_TRUE(store.lastFailure().error.contains("no such table"));
    EXPECT_EQ(store.add("missing", false, "n", "c"), -1);
    EXPECT_FALSE(store.dropGroup("missing"));
    ASSERT_TRUE(store.createGroup("C"));
    ASSERT_TRUE(store.dropGroup("C"));
    EXPECT_TRUE(store.groups().isEmpty());
}

TEST(TemplateStoreFile, NoDatabaseMeansNothingIsDoneAndNothingWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("velmo.db");
    const QByteArray junk = QByteArray(8192, 'Z');
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    TemplateStore store;
    EXPECT_FALSE(store.open(path));
    EXPECT_FALSE(store.isOpen());
    EXPECT_TRUE(store.groups().isEmpty());
    EXPECT_FALSE(store.createGroup("C"));
    EXPECT_EQ(store.add("C", false, "a", "b"), -1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
}

TEST(TemplateStoreFile, TheShippedDatabaseHoldsTemplatesForSeveralLanguages)
{
    const QString shipped = testpaths::binary("/share/velmo/velmo.db");
    ASSERT_TRUE(QFile::exists(shipped));
    QTemporaryDir dir;
    const QString copy = dir.filePath("velmo.db");
    ASSERT_TRUE(QFile::copy(shipped, copy));
    TemplateStore store;
    ASSERT_TRUE(store.open(copy));
    const QStringList groups = store.groups();
    EXPECT_GE(groups.size(), 4);
    for (const QString& g : groups) {
        const auto rows = store.list(g);
        EXPECT_GE(rows.size(), 3u) << g.toStdString();
        for (const auto& r : rows) {
            EXPECT_EQ(r.gap, r.name.isEmpty()) << g.toStdString();
            EXPECT_LE(r.name.size(), TemplateStore::MaxNameLength);
            const QString c = *store.content(g, r.id);
            EXPECT_FALSE(c.contains(QRegularExpression("[^\r]\n"))) << "bare LF in " << r.name.toStdString();
            EXPECT_LE(c.count('|'), 1) << r.name.toStdString();
        }
    }
    EXPECT_EQ(sqliteCli(copy, "PRAGMA integrity_check"), "ok");
}

} // namespace
