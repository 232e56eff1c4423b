// The SQLite connection helper on real database files, with the sqlite3 program as a second
// reader: the probe at open, bound parameters, identifiers and a locked database.
#include "platform/CodePage.h"
#include "platform/SqliteDb.h"

#include "../templates/SqliteCli.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

struct SqliteDbTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

TEST_F(SqliteDbTest, CreatesAFileTheCommandLineProgramReads)
{
    SqliteDb db;
    ASSERT_TRUE(db.open(path("new.db")));
    EXPECT_EQ(db.status(), SqliteDb::Status::Open);
    ASSERT_TRUE(db.exec("CREATE TABLE t(ID INTEGER PRIMARY KEY, Name text)"));
    ASSERT_TRUE(db.exec("INSERT INTO t (Name) VALUES (?)", {QStringLiteral("it's")}));
    EXPECT_EQ(db.lastInsertId(), 1);
    ASSERT_TRUE(db.exec("INSERT INTO t (Name) VALUES (?)", {QStringLiteral("a'b \u2192 \u00e9")}));
    db.close();
    bool ok = false;
    EXPECT_EQ(sqliteCli(path("new.db"), "SELECT Name FROM t ORDER BY ID", &ok), QString::fromUtf8("it's\na'b → é"));
    EXPECT_TRUE(ok);
}

TEST_F(SqliteDbTest, AFileThatIsNoDatabaseIsFoundAtOpenAndLeftAlone)
{
    const QByteArray junk = QByteArray("this is a text file, not a database\n").repeated(200);
    writeFile(path("junk.db"), junk);
    SqliteDb db;
    EXPECT_FALSE(db.open(path("junk.db")));
    EXPECT_EQ(db.status(), SqliteDb::Status::NotADatabase);
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_FALSE(db.exec("CREATE TABLE t(x)"));
    EXPECT_EQ(readFile(path("junk.db")), junk);
    EXPECT_FALSE(QFile::exists(path("junk.db-journal")));

    // A folder in its place cannot be opened at all.
    QDir(dir.path()).mkdir("folder.db");
    EXPECT_FALSE(db.open(path("folder.db")));
    EXPECT_EQ(db.status(), SqliteDb::Status::CannotOpen);
    // An empty file is an empty database.
    writeFile(path("empty.db"), QByteArray());
    EXPECT_TRUE(db.open(path("empty.db")));
    EXPECT_TRUE(db.tables().isEmpty());
}

TEST_F(SqliteDbTest, ParametersAreStoredAsTheyCome)
{
    SqliteDb db;
    ASSERT_TRUE(db.open(path("p.db")));
    ASSERT_TRUE(db.exec("CREATE TABLE t(ID INTEGER PRIMARY KEY, N INTEGER, V text)"));
    const QByteArray latin1("caf\xe9", 4);   // not UTF-8: read back with the ANSI code page
    ASSERT_TRUE(db.exec("INSERT INTO t (N, V) VALUES (?, ?)", {qint64(1) << 40, latin1}));
    ASSERT_TRUE(db.exec("INSERT INTO t (N, V) VALUES (?, ?)", {QVariant(), QStringLiteral("'); DROP TABLE t; --")}));
    EXPECT_FALSE(db.exec("INSERT INTO t (N, V) VALUES (?, ?)", {1}));   // one short
    EXPECT_EQ(db.lastErrorCode(), 25);   // SQLITE_RANGE

    std::vector<QString> texts;
    std::vector<QByteArray> bytes;
    std::vector<bool> nulls;
    ASSERT_TRUE(db.exec("SELECT N, V FROM t ORDER BY ID", {}, [&](const SqliteRow& r) {
        nulls.push_back(r.isNull(0));
        bytes.push_back(r.bytes(1));
        texts.push_back(r.text(1));
        return true;
    }));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(bytes[0], latin1);
    EXPECT_EQ(texts[0], ansi::toUnicode("caf\xe9"));
    EXPECT_EQ(texts[1], QStringLiteral("'); DROP TABLE t; --"));
    EXPECT_EQ(nulls, (std::vector<bool>{false, true}));
    EXPECT_EQ(sqliteCli(path("p.db"), "SELECT hex(V) FROM t WHERE ID=1"), QStringLiteral("636166E9"));

    // A row handler that says stop ends the statement without an error.
    int seen = 0;
    EXPECT_TRUE(db.exec("SELECT V FROM t", {}, [&](const SqliteRow&) { return ++seen < 1; }));
    EXPECT_EQ(seen, 1);
}

TEST_F(SqliteDbTest, OneStatementAtATimeAndIdentifiersQuoted)
{
    SqliteDb db;
    ASSERT_TRUE(db.open(path("q.db")));
    ASSERT_TRUE(db.exec("CREATE TABLE tools(x)"));
    // A second statement behind the first is refused, not run.
    EXPECT_FALSE(db.exec("CREATE TABLE a(x); DROP TABLE tools"));
    EXPECT_FALSE(db.exec("CREATE TABLE a(x);; -- x\n ; DROP TABLE tools"));
    EXPECT_EQ(db.tables(), QStringList{"tools"});
    EXPECT_TRUE(db.exec("SELECT 1; -- a comment after it\n;"));

    const QString hostile = QStringLiteral("x\"(a);drop table tools;--");
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE %1(x)").arg(SqliteDb::quoteIdentifier(hostile))));
    EXPECT_EQ(db.tables(), (QStringList{"tools", hostile}));
    EXPECT_TRUE(SqliteDb::isPlainIdentifier("_a1"));
    for (const char* bad : {"", "1a", "a b", "a-b", "x(a);drop", "é"})
        EXPECT_FALSE(SqliteDb::isPlainIdentifier(QString::fromUtf8(bad))) << bad;

    // A script runs whole or not at all.
    EXPECT_FALSE(db.execScript("CREATE TABLE s1(x); INSERT INTO nowhere VALUES (1);"));
    EXPECT_FALSE(db.tables().contains("s1"));
    EXPECT_TRUE(db.execScript("CREATE TABLE s1(x); INSERT INTO s1 VALUES (1);"));
    EXPECT_TRUE(db.tables().contains("s1"));
}

TEST_F(SqliteDbTest, ALockedDatabaseFailsAfterTheWaitWithoutHarm)
{
    SqliteDb writer, other;
    ASSERT_TRUE(writer.open(path("l.db")));
    ASSERT_TRUE(writer.exec("CREATE TABLE t(x)"));
    ASSERT_TRUE(other.open(path("l.db"), 50));
    ASSERT_TRUE(writer.exec("BEGIN EXCLUSIVE"));
    EXPECT_FALSE(other.exec("INSERT INTO t VALUES (1)"));
    EXPECT_EQ(other.lastErrorCode(), 5);   // SQLITE_BUSY
    ASSERT_TRUE(writer.exec("COMMIT"));
    EXPECT_TRUE(other.exec("INSERT INTO t VALUES (1)"));
}

} // namespace
