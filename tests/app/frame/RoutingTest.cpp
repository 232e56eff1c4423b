// Commands reach the text view: keys and menu items go through the main frame, the
// document frame and on to the view; context menus, Save All, the status bar's byte
// counts and the shipped settings file.
#include "FrameFixture.h"

#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "app/commands/StatusTexts.h"
#include "TestPaths.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

// Readable failure messages for texts.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using SB = QsciScintillaBase;

struct RoutingTest : FrameFixture {
    void writeIni() override
    {
        // Syntax highlighting on; the other view options off.
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=512\n");
    }



    // A main-menu item as the user finds it: the menu opens (states are computed), the
    // item is chosen if it is enabled.
    QAction* item(const char* popupName, int id)
    {
        QMenu* menu = frame->commandUi()->popup(popupName);
        if (!menu)
            return nullptr;
        emit menu->aboutToShow();
        for (QAction* a : menu->actions())
            if (a->data().toInt() == id)
                return a;
        return nullptr;
    }
    void choose(const char* popupName, int id)
    {
        QAction* a = item(popupName, id);
        ASSERT_TRUE(a) << "no item " << id;
        ASSERT_TRUE(a->isEnabled()) << "item " << id << " is disabled";
        a->trigger();
        pump();
    }

    static long sci(CTextView* v, unsigned msg, unsigned long w = 0)
    {
        return long(v->SendScintilla(msg, w));
    }

    // The popup menu that is open now (context menus open without blocking).
    static QMenu* openPopup()
    {
        pump(10);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    static QAction* popupItem(QMenu* menu, int id)
    {
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->data().toInt() == id)
                return a;
        return nullptr;
    }
};

