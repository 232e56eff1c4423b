// The search loop in a real text view: find next and previous with wrap-around and its
// message, the replacements with their counts, find all and mark all.
#include "documents/text/Markers.h"
#include "documents/text/TextView.h"
#include "platform/Seams.h"
#include "search/widgets/TextSearch.h"

#include <gtest/gtest.h>

using namespace search;
using SB = QsciScintillaBase;

namespace {

struct SearchLoop : ::testing::Test {
    CTextView view;
    SearchOptions o;
    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scope{&box};

    SearchLoop()
    {
        view.resize(640, 400);
        view.show();
    }

    void setText(const char* text)
    {
        view.clearAll();
        view.addText(std::string(text));
        view.setSel(0, 0);
    }
    std::string selected() const
    {
        std::string out;
        view.textRange(view.SendScintilla(SB::SCI_GETSELECTIONSTART), view.SendScintilla(SB::SCI_GETSELECTIONEND), out);
        return out;
    }
    long selStart() const { return view.SendScintilla(SB::SCI_GETSELECTIONSTART); }
    void find(const char* text, unsigned flags)
    {
        o.setFindText(QString::fromUtf8(text));
        o.flags = flags;
    }
};

TEST_F(SearchLoop, FindNextRunsThroughThreeMatchesThenReportsPassingTheEndOnce)
{
    setText("x A1 y A2 z A3 w");
    find("A", Mask::Forward | Mask::Wrap);
    std::vector<long> starts;
    std::vector<int> results;
    for (int i = 0; i < 8; ++i) {
        results.push_back(findNext(view, o));
        starts.push_back(selStart());
    }
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 2, 1, 1, 1, 2}));
    EXPECT_EQ(starts, (std::vector<long>{2, 7, 12, 12, 2, 7, 12, 12}));   // C stays selected after the message
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].text, "Passed the end of file.");
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_TRUE(o.has(Mask::MatchSelected));
}

TEST_F(SearchLoop, WrapDirectionAndNewRuns)
{
    setText("A b A c");
    view.setSel(6, 6);
    find("A", Mask::Forward | Mask::Wrap);
    EXPECT_EQ(findNext(view, o), FindFound);   // wraps without a message
    EXPECT_EQ(selStart(), 0);
    EXPECT_TRUE(box.shown.empty());

    // Without wrap-around nothing after the caret is nothing found.
    view.setSel(6, 6);
    o.flags = Mask::Forward;
    EXPECT_EQ(findNext(view, o), FindNotFound);
    EXPECT_FALSE(o.has(Mask::MatchSelected));

    // Backward from the document start never goes below position 0.
    view.setSel(0, 0);
    o.flags = 0;
    EXPECT_EQ(findNext(view, o), FindNotFound);
    o.flags = Mask::Wrap;
    EXPECT_EQ(findNext(view, o), FindFound);
    EXPECT_EQ(selStart(), 4);

    // Find Previous with "Search up" checked searches forward, and restores the bit.
    view.setSel(0, 1);
    EXPECT_EQ(findPrevious(view, o), FindFound);
    EXPECT_EQ(selStart(), 4);
    EXPECT_FALSE(o.has(Mask::Forward));

    // A change of flags starts a new run: no message on the first search after it.
    o.flags = Mask::Forward | Mask::Wrap;
    findNext(view, o);
    findNext(view, o);
    box.shown.clear();
    o.flags |= Mask::MatchCase;
    EXPECT_EQ(findNext(view, o), FindFound);
    EXPECT_TRUE(box.shown.empty());

    find("", Mask::Forward);
    EXPECT_EQ(findNext(view, o), FindEmpty);
}

TEST_F(SearchLoop, MatchesTheDocumentsTextWhateverItsEncoding)
{
    for (int encoding : {0, 2, 3}) {
        view.setEncoding(encoding);
        setText("caf\xC3\xA9 et caf\xC3\xA9");
        find("é", Mask::Forward | Mask::Wrap);
        EXPECT_EQ(findNext(view, o), FindFound) << encoding;
        EXPECT_EQ(selected(), "\xC3\xA9");
        o.setReplaceText("e");
        EXPECT_EQ(replaceAll(view, o), 2);
        EXPECT_EQ(view.text(), "cafe et cafe");
    }
}

