// The two docking panels on a real main frame: layout memory across runs, Dock Window
// from menus, toolbar and keys, and Toggle Panel.
#include "PanelShared.h"

#include <QMainWindow>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace {

struct PanelTest : PanelFixture {};

} // namespace

TEST_F(PanelTest, AFreshRunOpensTheSidePanelAndWritesTheDefaults)
{
    start();
    EXPECT_TRUE(side()->isVisible());
    EXPECT_FALSE(bottom()->isVisible());
    EXPECT_EQ(frame->dockWidgetArea(side()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(side()->width(), 210);
    // Three tabs each, placeholders until their pages exist.
    ASSERT_EQ(side()->count(), 3);
    ASSERT_EQ(bottom()->count(), 3);
    EXPECT_EQ(side()->tabs()->tabText(0), "File");
    EXPECT_EQ(bottom()->tabs()->tabText(2), "Find Result 2");
    EXPECT_EQ(side()->windowTitle(), "File");
    closeFrame();
    restartSettings();
    EXPECT_EQ(uiState("MainTabState"), 0);
    EXPECT_EQ(uiState("MainTabActive"), 0);
    EXPECT_EQ(uiState("MainTabSize"), 210);
    EXPECT_EQ(uiState("FindTabState"), 5);
    EXPECT_EQ(uiState("FindTabActive"), 0);
    EXPECT_EQ(uiState("FindTabSize"), 120);
    EXPECT_EQ(uiState("showCmd"), 1);
}

TEST_F(PanelTest, HandWrittenLayoutSurvivesTwoRunsUnchanged)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect place(screen.left() + 40, screen.top() + 30, 1000, 720);
    ini = QStringLiteral("[UISTATE]\nMainTabSize=260\nMainTabState=2\nMainTabActive=2\n"
                         "FindTabSize=150\nFindTabState=3\nFindTabActive=1\n"
                         "left=%1\ntop=%2\nright=%3\nbottom=%4\nshowCmd=1\n")
              .arg(place.left()).arg(place.top()).arg(place.left() + place.width()).arg(place.top() + place.height())
              .toUtf8();
    writeIni();
    restartSettings();
    const QStringList keys{"MainTabSize", "MainTabState", "MainTabActive", "FindTabSize", "FindTabState",
                           "FindTabActive", "left", "top", "right", "bottom", "showCmd"};
    QMap<QString, int> before;
    for (const QString& k : keys)
        before[k] = settings->ReadInt("UISTATE", k, -999);
    for (int run = 0; run < 2; ++run) {
        start();
        EXPECT_EQ(frame->geometry(), place);
        EXPECT_EQ(frame->dockWidgetArea(side()), Qt::RightDockWidgetArea);
        EXPECT_EQ(side()->width(), 260);
        EXPECT_EQ(side()->currentId(), 2);
        EXPECT_TRUE(bottom()->isVisible());
        EXPECT_EQ(frame->dockWidgetArea(bottom()), Qt::BottomDockWidgetArea);
        EXPECT_EQ(bottom()->height(), 150);
        EXPECT_EQ(bottom()->currentId(), 1);
        closeFrame();
        restartSettings();
        for (const QString& k : keys)
            EXPECT_EQ(settings->ReadInt("UISTATE", k, -999), before[k]) << k.toStdString() << " after run " << run + 1;
    }
}

TEST_F(PanelTest, HiddenAndFloatingPanelsKeepTheirSizesFromRunToRun)
{
    ini = "[UISTATE]\nMainTabSize=240\nMainTabState=5\nFindTabSize=180\nFindTabState=4\nFindTabActive=2\n";
    writeIni();
    restartSettings();
    for (int run = 0; run < 2; ++run) {
        start();
        EXPECT_FALSE(side()->isVisible());
        EXPECT_TRUE(bottom()->isFloating());
        EXPECT_EQ(bottom()->height(), 180 - 6);
        closeFrame();
        restartSettings();
        EXPECT_EQ(uiState("MainTabState"), 5);
        EXPECT_EQ(uiState("MainTabSize"), 240);
        EXPECT_EQ(uiState("FindTabState"), 4);
        EXPECT_EQ(uiState("FindTabSize"), 180);
        EXPECT_EQ(uiState("FindTabActive"), 2);
    }
    // Shown again, the hidden side panel comes back at its size.
    start();
    menu(cmd::DockFile);
    EXPECT_TRUE(side()->isVisible());
    EXPECT_EQ(side()->width(), 240);
}

TEST_F(PanelTest, BrokenValuesFallBackAndAnOffScreenWindowComesBack)
{
    ini = "[UISTATE]\nMainTabSize=-40\nMainTabState=17\nMainTabActive=9\nFindTabSize=0\nFindTabState=3\n"
          "FindTabActive=-1\nleft=40000\ntop=30000\nright=40800\nbottom=30600\nshowCmd=0\n";
    writeIni();
    restartSettings();
    start();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Within the screen, but for the window frame's few pixels.
    EXPECT_TRUE(screen.adjusted(-8, -8, 8, 8).contains(frame->geometry())) << frame->geometry().x() << "," << frame->geometry().y();
    EXPECT_EQ(frame->size(), QSize(800, 600));
    EXPECT_EQ(frame->dockWidgetArea(side()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(side()->width(), 210);
    EXPECT_EQ(side()->currentId(), 0);
    // A stored size of 0 gives the framework's default extent.
    EXPECT_EQ(bottom()->height(), 170);
    closeFrame();
    restartSettings();
    EXPECT_EQ(uiState("MainTabState"), 0);
    EXPECT_EQ(uiState("MainTabSize"), 210);
    EXPECT_EQ(uiState("MainTabActive"), 0);
    EXPECT_EQ(uiState("FindTabSize"), 170);
    EXPECT_EQ(uiState("showCmd"), 1);
    EXPECT_NEAR(uiState("left"), screen.left() + screen.width() - 800, 8);
}

TEST_F(PanelTest, DockWindowFromTheMenuTogglesButFromTheKeyOnlyShows)
{
    startActive();
    CChildFrame* c = frame->NewDocument();
    ASSERT_TRUE(c);
    c->view()->setFocus();
    // The file browser is in front: the menu item hides the panel, then shows it again.
    EXPECT_TRUE(menuChecked(cmd::DockFile));
    menu(cmd::DockFile);
    EXPECT_FALSE(side()->isVisible());
    EXPECT_FALSE(menuChecked(cmd::DockFile));
    menu(cmd::DockFile);
    EXPECT_TRUE(side()->isVisible());
    EXPECT_EQ(side()->currentId(), 0);

    // Alt+1 twice: shown, and it stays shown.
    menu(cmd::DockFile);
    ASSERT_FALSE(side()->isVisible());
    c->view()->setFocus();
    press(Qt::Key_1, Qt::AltModifier);
    EXPECT_TRUE(side()->isVisible());
    press(Qt::Key_1, Qt::AltModifier);
    EXPECT_TRUE(side()->isVisible());
    // Alt+3 brings the symbols forward; Alt+5 opens the bottom panel at Find Result 1.
    press(Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(side()->currentId(), 2);
    EXPECT_TRUE(menuChecked(cmd::DockSymbol));
    EXPECT_FALSE(menuChecked(cmd::DockFile));
    press(Qt::Key_5, Qt::AltModifier);
    EXPECT_TRUE(bottom()->isVisible());
    EXPECT_EQ(bottom()->currentId(), 1);
    EXPECT_EQ(bottom()->height(), 120);
    EXPECT_EQ(frame->dockWidgetArea(bottom()), Qt::BottomDockWidgetArea);
    // The toolbar button acts as the menu does.
    frame->commandUi()->refreshToolbar();
    EXPECT_TRUE(frame->commandUi()->toolAction(cmd::DockFindResult1)->isChecked());
    toolButton(cmd::DockFindResult1);
    EXPECT_FALSE(bottom()->isVisible());
    // Ids follow the tabs when the user reorders them.
    side()->tabs()->tabBar()->moveTab(0, 2);
    EXPECT_EQ(side()->positionOf(0), 2);
    menu(cmd::DockFile);
    EXPECT_EQ(side()->currentId(), 0);
    EXPECT_EQ(side()->currentPosition(), 2);
    EXPECT_EQ(side()->tabs()->currentWidget(), side()->page(0));
}

TEST_F(PanelTest, TogglePanelHidesAndBringsBackJustTheVisiblePanels)
{
    startActive();
    CChildFrame* c = frame->NewDocument();
    c->view()->setFocus();
    // Only the bottom panel visible: F8 hides it, F8 again shows only it.
    menu(cmd::DockFile);
    menu(cmd::DockCommand);
    ASSERT_FALSE(side()->isVisible());
    ASSERT_TRUE(bottom()->isVisible());
    press(Qt::Key_F8);
    EXPECT_FALSE(bottom()->isVisible());
    EXPECT_FALSE(side()->isVisible());
    press(Qt::Key_F8);
    EXPECT_TRUE(bottom()->isVisible());
    EXPECT_FALSE(side()->isVisible());
    // Both visible: both go and both come back, at their sizes.
    menu(cmd::DockTemplate);
    const int sideWidth = side()->width(), bottomHeight = bottom()->height();
    menu(cmd::WindowTogglePanel);
    EXPECT_FALSE(side()->isVisible());
    EXPECT_FALSE(bottom()->isVisible());
    menu(cmd::WindowTogglePanel);
    EXPECT_TRUE(side()->isVisible());
    EXPECT_TRUE(bottom()->isVisible());
    EXPECT_EQ(side()->width(), sideWidth);
    EXPECT_EQ(bottom()->height(), bottomHeight);
    // Neither visible: nothing happens, and nothing is remembered.
    side()->hide();
    bottom()->hide();
    press(Qt::Key_F8);
    press(Qt::Key_F8);
    EXPECT_FALSE(side()->isVisible());
    EXPECT_FALSE(bottom()->isVisible());
}

TEST_F(PanelTest, EscapeInADocumentHidesTheBottomPanelAndFocusesTheDocument)
{
    startActive();
    CChildFrame* c = frame->NewDocument();
    menu(cmd::DockFindResult2);
    ASSERT_TRUE(bottom()->isVisible());
    // Esc outside a document leaves the panel alone.
    bottom()->tabs()->setFocus();
    press(Qt::Key_Escape);
    EXPECT_TRUE(bottom()->isVisible());
    c->view()->setFocus();
    press(Qt::Key_Escape);
    EXPECT_FALSE(bottom()->isVisible());
    EXPECT_TRUE(side()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), c->view());
}

TEST_F(PanelTest, PagesReplaceTheirPlaceholdersInPlace)
{
    start();
    side()->tabs()->setCurrentIndex(1);
    auto* page = new QWidget;
    EXPECT_TRUE(side()->setPage(1, page));
    EXPECT_EQ(side()->page(1), page);
    EXPECT_EQ(side()->positionOf(1), 1);
    EXPECT_EQ(side()->currentId(), 1);
    EXPECT_EQ(side()->tabs()->tabText(1), "Template");
    EXPECT_FALSE(side()->setPage(7, new QWidget(frame.get())));
}

