// The symbol tree's three arrangements and the symbol search's prefix lookup, fed the way
// the tagger feeds them.
#include "symbols/SymbolModels.h"

#include <gtest/gtest.h>

using namespace symbols;

namespace {

TagRecord tag(const char* name, int kind, int line, const char* scope = nullptr)
{
    TagRecord t;
    t.name = name;
    t.kind = kind;
    t.line = line;
    if (scope) {
        t.scope = scope;
        t.hasScope = true;
    }
    return t;
}

void fill(SymbolTreeModel& m, std::initializer_list<TagRecord> tags)
{
    m.beginTags();
    for (const TagRecord& t : tags)
        m.AddTag(1, t);
    m.endTags();
}

QStringList topTexts(const SymbolTreeModel& m, const QModelIndex& parent = QModelIndex())
{
    QStringList out;
    for (int r = 0; r < m.rowCount(parent); ++r)
        out << m.index(r, 0, parent).data().toString();
    return out;
}

TEST(SymbolTree, ByTypeInsertsAfterTheFirstOfTheKind)
{
    SymbolTreeModel m;
    m.setArrangement(SymbolTreeModel::ByType);
    fill(m, {tag("f1", 1, 1), tag("f2", 1, 2), tag("f3", 1, 3)});
    EXPECT_EQ(topTexts(m), QStringList({"f1", "f3", "f2"}));

    // Members go under a group named like their scope, placed after the first top-level
    // entry of their kind; a scope with a leading "_" gets the structure image.
    fill(m, {tag("MAX", 4, 1), tag("run", 1, 2), tag("x", 8, 3, "Foo"), tag("size", 8, 4), tag("y", 8, 5, "Foo"),
             tag("z", 8, 6, "_Bar"), tag("go", 1, 7, "Foo")});
    EXPECT_EQ(topTexts(m), QStringList({"MAX", "run", "Foo", "size", "_Bar"}));
    const QModelIndex foo = m.index(2, 0);
    EXPECT_EQ(topTexts(m, foo), QStringList({"x", "y", "go"}));
    EXPECT_EQ(m.data(foo, SymbolTreeModel::ImageRole).toInt(), kClassImage);
    EXPECT_EQ(m.data(m.index(4, 0), SymbolTreeModel::ImageRole).toInt(), kStructureImage);
    EXPECT_EQ(m.lineOf(foo), -1);                      // a group does not jump
    EXPECT_EQ(m.lineOf(m.index(2, 0, foo)), 7);
    EXPECT_EQ(m.parent(m.index(2, 0, foo)), foo);
}

TEST(SymbolTree, ByNameAndByLineOrders)
{
    SymbolTreeModel m;
    m.setArrangement(SymbolTreeModel::ByName);
    fill(m, {tag("ABD", 1, 1), tag("abc", 1, 2), tag("ab", 1, 3), tag("run", 15, 4, "Job")});
    EXPECT_EQ(topTexts(m), QStringList({"ab", "abc", "ABD", "Job::run"}));

    m.setArrangement(SymbolTreeModel::ByLine);
    fill(m, {tag("c", 1, 30), tag("a", 1, 10), tag("b1", 1, 20), tag("b2", 8, 20, "S"), tag("big", 1, 16777300)});
    EXPECT_EQ(topTexts(m), QStringList({"a", "b1", "S::b2", "c", "big"}));
    // Kind and line are apart: a line past 2^24 keeps its number.
    EXPECT_EQ(m.lineOf(m.index(4, 0)), 16777300);
    m.setArrangement(SymbolTreeModel::ByType);
    fill(m, {tag("big", 15, 16777300, "K")});
    EXPECT_EQ(m.lineOf(m.index(0, 0, m.index(0, 0))), 16777300);
}

TEST(SymbolTree, FindTextWalksGroupsAndChildren)
{
    SymbolTreeModel m;
    m.setArrangement(SymbolTreeModel::ByType);
    fill(m, {tag("a", 1, 1), tag("m", 8, 2, "K"), tag("m", 8, 3, "L")});
    const QModelIndex at = m.findText("m");
    ASSERT_TRUE(at.isValid());
    EXPECT_EQ(m.lineOf(at), 2);
    EXPECT_FALSE(m.findText("none").isValid());
    m.clear();
    EXPECT_TRUE(m.isEmpty());
}

TEST(SymbolList, ColumnsAndPrefixLookup)
{
    SymbolListModel m;
    m.beginTags();
    for (const TagRecord& t : {tag("Reader", 3, 1), tag("read", 15, 2, "Reader"), tag("main", 1, 9)})
        m.AddTag(1, t);
    m.endTags();
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Class");
    EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Tag");
    EXPECT_EQ(m.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Line");
    EXPECT_EQ(m.index(1, SymbolListModel::ClassColumn).data().toString(), "Reader");
    EXPECT_EQ(m.index(2, SymbolListModel::LineColumn).data().toString(), "9");
    EXPECT_EQ(m.firstWithPrefix("REA"), 0);
    EXPECT_EQ(m.firstWithPrefix("Reader"), 0);
    EXPECT_EQ(m.firstWithPrefix("ma"), 2);
    EXPECT_EQ(m.firstWithPrefix("x"), -1);
}

TEST(SymbolTree, NamesThatAreNotUtf8AreReadAsAnsi)
{
    EXPECT_EQ(tagText("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(tagText("caf\xe9"), QString::fromUtf8("caf\xc3\xa9"));
}

} // namespace