TEST_F(SearchLoop, EscapesInPlainAndRegularExpressionSearch)
{
    setText("AB a\tb");
    find("a\\tb", Mask::Forward | Mask::Escapes);
    EXPECT_EQ(findNext(view, o), FindFound);
    EXPECT_EQ(selStart(), 3);
    view.setSel(0, 0);
    runStateOf(view) = {};   // each search below starts its own run
    find("\\x41B", Mask::Forward | Mask::Escapes);
    EXPECT_EQ(findNext(view, o), FindFound);
    EXPECT_EQ(selected(), "AB");
    view.setSel(0, 0);
    runStateOf(view) = {};   // each search below starts its own run
    find("\\101", Mask::Forward | Mask::Escapes);
    EXPECT_EQ(findNext(view, o), FindFound);
    EXPECT_EQ(selected(), "A");
    find("a\\011b", Mask::Forward | Mask::Escapes | Mask::RegExp);
    EXPECT_EQ(findNext(view, o), FindFound);
    EXPECT_EQ(selStart(), 3);
}

TEST_F(SearchLoop, ReplaceAllLineStartsAndEndsWithCounts)
{
    setText("one\r\ntwo\r\nthree");
    find("^", Mask::RegExp | Mask::Wrap);
    o.setReplaceText("> ");
    EXPECT_EQ(replaceAll(view, o), 3);
    EXPECT_EQ(view.text(), "> one\r\n> two\r\n> three");
    view.SendScintilla(SB::SCI_UNDO);   // one undo step
    EXPECT_EQ(view.text(), "one\r\ntwo\r\nthree");

    find("$", Mask::RegExp | Mask::Wrap);
    o.setReplaceText(";");
    EXPECT_EQ(replaceAll(view, o), 3);
    EXPECT_EQ(view.text(), "one;\r\ntwo;\r\nthree;");

    // Empty matches in the middle of a line advance and never loop.
    setText("abc");
    find("x*", Mask::RegExp | Mask::Wrap);
    o.setReplaceText("-");
    EXPECT_EQ(replaceAll(view, o), 3);   // the range end itself is not searched again
    EXPECT_EQ(view.text(), "-a-b-c");

    // Tagged expressions in the replacement.
    setText("k=v;a=b");
    find("\\([a-z]\\)=\\([a-z]\\)", Mask::RegExp | Mask::Wrap);
    o.setReplaceText("\\2=\\1");
    EXPECT_EQ(replaceAll(view, o), 2);
    EXPECT_EQ(view.text(), "v=k;b=a");
}

TEST_F(SearchLoop, ReplaceAllRangesAndReadOnly)
{
    setText("aa aa aa");
    find("aa", Mask::Wrap | Mask::RangeSelection);
    o.setReplaceText("bbbb");
    EXPECT_EQ(replaceAll(view, o), 0);   // an empty selection replaces nothing
    view.setSel(0, 5);
    EXPECT_EQ(replaceAll(view, o), 2);
    EXPECT_EQ(view.text(), "bbbb bbbb aa");
    EXPECT_EQ(selected(), "bbbb bbbb");   // the range followed the insertions

    // Without wrap-around the range starts at the selection start.
    setText("aa aa aa");
    view.setSel(3, 3);
    o.flags = 0;
    EXPECT_EQ(replaceAll(view, o), 2);
    EXPECT_EQ(view.text(), "aa bbbb bbbb");

    setText("aa");
    view.setReadOnly(true);
    o.flags = Mask::Wrap;
    EXPECT_EQ(replaceAll(view, o), 0);
    EXPECT_EQ(view.text(), "aa");
    view.setReadOnly(false);
    find("zz", Mask::Wrap);
    EXPECT_EQ(replaceAll(view, o), 0);
    EXPECT_FALSE(view.canUndo() && view.isModified() && view.text() != "aa");
}

