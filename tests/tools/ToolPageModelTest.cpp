// The Tool page's model: list editing, enabling rules and Apply on a real velmo.db.
#include "ToolTestDb.h"
#include "tools/ToolPageModel.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tools;

TEST(ToolPageModel, NewDeleteMoveAndTheLimit)
{
    ToolPageModel m;
    m.load({tool("Build", "make"), tool("Run", "./a.out")});
    EXPECT_EQ(m.selected(), 0);
    EXPECT_FALSE(m.changed());
    EXPECT_FALSE(m.moveUp());     // the first row does not move up

    ASSERT_TRUE(m.newTool());
    EXPECT_EQ(m.selected(), 2);
    EXPECT_EQ(m.name(), "<New Tool>");
    EXPECT_EQ(m.rows()[2].flags, 0x05);
    EXPECT_TRUE(m.command().isEmpty());
    EXPECT_TRUE(m.changed());
    EXPECT_FALSE(m.moveDown());   // the last row does not move down

    ASSERT_TRUE(m.moveUp());
    EXPECT_EQ(m.names(), QStringList({"Build", "<New Tool>", "Run"}));
    EXPECT_EQ(m.selected(), 1);
    m.setName("Test");            // renames the row at once
    EXPECT_EQ(m.names(), QStringList({"Build", "Test", "Run"}));
    ASSERT_TRUE(m.moveDown());
    EXPECT_EQ(m.names(), QStringList({"Build", "Run", "Test"}));
    EXPECT_EQ(m.selected(), 2);

    m.select(1);
    ASSERT_TRUE(m.deleteTool());
    EXPECT_EQ(m.names(), QStringList({"Build", "Test"}));
    EXPECT_EQ(m.selected(), 0);   // the first row is selected after a delete

    while (m.count() < ToolPageModel::MaxTools)
        ASSERT_TRUE(m.newTool());
    EXPECT_FALSE(m.enabling().newTool);
    EXPECT_FALSE(m.newTool());
    EXPECT_EQ(m.count(), 30);
    ASSERT_TRUE(m.deleteTool());
    EXPECT_TRUE(m.enabling().newTool);
}

TEST(ToolPageModel, EnablingFollowsSelectionAndBoxes)
{
    ToolPageModel m;
    m.load(std::vector<ToolRecord>{});
    ToolPageModel::Enabling e = m.enabling();
    EXPECT_EQ(m.selected(), -1);
    EXPECT_TRUE(e.newTool);
    EXPECT_FALSE(e.deleteTool || e.moveUp || e.moveDown || e.fields || e.wait || e.commandWindow || e.needsFile
                 || e.batch || e.autoExpand || e.fileOptions);
    EXPECT_EQ(m.shownFlags(), InCommandWindow | NeedsFile);   // 104 and 106 ticked, nothing to edit
    m.setName("ignored");
    EXPECT_FALSE(m.changed());

    m.load({tool("A", "", InCommandWindow), tool("B", "", NeedsFile), tool("C")});
    e = m.enabling();
    EXPECT_TRUE(e.deleteTool && e.fields && e.moveDown && e.autoExpand);
    EXPECT_FALSE(e.moveUp || e.fileOptions);
    m.setFlag(InCommandWindow, false);
    EXPECT_FALSE(m.enabling().autoExpand);
    m.select(1);
    e = m.enabling();
    EXPECT_TRUE(e.moveUp && e.moveDown && e.fileOptions);
    EXPECT_FALSE(e.autoExpand);
    m.select(2);
    EXPECT_FALSE(m.enabling().moveDown);
}

TEST(ToolPageModel, ApplyStoresTheListInOrderOrNothing)
{
    QTemporaryDir dir;
    ToolStore store;
    ASSERT_TRUE(store.open(dir.filePath("velmo.db")));
    ASSERT_TRUE(store.replaceAll({tool("Build", "make", 0x4A, "", "$(FILE_PATH)", "7602185"), tool("Run", "./a.out")}));

    ToolPageModel m;
    m.load(store);
    m.select(1);
    ASSERT_TRUE(m.moveUp());
    m.setCommand("./a.out 'quoted' what?");
    ASSERT_TRUE(m.newTool());
    m.setName("Lint");
    ASSERT_TRUE(m.apply(store)) << m.error().toStdString();
    EXPECT_FALSE(m.changed());
    EXPECT_EQ(m.selected(), 2);

    std::vector<ToolRecord> rows = store.load();
    EXPECT_EQ(namesOf(rows), QStringList({"Run", "Build", "Lint"}));
    EXPECT_EQ(rows[0].command, "./a.out 'quoted' what?");
    EXPECT_EQ(rows[1].shortcut, "7602185");   // the shortcut travels with its tool
    m.select(0);
    EXPECT_EQ(m.command(), "./a.out 'quoted' what?");   // shown whole, "?" and all

    // A failing Apply changes nothing in the file and keeps the page's edits.
    ASSERT_TRUE(breakInsertsOfBroken(store.db()));
    m.select(0);
    ASSERT_TRUE(m.deleteTool());
    ASSERT_TRUE(m.newTool());
    m.setName("Broken");
    EXPECT_FALSE(m.apply(store));
    EXPECT_TRUE(m.error().contains("cannot store Broken"));
    EXPECT_TRUE(m.changed());
    EXPECT_EQ(m.names(), QStringList({"Build", "Lint", "Broken"}));
    EXPECT_EQ(namesOf(store.load()), QStringList({"Run", "Build", "Lint"}));
}

TEST(ToolPageModel, VariablesGoInAtTheSelection)
{
    QString text = "cc  -o x";
    EXPECT_EQ(ToolPageModel::insertVariable(text, 3, 3, 1), 3 + 11);
    EXPECT_EQ(text, "cc $(FILENAME) -o x");
    EXPECT_EQ(ToolPageModel::insertVariable(text, 19, 18, 5), 18 + 7);   // replaces the selected "x"
    EXPECT_EQ(text, "cc $(FILENAME) -o $(LINE)");
    EXPECT_EQ(ToolPageModel::variables().size(), 6);
}
