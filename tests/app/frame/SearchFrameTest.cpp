// Searching as the user does it: F3 and its relatives through the keyboard, the Find and
// Replace dialogs through their buttons, the result views in the bottom panel and their
// jumps, the histories and the regular-expression helper menu.
#include "FrameFixture.h"

#include "app/SearchCommands.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "documents/text/Markers.h"
#include "platform/Registry.h"
#include "search/widgets/FindView.h"
#include "search/widgets/SearchDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using SB = QsciScintillaBase;
namespace Mask = search::Mask;
using search::SearchDialog;

struct SearchFrameTest : FrameFixture {
    QTemporaryDir store;

    void SetUp() override
    {
        FrameFixture::SetUp();
        registry::setUserStorePath(store.filePath("registry.txt"));
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        registry::setUserStorePath(QString());
    }

    // The user clicks back into the document.
    void refocus(CTextView* v)
    {
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame.get()))
            ADD_FAILURE() << "the frame did not become active";
        v->setFocus();
        pump(10);
    }
    static std::string selected(CTextView* v)
    {
        std::string out;
        v->textRange(v->SendScintilla(SB::SCI_GETSELECTIONSTART), v->SendScintilla(SB::SCI_GETSELECTIONEND), out);
        return out;
    }
    search::SearchOptions& options() { return settings->search; }
    SearchDialog* dialog(int kind) { return frame->searchCommands()->dialog(kind); }
    template <typename T = QAbstractButton>
    T* control(SearchDialog* d, int id)
    {
        return qobject_cast<T*>(d->control(id));
    }
    void click(SearchDialog* d, int id)
    {
        auto* b = control(d, id);
        ASSERT_TRUE(b) << "no control " << id;
        ASSERT_TRUE(b->isEnabled()) << "control " << id << " is disabled";
        QTest::mouseClick(b, Qt::LeftButton);
        pump();
    }
    void typeFind(SearchDialog* d, const QString& text)
    {
        d->findCombo()->lineEdit()->selectAll();
        QTest::keyClicks(d->findCombo()->lineEdit(), text);
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto& m : box.shown)
            out << m.text;
        return out;
    }
};

TEST_F(SearchFrameTest, F3RunsThroughMatchesAndReportsPassingTheEndAndMissingText)
{
    start();
    CTextView* v = openAndFocus("abc.txt", "x A y A z A\n");
    ASSERT_TRUE(v);
    options().setFindText("A");
    options().flags = Mask::Forward | Mask::Wrap;
    std::vector<long> starts;
    for (int i = 0; i < 4; ++i) {
        key(v, Qt::Key_F3);
        starts.push_back(v->SendScintilla(SB::SCI_GETSELECTIONSTART));
    }
    EXPECT_EQ(starts, (std::vector<long>{2, 6, 10, 10}));
    ASSERT_EQ(messages(), QStringList{"Passed the end of file."});
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK | seams::MB_ICONINFORMATION));

    // Shift+F3 goes the other way.
    key(v, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(v->SendScintilla(SB::SCI_GETSELECTIONSTART), 6);

    box.shown.clear();
    options().setFindText("zzz");
    key(v, Qt::Key_F3);
    ASSERT_EQ(messages(), QStringList{"Cannot find string 'zzz'."});
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK));

    // Ctrl+F3 takes the word at the caret.
    box.shown.clear();
    v->setSel(0, 0);
    key(v, Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(options().findText, "x");
    EXPECT_TRUE(box.shown.empty());

    // An empty find text opens the Find dialog instead.
    options().findText.clear();
    v->setFocus();
    key(v, Qt::Key_F3);
    ASSERT_TRUE(dialog(SearchDialog::Find));
    EXPECT_TRUE(dialog(SearchDialog::Find)->isVisible());
}

