// The menus and the toolbar built from the command model: structure, texts, states.
#include "TestSupport.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "app/commands/MenuModel.h"
#include "app/commands/ToolbarIcons.h"
#include "platform/Texts.h"

#include <QMainWindow>
#include <QMap>
#include <QEventLoop>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <set>

using namespace cmd;

namespace {

// The menu's items as text: command ids, "-" for separators, "[name]" for popups.
QStringList layoutOf(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            out << QStringLiteral("-");
        else if (a->menu())
            out << QLatin1Char('[') + a->menu()->objectName() + QLatin1Char(']');
        else
            out << QString::number(a->data().toInt());
    }
    return out;
}

void collectIds(const std::vector<MenuItem>& items, std::multiset<int>& ids)
{
    for (const MenuItem& m : items) {
        if (m.kind == MenuItem::Kind::Command)
            ids.insert(m.id);
        else if (m.kind == MenuItem::Kind::Popup)
            collectIds(m.items, ids);
    }
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        window = std::make_unique<QMainWindow>();
        ui = new CommandUi(window.get());
        window->setMenuBar(ui->createMenuBar(window.get()));
        window->addToolBar(ui->createToolBar(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        texts::setProvider({});
    }
    std::unique_ptr<QMainWindow> window;
    CommandUi* ui = nullptr;
};

} // namespace

TEST(CommandModel, EveryMenuCommandIsInTheTableAndEveryTableCommandHasItsMenu)
{
    int previous = 0;
    for (const CommandInfo& c : commands()) {
        EXPECT_GT(c.id, previous) << "the table must stay sorted for lookups";
        previous = c.id;
        // Every help string carries a tooltip after its line break.
        EXPECT_NE(std::string(c.prompt).find('\n'), std::string::npos) << c.id;
    }
    std::multiset<int> ids;
    collectIds(mainMenu(), ids);
    for (int id : ids)
        EXPECT_NE(find(id), nullptr) << id;
    for (const CommandInfo& c : commands()) {
        if (c.menu != Menu::None)
            EXPECT_EQ(ids.count(c.id), 1u) << "command " << c.id << " must be in the main menu once";
        else
            EXPECT_EQ(ids.count(c.id), 0u) << c.id;
    }
    for (int menuId : {4, 7, 8, 10}) {
        std::multiset<int> ctx;
        collectIds(contextMenu(menuId), ctx);
        EXPECT_FALSE(ctx.empty());
        for (int id : ctx)
            EXPECT_NE(find(id), nullptr) << id;
    }
    for (int id : toolbarButtons()) {
        if (id) {
            EXPECT_NE(find(id), nullptr) << id;
        }
    }
    // Routes: clipboard commands at the frame, path copies at the document, the rest of
    // the dynamic ranges at the frame.
    EXPECT_EQ(routeOf(202), Route::Frame);
    EXPECT_EQ(routeOf(231), Route::Document);
    EXPECT_EQ(routeOf(117), Route::View);
    EXPECT_EQ(routeOf(603), Route::Frame);
    EXPECT_EQ(routeOf(57617), Route::Frame);
}

TEST_F(MenuTest, MenuBarHoldsThePopupsInOrderWithCommandActionsAndNoInstalledShortcuts)
{
    QStringList captions;
    for (QAction* a : window->menuBar()->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"&File", "&Edit", "&View", "&Search", "&Document", "&Tool", "&Language",
                                     "&Window", "&Help"}));
    EXPECT_EQ(layoutOf(ui->popup("menu_window")),
              QStringList({"800", "801", "-", "802", "803", "[menu_dock_window]", "-", "810", "811", "812", "813"}));
    EXPECT_EQ(layoutOf(ui->popup("menu_language")), QStringList({"700"}));

    for (QAction* a : window->findChildren<QAction*>()) {
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
        if (!a->isSeparator() && !a->menu() && a->data().isValid()) {
            EXPECT_EQ(a->objectName(), QStringLiteral("cmd_%1").arg(a->data().toInt()));
        }
    }
    // Keys are shown after a tab; a command bound twice shows its last key.
    EXPECT_EQ(ui->menuAction(100)->text(), QStringLiteral("&New\tCtrl+N"));
    EXPECT_EQ(ui->menuAction(316)->text(), QStringLiteral("E&xpand All\tCtrl+Shift+0"));
    EXPECT_EQ(ui->menuAction(401)->text(), QStringLiteral("&Replace...\tCtrl+H"));
    EXPECT_EQ(ui->menuAction(104)->text(), QStringLiteral("Close O&ther"));
    EXPECT_EQ(ui->menuAction(681)->text(), QStringLiteral("&Monitor Clipborad"));

    // A new key map replaces the texts: the old key disappears.
    AccelEntry e;
    ASSERT_TRUE(parseShortcut("Ctrl+Shift+K", e));
    e.cmd = 104;
    ui->setShortcutTexts({e});
    EXPECT_EQ(ui->menuAction(104)->text(), QStringLiteral("Close O&ther\tCtrl+Shift+K"));
    EXPECT_EQ(ui->menuAction(100)->text(), QStringLiteral("&New"));
}

