// The command window's widget-free parts: the terminal subset into the screen model, and
// the line editor (keys in, rows and cursor out).
#include "console/LineEditor.h"
#include "console/ScreenModel.h"
#include "console/TerminalParser.h"

#include <gtest/gtest.h>

using namespace console;

namespace {

std::u16string row(const ScreenModel& m, int i) { return m.rowText(i); }

KeyPress ch(char32_t c, bool shift = false)
{
    KeyPress k;
    k.ch = c;
    k.shift = shift;
    return k;
}

KeyPress code(KeyPress::Code c)
{
    KeyPress k;
    k.code = c;
    return k;
}

void typeText(LineEditor& e, const char16_t* s)
{
    for (; *s; ++s)
        e.key(ch(*s));
}

} // namespace

TEST(TerminalSubset, ControlCharactersTabsAndWrapping)
{
    ScreenModel m(20, 5);
    TerminalParser p(m);
    p.feed("abc\r\nde\bX\tY\r\n");
    EXPECT_EQ(row(m, 0), u"abc");
    EXPECT_EQ(row(m, 1), u"dX      Y");
    EXPECT_EQ(m.cursorRow(), 2);
    EXPECT_EQ(m.cursorColumn(), 0);

    ScreenModel narrow(4, 5);
    TerminalParser q(narrow);
    q.feed("abcdef");
    EXPECT_EQ(row(narrow, 0), u"abcd");
    EXPECT_EQ(row(narrow, 1), u"ef");
    // Exactly a full row: the cursor waits at the end and wraps with the next character only.
    q.feed("\r\nwxyz\r\n");
    EXPECT_EQ(row(narrow, 2), u"wxyz");
    EXPECT_EQ(narrow.cursorRow(), 3);
    EXPECT_EQ(narrow.rowText(3), u"");
}

TEST(TerminalSubset, Utf8SplitAcrossReadsAndBrokenBytes)
{
    ScreenModel m(20, 5);
    TerminalParser p(m);
    p.feed("caf\xc3");
    p.feed("\xa9 \xe2\x82");
    p.feed("\xac");
    EXPECT_EQ(row(m, 0), u"caf\u00e9 \u20ac");
    p.feed("\r\nx\xffy");
    EXPECT_EQ(row(m, 1), u"x\ufffdy");
}

TEST(TerminalSubset, ColoursEraseAndCursorPosition)
{
    ScreenModel m(20, 5);
    TerminalParser p(m);
    // Red on blue, then back to the default (black on bright white), then bright green.
    p.feed("\033[31;44mR\033[0mN\033[92mG\033[1;7mI");
    ASSERT_EQ(m.row(0).size(), 4u);
    EXPECT_EQ(m.row(0)[0].attr, 0x14);
    EXPECT_EQ(m.row(0)[1].attr, 0xF0);
    EXPECT_EQ(m.row(0)[2].attr, 0xFA);
    EXPECT_EQ(m.row(0)[3].attr, 0xAF); // reversed
    p.feed("\033[0m\r\nhello\r\033[2Cxx\033[K");
    EXPECT_EQ(row(m, 1), u"hexx");
    p.feed("\033[2K");
    EXPECT_EQ(row(m, 1), u"");

    p.feed("\033[2;3HQ\033[HT");
    EXPECT_EQ(row(m, 0), u"TNGI");
    EXPECT_EQ(row(m, 1), u"  Q");

    p.feed("\033[2J");
    EXPECT_EQ(row(m, 0), u"");
    EXPECT_EQ(row(m, 1), u"");
    // Sequences outside the subset are skipped whole.
    p.feed("\033[H\033[?25lA\033[38;5;196mB\033)0C");
    EXPECT_EQ(row(m, 0), u"ABC");
    p.feed("\033]0;My title\007");
    EXPECT_EQ(m.title(), u"My title");
}

TEST(TerminalSubset, ScrollBackIsBoundedAndCursorPositionsAreOnTheScreen)
{
    ScreenModel m(10, 3, 5);
    TerminalParser p(m);
    for (int i = 0; i < 20; ++i)
        p.feed("line " + std::to_string(i) + "\r\n");
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.dropped(), 16);
    EXPECT_EQ(row(m, 3), u"line 19");
    EXPECT_EQ(m.cursorRow(), 4);
    // Row 1 of the screen is the first of the last three rows.
    p.feed("\033[1;1HX");
    EXPECT_EQ(row(m, 2), u"Xine 18");
    // CLS: the scroll-back goes, then the screen.
    p.feed("\033[3J\033[2J\033[H>");
    EXPECT_EQ(row(m, 0), u">");
    for (int i = 1; i < m.rowCount(); ++i)
        EXPECT_EQ(row(m, i), u"");
}

