// Bookmarks, marks, the occurrence highlight, folding, the line-number margin and Go to
// Line, driven through the main frame's keys, menus and the view's margins.
#include "MarksFixture.h"

#include "app/commands/CommandTable.h"
#include "documents/text/Markers.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace {

struct MarksTest : MarksFixture {
    static QByteArray lines(int n, const char* text = "line")
    {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out += QByteArray(text) + "\n";
        return out;
    }
    static bool bookmarked(CTextView* v, long line)
    {
        return sci(v, SB::SCI_MARKERGET, static_cast<unsigned long>(line)) & textdoc::kBookmarkMask;
    }
    static void gotoLine(CTextView* v, long line)
    {
        sci(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(line));
    }
    // Start positions of the runs of `indicator`.
    static std::vector<long> runs(CTextView* v, int indicator)
    {
        std::vector<long> out;
        const long len = v->length();
        for (long pos = 0; pos < len;) {
            if (sci(v, SB::SCI_INDICATORVALUEAT, static_cast<unsigned long>(indicator), pos))
                out.push_back(pos);
            const long end = sci(v, SB::SCI_INDICATOREND, static_cast<unsigned long>(indicator), pos);
            if (end <= pos)
                break;
            pos = end;
        }
        return out;
    }
    static void select(CTextView* v, long anchor, long caret)
    {
        v->setSel(anchor, caret);
        pump();
    }
};

