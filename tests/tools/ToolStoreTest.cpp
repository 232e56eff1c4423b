// The tool table in real velmo.db files.
#include "ToolTestDb.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tools;

namespace {

QString dbPath(const QTemporaryDir& dir)
{
    return dir.filePath(QStringLiteral("velmo.db"));
}

} // namespace

TEST(ToolStore, MissingTableComesWithTheShippedToolsOnceOnly)
{
    QTemporaryDir dir;
    {
        ToolStore store;
        ASSERT_TRUE(store.open(dbPath(dir)));
        const std::vector<ToolRecord> rows = store.load();
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[0].name, "Build");
        EXPECT_EQ(rows[1].name, "Run");
        EXPECT_EQ(rows[0].shortcut, "7733257");   // Ctrl+F7
        EXPECT_EQ(rows[1].shortcut, "7602185");   // Ctrl+F5
        EXPECT_EQ(rows[0].flags & (NeedsFile | AsBatchFile | AutoExpand), NeedsFile | AsBatchFile | AutoExpand);
        // The user removes every tool...
        ASSERT_TRUE(store.replaceAll({}));
    }
    // ...and the table is not filled again behind the user's back.
    ToolStore again;
    ASSERT_TRUE(again.open(dbPath(dir)));
    EXPECT_TRUE(again.load().empty());
    EXPECT_TRUE(again.lastError().isEmpty());
}

TEST(ToolStore, TextsRoundTripWholeAndRowsGetNewIds)
{
    QTemporaryDir dir;
    ToolStore store;
    ASSERT_TRUE(store.open(dbPath(dir)));
    const qint64 oldFirst = store.load().at(0).id;

    const QString quote = QStringLiteral("echo 'it''s' \"x\"");
    const QString question = QStringLiteral("grep -e 'a?b' $(FILE) ?tail");
    const QString longCommand = QStringLiteral("echo ") + QString(3000, QLatin1Char('x'));
    const QString longDir = QStringLiteral("/tmp/") + QString(600, QLatin1Char('d'));
    const QString twoLines = QStringLiteral("make clean\r\nmake all");
    std::vector<ToolRecord> rows = {tool("Quote's", quote, 0x02, "*.c;*.h"), tool("Ask", question),
                                    tool("Long", longCommand, 0x40, "", longDir, "7602185,0"), tool("Two", twoLines, 0x20)};
    ASSERT_TRUE(store.replaceAll(rows)) << store.lastError().toStdString();

    const std::vector<ToolRecord> back = store.load();
    ASSERT_EQ(back.size(), 4u);
    for (size_t i = 0; i < back.size(); ++i) {
        ToolRecord expected = rows[i];
        expected.id = back[i].id;
        EXPECT_EQ(back[i], expected) << i;
    }
    EXPECT_GT(back[0].id, oldFirst);
    const std::optional<ToolRecord> one = store.read(back[1].id);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->command, question);
    EXPECT_FALSE(store.read(back[3].id + 100));
}

TEST(ToolStore, FailedReplaceLeavesTheTableAsItWas)
{
    QTemporaryDir dir;
    ToolStore store;
    ASSERT_TRUE(store.open(dbPath(dir)));
    ASSERT_TRUE(store.replaceAll({tool("One"), tool("Two")}));
    ASSERT_TRUE(breakInsertsOfBroken(store.db()));

    EXPECT_FALSE(store.replaceAll({tool("Three"), tool("Broken"), tool("Four")}));
    EXPECT_TRUE(store.lastError().contains("cannot store Broken")) << store.lastError().toStdString();
    EXPECT_EQ(namesOf(store.load()), QStringList({"One", "Two"}));
    // The connection is usable afterwards.
    EXPECT_TRUE(store.replaceAll({tool("Five")}));
    EXPECT_EQ(namesOf(store.load()), QStringList({"Five"}));
}

TEST(ToolStore, BrokenFileIsReportedAndLeftAlone)
{
    QTemporaryDir dir;
    const QByteArray junk("this is no database, just text that must stay as it is\n");
    {
        QFile f(dbPath(dir));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    ToolStore store;
    EXPECT_FALSE(store.open(dbPath(dir)));
    EXPECT_TRUE(store.load().empty());
    EXPECT_FALSE(store.replaceAll({tool("X")}));
    QFile f(dbPath(dir));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
}

TEST(ToolStore, LoadStopsAtTheCommandRange)
{
    QTemporaryDir dir;
    ToolStore store;
    ASSERT_TRUE(store.open(dbPath(dir)));
    std::vector<ToolRecord> many;
    for (int i = 0; i < 90; ++i)
        many.push_back(tool(QStringLiteral("T%1").arg(i)));
    ASSERT_TRUE(store.replaceAll(many));
    const std::vector<ToolRecord> rows = store.load();
    ASSERT_EQ(rows.size(), size_t(MaxLoadedTools));
    EXPECT_EQ(rows.back().name, "T79");
}
