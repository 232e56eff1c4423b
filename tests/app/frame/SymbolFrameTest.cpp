// The symbol panel and the symbol search in a real main frame, with the real tagger:
// trees filled on open, after a save and on coming back to a changed document; clicks and
// the context menu on the panel; F6 and the dialog's keys; a missing tagger.
#include "SymbolFixture.h"

#include "app/FrameShell.h"
#include "app/commands/CommandTable.h"
#include "framework/widgets/PanelHost.h"
#include "symbols/widgets/JumpToDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>

namespace {

using SB = QsciScintillaBase;
using symbols::CFunctionDocker;
using symbols::CJumpToDialog;
using symbols::CTagsTreeCtrl;

QByteArray cppSource()
{
    QByteArray s = "#include <cstdio>\n"               // 1
                   "#define LIMIT 10\n"                // 2
                   "namespace geo {\n"                 // 3
                   "class Shape {\n"                   // 4
                   "public:\n"                         // 5
                   "    int sides;\n"                  // 6
                   "    void draw();\n"                // 7
                   "};\n"                              // 8
                   "}\n";                              // 9
    for (int i = 10; i < 80; ++i)
        s += "// filler line\n";
    s += "void geo::Shape::draw() {}\n"                // 80
         "int helper(int a) { return a; }\n"           // 81
         "int main() { return helper(LIMIT); }\n";     // 82
    for (int i = 83; i < 200; ++i)
        s += "// more filler\n";
    return s;
}

struct SymbolFrameTest : SymbolFixture {
    CTagsTreeCtrl* tree(CChildFrame* c) { return docker()->tree(c); }

    // Waits until every run has ended and been shown.
    bool settle() { return pumpUntil([this] { return !docker()->busy(); }, 15000); }

    QStringList texts(CTagsTreeCtrl* t, const QModelIndex& parent = QModelIndex())
    {
        QStringList out;
        for (int r = 0; r < t->model()->rowCount(parent); ++r)
            out << t->model()->index(r, 0, parent).data().toString();
        return out;
    }
    QModelIndex entry(CTagsTreeCtrl* t, const QString& text) { return t->symbols()->findText(text); }

    // The user shows the symbol panel with its key.
    void showPanel(QWidget* focus)
    {
        key(focus, Qt::Key_3, Qt::AltModifier);
        ASSERT_TRUE(docker()->isVisible());
    }
    void click(CTagsTreeCtrl* t, const QModelIndex& at, Qt::MouseButton button = Qt::LeftButton)
    {
        t->scrollTo(at);
        QTest::mouseClick(t->viewport(), button, Qt::NoModifier, t->visualRect(at).center());
        pump();
    }
    void refocus(CTextView* v)
    {
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame.get()))
            ADD_FAILURE() << "the frame did not become active";
        v->setFocus();
        pump(10);
    }
    static long caretLine(CTextView* v) { return v->lineFromPosition(v->currentPos()) + 1; }
    // An edit of the document (the keys that make it are not what is tested here).
    static void insertAtTop(CTextView* v, const char* text)
    {
        v->SendScintilla(SB::SCI_INSERTTEXT, 0ul, text);
        pump();
    }
};

TEST_F(SymbolFrameTest, OpenFillsThePanelAndAClickJumpsWithContext)
{
    start();
    CTextView* v = openAndFocus("shapes.cpp", cppSource());
    ASSERT_TRUE(v);
    CChildFrame* c = frame->activeChild();
    showPanel(v);
    auto* side = frame->shell()->panels()->panel(framework::PanelHost::Side);
    EXPECT_EQ(side->page(2), docker());
    ASSERT_TRUE(settle());
    CTagsTreeCtrl* t = tree(c);
    ASSERT_TRUE(t);
    EXPECT_EQ(docker()->currentTree(), t);
    // By line at first, scopes shown as "scope::name".
    EXPECT_EQ(texts(t), QStringList({"LIMIT", "geo", "Shape", "geo::Shape::sides", "geo::Shape::draw", "helper", "main"}));

    click(t, entry(t, "helper"));
    EXPECT_EQ(caretLine(v), 81);
    EXPECT_EQ(v->firstVisibleLine(), 78);   // the line is the third visible one
    EXPECT_TRUE(v->hasFocus());
}