TEST_F(SearchFrameTest, FindDialogPrefillsSearchesAndKeepsItsHistory)
{
    start();
    CTextView* v = openAndFocus("f.txt", "alpha beta\nbeta\n");
    ASSERT_TRUE(v);
    v->setSel(7, 7);
    key(v, Qt::Key_F, Qt::ControlModifier);
    SearchDialog* d = dialog(SearchDialog::Find);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->findCombo()->currentText(), "beta");   // the word at the caret
    EXPECT_TRUE(control<QCheckBox>(d, 104)->isChecked());   // the default option word is 0: search up
    EXPECT_FALSE(control(d, 101)->isEnabled());
    // While the dialog is open, the toolbar's Find and Replace are disabled.
    frame->commandUi()->refreshToolbar();
    EXPECT_FALSE(frame->commandUi()->toolAction(cmd::SearchFind)->isEnabled());

    control<QCheckBox>(d, 104)->setChecked(false);
    typeFind(d, "beta");
    v->setSel(0, 0);
    click(d, 1);
    EXPECT_EQ(v->SendScintilla(SB::SCI_GETSELECTIONSTART), 6);
    EXPECT_TRUE(options().has(Mask::Forward | Mask::Wrap));

    typeFind(d, "zzz");
    click(d, 1);
    EXPECT_EQ(messages(), QStringList{"Cannot find string 'zzz'."});
    EXPECT_EQ(box.shown.back().flags, unsigned(seams::MB_OK | seams::MB_ICONINFORMATION));

    click(d, 2);   // Close
    pump();
    EXPECT_FALSE(dialog(SearchDialog::Find));
    frame->commandUi()->refreshToolbar();
    EXPECT_TRUE(frame->commandUi()->toolAction(cmd::SearchFind)->isEnabled());

    // Reopened: the histories come back newest first.
    refocus(v);
    key(v, Qt::Key_F, Qt::ControlModifier);
    d = dialog(SearchDialog::Find);
    ASSERT_TRUE(d);
    ASSERT_GE(d->findCombo()->count(), 2);
    EXPECT_EQ(d->findCombo()->itemText(0), "zzz");
    EXPECT_EQ(d->findCombo()->itemText(1), "beta");
}