TEST_F(MenuTest, TranslatedLabelsAndHelpStringsAreUsed)
{
    window.reset();
    texts::setProvider([](texts::Kind kind, int id) -> QString {
        if (kind == texts::Kind::Menu && id == 100)
            return QStringLiteral("&Neu");
        if (kind == texts::Kind::Menu && id == -1)
            return QStringLiteral("&Datei");
        if (kind == texts::Kind::String && id == 100)
            return QStringLiteral("Ein neues Dokument\nNeu");
        return {};
    });
    window = std::make_unique<QMainWindow>();
    ui = new CommandUi(window.get());
    window->setMenuBar(ui->createMenuBar(window.get()));
    window->addToolBar(ui->createToolBar(window.get()));
    EXPECT_EQ(window->menuBar()->actions().first()->text(), QStringLiteral("&Datei"));
    EXPECT_EQ(ui->menuAction(100)->text(), QStringLiteral("&Neu\tCtrl+N"));
    EXPECT_EQ(ui->menuAction(100)->statusTip(), QStringLiteral("Ein neues Dokument"));
    EXPECT_EQ(ui->toolAction(100)->toolTip(), QStringLiteral("Neu"));
}

TEST_F(MenuTest, ToolbarFollowsTheButtonOrderWithTooltipsIconsAndAFontDropDown)
{
    QToolBar* tb = ui->toolBar();
    QStringList layout;
    for (QAction* a : tb->actions())
        layout << (a->isSeparator() ? QStringLiteral("|") : QString::number(a->data().toInt()));
    EXPECT_EQ(layout.join(' '), QStringLiteral("100 101 106 108 117 | 200 201 | 202 203 204 205 | 400 401 406 | "
                                               "338 311 312 | 306 309 | 804 805 806 807 808 809 | 686 304 820"));
    for (QAction* a : tb->actions()) {
        if (a->isSeparator())
            continue;
        const int id = a->data().toInt();
        EXPECT_FALSE(a->toolTip().isEmpty()) << id;
        // No button is ever blank: the shipped image is there even without a theme.
        EXPECT_FALSE(a->icon().pixmap(16, 16).isNull()) << id;
    }
    EXPECT_EQ(ui->toolAction(100)->toolTip(), QStringLiteral("New"));
    auto* fontButton = qobject_cast<QToolButton*>(tb->widgetForAction(ui->toolAction(338)));
    ASSERT_NE(fontButton, nullptr);
    EXPECT_EQ(fontButton->popupMode(), QToolButton::InstantPopup);
    EXPECT_EQ(ui->toolAction(338)->menu(), ui->baseFontMenu());
}

TEST_F(MenuTest, BaseFontMenuListsDefinitionsUpToTheFirstGap)
{
    QMap<QString, QString> font{{"1", "font:Courier New,size:10"},
                                {"2", "font:Consolas,back:#CCE8CF"},
                                {"4", "font:Lucida Console,size:9"},
                                {"CurSel", "2"}};
    ui->setFontKeyReader([&](const QString& key) { return font.value(key); });
    ui->rebuildBaseFontMenu();
    QMenu* m = ui->baseFontMenu();
    QStringList texts;
    for (QAction* a : m->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, QStringList({"&1 Courier New, 10", "&2 Consolas", "-", "Change Font/Color..."}));
    EXPECT_FALSE(m->actions()[0]->isChecked());
    EXPECT_TRUE(m->actions()[1]->isChecked());
    std::vector<int> fired;
    QObject::connect(ui, &CommandUi::command, [&](int id, bool) { fired.push_back(id); });
    m->actions()[1]->trigger();
    m->actions()[3]->trigger();
    EXPECT_EQ(fired, (std::vector<int>{827, 689}));
}