TEST_F(MarksTest, BookmarksToggleClearAndWrapAround)
{
    start();
    CTextView* v = openAndFocus("b.txt", lines(10));
    ASSERT_TRUE(v);
    gotoLine(v, 1);
    key(v, Qt::Key_F2, Qt::ControlModifier);
    gotoLine(v, 3);
    key(v, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(bookmarked(v, 1));
    EXPECT_TRUE(bookmarked(v, 3));

    // Only bookmarks above the caret: F2 goes round to the first from the top.
    gotoLine(v, 6);
    key(v, Qt::Key_F2);
    EXPECT_EQ(caretLine(v), 1);
    key(v, Qt::Key_F2);
    EXPECT_EQ(caretLine(v), 3);
    // Shift+F2 goes back, and from the first round to the last.
    key(v, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(caretLine(v), 1);
    key(v, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(caretLine(v), 3);

    // Toggling again removes it; a single bookmark on the caret's line moves nothing.
    gotoLine(v, 1);
    key(v, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_FALSE(bookmarked(v, 1));
    gotoLine(v, 3);
    sci(v, SB::SCI_GOTOPOS, static_cast<unsigned long>(sci(v, SB::SCI_POSITIONFROMLINE, 3) + 2));
    key(v, Qt::Key_F2);
    EXPECT_EQ(v->currentPos(), sci(v, SB::SCI_POSITIONFROMLINE, 3) + 2);
    key(v, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(v->currentPos(), sci(v, SB::SCI_POSITIONFROMLINE, 3) + 2);

    // A click in the bookmark margin toggles the clicked line.
    clickMargin(v, 1, 5);
    EXPECT_TRUE(bookmarked(v, 5));
    clickMargin(v, 1, 5);
    EXPECT_FALSE(bookmarked(v, 5));
    clickMargin(v, 1, 7);

    key(v, Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sci(v, SB::SCI_MARKERNEXT, 0, textdoc::kBookmarkMask), -1);
}

TEST_F(MarksTest, ClearAllMarkRemovesTheMarksOnly)
{
    start();
    CTextView* v = openAndFocus("m.txt", "one two three\n");
    ASSERT_TRUE(v);
    sci(v, SB::SCI_SETINDICATORCURRENT, textdoc::kMarkIndicator);
    sci(v, SB::SCI_INDICATORFILLRANGE, 0, 3);
    sci(v, SB::SCI_INDICATORFILLRANGE, 8, 5);
    gotoLine(v, 0);
    key(v, Qt::Key_F2, Qt::ControlModifier);
    key(v, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(runs(v, textdoc::kMarkIndicator).empty());
    EXPECT_TRUE(bookmarked(v, 0));
}

TEST_F(MarksTest, OccurrencesOfTheSelectedWord)
{
    start();
    CTextView* v = openAndFocus("o.txt", "foo foobar FOO");
    ASSERT_TRUE(v);
    // A whole word: the other occurrences, any case, inside longer words too; not the selection.
    select(v, 0, 3);
    EXPECT_EQ(runs(v, textdoc::kOccurrenceIndicator), (std::vector<long>{4, 11}));
    EXPECT_EQ(sci(v, SB::SCI_INDICATOREND, textdoc::kOccurrenceIndicator, 4), 7);
    // Not a whole word: a word byte before it; a byte that is not a word byte inside it.
    select(v, 1, 3);
    EXPECT_TRUE(runs(v, textdoc::kOccurrenceIndicator).empty());
    select(v, 0, 3);
    select(v, 0, 0);
    EXPECT_TRUE(runs(v, textdoc::kOccurrenceIndicator).empty());
    // Selected at the very end of the text.
    select(v, 11, 14);
    EXPECT_EQ(runs(v, textdoc::kOccurrenceIndicator), (std::vector<long>{0, 4}));

    v->setSel(0, v->length());
    QTest::keyClicks(v, "a-b a-b");
    select(v, 0, 3);
    EXPECT_TRUE(runs(v, textdoc::kOccurrenceIndicator).empty());
}

TEST_F(MarksTest, OccurrencesOnlyOnScreenAndAfterScrolling)
{
    start();
    CTextView* v = openAndFocus("s.txt", lines(3000, "foo bar"));
    ASSERT_TRUE(v);
    select(v, 0, 3);
    std::vector<long> marked = runs(v, textdoc::kOccurrenceIndicator);
    ASSERT_FALSE(marked.empty());
    const long onScreen = sci(v, SB::SCI_LINESONSCREEN);
    EXPECT_LE(v->lineFromPosition(marked.back()), onScreen + 1);
    EXPECT_EQ(v->lineFromPosition(marked.front()), 1);

    // Scrolling (the selection stays) marks the lines that came into view.
    v->verticalScrollBar()->setValue(300);
    pump();
    ASSERT_GE(v->firstVisibleLine(), 200);
    marked = runs(v, textdoc::kOccurrenceIndicator);
    ASSERT_FALSE(marked.empty());
    EXPECT_GE(v->lineFromPosition(marked.front()), v->firstVisibleLine());
    EXPECT_EQ(v->anchor(), 0);

    // On one very long line only the part on screen is searched.
    v->setSel(0, v->length());
    v->SendScintilla(SB::SCI_REPLACESEL, 0UL, QByteArray("foo ").repeated(200000).constData());
    sci(v, SB::SCI_DOCUMENTSTART);
    select(v, 0, 3);
    marked = runs(v, textdoc::kOccurrenceIndicator);
    ASSERT_FALSE(marked.empty());
    EXPECT_EQ(marked.front(), 4);
    EXPECT_LT(marked.back(), 100000);
}

TEST_F(MarksTest, LineNumberMarginFitsTheLineCount)
{
    start();
    CTextView* small = openAndFocus("twelve.txt", lines(11));
    ASSERT_TRUE(small);
    ASSERT_EQ(sci(small, SB::SCI_GETLINECOUNT), 12);
    const long nine = long(small->SendScintilla(SB::SCI_TEXTWIDTH, static_cast<unsigned long>(SB::STYLE_LINENUMBER), "9"));
    EXPECT_EQ(sci(small, SB::SCI_GETMARGINWIDTHN, 0), 4 * nine + 4);

    CTextView* big = openAndFocus("big.txt", lines(99999));
    ASSERT_TRUE(big);
    ASSERT_EQ(sci(big, SB::SCI_GETLINECOUNT), 100000);
    EXPECT_EQ(sci(big, SB::SCI_GETMARGINWIDTHN, 0), 6 * nine + 4);

    // Switched off and on again from the menu.
    choose("menu_view", cmd::ViewLineNumbers);
    EXPECT_EQ(sci(big, SB::SCI_GETMARGINWIDTHN, 0), 0);
    choose("menu_view", cmd::ViewLineNumbers);
    EXPECT_EQ(sci(big, SB::SCI_GETMARGINWIDTHN, 0), 6 * nine + 4);
}

TEST_F(MarksTest, GoToLineTakesWhatIsTyped)
{
    start();
    CTextView* v = openAndFocus("g.txt", lines(9));
    ASSERT_TRUE(v);
    auto answer = [&](const QString& typed, bool ok, QString* prompt = nullptr) {
        onNextDialog([=](QWidget* dialog) {
            auto* label = dialog->findChild<QLabel*>();
            if (prompt && label)
                *prompt = label->text();
            auto* edit = dialog->findChild<QLineEdit*>();
            if (edit)
                QTest::keyClicks(edit, typed);
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        v->setFocus();
        key(v, Qt::Key_G, Qt::ControlModifier);
    };
    QString prompt;
    answer("5", true, &prompt);
    EXPECT_EQ(prompt, "Enter Line Number (1 - 10):");
    EXPECT_EQ(caretLine(v), 4);
    answer("-1", true);
    EXPECT_EQ(caretLine(v), 4);
    answer("99", true);
    EXPECT_EQ(caretLine(v), 9);
    answer("abc", true);
    EXPECT_EQ(caretLine(v), 0);
    gotoLine(v, 3);
    answer("7", false);
    EXPECT_EQ(caretLine(v), 3);
    answer("", true);
    EXPECT_EQ(caretLine(v), 0);
}

TEST_F(MarksTest, FoldLevelsAndFoldMarginClicks)
{
    start();
    const QByteArray source = "int a()\n{\n    if (x) {\n        y();\n    }\n}\n"
                              "int b()\n{\n    while (z) {\n        w();\n    }\n}\n";
    CTextView* v = openAndFocus("f.c", source);
    ASSERT_TRUE(v);
    auto hidden = [&](long line) { return sci(v, SB::SCI_GETLINEVISIBLE, static_cast<unsigned long>(line)) == 0; };

    // Level 1: the two function bodies only.
    choose("menu_collapse_level", cmd::ViewCollapseLevel1, "menu_view");
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 7));
    EXPECT_TRUE(sci(v, SB::SCI_GETFOLDEXPANDED, 2));
    EXPECT_TRUE(hidden(3));
    choose("menu_expand_level", cmd::ViewExpandLevel1, "menu_view");
    EXPECT_FALSE(hidden(3));
    choose("menu_collapse_level", cmd::ViewCollapseLevel1 + 1, "menu_view");
    EXPECT_TRUE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 2));
    EXPECT_TRUE(hidden(3));
    EXPECT_TRUE(hidden(4));
    EXPECT_FALSE(hidden(5));
    choose("menu_expand_level", cmd::ViewExpandLevel1 + 1, "menu_view");

    // Fold margin: a plain click toggles; Shift+Ctrl collapses all; Shift expands below.
    clickMargin(v, 2, 1);
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    clickMargin(v, 2, 1);
    EXPECT_TRUE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    clickMargin(v, 2, 0);   // not a header
    EXPECT_TRUE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    clickMargin(v, 2, 7, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 8));
    clickMargin(v, 2, 1, Qt::ShiftModifier);
    EXPECT_TRUE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    EXPECT_TRUE(sci(v, SB::SCI_GETFOLDEXPANDED, 2));
    EXPECT_FALSE(hidden(3));
    clickMargin(v, 2, 1, Qt::ControlModifier);
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 1));
    EXPECT_FALSE(sci(v, SB::SCI_GETFOLDEXPANDED, 2));

    // A collapsed header that stops being one shows its lines again.
    key(v, Qt::Key_0, Qt::ControlModifier | Qt::ShiftModifier);
    choose("menu_collapse_level", cmd::ViewCollapseLevel1, "menu_view");
    ASSERT_TRUE(hidden(9));
    sci(v, SB::SCI_GOTOPOS, static_cast<unsigned long>(sci(v, SB::SCI_POSITIONFROMLINE, 7)));
    key(v, Qt::Key_Delete);
    pump();
    sci(v, SB::SCI_COLOURISE, 0, -1);
    EXPECT_FALSE(hidden(9));
    EXPECT_FALSE(hidden(10));
}

TEST_F(MarksTest, GoToAndFoldLevelsAreOffInTheHexView)
{
    start();
    CChildFrame* c = frame->OpenFile(write("h.bin", "data"), 6);
    ASSERT_TRUE(c && c->hexView());
    QMenu* search = frame->commandUi()->popup("menu_search");
    emit search->aboutToShow();
    for (QAction* a : search->actions()) {
        if (a->data().toInt() == cmd::SearchGoTo) {
            EXPECT_FALSE(a->isEnabled());
        }
    }
    QMenu* levels = frame->commandUi()->popup("menu_collapse_level");
    emit frame->commandUi()->popup("menu_view")->aboutToShow();
    for (QAction* a : levels->actions()) {
        EXPECT_FALSE(a->isEnabled());
    }
}

} // namespace