TEST_F(SearchFrameTest, FindAllMarkAndBookmarkFromTheDialog)
{
    start();
    CTextView* v = openAndFocus("abab.txt", "abab\nxx ab\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_F, Qt::ControlModifier);
    SearchDialog* d = dialog(SearchDialog::Find);
    ASSERT_TRUE(d);
    typeFind(d, "ab");
    click(d, 110);   // Find all in current doc
    search::CFindView* r = frame->searchCommands()->resultView(0);
    ASSERT_EQ(r->count(), 3);
    const QString path = frame->activeChild()->path();
    EXPECT_EQ(r->line(0).text, path + "(1): abab");
    EXPECT_EQ(r->line(1).text, path + "(1): abab");
    EXPECT_EQ(r->line(2).text, path + "(2): xx ab");
    EXPECT_TRUE(r->isVisible());
    auto* clearButton = r->findChild<QAbstractButton*>("clear");
    ASSERT_TRUE(clearButton);
    EXPECT_TRUE(clearButton->isEnabled());   // the results can be cleared

    // Window 2 takes the next results; Find all in opened docs covers every document.
    CTextView* v2 = openAndFocus("two.txt", "ab\n");
    ASSERT_TRUE(v2);
    control<QRadioButton>(d, 109)->setChecked(true);
    click(d, 111);
    EXPECT_EQ(frame->searchCommands()->resultView(1)->count(), 4);
    EXPECT_EQ(r->count(), 3);

    click(d, 113);   // Mark
    EXPECT_EQ(v2->SendScintilla(SB::SCI_INDICATORVALUEAT, textdoc::kMarkIndicator, 1), 1);
    click(d, 112);   // Bookmark
    EXPECT_TRUE(v2->SendScintilla(SB::SCI_MARKERGET, 0) & textdoc::kBookmarkMask);
    EXPECT_TRUE(d->isVisible());
}

TEST_F(SearchFrameTest, ReplaceDialogCountsAndSkipsReadOnlyDocuments)
{
    start();
    CTextView* other = openAndFocus("other.txt", "one\n");
    ASSERT_TRUE(other);
    CTextView* locked = openAndFocus("locked.txt", "one\n");
    ASSERT_TRUE(locked);
    locked->setReadOnly(true);
    CTextView* v = openAndFocus("r.txt", "one\ntwo\nthree");
    ASSERT_TRUE(v);
    key(v, Qt::Key_H, Qt::ControlModifier);
    SearchDialog* d = dialog(SearchDialog::Replace);
    ASSERT_TRUE(d);
    control<QCheckBox>(d, 105)->setChecked(true);
    typeFind(d, "^");
    d->replaceCombo()->setEditText("- ");
    click(d, 127);
    EXPECT_EQ(v->text(), "- one\n- two\n- three");
    EXPECT_EQ(messages(), QStringList{"3 occurrences have been replaced."});
    EXPECT_FALSE(dialog(SearchDialog::Replace));   // Replace all closes the dialog

    box.shown.clear();
    refocus(v);
    key(v, Qt::Key_H, Qt::ControlModifier);
    d = dialog(SearchDialog::Replace);
    ASSERT_TRUE(d);
    control<QCheckBox>(d, 105)->setChecked(false);
    typeFind(d, "nothing here");
    click(d, 127);
    EXPECT_EQ(messages(), QStringList{"0 occurrences have been replaced."});

    // All open files: no count, the read-only document untouched.
    box.shown.clear();
    refocus(v);
    key(v, Qt::Key_H, Qt::ControlModifier);
    d = dialog(SearchDialog::Replace);
    ASSERT_TRUE(d);
    control<QRadioButton>(d, 125)->setChecked(true);
    typeFind(d, "one");
    d->replaceCombo()->setEditText("1");
    click(d, 127);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(other->text(), "1\n");
    EXPECT_EQ(locked->text(), "one\n");
    EXPECT_EQ(v->text(), "- 1\n- two\n- three");

    // The Replace button replaces the match and selects the next one.
    refocus(v);
    v->setSel(0, 0);
    key(v, Qt::Key_H, Qt::ControlModifier);
    d = dialog(SearchDialog::Replace);
    control<QRadioButton>(d, 123)->setChecked(true);
    control<QCheckBox>(d, 104)->setChecked(false);
    typeFind(d, "- ");
    d->replaceCombo()->setEditText("* ");
    v->setSel(0, 0);
    click(d, 126);
    EXPECT_EQ(v->text(), "* 1\n- two\n- three");
    EXPECT_EQ(v->SendScintilla(SB::SCI_GETSELECTIONSTART), 4);
}

TEST_F(SearchFrameTest, RegularExpressionHelperInsertsAtTheEditSelection)
{
    start();
    CTextView* v = openAndFocus("h.txt", "x\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_H, Qt::ControlModifier);
    SearchDialog* d = dialog(SearchDialog::Replace);
    ASSERT_TRUE(d);
    control<QCheckBox>(d, 105)->setChecked(true);
    ASSERT_TRUE(control(d, 101)->isEnabled());
    ASSERT_TRUE(control(d, 121)->isEnabled());
    typeFind(d, "ab");
    d->findCombo()->lineEdit()->setSelection(1, 1);   // "b" selected
    click(d, 101);
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    QAction* range = nullptr;
    for (QAction* a : menu->actions())
        if (a->data().toInt() == 61)
            range = a;
    ASSERT_TRUE(range);
    EXPECT_EQ(range->text(), "Character in Range");
    range->trigger();
    menu->close();
    pump();
    EXPECT_EQ(d->findCombo()->currentText(), "a[]");
    EXPECT_EQ(d->findCombo()->lineEdit()->cursorPosition(), 2);   // after "["

    for (QAction* a : d->helperMenu(121)->actions())
        if (a->data().toInt() == 51)
            a->trigger();
    EXPECT_EQ(d->replaceCombo()->currentText(), "\\2");
}

TEST_F(SearchFrameTest, ResultLinesJumpWithContextAndReportMissingFiles)
{
    start();
    QByteArray lines;
    for (int i = 1; i <= 60; ++i)
        lines += "line " + QByteArray::number(i) + "\n";
    const QString odd = write("odd(1)/x.txt", lines);
    search::CFindView* r = frame->searchCommands()->resultView(0);
    r->addResult(odd, 12, "line 12");
    r->addResult(files.filePath("gone.txt"), 3, "was here");
    r->addPlainLine(odd + "(40): line 40");   // read back from its text
    frame->OnCommand(cmd::DockFindResult1);
    pump(10);

    // Enter on the first line.
    r->list()->setCurrentIndex(r->list()->model()->index(0, 0));
    r->list()->setFocus();
    key(r->list(), Qt::Key_Return);
    ASSERT_TRUE(frame->activeChild());
    EXPECT_EQ(frame->activeChild()->path(), odd);
    CTextView* v = frame->activeChild()->textView();
    EXPECT_EQ(v->lineFromPosition(v->currentPos()), 11);
    EXPECT_EQ(v->firstVisibleLine(), 9);   // two lines show above it

    // A double click on a line whose file is gone.
    const QRect second = r->list()->visualRect(r->list()->model()->index(1, 0));
    int dbl = 0;
    QObject::connect(r->list(), &QAbstractItemView::doubleClicked, [&] { ++dbl; });
    ASSERT_TRUE(r->list()->isVisible());
    ASSERT_FALSE(second.isEmpty());
    frame->statusBar()->clearMessage();
    QTest::mouseClick(r->list()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(r->list()->viewport(), Qt::LeftButton, {}, second.center());
    pump();
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Cannot locate file " + files.filePath("gone.txt") + ".");

    // A plain line is read back from its text: cut at the first "(", which names no file.
    r->jump(2);
    EXPECT_TRUE(frame->statusBar()->currentMessage().startsWith("Cannot locate file "));

    // Open all ends at the last entry that could be reached.
    r->clear();
    for (int i = 1; i <= 50; ++i)
        r->addResult(odd, i, "x");
    QTest::mouseClick(r->openAllButton(), Qt::LeftButton);
    pump();
    EXPECT_EQ(v->lineFromPosition(v->currentPos()), 49);
    EXPECT_EQ(frame->children().size(), 1);
}

TEST_F(SearchFrameTest, DocumentWithoutFileIsReachedWhileOpen)
{
    start();
    frame->OnCommand(cmd::FileNew);
    pump();
    CChildFrame* c = frame->activeChild();
    ASSERT_TRUE(c);
    c->textView()->addText(std::string("a\nb\nneedle\n"));
    options().setFindText("needle");
    options().flags = Mask::Wrap;
    search::CFindView* r = frame->searchCommands()->resultView(1);
    search::findAllInto(*r, *c->textView(), c->path(), c, options());
    ASSERT_EQ(r->count(), 1);
    EXPECT_EQ(r->line(0).text, c->path() + "(3): needle");
    c->textView()->setSel(0, 0);
    r->jump(0);
    EXPECT_EQ(c->textView()->lineFromPosition(c->textView()->currentPos()), 2);
}

} // namespace

namespace {

TEST_F(SearchFrameTest, Screenshot)
{
    const QByteArray dir = qgetenv("VELMO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set VELMO_SCREENSHOT_DIR to save pictures of the Find dialog and a result view";
    start();
    frame->resize(1100, 720);
    QByteArray text;
    for (int i = 1; i <= 40; ++i)
        text += "int value" + QByteArray::number(i) + " = compute(" + QByteArray::number(i) + "); // value\n";
    CTextView* v = openAndFocus("demo.cpp", text);
    ASSERT_TRUE(v);
    v->setSel(4, 4);
    key(v, Qt::Key_F, Qt::ControlModifier);
    SearchDialog* d = dialog(SearchDialog::Find);
    ASSERT_TRUE(d);
    click(d, 110);
    pump(300);
    frame->grab().save(QString::fromUtf8(dir) + "/find-results.png");
    d->grab().save(QString::fromUtf8(dir) + "/find-dialog.png");
}

} // namespace
