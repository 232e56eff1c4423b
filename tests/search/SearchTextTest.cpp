// The search texts: escapes in plain and regular-expression mode, the result line format
// and its parsing, and the history lists in the per-user store.
#include "platform/Registry.h"
#include "search/ResultLine.h"
#include "search/SearchHistory.h"
#include "search/SearchOptions.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace search;

TEST(SearchEscapes, PlainModeConvertsTheFullSet)
{
    EXPECT_EQ(processEscapes("a\\tb", false), "a\tb");
    EXPECT_EQ(processEscapes("\\x41B", false), "AB");          // the character after the digits is kept
    EXPECT_EQ(processEscapes("\\x4a\\x4A", false), "JJ");
    EXPECT_EQ(processEscapes("\\101", false), "A");
    EXPECT_EQ(processEscapes("\\1011", false), "A1");           // at most three octal digits
    EXPECT_EQ(processEscapes("\\a\\b\\f\\n\\r\\v", false), "\a\b\f\n\r\v");
    EXPECT_EQ(processEscapes("\\\\\\q\\(", false), "\\q(");   // any other character stands for itself
    EXPECT_EQ(processEscapes("ab\\", false), "ab\\");         // a lone trailing backslash stays
    // A zero byte ends the text: \x without digits and \0.
    EXPECT_EQ(processEscapes("ab\\xzz", false), "ab");
    EXPECT_EQ(processEscapes("ab\\0cd", false), "ab");
    // Values from 0x80 are characters, written as the document's UTF-8.
    EXPECT_EQ(processEscapes("\\xE9", false), "\xC3\xA9");
}

TEST(SearchEscapes, RegularExpressionModeConvertsOnlyBackslashZeroAndTwoOctals)
{
    EXPECT_EQ(processEscapes("a\\tb", true), "a\\tb");
    EXPECT_EQ(processEscapes("\\(x\\)\\1", true), "\\(x\\)\\1");
    EXPECT_EQ(processEscapes("\\011", true), "\t");
    EXPECT_EQ(processEscapes("\\0101", true), "\b1");
    EXPECT_EQ(processEscapes("\\08", true), "\\08");
}

TEST(SearchEscapes, PreparedTextIsUtf8AndEscapesOnlyWhenAsked)
{
    EXPECT_EQ(prepareText(QString::fromUtf8("é\\t"), 0), "\xC3\xA9\\t");
    EXPECT_EQ(prepareText(QString::fromUtf8("é\\t"), Mask::Escapes), "\xC3\xA9\t");
    EXPECT_EQ(prepareText("\\x", Mask::Escapes), "");
    SearchOptions o;
    o.setFindText(QString(300, 'x'));
    EXPECT_EQ(o.findText.size(), 255);
}

TEST(FindResultLine, FormatsKeepsTargetAndNeverCarriesALineBreak)
{
    const FindResultLine r = FindResultLine::result("/tmp/a(1)/b.txt", 12, "x = 1;\r\n");
    EXPECT_EQ(r.text, "/tmp/a(1)/b.txt(12): x = 1;");
    EXPECT_EQ(r.file, "/tmp/a(1)/b.txt");
    EXPECT_EQ(r.line, 12);
    EXPECT_EQ(FindResultLine::result("f", 1, "a\rb\n").text, "f(1): a b");
    EXPECT_EQ(FindResultLine::result("f", 1, QString(600, 'y')).text.size(), kMaxResultLine);
    EXPECT_FALSE(FindResultLine::plain("Cannot open file: x error:2").hasTarget());

    QString file;
    int line = 0;
    ASSERT_TRUE(parseResultLine("C:\\a\\b.txt(12): x", &file, &line));
    EXPECT_EQ(file, "C:\\a\\b.txt");
    EXPECT_EQ(line, 12);
    EXPECT_FALSE(parseResultLine("no parenthesis", &file, &line));
}

struct SearchHistoryTest : ::testing::Test {
    QTemporaryDir dir;
    void SetUp() override { registry::setUserStorePath(dir.filePath("registry.txt")); }
    void TearDown() override { registry::setUserStorePath(QString()); }
};

TEST_F(SearchHistoryTest, KeepsTwentySixNewestFirstAndMovesAReusedEntryToTheFront)
{
    {
        SearchHistory h(history::kFind);
        for (int i = 0; i < 30; ++i)
            h.add(QString("t%1").arg(i));
        h.add("t10");
        ASSERT_TRUE(h.save());
    }
    SearchHistory again(history::kFind);
    ASSERT_EQ(again.entries().size(), 26);
    EXPECT_EQ(again.entries().front(), "t10");
    EXPECT_EQ(again.entries().at(1), "t29");
    EXPECT_FALSE(again.entries().contains("t3"));   // the oldest fell off
    EXPECT_EQ(again.entries().count("t10"), 1);
    EXPECT_TRUE(SearchHistory(history::kReplace).entries().isEmpty());   // one list per key
}

TEST_F(SearchHistoryTest, TwoOpenListsKeepEachOthersAdditions)
{
    SearchHistory findDialog(history::kFind);
    SearchHistory replaceDialog(history::kFind);
    findDialog.add("alpha");
    replaceDialog.add("beta");
    ASSERT_TRUE(findDialog.save());
    ASSERT_TRUE(replaceDialog.save());
    SearchHistory again(history::kFind);
    EXPECT_EQ(again.entries(), QStringList({"beta", "alpha"}));
}

TEST_F(SearchHistoryTest, DamagedStoredOrderLosesOnlyItsBadLetters)
{
    registry::user().setString(history::kFind, "MRUList", "b?za");
    registry::user().setString(history::kFind, "a", "first");
    registry::user().setString(history::kFind, "b", "second");
    SearchHistory h(history::kFind);
    EXPECT_EQ(h.entries(), QStringList({"second", "first"}));
}
