// Full screen, hide-title and always on top, the bars' context menu, the tray icon and the
// document area's double clicks, on a real main frame.
#include "PanelShared.h"

#include "framework/widgets/TrayIcon.h"
#include "framework/widgets/WindowModes.h"

#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

namespace {

struct WindowModeTest : PanelFixture {
    struct Look {
        QRect geometry;
        bool menuBar, toolBar, statusBar, side, bottom;
        bool operator==(const Look&) const = default;
    };
    Look look() const
    {
        return {frame->geometry(), frame->menuBar()->isVisible(), frame->commandUi()->toolBar()->isVisible(),
                frame->statusBar()->isVisible(), side()->isVisible(), bottom()->isVisible()};
    }
    QTabBar* documentTabs() const { return frame->documentArea()->findChild<QTabBar*>(); }
};

struct TrayTest : WindowModeTest {
    void SetUp() override
    {
        framework::TrayIcon::setAvailabilityProbe([] { return true; });
        ini = "[EDITOR]\nEditorMask=16777216\n";
        WindowModeTest::SetUp();
    }
    void TearDown() override
    {
        WindowModeTest::TearDown();
        framework::TrayIcon::setAvailabilityProbe({});
    }
    framework::TrayIcon* tray() const { return frame->shell()->tray(); }
};

} // namespace

TEST_F(WindowModeTest, FullScreenTwiceRestoresTheExactGeometryAndBars)
{
    startActive();
    CChildFrame* c = frame->NewDocument();
    frame->setGeometry(frame->geometry().adjusted(10, 5, -30, -20));
    pump();
    menu(cmd::ViewStatusBar);     // bars in a mixed state
    menu(cmd::DockCommand);
    c->view()->setFocus();
    const Look before = look();
    ASSERT_FALSE(before.statusBar);
    press(Qt::Key_F11);
    EXPECT_TRUE(frame->isFullScreen());
    EXPECT_EQ(frame->geometry(), frame->screen()->geometry());
    // Only the document area with its tabs is left.
    EXPECT_FALSE(frame->menuBar()->isVisible());
    EXPECT_FALSE(frame->commandUi()->toolBar()->isVisible());
    EXPECT_FALSE(side()->isVisible());
    EXPECT_FALSE(bottom()->isVisible());
    EXPECT_TRUE(documentTabs()->isVisible());
    press(Qt::Key_F11);
    EXPECT_FALSE(frame->isFullScreen());
    EXPECT_EQ(look(), before);
    // From the toolbar button as well.
    toolButton(cmd::ViewFullScreen);
    EXPECT_TRUE(frame->isFullScreen());
    toolButton(cmd::ViewFullScreen);
    EXPECT_EQ(look(), before);
}

TEST_F(WindowModeTest, HideTitleKeepsTheBarsAndEscLeavesEveryMode)
{
    startActive();
    CChildFrame* c = frame->NewDocument();
    c->view()->setFocus();
    const Look before = look();
    press(Qt::Key_F11, Qt::ShiftModifier);
    EXPECT_TRUE(frame->isFullScreen());
    EXPECT_TRUE(frame->menuBar()->isVisible());
    EXPECT_TRUE(frame->commandUi()->toolBar()->isVisible());
    EXPECT_TRUE(menuChecked(cmd::ViewHideTitle));
    // Full screen on top of it, then Esc in the document leaves both.
    press(Qt::Key_F11);
    EXPECT_FALSE(frame->menuBar()->isVisible());
    menu(cmd::DockCommand);   // not reachable by menu in full screen: shown by its key instead
    c->view()->setFocus();
    press(Qt::Key_Escape);
    EXPECT_FALSE(frame->isFullScreen());
    EXPECT_EQ(look(), before);
    EXPECT_FALSE(menuChecked(cmd::ViewHideTitle));
    EXPECT_EQ(QApplication::focusWidget(), c->view());
    // Closing in hide-title mode stores the normal placement.
    press(Qt::Key_F11, Qt::ShiftModifier);
    ASSERT_TRUE(frame->isFullScreen());
    closeFrame();
    restartSettings();
    EXPECT_EQ(uiState("right") - uiState("left"), before.geometry.width());
    EXPECT_EQ(uiState("left"), before.geometry.left());
}

TEST_F(WindowModeTest, AlwaysOnTopFollowsItsMenuCheckAndKeepsTheGeometry)
{
    startActive();
    const QRect g = frame->geometry();
    EXPECT_FALSE(menuChecked(cmd::WindowAlwaysOnTop));
    menu(cmd::WindowAlwaysOnTop);
    EXPECT_TRUE(frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(menuChecked(cmd::WindowAlwaysOnTop));
    EXPECT_EQ(frame->geometry(), g);
    menu(cmd::WindowAlwaysOnTop);
    EXPECT_FALSE(frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(menuChecked(cmd::WindowAlwaysOnTop));
    EXPECT_EQ(frame->geometry(), g);
}

TEST_F(WindowModeTest, RightClickOnTheBarsOffersMenuAndToolBar)
{
    startActive();
    QToolBar* tools = frame->commandUi()->toolBar();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), tools->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(tools, &click);
    pump();
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->objectName(), "context_8");
    QAction* menuBarItem = nullptr;
    for (QAction* a : popup->actions())
        if (a->data().toInt() == cmd::ViewMenuBar)
            menuBarItem = a;
    ASSERT_TRUE(menuBarItem);
    EXPECT_TRUE(menuBarItem->isChecked());
    menuBarItem->trigger();
    popup->close();
    pump();
    EXPECT_FALSE(frame->menuBar()->isVisible());
    // The menu bar comes back from the same menu.
    QApplication::sendEvent(tools, &click);
    pump();
    popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(popup);
    for (QAction* a : popup->actions())
        if (a->data().toInt() == cmd::ViewMenuBar) {
            EXPECT_FALSE(a->isChecked());
            a->trigger();
        }
    popup->close();
    pump();
    EXPECT_TRUE(frame->menuBar()->isVisible());
}

