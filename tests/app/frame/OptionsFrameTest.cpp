// The options dialog opened the ways a user opens it: the Tool menu, the Set Font menu,
// the toolbar and a key bound to one of its commands.
#include "FrameFixture.h"
#include "OptionsOpening.h"

#include "app/commands/Accelerators.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "ui/widgets/OptionsDialog.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

using OptionsFrameTest = FrameFixture;

TEST_F(OptionsFrameTest, ToolMenuFontMenuAndToolbarOpenTheDialog)
{
    start();
    QMenu* tool = frame->commandUi()->popup("menu_tool");
    ASSERT_TRUE(tool);
    emit tool->aboutToShow();
    QAction* item = nullptr;
    for (QAction* a : tool->actions())
        if (a->data().toInt() == cmd::ToolOptions)
            item = a;
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(optionsPageOpenedBy([&] { item->trigger(); }), options::GeneralPage);

    QMenu* fonts = frame->commandUi()->baseFontMenu();
    ASSERT_TRUE(fonts);
    emit fonts->aboutToShow();
    QAction* change = nullptr;
    for (QAction* a : fonts->actions())
        if (a->data().toInt() == cmd::ToolOptionsFont)
            change = a;
    ASSERT_TRUE(change);
    EXPECT_EQ(optionsPageOpenedBy([&] { change->trigger(); }), options::FontPage);

    QToolBar* bar = frame->commandUi()->toolBar();
    ASSERT_TRUE(bar);
    QAction* button = nullptr;
    for (QAction* a : bar->actions())
        if (a->data().toInt() == cmd::ToolOptions)
            button = a;
    ASSERT_TRUE(button);
    QWidget* w = bar->widgetForAction(button);
    ASSERT_TRUE(w);
    EXPECT_EQ(optionsPageOpenedBy([&] { QTest::mouseClick(w, Qt::LeftButton); }), options::GeneralPage);
}

TEST_F(OptionsFrameTest, AKeyBoundToAnOptionsCommandOpensItsPage)
{
    start();
    auto* keys = frame->findChild<cmd::KeyDispatcher*>();
    ASSERT_TRUE(keys);
    std::vector<cmd::AccelEntry> table = keys->table();
    cmd::AccelEntry document, font;
    ASSERT_TRUE(cmd::parseShortcut("Ctrl+Alt+F11", document));
    ASSERT_TRUE(cmd::parseShortcut("Ctrl+Alt+F12", font));
    document.cmd = cmd::ToolOptionsDocument;
    font.cmd = cmd::ToolOptionsFont;
    table.insert(table.begin(), {document, font});
    keys->setTable(table);
    const std::pair<Qt::Key, int> presses[] = {{Qt::Key_F11, options::DocumentPage}, {Qt::Key_F12, options::FontPage}};
    for (auto [key, page] : presses) {
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : frame.get();
        EXPECT_EQ(optionsPageOpenedBy([&] { QTest::keyClick(target, key, Qt::ControlModifier | Qt::AltModifier); }), page);
    }
}

} // namespace