TEST_F(MenuTest, OpeningAMenuAppliesTheStatesAndRebuildsTheDocumentList)
{
    UiSnapshot s;
    ui->setSnapshotProvider([&] { return s; });

    // No document: the Window list is empty, Next is disabled.
    emit ui->popup("menu_window")->aboutToShow();
    EXPECT_FALSE(ui->menuAction(800)->isEnabled());
    EXPECT_EQ(ui->popup("menu_window")->actions().size(), 11);

    s.doc = UiSnapshot::Doc::Text;
    s.documentPaths = {"/src/a.cpp", "<new>", "/src/b.h"};
    s.documentCount = 3;
    s.activeDocument = 1;
    s.sidePanelVisible = true;
    s.sidePanelTab = 2;
    emit ui->popup("menu_window")->aboutToShow();
    EXPECT_TRUE(ui->menuAction(800)->isEnabled());
    QStringList items;
    for (QAction* a : ui->popup("menu_window")->actions().mid(11))
        items << (a->isSeparator() ? QStringLiteral("-")
                                   : QStringLiteral("%1 %2%3").arg(a->data().toInt()).arg(a->text(),
                                                                   a->isChecked() ? "*" : ""));
    EXPECT_EQ(items, QStringList({"-", "837 a.cpp", "838 <new>*", "839 b.h"}));
    // Nested popups get their states with the top-level menu.
    EXPECT_TRUE(ui->menuAction(806)->isChecked());
    EXPECT_FALSE(ui->menuAction(804)->isChecked());

    // Reopening with fewer documents replaces the list.
    s.documentPaths = {"/src/a.cpp"};
    s.activeDocument = 0;
    emit ui->popup("menu_window")->aboutToShow();
    EXPECT_EQ(ui->popup("menu_window")->actions().size(), 13);

    // The File menu of a modified document.
    s.modified = true;
    emit ui->popup("menu_file")->aboutToShow();
    EXPECT_TRUE(ui->menuAction(106)->isEnabled());
    s.modified = false;
    emit ui->popup("menu_file")->aboutToShow();
    EXPECT_FALSE(ui->menuAction(106)->isEnabled());
    EXPECT_TRUE(ui->menuAction(107)->isEnabled());

    // Toolbar states come from the same snapshot when refreshed.
    s.hasSelection = true;
    ui->refreshToolbar();
    EXPECT_TRUE(ui->toolAction(202)->isEnabled());
    s.hasSelection = false;
    ui->refreshToolbar();
    EXPECT_FALSE(ui->toolAction(202)->isEnabled());

    // Idle refresh: the toolbar follows as soon as the event loop has nothing to do.
    auto runLoop = [] {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    };
    ui->setIdleRefresh(true);
    s.hasSelection = true;
    runLoop();
    EXPECT_TRUE(ui->toolAction(202)->isEnabled());
    ui->setIdleRefresh(false);
    s.hasSelection = false;
    runLoop();
    EXPECT_TRUE(ui->toolAction(202)->isEnabled());
}

TEST_F(MenuTest, ContextMenusCarryTheirCommandsAndStates)
{
    QMenu* tab = ui->createContextMenu(DocumentTabMenu, window.get());
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(layoutOf(tab), QStringList({"103", "104", "105", "-", "685", "-", "106", "107"}));
    QMenu* bar = ui->createContextMenu(ToolbarAreaMenu, window.get());
    EXPECT_EQ(bar->actions()[1]->text(), QStringLiteral("&Tool Bar"));
    EXPECT_EQ(ui->createContextMenu(5, window.get()), nullptr);

    UiSnapshot s;
    s.toolBarVisible = false;
    ui->setSnapshotProvider([&] { return s; });
    emit bar->aboutToShow();
    EXPECT_TRUE(bar->actions()[0]->isChecked());
    EXPECT_FALSE(bar->actions()[1]->isChecked());

    int fired = 0;
    QObject::connect(ui, &CommandUi::command, [&](int id, bool accel) {
        EXPECT_FALSE(accel);
        fired = id;
    });
    tab->actions()[4]->trigger();
    EXPECT_EQ(fired, 685);
}