TEST_F(SymbolFrameTest, ContextMenuArrangesByTypeAndByName)
{
    start();
    CTextView* v = openAndFocus("shapes.cpp", cppSource());
    ASSERT_TRUE(v);
    showPanel(v);
    ASSERT_TRUE(settle());
    CTagsTreeCtrl* t = tree(frame->activeChild());

    QMenu* m = openMenu(t);
    ASSERT_TRUE(m);
    EXPECT_TRUE(action(m, CFunctionDocker::ByLine)->isChecked());
    choose(m, CFunctionDocker::ByType);
    ASSERT_TRUE(settle());
    // Each entry follows the first one of its kind; members sit under their scope.
    EXPECT_EQ(texts(t), QStringList({"LIMIT", "Shape", "geo::Shape", "geo", "helper", "main"}));
    const QModelIndex group = t->model()->index(2, 0);
    EXPECT_EQ(texts(t, group), QStringList({"draw", "sides"}));
    EXPECT_TRUE(t->isExpanded(group));
    // A group does not move the caret.
    const long before = v->currentPos();
    click(t, group);
    EXPECT_EQ(v->currentPos(), before);

    m = openMenu(t);
    EXPECT_TRUE(action(m, CFunctionDocker::ByType)->isChecked());
    choose(m, CFunctionDocker::CollapseAll);
    EXPECT_FALSE(t->isExpanded(t->model()->index(2, 0)));

    m = openMenu(t);
    choose(m, CFunctionDocker::ByName);
    ASSERT_TRUE(settle());
    EXPECT_EQ(texts(t), QStringList({"geo", "geo::Shape::draw", "geo::Shape::sides", "helper", "LIMIT", "main", "Shape"}));
}

