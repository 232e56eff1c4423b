// Braces on a line of hundreds of thousands of characters: Match Brace finds a partner
// however far along the line it is, without styling the line again from its start, and
// the match made as the caret moves looks no further than a window around the brace.
#include "EditingFixture.h"

namespace {

constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;

struct LongLineBraceTest : EditingFixture {
    void writeIni() override
    {
        // Syntax highlighting on: a brace counts only in the language's brace style.
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=512\n");
    }
};

// One line of code: "f(" then `inside` bytes of statements without braces, then ");".
QByteArray callAround(int inside)
{
    QByteArray line = "f(";
    while (line.size() < inside + 2)
        line += "a = b + 1; ";
    line.truncate(inside + 2);
    return line + ");\n";
}

TEST_F(LongLineBraceTest, MatchBraceReachesAFarPartnerWithoutStylingTheLineAgain)
{
    start();
    const QByteArray line = callAround(600000);
    CTextView* v = openAndFocus("far.c", line);
    ASSERT_TRUE(v);
    const long close = line.lastIndexOf(')');

    // The caret after the closing brace, far along the line: the view shows that part.
    v->setSel(close + 1, close + 1);
    pump(10);
    ASSERT_GT(v->SendScintilla(SB::SCI_GETENDSTYLED), close);
    // A mark in the styles at the start of the line, which restyling from there would wipe.
    const long styled = v->SendScintilla(SB::SCI_GETENDSTYLED);
    v->SendScintilla(SB::SCI_STARTSTYLING, 10UL, 0L);
    v->SendScintilla(SB::SCI_SETSTYLING, 5UL, 31L);
    v->SendScintilla(SB::SCI_STARTSTYLING, static_cast<unsigned long>(styled), 0L);

    key(v, Qt::Key_BracketRight, Ctrl);
    EXPECT_EQ(v->currentPos(), 1) << "before the opening brace";
    key(v, Qt::Key_BracketRight, Ctrl);
    EXPECT_EQ(v->currentPos(), close + 1) << "back after the closing brace";
    EXPECT_EQ(v->SendScintilla(SB::SCI_GETSTYLEAT, 12UL), 31) << "the line was styled again from its start";
}

TEST_F(LongLineBraceTest, TheMatchAsTheCaretMovesLooksOnlyAWindowAroundTheBrace)
{
    start();
    CTextView* v = openAndFocus("window.c", callAround(600000) + callAround(100));
    ASSERT_TRUE(v);
    const long farClose = v->SendScintilla(SB::SCI_POSITIONFROMLINE, 1UL) - 3;
    const long nearOpen = farClose + 4, nearClose = nearOpen + 101;
    ASSERT_EQ(v->SendScintilla(SB::SCI_GETCHARAT, static_cast<unsigned long>(farClose)), ')');
    ASSERT_EQ(v->SendScintilla(SB::SCI_GETCHARAT, static_cast<unsigned long>(nearOpen)), '(');
    ASSERT_EQ(v->SendScintilla(SB::SCI_GETCHARAT, static_cast<unsigned long>(nearClose)), ')');
    v->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    const unsigned long window = 256 * 1024;
    // Bounded: a partner within the window is found, one beyond it is reported as such
    // (-2), not as missing; without a bound the far one is found too.
    EXPECT_EQ(v->SendScintilla(SB::SCI_BRACEMATCH, static_cast<unsigned long>(nearOpen), long(window)), nearClose);
    EXPECT_EQ(v->SendScintilla(SB::SCI_BRACEMATCH, static_cast<unsigned long>(farClose), long(window)), -2);
    EXPECT_EQ(v->SendScintilla(SB::SCI_BRACEMATCH, static_cast<unsigned long>(farClose), 0L), 1);
    // A brace whose search ends within the window without a partner is still bad.
    v->setSel(nearClose + 1, nearClose + 1);
    key(v, Qt::Key_End);
    type(v, "(");
    const long stray = v->currentPos() - 1;
    EXPECT_EQ(v->SendScintilla(SB::SCI_BRACEMATCH, static_cast<unsigned long>(stray), long(window)), -1);
}

} // namespace