// Many matches are replaced a run of lines at a time; what sits between them must not notice.
TEST_F(SearchLoop, ReplaceAllKeepsBookmarksIndicatorsAndUndoBetweenMatches)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "let Needle = needle + " + std::to_string(i) + ";\r\n";
    setText(text.c_str());
    for (long line : {0L, 7L, 8L, 39L})
        view.SendScintilla(SB::SCI_MARKERADD, static_cast<unsigned long>(line), textdoc::kBookmarkMarker);

    find("NEEDLE", Mask::Wrap);   // without match case: both spellings, lengths kept by position
    o.setReplaceText("pin");
    EXPECT_EQ(replaceAll(view, o), 80);
    std::string expected;
    for (int i = 0; i < 40; ++i)
        expected += "let pin = pin + " + std::to_string(i) + ";\r\n";
    EXPECT_EQ(view.text(), expected);
    EXPECT_EQ(view.SendScintilla(SB::SCI_GETLINECOUNT), 41);
    std::vector<long> marked;
    for (long line = view.SendScintilla(SB::SCI_MARKERNEXT, 0UL, -1L); line >= 0;
         line = view.SendScintilla(SB::SCI_MARKERNEXT, static_cast<unsigned long>(line + 1), -1L))
        marked.push_back(line);
    EXPECT_EQ(marked, (std::vector<long>{0, 7, 8, 39}));
    view.SendScintilla(SB::SCI_UNDO);
    EXPECT_EQ(view.text(), text);

    // A find text that spans lines, and an indicator on text between the matches.
    setText("a;\nb;\nc;\nd");
    view.SendScintilla(SB::SCI_MARKERADD, 2UL, textdoc::kBookmarkMarker);
    view.SendScintilla(SB::SCI_SETINDICATORCURRENT, textdoc::kMarkIndicator);
    view.SendScintilla(SB::SCI_INDICATORFILLRANGE, 3UL, 1L);
    find(";\\n", Mask::Wrap | Mask::MatchCase | Mask::Escapes);
    o.setReplaceText(",");
    EXPECT_EQ(replaceAll(view, o), 3);
    EXPECT_EQ(view.text(), "a,b,c,d");
    EXPECT_EQ(view.SendScintilla(SB::SCI_INDICATORVALUEAT, textdoc::kMarkIndicator, 2L), 1);   // "b" kept its mark
}

TEST_F(SearchLoop, ReplaceButtonFindsReplacesAndSelectsTheNext)
{
    setText("x foo y foo z");
    view.setSel(1, 1);
    find("foo", Mask::Forward | Mask::Wrap);
    o.setReplaceText("BAR");
    EXPECT_TRUE(replaceOnce(view, o));
    EXPECT_EQ(view.text(), "x BAR y foo z");
    EXPECT_EQ(selStart(), 8);
    EXPECT_EQ(selected(), "foo");
    EXPECT_TRUE(replaceOnce(view, o));
    EXPECT_EQ(view.text(), "x BAR y BAR z");
    EXPECT_FALSE(replaceOnce(view, o));
}

TEST_F(SearchLoop, FindAllAndMarkAll)
{
    setText("abab\nxab\n");
    find("ab", Mask::Wrap);
    std::vector<long> starts;
    EXPECT_EQ(forEachMatch(view, o, [&](long s, long) { starts.push_back(s); }), 3);
    EXPECT_EQ(starts, (std::vector<long>{0, 2, 6}));
    EXPECT_EQ(lineText(view, 0), "abab");

    EXPECT_EQ(markAll(view, o, true), 3);
    EXPECT_EQ(view.SendScintilla(SB::SCI_MARKERGET, 0) & textdoc::kBookmarkMask, textdoc::kBookmarkMask);
    EXPECT_EQ(view.SendScintilla(SB::SCI_MARKERNEXT, 1, textdoc::kBookmarkMask), 1);
    EXPECT_EQ(view.SendScintilla(SB::SCI_MARKERGET, 2), 0);

    EXPECT_EQ(markAll(view, o, false), 3);
    EXPECT_EQ(view.SendScintilla(SB::SCI_INDICATORVALUEAT, textdoc::kMarkIndicator, 7), 1);
    EXPECT_EQ(view.SendScintilla(SB::SCI_INDICATORVALUEAT, textdoc::kMarkIndicator, 5), 0);
}

TEST_F(SearchLoop, SearchWordFromCaretOrOneLineSelection)
{
    setText("alpha beta\ngamma");
    view.setSel(7, 7);
    QString w;
    ASSERT_TRUE(takeSearchWord(view, &w));
    EXPECT_EQ(w, "beta");
    view.setSel(0, 3);
    ASSERT_TRUE(takeSearchWord(view, &w));
    EXPECT_EQ(w, "alp");
    view.setSel(8, 13);
    EXPECT_FALSE(takeSearchWord(view, &w));   // two lines
    view.setSel(5, 5);
    w = "kept";
    view.setSel(10, 10);
    EXPECT_TRUE(takeSearchWord(view, &w));    // end of "beta"
}

} // namespace