TEST_F(RoutingTest, EverydayKeysEditTheDocument)
{
    start();
    CTextView* v = openAndFocus("a.txt", "hello\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(v, "abc");
    EXPECT_EQ(v->text(), "hello\nabc");
    key(v, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(v->text(), "hello\n");
    key(v, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(v->text(), "hello\nabc");
    key(v, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(v, "X");
    EXPECT_EQ(v->text(), "X");
    key(v, Qt::Key_A, Qt::ControlModifier);
    key(v, Qt::Key_C, Qt::ControlModifier);
    key(v, Qt::Key_End, Qt::ControlModifier);
    key(v, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(v->text(), "XX");
    key(v, Qt::Key_A, Qt::ControlModifier);
    key(v, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(v->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "XX");
}

TEST_F(RoutingTest, EditMenuItemsReachTheView)
{
    start();
    CTextView* v = openAndFocus("e.txt", "one");
    ASSERT_TRUE(v);
    key(v, Qt::Key_End);
    QTest::keyClicks(v, " two");
    choose("menu_edit", cmd::EditUndo);
    EXPECT_EQ(v->text(), "one");
    choose("menu_edit", cmd::EditRedo);
    EXPECT_EQ(v->text(), "one two");
    choose("menu_edit", cmd::EditSelectAll);
    EXPECT_EQ(v->selectionLength(), 7);
    choose("menu_edit", cmd::EditCopy);
    EXPECT_EQ(QApplication::clipboard()->text(), "one two");
    // With everything undone, Undo is off and Redo on.
    choose("menu_edit", cmd::EditUndo);
    EXPECT_FALSE(item("menu_edit", cmd::EditUndo)->isEnabled());
    EXPECT_TRUE(item("menu_edit", cmd::EditRedo)->isEnabled());
}

TEST_F(RoutingTest, ViewTogglesChangeTheComponentAndTheirChecks)
{
    start();
    CTextView* v = openAndFocus("v.c", "int f()\n{\n\treturn 0;\n}\n");
    ASSERT_TRUE(v);
    struct Toggle {
        int id;
        unsigned msg;
        long off;
    };
    const Toggle toggles[] = {
        {cmd::ViewWordWrap, SB::SCI_GETWRAPMODE, SB::SC_WRAP_NONE},
        {cmd::ViewWhiteSpace, SB::SCI_GETVIEWWS, SB::SCWS_INVISIBLE},
        {cmd::ViewEndOfLine, SB::SCI_GETVIEWEOL, 0},
        {cmd::ViewIndentGuides, SB::SCI_GETINDENTATIONGUIDES, SB::SC_IV_NONE},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.id);
        EXPECT_FALSE(item("menu_view", t.id)->isChecked());
        EXPECT_EQ(sci(v, t.msg), t.off);
        choose("menu_view", t.id);
        EXPECT_NE(sci(v, t.msg), t.off);
        EXPECT_TRUE(item("menu_view", t.id)->isChecked());
        choose("menu_view", t.id);
        EXPECT_EQ(sci(v, t.msg), t.off);
        EXPECT_FALSE(item("menu_view", t.id)->isChecked());
    }
    // Line numbers: a margin wide enough for four digits, then none.
    EXPECT_EQ(sci(v, SB::SCI_GETMARGINWIDTHN, 0), 0);
    choose("menu_view", cmd::ViewLineNumbers);
    EXPECT_GT(sci(v, SB::SCI_GETMARGINWIDTHN, 0), 4);
    EXPECT_TRUE(item("menu_view", cmd::ViewLineNumbers)->isChecked());
    choose("menu_view", cmd::ViewLineNumbers);
    EXPECT_EQ(sci(v, SB::SCI_GETMARGINWIDTHN, 0), 0);

    // The toolbar's word-wrap button follows the view.
    choose("menu_view", cmd::ViewWordWrap);
    frame->commandUi()->refreshToolbar();
    EXPECT_TRUE(frame->commandUi()->toolAction(cmd::ViewWordWrap)->isChecked());
    frame->commandUi()->toolAction(cmd::ViewWordWrap)->trigger();
    frame->commandUi()->refreshToolbar();
    EXPECT_EQ(sci(v, SB::SCI_GETWRAPMODE), SB::SC_WRAP_NONE);
    EXPECT_FALSE(frame->commandUi()->toolAction(cmd::ViewWordWrap)->isChecked());

    // Syntax highlighting off drops the lexer; on brings the language's lexer back.
    const long lexer = sci(v, SB::SCI_GETLEXER);
    ASSERT_NE(lexer, SB::SCLEX_CONTAINER);
    EXPECT_TRUE(item("menu_view", cmd::ViewSyntax)->isChecked());
    choose("menu_view", cmd::ViewSyntax);
    EXPECT_EQ(sci(v, SB::SCI_GETLEXER), SB::SCLEX_CONTAINER);
    EXPECT_FALSE(item("menu_view", cmd::ViewSyntax)->isChecked());
    choose("menu_view", cmd::ViewSyntax);
    EXPECT_EQ(sci(v, SB::SCI_GETLEXER), lexer);
    EXPECT_TRUE(item("menu_view", cmd::ViewSyntax)->isChecked());
}

TEST_F(RoutingTest, ZoomButtonsAndDefaultZoom)
{
    start();
    CTextView* v = openAndFocus("z.txt", "zoom");
    ASSERT_TRUE(v);
    const long initial = sci(v, SB::SCI_GETZOOM);
    frame->commandUi()->toolAction(cmd::ViewZoomIn)->trigger();
    frame->commandUi()->toolAction(cmd::ViewZoomIn)->trigger();
    EXPECT_EQ(sci(v, SB::SCI_GETZOOM), initial + 2);
    choose("menu_view", cmd::ViewZoomOut);
    EXPECT_EQ(sci(v, SB::SCI_GETZOOM), initial + 1);
    choose("menu_view", cmd::ViewDefaultZoom);
    EXPECT_EQ(sci(v, SB::SCI_GETZOOM), initial);
}

TEST_F(RoutingTest, FoldKeysCollapseAndExpand)
{
    start();
    CTextView* v = openAndFocus("f.c", "int f()\n{\n\treturn 0;\n}\nint g()\n{\n\treturn 1;\n}\n");
    ASSERT_TRUE(v);
    auto visible = [&](int line) { return sci(v, SB::SCI_GETLINEVISIBLE, (unsigned long)line) != 0; };
    key(v, Qt::Key_0, Qt::ControlModifier);                          // Collapse All
    EXPECT_FALSE(visible(2));
    EXPECT_FALSE(visible(6));
    key(v, Qt::Key_ParenRight, Qt::ControlModifier | Qt::ShiftModifier);   // Expand All
    EXPECT_TRUE(visible(2));
    EXPECT_TRUE(visible(6));
    // Collapse/Expand at the caret: a line inside the block folds its header.
    v->SendScintilla(SB::SCI_GOTOLINE, 6UL);
    key(v, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_FALSE(visible(6));
    EXPECT_TRUE(visible(2));
    key(v, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(visible(6));
}

TEST_F(RoutingTest, TextContextMenuActsAndLeadsBackToAHiddenMenuBar)
{
    start();
    CTextView* v = openAndFocus("c.txt", "alpha beta");
    ASSERT_TRUE(v);
    v->resize(400, 200);
    v->setSel(0, 5);
    // A right click inside the selection keeps it.
    auto pointAt = [v](long pos) {
        return QPoint(int(v->SendScintilla(SB::SCI_POINTXFROMPOSITION, 0UL, pos)) + 1,
                      int(v->SendScintilla(SB::SCI_POINTYFROMPOSITION, 0UL, pos)) + 2);
    };
    const QPoint inside = pointAt(2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, inside, v->viewport()->mapToGlobal(inside));
    QCoreApplication::sendEvent(v->viewport(), &click);
    QMenu* menu = openPopup();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->objectName(), "context_4");
    QAction* copy = popupItem(menu, cmd::EditCopy);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_FALSE(popupItem(menu, cmd::ViewMenuBar));   // the menu bar is shown
    copy->trigger();
    menu->close();
    pump(10);
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha");

    // A right click outside the selection moves the caret there first.
    frame->OnCommand(cmd::ViewMenuBar);
    ASSERT_FALSE(frame->menuBar()->isVisible());
    const QPoint outside = pointAt(8);
    QContextMenuEvent click2(QContextMenuEvent::Mouse, outside, v->viewport()->mapToGlobal(outside));
    QCoreApplication::sendEvent(v->viewport(), &click2);
    menu = openPopup();
    ASSERT_TRUE(menu);
    EXPECT_EQ(v->selectionLength(), 0);
    EXPECT_EQ(v->currentPos(), 8);
    EXPECT_FALSE(popupItem(menu, cmd::EditCopy)->isEnabled());
    QAction* showMenuBar = popupItem(menu, cmd::ViewMenuBar);
    ASSERT_TRUE(showMenuBar);
    EXPECT_EQ(showMenuBar->text(), "Show Menubar");
    showMenuBar->trigger();
    menu->close();
    pump(10);
    EXPECT_TRUE(frame->menuBar()->isVisibleTo(frame.get()));
}

TEST_F(RoutingTest, ToolbarAndTabContextMenus)
{
    start();
    CChildFrame* a = frame->OpenFile(write("t1.txt", "1"));
    CChildFrame* b = frame->OpenFile(write("t2.txt", "2"));
    ASSERT_TRUE(a && b);
    pump(10);

    // The toolbar area's menu: the way back once the menu bar is hidden.
    frame->OnCommand(cmd::ViewMenuBar);
    QToolBar* tb = frame->commandUi()->toolBar();
    const QPoint at(tb->width() - 2, tb->height() / 2);
    QContextMenuEvent onToolbar(QContextMenuEvent::Mouse, at, tb->mapToGlobal(at));
    QCoreApplication::sendEvent(tb, &onToolbar);
    QMenu* menu = openPopup();
    ASSERT_TRUE(menu);
    QAction* menuBar = popupItem(menu, cmd::ViewMenuBar);
    QAction* toolBar = popupItem(menu, cmd::ViewToolBar);
    ASSERT_TRUE(menuBar && toolBar);
    EXPECT_FALSE(menuBar->isChecked());
    EXPECT_TRUE(toolBar->isChecked());
    menuBar->trigger();
    menu->close();
    pump(10);
    EXPECT_TRUE(frame->menuBar()->isVisibleTo(frame.get()));

    // The tab's menu acts on the document whose tab was clicked.
    auto* tabs = frame->documentArea()->findChild<QTabBar*>();
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->count(), 2);
    ASSERT_EQ(frame->activeChild(), b);
    const QPoint first = tabs->tabRect(0).center();
    QContextMenuEvent onTab(QContextMenuEvent::Mouse, first, tabs->mapToGlobal(first));
    QCoreApplication::sendEvent(tabs, &onTab);
    menu = openPopup();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->objectName(), "context_7");
    QAction* close = popupItem(menu, cmd::FileClose);
    ASSERT_TRUE(close);
    close->trigger();
    menu->close();
    pump(20);
    EXPECT_EQ(openPaths(), QStringList({files.filePath("t2.txt")}));
}

TEST_F(RoutingTest, SaveAllStopsAtACancelledSave)
{
    start();
    frame->OnCommand(cmd::FileNew);
    CChildFrame* fresh = frame->activeChild();
    const QString path = write("s.txt", "old");
    CChildFrame* named = frame->OpenFile(path);
    ASSERT_TRUE(fresh && named && fresh != named);
    fresh->textView()->addText(std::string("new text"));
    named->textView()->addText(std::string("more "));
    dialogs.answers.push_back({});   // the new document's name is not given
    frame->OnCommand(cmd::FileSaveAll);
    // Saving goes in tab order and stops at the document that was not saved.
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(read(path), QByteArray("old"));
    EXPECT_TRUE(fresh->isModified());
    EXPECT_TRUE(named->isModified());
    // Given a name, every modified document is saved.
    answerDialog({files.filePath("fresh.txt")});
    frame->OnCommand(cmd::FileSaveAll);
    EXPECT_EQ(read(files.filePath("fresh.txt")), QByteArray("new text"));
    EXPECT_EQ(read(path), QByteArray("more old"));
    EXPECT_FALSE(fresh->isModified());
    EXPECT_FALSE(named->isModified());
}

TEST_F(RoutingTest, StatusBarCountsTheBytesOfAnAnsiDocument)
{
    start();
    // "café" and "naïve" in the ANSI code page: one byte per character.
    CChildFrame* c = frame->OpenFile(write("ansi.txt", "caf\xe9 na\xefve"));
    ASSERT_TRUE(c);
    ASSERT_EQ(c->textView()->encoding(), 0);
    pump();
    QLabel* position = frame->statusPanes()->pane(1);
    QLabel* size = frame->statusPanes()->pane(2);
    EXPECT_EQ(size->text(), "10 Bytes");
    c->textView()->setSel(0, c->textView()->length());
    frame->refreshStatus();
    EXPECT_TRUE(position->text().endsWith("Sel 10")) << position->text().toStdString();
    // Typing changes the count by the bytes the file will hold.
    c->textView()->setSel(0, 0);
    frame->activateWindow();
    c->textView()->setFocus();
    QKeyEvent eacute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xc3\xa9"));
    QCoreApplication::sendEvent(c->textView(), &eacute);
    pump();
    frame->refreshStatus();
    EXPECT_EQ(size->text(), "11 Bytes");

    // A UTF-8 document counts its UTF-8 bytes.
    CChildFrame* u = frame->OpenFile(write("utf8.txt", "\xef\xbb\xbf" "caf\xc3\xa9"));
    ASSERT_TRUE(u);
    ASSERT_EQ(u->textView()->encoding(), 3);
    frame->refreshStatus();
    EXPECT_EQ(size->text(), "5 Bytes");
}

struct BaseFontMenuTest : FrameFixture {
    void writeIni() override
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        // A font list, a size with a unit, then an entry whose field name is not "font".
        f.write("[FONT]\n1=font:Courier New|monospace,size:10pt\n2=Font:Other,size:9\nCurSel=1\n");
    }
};

TEST_F(BaseFontMenuTest, EntriesReadTheDefinitionsAsTheStylesDo)
{
    start();
    QMenu* fonts = frame->commandUi()->baseFontMenu();
    ASSERT_TRUE(fonts);
    emit fonts->aboutToShow();
    QStringList labels;
    for (QAction* a : fonts->actions())
        if (a->data().toInt() >= cmd::BaseFontFirst && a->data().toInt() <= cmd::BaseFontLast)
            labels << a->text();
    EXPECT_EQ(labels, QStringList({"&1 Courier New,monospace, 10"}));
}

struct ShippedSettingsTest : FrameFixture {
    void writeIni() override
    {
        QFile::copy(testpaths::source("/dist/velmo.ini"), program.filePath("velmo.ini"));
    }
};

TEST_F(ShippedSettingsTest, FirstStartOffersABlankDocument)
{
    start();
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(frame->children()[0]->path(), "<new>");
    EXPECT_TRUE(frame->children()[0]->textView());
}

} // namespace