TEST_F(SymbolFrameTest, SaveRebuildsKeepingTheSelectionAndChangesShowOnReturn)
{
    start();
    CTextView* v = openAndFocus("shapes.cpp", cppSource());
    ASSERT_TRUE(v);
    CChildFrame* a = frame->activeChild();
    showPanel(v);
    ASSERT_TRUE(settle());
    CTagsTreeCtrl* t = tree(a);
    click(t, entry(t, "main"));

    // A new line at the top, saved with Ctrl+S: the tree follows, "main" stays selected.
    insertAtTop(v, "int first;\n\n");
    key(v, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(settle());
    EXPECT_EQ(texts(t).first(), "first");
    ASSERT_TRUE(t->currentIndex().isValid());
    EXPECT_EQ(t->currentIndex().data().toString(), "main");
    EXPECT_EQ(t->symbols()->lineOf(t->currentIndex()), 84);

    // Unsaved changes are tagged from the screen when the document comes back to the front.
    insertAtTop(v, "int unsavedOne;\n");
    CTextView* w = openAndFocus("other.py", "def elsewhere():\n    pass\n");
    ASSERT_TRUE(w);
    CChildFrame* b = frame->activeChild();
    ASSERT_TRUE(settle());
    EXPECT_EQ(texts(docker()->currentTree()), QStringList({"elsewhere"}));
    frame->activateChild(a);
    pump();
    ASSERT_TRUE(settle());
    EXPECT_EQ(docker()->currentTree(), t);
    EXPECT_EQ(texts(t).first(), "unsavedOne");
    EXPECT_TRUE(a->isModified());
    EXPECT_FALSE(read(a->path()).contains("unsavedOne"));

    // Closing a document takes its tree away.
    frame->activateChild(b);
    frame->OnCommand(cmd::FileClose);
    pump(10);
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(docker()->treeCount(), 1);
}

TEST_F(SymbolFrameTest, F6SearchesTypesSelectsAndJumps)
{
    start();
    CTextView* v = openAndFocus("shapes.cpp", cppSource());
    ASSERT_TRUE(v);
    key(v, Qt::Key_F6);
    CJumpToDialog* d = frame->symbolCommands()->dialog();
    ASSERT_TRUE(d);
    ASSERT_TRUE(d->isVisible());
    EXPECT_TRUE(d->isModal());
    ASSERT_TRUE(pumpUntil([d] { return !d->tagging(); }, 15000));
    pump();
    QTableView* list = d->list();
    ASSERT_GE(list->model()->rowCount(), 7);
    EXPECT_EQ(d->selectedRow(), 0);
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "Class");
    // Typing the full name of the first tag selects row 0.
    const QString first = d->symbols()->tagAt(0);
    QTest::keyClicks(d->edit(), first);
    EXPECT_EQ(d->selectedRow(), 0);
    d->edit()->clear();
    QTest::keyClicks(d->edit(), "HEL");
    const int helperRow = d->selectedRow();
    ASSERT_GE(helperRow, 0);
    EXPECT_EQ(d->symbols()->tagAt(helperRow), "helper");
    QTest::keyClicks(d->edit(), "zz");   // no match: the selection stays
    EXPECT_EQ(d->selectedRow(), helperRow);
    key(d->edit(), Qt::Key_Down);
    EXPECT_EQ(d->selectedRow(), helperRow + 1);
    key(d->edit(), Qt::Key_Up);
    key(d->edit(), Qt::Key_Up);
    EXPECT_EQ(d->selectedRow(), helperRow - 1);
    for (int i = 0; i < 20; ++i)
        key(d->edit(), Qt::Key_Up);
    EXPECT_EQ(d->selectedRow(), 0);
    d->edit()->clear();
    QTest::keyClicks(d->edit(), "main");
    key(d->edit(), Qt::Key_Return);
    pump();
    EXPECT_FALSE(frame->symbolCommands()->dialog());
    EXPECT_EQ(caretLine(v), 82);

    // Escape closes without moving; the panel's menu item opens the dialog too.
    refocus(v);
    key(v, Qt::Key_F6);
    d = frame->symbolCommands()->dialog();
    ASSERT_TRUE(d);
    ASSERT_TRUE(pumpUntil([d] { return !d->tagging(); }, 15000));
    key(d->edit(), Qt::Key_Escape);
    pump();
    EXPECT_FALSE(frame->symbolCommands()->dialog());
    EXPECT_EQ(caretLine(v), 82);

    refocus(v);
    showPanel(v);
    ASSERT_TRUE(settle());
    choose(openMenu(tree(frame->activeChild())), CFunctionDocker::SearchSymbols);
    ASSERT_TRUE(frame->symbolCommands()->dialog());
    frame->symbolCommands()->dialog()->reject();
}

TEST_F(SymbolFrameTest, MissingTaggerLeavesTheTreeEmptyAndSaysSo)
{
    QTemporaryDir empty;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(empty.path()));
    start();
    CTextView* v = openAndFocus("shapes.cpp", cppSource());
    ASSERT_TRUE(v);
    showPanel(v);
    ASSERT_TRUE(settle());
    qputenv("PATH", path);
    CTagsTreeCtrl* t = tree(frame->activeChild());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->model()->rowCount(), 0);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Failure to parse.");
    QMenu* m = openMenu(t);
    ASSERT_TRUE(m);
    for (QAction* a : m->actions())
        EXPECT_FALSE(a->isEnabled() && !a->isSeparator()) << a->text().toStdString();
    m->close();
}

TEST_F(SymbolFrameTest, NewDocumentsHaveNoTreeUntilSavedAndHexViewsNone)
{
    start();
    frame->OnCommand(cmd::FileNew);
    CChildFrame* c = frame->activeChild();
    ASSERT_TRUE(c);
    ASSERT_TRUE(settle());
    EXPECT_FALSE(tree(c));
    EXPECT_EQ(docker()->currentTree(), nullptr);
    c->textView()->setFocus();
    insertAtTop(c->textView(), "def made():\n    pass\n");
    answerDialog({files.filePath("made.py")});
    key(c->textView(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tree(c));
    EXPECT_EQ(texts(tree(c)), QStringList({"made"}));

    CChildFrame* hex = frame->OpenFile(write("blob.bin", QByteArray(200, '\0')));
    ASSERT_TRUE(hex && hex->isHex());
    ASSERT_TRUE(settle());
    EXPECT_FALSE(tree(hex));
    EXPECT_EQ(docker()->currentTree(), nullptr);
}

} // namespace
