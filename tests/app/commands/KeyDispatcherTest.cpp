// The application-wide key dispatcher on a real window with the real editing component.
#include "TestSupport.h"
#include "app/commands/Accelerators.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"

#include <Qsci/qsciscintilla.h>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace cmd;

namespace {

struct Fired {
    int id;
    bool accel;
};

class KeyDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        window = std::make_unique<QMainWindow>();
        editor = new QsciScintilla(window.get());
        window->setCentralWidget(editor);
        ui = new CommandUi(window.get());
        window->setMenuBar(ui->createMenuBar(window.get()));
        window->addToolBar(ui->createToolBar(window.get()));
        dispatcher = new KeyDispatcher(window.get());
        dispatcher->setTarget(window.get());
        dispatcher->install();
        auto record = [this](int id, bool accel) { fired.push_back({id, accel}); };
        QObject::connect(dispatcher, &KeyDispatcher::command, record);
        QObject::connect(ui, &CommandUi::command, record);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        editor->setFocus();
    }
    void TearDown() override { window.reset(); }

    std::unique_ptr<QMainWindow> window;
    QsciScintilla* editor = nullptr;
    CommandUi* ui = nullptr;
    KeyDispatcher* dispatcher = nullptr;
    std::vector<Fired> fired;
};

} // namespace

TEST(AcceleratorTable, DefaultTableHoldsTheBuiltInBindings)
{
    const std::vector<AccelEntry> t = defaultAccelerators();
    EXPECT_EQ(t.size(), 65u);
    // Shifted digits and brackets of the US layout are found by their key.
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_ParenRight, Qt::ControlModifier | Qt::ShiftModifier), 316);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_0, Qt::ControlModifier), 315);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_BracketRight, Qt::ControlModifier), 410);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_BraceRight, Qt::ControlModifier | Qt::ShiftModifier), 411);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 801);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier), 230);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_R, Qt::ControlModifier), 401);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_H, Qt::ControlModifier), 401);
    // Extra modifiers make another key.
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier), 0);
    EXPECT_EQ(lookupAccelerator(t, Qt::Key_A, Qt::NoModifier), 0);
    // On a layout whose digit row types other characters, the key's position decides.
    QKeyEvent alt1(QEvent::KeyPress, Qt::Key_Ampersand, Qt::AltModifier, 10, 0, 0, "&");
    EXPECT_EQ(lookupVirtualKey(t, virtualKeyFromEvent(alt1, true), alt1.modifiers()), 804);
    EXPECT_EQ(lookupVirtualKey(t, virtualKeyFromEvent(alt1, false), alt1.modifiers()), 0);
    QKeyEvent expand(QEvent::KeyPress, Qt::Key_Equal, Qt::ControlModifier | Qt::ShiftModifier, 19, 0, 0);
    EXPECT_EQ(lookupVirtualKey(t, virtualKeyFromEvent(expand, true), expand.modifiers()), 316);
    QKeyEvent paren(QEvent::KeyPress, Qt::Key_ParenRight, Qt::ControlModifier, 20, 0, 0);
    EXPECT_EQ(lookupVirtualKey(t, virtualKeyFromEvent(paren, true), paren.modifiers()), 0);
    // Key-map entries written by name round-trip.
    for (const AccelEntry& e : t) {
        AccelEntry back;
        ASSERT_TRUE(parseShortcut(shortcutName(e), back)) << shortcutName(e).toStdString();
        EXPECT_EQ(back.flags, e.flags);
        EXPECT_EQ(back.key, e.key);
    }
}

TEST_F(KeyDispatcherTest, AcceleratorsFireAsCommandsAndOtherKeysReachTheEditor)
{
    QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_F1);
    QTest::keyClick(editor, Qt::Key_1, Qt::AltModifier);
    QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(fired.size(), 4u);
    EXPECT_EQ(fired[0].id, 100);
    EXPECT_EQ(fired[1].id, 409);
    EXPECT_EQ(fired[2].id, 804);
    EXPECT_EQ(fired[3].id, 800);
    for (const Fired& f : fired)
        EXPECT_TRUE(f.accel);
    // Nothing of those reached the editing component, and its focus stayed.
    EXPECT_EQ(editor->text(), QString());
    EXPECT_TRUE(editor->hasFocus());

    // Keys without a binding go to the editor untouched.
    fired.clear();
    QTest::keyClicks(editor, "ab");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(editor->text(), QStringLiteral("ab\n\t"));
}

TEST_F(KeyDispatcherTest, MenusAndToolbarReportTheSameCommandNotFromAnAccelerator)
{
    ui->menuAction(804)->trigger();
    ui->toolAction(804)->trigger();
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0].id, 804);
    EXPECT_FALSE(fired[0].accel);
    EXPECT_EQ(fired[1].id, 804);
    EXPECT_FALSE(fired[1].accel);
}

TEST_F(KeyDispatcherTest, KeysAreLeftAloneWhileAnotherWindowIsActive)
{
    QDialog dialog(window.get());
    auto* edit = new QLineEdit(&dialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    edit->setFocus();
    QTest::keyClicks(edit, "xy");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);   // select all, the edit's own
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);   // cut, the edit's own
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(edit->text(), QString());
}

TEST_F(KeyDispatcherTest, AReplacedTableTakesEffectAndCanBeEmpty)
{
    AccelEntry e;
    ASSERT_TRUE(parseShortcut(QStringLiteral("Ctrl+Shift+K"), e));
    e.cmd = 600;
    dispatcher->setTable({e});
    QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].id, 600);
    dispatcher->setTable({});
    QTest::keyClick(editor, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(KeyDispatcherTest, AcceleratorsWinOverWidgetShortcutsButNotOverAnOpenPopup)
{
    // A shortcut some widget installed for the same key does not take it away.
    auto* stray = new QAction(window.get());
    stray->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    window->addAction(stray);
    int strayFired = 0;
    QObject::connect(stray, &QAction::triggered, [&] { ++strayFired; });
    QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].id, 100);
    EXPECT_EQ(strayFired, 0);

    // While a popup menu is open the keys belong to it.
    fired.clear();
    QMenu* menu = ui->popup("menu_edit");
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }));
    QTest::keyClick(menu, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(menu, Qt::Key_F1);
    EXPECT_TRUE(fired.empty());
    menu->close();
}

TEST_F(KeyDispatcherTest, OwnedModelessWindowsShareTheAcceleratorsWhenAskedModalOnesNever)
{
    dispatcher->setIncludeOwnedWindows(true);
    QDialog modeless(window.get());
    auto* edit = new QLineEdit(&modeless);
    modeless.show();
    modeless.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &modeless; }));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F3);
    QTest::keyClicks(edit, "q");
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].id, 402);
    EXPECT_EQ(edit->text(), QStringLiteral("q"));
    modeless.hide();

    fired.clear();
    QDialog modal(window.get());
    modal.setModal(true);
    auto* field = new QLineEdit(&modal);
    modal.show();
    modal.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &modal; }));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_F3);
    EXPECT_TRUE(fired.empty());
}
