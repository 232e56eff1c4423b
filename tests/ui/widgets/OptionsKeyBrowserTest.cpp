// The Key, Favorite and File Window pages, the order the Key and Tool pages store tools'
// keys in, and what Cancel and failures leave on disk.
#include "OptionsFixture.h"
#include "OptionsOpening.h"

#include "app/FileBrowserCommands.h"
#include "app/ToolCommands.h"
#include "app/commands/Accelerators.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "filebrowser/widgets/FileDocker.h"
#include "platform/SqliteDb.h"
#include "tools/ToolStore.h"
#include "ui/KeyMap.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>

using namespace options;

namespace {

struct OptionsKeyBrowserTest : OptionsFixture {
    QString keyMap() const { return data.filePath("keymap.key"); }
    QString database() const { return data.filePath("velmo.db"); }

    // Clicks the tree item reached by `path` ("File", "New"), opening the nodes above it.
    void clickNode(const QStringList& path)
    {
        auto* tree = control<QTreeWidget>(KeyPage, 122);
        ASSERT_TRUE(tree);
        QTreeWidgetItem* item = nullptr;
        for (const QString& step : path) {
            QTreeWidgetItem* next = nullptr;
            const int n = item ? item->childCount() : tree->topLevelItemCount();
            for (int i = 0; i < n && !next; ++i) {
                QTreeWidgetItem* c = item ? item->child(i) : tree->topLevelItem(i);
                if (c->text(0) == step)
                    next = c;
            }
            ASSERT_TRUE(next) << step.toStdString();
            if (item)
                item->setExpanded(true);
            item = next;
        }
        tree->scrollToItem(item);
        pump();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        pump();
        ASSERT_EQ(tree->currentItem(), item);
    }
    // Presses a chord in the "Press new shortcut" field and clicks "+".
    void addKey(Qt::Key key, Qt::KeyboardModifiers mods)
    {
        auto* field = control<QLineEdit>(KeyPage, 121);
        ASSERT_TRUE(field);
        field->setFocus();
        QTest::keyClick(field, key, mods);
        QTest::mouseClick(control<QToolButton>(KeyPage, 124), Qt::LeftButton);
        pump();
    }
    QStringList listed(int page, int id)
    {
        QStringList out;
        auto* list = control<QListWidget>(page, id);
        for (int i = 0; list && i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    std::vector<tools::ToolRecord> storedTools()
    {
        tools::ToolStore store;
        EXPECT_TRUE(store.open(database()));
        return store.load();
    }
    QAction* menuItem(int command)
    {
        for (QMenu* m : frame->menuBar()->findChildren<QMenu*>())
            for (QAction* a : m->actions())
                if (!a->isSeparator() && !a->menu() && a->data().toInt() == command)
                    return a;
        return nullptr;
    }
    // Everything the dialog may write: velmo.ini, the registry store, velmo.db and keymap.key.
    QList<QByteArray> allStores() { return stores() << read(keyMap()); }
};

bool hasEntry(const std::vector<cmd::AccelEntry>& table, int flags, int key, int command)
{
    for (const cmd::AccelEntry& e : table)
        if (e.flags == flags && e.key == key && e.cmd == command)
            return true;
    return false;
}

TEST_F(OptionsKeyBrowserTest, KeyPageBindsRefusesAndRemovesKeysAndTheFrameTakesThemOnApply)
{
    start();
    open(pageForCommand(688));
    ASSERT_EQ(dlg->currentPage(), KeyPage);
    auto* tree = control<QTreeWidget>(KeyPage, 122);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "File");
    EXPECT_FALSE(control<QLineEdit>(KeyPage, 121)->isEnabled()) << "a popup has no keys";
    EXPECT_FALSE(control<QToolButton>(KeyPage, 124)->isEnabled());

    clickNode({"File", "Open..."});
    EXPECT_TRUE(control<QLineEdit>(KeyPage, 121)->isEnabled());
    EXPECT_TRUE(control<QLineEdit>(KeyPage, 121)->hasFocus()) << "the field takes the next key";
    EXPECT_EQ(listed(KeyPage, 120), QStringList{"Ctrl+O"});

    // A key another command holds is refused with that command's menu text.
    box.shown.clear();
    addKey(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "The shortcut already used by:' &New', please input other.");
    EXPECT_TRUE(control<QLineEdit>(KeyPage, 121)->text().isEmpty());
    EXPECT_FALSE(button(100)->isEnabled());

    addKey(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(listed(KeyPage, 120), QStringList({"Ctrl+O", "Ctrl+Shift+K"}));
    EXPECT_TRUE(button(100)->isEnabled());
    // The eleventh key of one command is refused.
    const Qt::Key more[] = {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9, Qt::Key_F10, Qt::Key_F12,
                            Qt::Key_Insert};
    for (Qt::Key k : more)
        addKey(k, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(listed(KeyPage, 120).size(), 10);
    box.shown.clear();
    addKey(Qt::Key_Home, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Maximum support 10 shortcut items.");
    EXPECT_EQ(listed(KeyPage, 120).size(), 10);
    // "-" takes the selected ones away again, Ctrl+O first.
    auto* keys = control<QListWidget>(KeyPage, 120);
    for (int i = 0; i < 9; ++i) {
        keys->setCurrentRow(i == 0 ? 0 : 1);
        QTest::mouseClick(control<QToolButton>(KeyPage, 123), Qt::LeftButton);
        pump();
    }
    EXPECT_EQ(listed(KeyPage, 120), QStringList{"Ctrl+Shift+K"});

    press(100);
    const auto stored = keymap::read(keyMap());
    ASSERT_TRUE(stored);
    EXPECT_TRUE(hasEntry(*stored, 0x0D, 'K', cmd::FileOpen));
    EXPECT_FALSE(hasEntry(*stored, 0x09, 'O', cmd::FileOpen));
    EXPECT_TRUE(hasEntry(*stored, 0x09, 'N', cmd::FileNew)) << "the other keys are kept";
    EXPECT_TRUE(hasEntry(frame->keyDispatcher()->table(), 0x0D, 'K', cmd::FileOpen));
    QAction* open = menuItem(cmd::FileOpen);
    ASSERT_TRUE(open);
    EXPECT_TRUE(open->text().endsWith("\tCtrl+Shift+K")) << open->text().toStdString();
    press(1);

    // The key now opens the file dialog from the editor.
    openAndFocus("a.txt", "a");
    dialogs.requests.clear();
    key(frame->activeChild()->textView(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(OptionsKeyBrowserTest, TheShortcutFieldTakesEveryChordButEscapeAlone)
{
    start();
    open(KeyPage);
    clickNode({"File", "New"});
    auto* field = control<QLineEdit>(KeyPage, 121);
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "Ctrl+Enter");
    QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field->text(), "Ctrl+Shift+Tab");
    EXPECT_TRUE(dlg->isVisible());
    QTest::keyClick(field, Qt::Key_Escape);
    pump();
    EXPECT_FALSE(dlg->isVisible()) << "Escape alone still closes the dialog";
    EXPECT_FALSE(QFile::exists(keyMap()));
}

TEST_F(OptionsKeyBrowserTest, ToolKeysSurviveTheToolPageRenamingTheToolInTheSameSession)
{
    start();
    const std::vector<tools::ToolRecord> shipped = storedTools();
    ASSERT_GE(shipped.size(), 2u);
    auto withKey = [](const QString& keys, const char* more) { return keys.isEmpty() ? QString(more) : keys + "," + more; };
    open(KeyPage);
    // Ctrl+Alt+F9 for the first tool on the Key page, and the Tool page renames that tool.
    clickNode({"Tool", shipped[0].name});
    const int before = int(listed(KeyPage, 120).size());
    addKey(Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(int(listed(KeyPage, 120).size()), before + 1);
    select(ToolPage);
    auto* name = control<QLineEdit>(ToolPage, 1207);
    name->selectAll();
    QTest::keyClicks(name, "Renamed");
    press(100);
    std::vector<tools::ToolRecord> now = storedTools();
    ASSERT_EQ(now.size(), shipped.size());
    EXPECT_EQ(now[0].name, "Renamed");
    // Ctrl+Alt+F9: flags 0x19, key 0x78.
    EXPECT_EQ(now[0].shortcut, withKey(shipped[0].shortcut, "7864345")) << "the key stays with the renamed tool";
    const auto stored = keymap::read(keyMap());
    ASSERT_TRUE(stored);
    for (const cmd::AccelEntry& e : *stored)
        EXPECT_FALSE(e.cmd >= cmd::ToolFirst && e.cmd <= cmd::ToolLast) << "tool keys live in the tool table";
    EXPECT_TRUE(hasEntry(frame->keyDispatcher()->table(), 0x19, 0x78, cmd::ToolFirst));

    // The Key page shows the tool under its new name with its key; a further key given there
    // after the rename still reaches it.
    select(KeyPage);
    clickNode({"Tool", "Renamed"});
    EXPECT_EQ(listed(KeyPage, 120).size(), before + 1);
    EXPECT_EQ(listed(KeyPage, 120).last(), "Ctrl+Alt+F9");
    addKey(Qt::Key_F11, Qt::ControlModifier | Qt::AltModifier);
    // The Tool page moves the tool down in the same Apply.
    select(ToolPage);
    control<QListWidget>(ToolPage, 1017)->setCurrentRow(0);
    QTest::mouseClick(control<QToolButton>(ToolPage, 1108), Qt::LeftButton);
    pump();
    press(1);
    now = storedTools();
    ASSERT_EQ(now.size(), shipped.size());
    EXPECT_EQ(now[1].name, "Renamed");
    EXPECT_EQ(now[1].shortcut, withKey(shipped[0].shortcut, "7864345,7995417"));
    EXPECT_EQ(now[0].shortcut, shipped[1].shortcut);
    EXPECT_TRUE(hasEntry(frame->keyDispatcher()->table(), 0x19, 0x78, cmd::ToolFirst + 1));
    EXPECT_TRUE(hasEntry(frame->keyDispatcher()->table(), 0x19, 0x7A, cmd::ToolFirst + 1));
    EXPECT_FALSE(hasEntry(frame->keyDispatcher()->table(), 0x19, 0x78, cmd::ToolFirst));
}

TEST_F(OptionsKeyBrowserTest, FavoritePageEditsTheListAndWritesItRenumbered)
{
    withIni("[FAVORITE]\n1=/one\n2=/two\n3=/three\n");
    start();
    open(pageForCommand(690));
    ASSERT_EQ(dlg->currentPage(), FavoritePage);
    EXPECT_EQ(listed(FavoritePage, 120), QStringList({"/one", "/two", "/three"}));
    auto* path = control<QLineEdit>(FavoritePage, 123);
    EXPECT_FALSE(path->isEnabled()) << "no row selected";
    EXPECT_FALSE(control<QToolButton>(FavoritePage, 122)->isEnabled());

    auto* list = control<QListWidget>(FavoritePage, 120);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    pump();
    EXPECT_EQ(path->text(), "/two");
    EXPECT_TRUE(control<QToolButton>(FavoritePage, 1107)->isEnabled());
    QTest::mouseClick(control<QToolButton>(FavoritePage, 1106), Qt::LeftButton);   // Delete
    pump();
    EXPECT_EQ(listed(FavoritePage, 120), QStringList({"/one", "/three"}));
    EXPECT_EQ(list->currentRow(), 0) << "the first row is selected after Delete";
    EXPECT_FALSE(control<QToolButton>(FavoritePage, 1107)->isEnabled()) << "the first row does not move up";

    QTest::mouseClick(control<QToolButton>(FavoritePage, 1105), Qt::LeftButton);   // New
    pump();
    EXPECT_EQ(path->text(), "<New Favorite Path>");
    EXPECT_TRUE(path->hasFocus());
    QTest::keyClicks(path, files.path());
    EXPECT_EQ(list->currentItem()->text(), files.path()) << "the row follows the typing";
    QTest::mouseClick(control<QToolButton>(FavoritePage, 1107), Qt::LeftButton);   // Move Up
    pump();
    EXPECT_FALSE(control<QToolButton>(FavoritePage, 1108)->isEnabled() && list->currentRow() == 2);
    press(100);
    EXPECT_EQ(ProfileFile(ini()).readSection("FAVORITE"),
              QStringList({"1=/one", "2=" + files.path(), "3=/three"}));

    // The panel's favourites menu follows.
    filebrowser::CFileDocker* docker = frame->fileCommands()->docker();
    emit docker->favoritesMenu()->aboutToShow();
    QStringList labels;
    for (QAction* a : docker->favoritesMenu()->actions())
        if (!a->isSeparator())
            labels << a->text();
    EXPECT_EQ(labels.size(), 4) << labels.join('|').toStdString();
}

TEST_F(OptionsKeyBrowserTest, FileWindowPageStoresTheListsAndFiltersAndThePanelFollows)
{
    withIni("[EDITOR]\nEditorMask=2\n[FILEVIEW]\nWhiteList=*.c;*.h\nBlackList=*.exe\n"
            "[FILTER]\nAll File(*.*)|*.*\nC Files(*.c)|*.c\n[USER]\nUSER=me\n");
    start();
    open(pageForCommand(692));
    ASSERT_EQ(dlg->currentPage(), FileWindowPage);
    auto* white = control<QRadioButton>(FileWindowPage, 101);
    auto* black = control<QRadioButton>(FileWindowPage, 102);
    EXPECT_TRUE(white->isChecked());
    EXPECT_EQ(control<QLineEdit>(FileWindowPage, 110)->text(), "*.c;*.h");
    EXPECT_EQ(control<QLineEdit>(FileWindowPage, 111)->text(), "*.exe");
    EXPECT_EQ(control<QLineEdit>(FileWindowPage, 110)->maxLength(), 255);
    auto* filters = control<QPlainTextEdit>(FileWindowPage, 112);
    EXPECT_EQ(filters->toPlainText(), "All File(*.*)|*.*\nC Files(*.c)|*.c");
    EXPECT_FALSE(button(100)->isEnabled());

    clickBox(black);
    auto* blackList = control<QLineEdit>(FileWindowPage, 111);
    blackList->selectAll();
    QTest::keyClicks(blackList, "*.exe;*.dll");
    filters->setFocus();
    filters->moveCursor(QTextCursor::End);
    QTest::keyClick(filters, Qt::Key_Return);
    QTest::keyClicks(filters, "Text(*.txt)|*.txt");
    press(100);
    EXPECT_EQ(iniString("FILEVIEW", "BlackList"), "*.exe;*.dll");
    EXPECT_EQ(iniString("FILEVIEW", "WhiteList"), "*.c;*.h");
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), 2u | filebrowser::kBlackListBit);
    EXPECT_EQ(ProfileFile(ini()).readSection("FILTER"),
              QStringList({"All File(*.*)|*.*", "C Files(*.c)|*.c", "Text(*.txt)|*.txt"}));
    EXPECT_EQ(iniString("USER", "USER"), "me") << "the sections around stay";
    EXPECT_EQ(settings->editorMask, 2u | filebrowser::kBlackListBit);
    EXPECT_EQ(settings->fileViewList, "*.exe;*.dll");
    QComboBox* filterBox = frame->fileCommands()->docker()->filterBox();
    EXPECT_EQ(filterBox->count(), 3) << "the panel's filter box takes the new entries";

    // A later page keeps bit 29: the General page writes the whole word.
    select(GeneralPage);
    clickBox(control<QCheckBox>(GeneralPage, 100));
    press(1);
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), 3u | filebrowser::kBlackListBit);
}

TEST_F(OptionsKeyBrowserTest, FilePanelButtonsOpenTheirPages)
{
    start();
    filebrowser::CFileDocker* docker = frame->fileCommands()->docker();
    QToolButton* options = docker->button(filebrowser::CFileDocker::IdOptions);
    ASSERT_TRUE(options);
    EXPECT_EQ(optionsPageOpenedBy([&] { options->click(); }), FileWindowPage);
    emit docker->favoritesMenu()->aboutToShow();
    QAction* organize = nullptr;
    for (QAction* a : docker->favoritesMenu()->actions())
        if (a->data().toInt() == filebrowser::CFileDocker::IdOrganize)
            organize = a;
    ASSERT_TRUE(organize);
    EXPECT_EQ(optionsPageOpenedBy([&] { organize->trigger(); }), FavoritePage);
}

TEST_F(OptionsKeyBrowserTest, CancelAfterChangingEveryPageLeavesEveryFileAsItWas)
{
    withIni("[EDITOR]\nEditorMask=0\n[FAVORITE]\n1=/one\n[FILTER]\nAll File(*.*)|*.*\n");
    start();
    frame->addToRecent(write("a.txt", "a"));   // the registry store exists
    pump();
    open(KeyPage);
    clickNode({"File", "New"});
    addKey(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    press(100);   // keymap.key exists
    const QList<QByteArray> before = allStores();
    for (const QByteArray& b : before)
        ASSERT_FALSE(b.isEmpty());

    clickNode({"Edit", "Undo"});
    addKey(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    clickNode({"Tool", storedTools()[0].name});
    addKey(Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);
    clickBox(shown<QCheckBox>(GeneralPage, 102));
    type(control<QSpinBox>(GeneralPage, 120), 5);
    shown<QComboBox>(DocumentPage, 121)->setCurrentIndex(4);
    clickBox(shown<QCheckBox>(EditPage, 102));
    clickBox(shown<QCheckBox>(FontPage, 107));
    pick(shown<CColorButton>(ColorPage, 121), "color13");
    select(FavoritePage);
    QTest::mouseClick(control<QToolButton>(FavoritePage, 1105), Qt::LeftButton);
    QTest::keyClicks(shown<QLineEdit>(MacroPage, 120), "x");
    QTest::mouseClick(shown<QToolButton>(ToolPage, 1105), Qt::LeftButton);
    select(MuiPage);
    if (auto* languages = dlg->page(MuiPage)->window()->findChild<QListWidget*>("languages"); languages && languages->count() > 1)
        languages->setCurrentRow(1);
    clickBox(shown<QCheckBox>(UpdatePage, 100));
    clickBox(shown<QRadioButton>(FileWindowPage, 102));
    QTest::keyClicks(control<QPlainTextEdit>(FileWindowPage, 112), "X|*.x");
    EXPECT_TRUE(button(100)->isEnabled());
    press(2);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(allStores(), before);
    EXPECT_EQ(settings->editorMask, 0u);
}

TEST_F(OptionsKeyBrowserTest, AReadOnlyIniOrKeyMapFailsOnlyItsPagesAndWritesNothingHalf)
{
    withIni("[EDITOR]\nEditorMask=0\n[FAVORITE]\n1=/one\n");
    start();
    open(FileWindowPage);
    clickBox(control<QRadioButton>(FileWindowPage, 102));
    select(FavoritePage);
    QTest::mouseClick(control<QToolButton>(FavoritePage, 1105), Qt::LeftButton);
    select(KeyPage);
    clickNode({"File", "New"});
    addKey(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    const QByteArray iniBefore = read(ini());
    ASSERT_EQ(::chmod(QFile::encodeName(ini()).constData(), 0444), 0);
    box.shown.clear();
    press(100);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains("File Window"));
    EXPECT_TRUE(box.shown[0].text.contains("Favorite"));
    EXPECT_FALSE(box.shown[0].text.contains("\"Key\""));
    EXPECT_EQ(read(ini()), iniBefore);
    EXPECT_EQ(settings->editorMask, 0u) << "the list in force did not change";
    ASSERT_TRUE(keymap::read(keyMap()));
    EXPECT_TRUE(hasEntry(*keymap::read(keyMap()), 0x0D, 'K', cmd::FileNew)) << "the Key page still applied";
    ASSERT_EQ(::chmod(QFile::encodeName(ini()).constData(), 0644), 0);

    // Now keymap.key is read-only: the Key page fails alone.
    const QByteArray keysBefore = read(keyMap());
    ASSERT_EQ(::chmod(QFile::encodeName(keyMap()).constData(), 0444), 0);
    select(KeyPage);
    clickNode({"File", "Save"});
    addKey(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    box.shown.clear();
    press(100);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains("\"Key\""));
    EXPECT_FALSE(box.shown[0].text.contains("Favorite"));
    EXPECT_EQ(read(keyMap()), keysBefore);
    EXPECT_FALSE(hasEntry(frame->keyDispatcher()->table(), 0x0D, 'J', cmd::FileSave));
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), filebrowser::kBlackListBit);
    EXPECT_EQ(ProfileFile(ini()).readSection("FAVORITE"), QStringList({"1=/one", "2=<New Favorite Path>"}));
    ASSERT_EQ(::chmod(QFile::encodeName(keyMap()).constData(), 0644), 0);
}

TEST_F(OptionsKeyBrowserTest, ALockedDatabaseFailsTheToolKeysWithoutTouchingKeyMap)
{
    withIni("[EDITOR]\nEditorMask=0\n");
    start();
    const std::vector<tools::ToolRecord> shipped = storedTools();
    ASSERT_FALSE(shipped.empty());
    SqliteDb other;
    ASSERT_TRUE(other.open(database(), 0));
    ASSERT_TRUE(other.exec("BEGIN EXCLUSIVE"));

    // Keys of menu commands alone do not need velmo.db.
    open(KeyPage);
    clickNode({"File", "New"});
    addKey(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    box.shown.clear();
    press(100);
    EXPECT_TRUE(box.shown.empty());
    ASSERT_TRUE(keymap::read(keyMap()));
    EXPECT_TRUE(hasEntry(*keymap::read(keyMap()), 0x0D, 'K', cmd::FileNew));
    const QByteArray keysBefore = read(keyMap());

    // A tool's key does: with the database locked the page stores nothing at all.
    clickNode({"Tool", shipped[0].name});
    addKey(Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);
    clickNode({"File", "Save"});
    addKey(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    clickBox(shown<QCheckBox>(GeneralPage, 100));
    press(100);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains("\"Key\"")) << box.shown[0].text.toStdString();
    EXPECT_EQ(read(keyMap()), keysBefore) << "the key map is not written without the tools' keys";
    EXPECT_FALSE(hasEntry(frame->keyDispatcher()->table(), 0x0D, 'J', cmd::FileSave));
    EXPECT_EQ(iniInt("EDITOR", "EditorMask"), 1) << "the General page applied";
    other.exec("ROLLBACK");
    other.close();

    press(1);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(storedTools()[0].shortcut.endsWith("7864345"));
    EXPECT_TRUE(hasEntry(*keymap::read(keyMap()), 0x0D, 'J', cmd::FileSave));
    EXPECT_TRUE(hasEntry(frame->keyDispatcher()->table(), 0x19, 0x78, cmd::ToolFirst));
}

} // namespace