TEST(LineEditorTest, TypingEditingAndEnter)
{
    ScreenModel m(40, 5);
    TerminalParser p(m);
    LineEditor e(m);
    p.feed("C:\\>");
    e.begin(u"", 0, false);
    typeText(e, u"ech hi");
    for (int i = 0; i < 3; ++i)
        e.key(code(KeyPress::Left));
    e.key(ch(U'o'));
    EXPECT_EQ(row(m, 0), u"C:\\>echo hi");
    EXPECT_EQ(m.cursorColumn(), 4 + 4);
    e.key(code(KeyPress::End));
    e.key(code(KeyPress::Backspace));
    e.key(code(KeyPress::Home));
    e.key(code(KeyPress::Delete));
    EXPECT_EQ(row(m, 0), u"C:\\>cho h");
    e.key(code(KeyPress::Escape));
    EXPECT_EQ(row(m, 0), u"C:\\>");
    typeText(e, u"dir");
    LineEditor::Result r = e.key(code(KeyPress::Enter));
    EXPECT_TRUE(r.done);
    EXPECT_EQ(r.text, u"dir");
    EXPECT_FALSE(e.active());
    EXPECT_EQ(m.cursorRow(), 1);
    EXPECT_EQ(m.cursorColumn(), 0);
    // Keys after the read has ended change nothing.
    EXPECT_FALSE(e.key(ch(U'x')).done);
    EXPECT_EQ(row(m, 1), u"");
}

TEST(LineEditorTest, HistoryAndInterrupt)
{
    ScreenModel m(40, 5);
    LineEditor e(m);
    for (const char16_t* line : {u"first", u"second", u"second"}) {
        e.begin(u"", 0, false);
        typeText(e, line);
        e.key(code(KeyPress::Enter));
    }
    EXPECT_EQ(e.history().size(), 2u); // a repeated line is kept once
    e.begin(u"", 0, false);
    typeText(e, u"draft");
    e.key(code(KeyPress::Up));
    EXPECT_EQ(e.text(), u"second");
    EXPECT_EQ(row(m, 3), u"second"); // the longer draft is blanked
    e.key(code(KeyPress::Up));
    e.key(code(KeyPress::Up));
    EXPECT_EQ(e.text(), u"first");
    e.key(code(KeyPress::Down));
    e.key(code(KeyPress::Down));
    EXPECT_EQ(e.text(), u"");
    typeText(e, u"abc");
    LineEditor::Result r = e.key(code(KeyPress::Interrupt));
    EXPECT_TRUE(r.done);
    EXPECT_TRUE(r.interrupted);
    EXPECT_EQ(r.text, u"");
    EXPECT_EQ(row(m, 3), u"abc^C");
    EXPECT_EQ(m.cursorRow(), 4);
}

TEST(LineEditorTest, CompletionKeyWakesAndTheNextReadRedrawsInPlace)
{
    ScreenModel m(12, 5);
    TerminalParser p(m);
    LineEditor e(m);
    p.feed("P>");
    e.begin(u"", U'\t', false);
    typeText(e, u"type lo");
    LineEditor::Result r = e.key(ch(U'\t', true));
    ASSERT_TRUE(r.done);
    EXPECT_TRUE(r.woke);
    EXPECT_TRUE(r.shift);
    EXPECT_EQ(r.text, u"type lo");
    // The completed text is longer than a row: it wraps.
    e.begin(u"type longname.txt", U'\t', true);
    EXPECT_EQ(row(m, 0), u"P>type longn");
    EXPECT_EQ(row(m, 1), u"ame.txt");
    EXPECT_EQ(m.cursorRow(), 1);
    EXPECT_EQ(m.cursorColumn(), 7);
    r = e.key(ch(U'\t'));
    EXPECT_TRUE(r.woke);
    // A shorter one: what is left of the longer text is blanked.
    e.begin(u"type lo.c", U'\t', true);
    EXPECT_EQ(row(m, 0), u"P>type lo.c");
    EXPECT_EQ(row(m, 1), u"");
    r = e.key(code(KeyPress::Enter));
    EXPECT_EQ(r.text, u"type lo.c");
    EXPECT_FALSE(r.woke);
}