TEST_F(WindowModeTest, DoubleClicksOnTheDocumentAreaFollowTheOptions)
{
    // Bits 6-7 = 1: a new document; bit 22: a tab closes; bit 27: the free strip makes a new one.
    ini = "[EDITOR]\nEditorMask=138412096\n";
    writeIni();
    restartSettings();
    startActive();
    QWidget* viewport = frame->documentArea()->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, viewport->rect().center());
    pump();
    ASSERT_EQ(frame->children().size(), 1);
    QTabBar* tabs = documentTabs();
    ASSERT_TRUE(tabs);
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, QPoint(tabs->width() - 5, tabs->height() / 2));
    pump();
    ASSERT_EQ(frame->children().size(), 2);
    CChildFrame* first = frame->children().first();
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    pump(20);
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(frame->children().first(), first);
}

TEST_F(WindowModeTest, DoubleClickOnTheEmptyAreaOpensTheDialogByDefault)
{
    startActive();
    const QString path = write("picked.txt", "chosen");
    answerDialog({path});
    QWidget* viewport = frame->documentArea()->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, viewport->rect().center());
    pump();
    EXPECT_EQ(openPaths(), QStringList{path});
    // Without bit 22 a double click on a tab keeps the document.
    QTest::mouseDClick(documentTabs(), Qt::LeftButton, {}, documentTabs()->tabRect(0).center());
    pump(20);
    EXPECT_EQ(frame->children().size(), 1);
}

TEST_F(WindowModeTest, TabStripOptionsAndDocumentButtons)
{
    // Bit 4: tabs at the bottom; bit 23: fixed tabs; bit 28: document buttons in the menu bar.
    ini = "[EDITOR]\nEditorMask=276824080\n";
    writeIni();
    restartSettings();
    startActive();
    auto* close = frame->menuBar()->findChild<QToolButton*>("document_close");
    ASSERT_TRUE(close);
    EXPECT_FALSE(close->isVisible());
    frame->NewDocument();
    frame->NewDocument();
    pump();
    EXPECT_EQ(frame->documentArea()->tabPosition(), QTabWidget::South);
    EXPECT_FALSE(documentTabs()->isMovable());
    EXPECT_TRUE(close->isVisible());
    QTest::mouseClick(close, Qt::LeftButton);
    pump(20);
    EXPECT_EQ(frame->children().size(), 1);
    auto* restore = frame->menuBar()->findChild<QToolButton*>("document_restore");
    QTest::mouseClick(restore, Qt::LeftButton);
    pump();
    EXPECT_EQ(frame->documentArea()->viewMode(), QMdiArea::SubWindowView);
    QTest::mouseClick(close, Qt::LeftButton);
    pump(20);
    EXPECT_TRUE(frame->children().isEmpty());
    EXPECT_FALSE(close->isVisible());
}

TEST_F(WindowModeTest, WithoutATrayMinimisingIsAnOrdinaryMinimise)
{
    ini = "[EDITOR]\nEditorMask=16777216\n";   // the option is on, but this desktop has no tray
    writeIni();
    restartSettings();
    startActive();
    EXPECT_FALSE(frame->shell()->tray()->inUse());
    frame->showMinimized();
    pump(20);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMinimized());
}

TEST_F(TrayTest, MinimiseHidesAndTheIconBringsTheWindowBack)
{
    startActive();
    ASSERT_TRUE(tray()->inUse());
    QSystemTrayIcon* icon = tray()->icon();
    EXPECT_EQ(icon->toolTip(), "Velmo");
    // Menu 10: help, update, about and exit.
    ASSERT_TRUE(icon->contextMenu());
    QList<int> ids;
    for (QAction* a : icon->contextMenu()->actions())
        if (a->data().toInt())
            ids << a->data().toInt();
    EXPECT_EQ(ids, (QList<int>{820, 821, 822, 823, 824, 825, 116}));

    frame->showMinimized();
    pump(20);
    EXPECT_FALSE(frame->isVisible());
    emit icon->activated(QSystemTrayIcon::Trigger);
    pump();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
    emit icon->activated(QSystemTrayIcon::Trigger);
    pump();
    EXPECT_FALSE(frame->isVisible());
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    pump();
    EXPECT_TRUE(frame->isVisible());
    // A second start shows a hidden frame.
    emit icon->activated(QSystemTrayIcon::Trigger);
    pump();
    frame->ReceiveHandOver(files.path(), QString());
    EXPECT_TRUE(frame->isVisible());
    // Without its icon the window is never hidden.
    icon->hide();
    emit icon->activated(QSystemTrayIcon::Trigger);
    pump();
    EXPECT_TRUE(frame->isVisible());
    frame->showMinimized();
    pump(20);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(TrayTest, ExitFromTheTrayMenuClosesAHiddenFrame)
{
    startActive();
    frame->showMinimized();
    pump(20);
    ASSERT_FALSE(frame->isVisible());
    QAction* exit = nullptr;
    for (QAction* a : tray()->icon()->contextMenu()->actions())
        if (a->data().toInt() == cmd::AppExit)
            exit = a;
    ASSERT_TRUE(exit);
    exit->trigger();
    pump(20);
    restartSettings();
    EXPECT_EQ(uiState("MainTabState"), 0);
    EXPECT_EQ(uiState("showCmd"), 1);
    frame.reset();
}
