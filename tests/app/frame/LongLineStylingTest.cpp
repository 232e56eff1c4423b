// One-line JSON of hundreds of thousands of characters: an edit in the middle of the line
// is styled again from shortly before it, not from the start of the line, and what is seen
// is styled as styling the whole text afresh would style it (strings with escapes, numbers
// right after a space, keywords, property names).
#include "FrameFixture.h"

#include <QTest>

namespace {

using SB = QsciScintillaBase;

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void setJson(CTextView& view, const QByteArray& text)
{
    view.SendScintilla(SB::SCI_STYLESETFONT, SB::STYLE_DEFAULT, "DejaVu Sans Mono");
    view.SendScintilla(SB::SCI_STYLECLEARALL);
    view.SendScintilla(SB::SCI_SETLEXERLANGUAGE, 0UL, "json");
    view.SendScintilla(SB::SCI_SETKEYWORDS, 0UL, "false true null");
    view.SendScintilla(SB::SCI_SETTEXT, text.constData());
}

QByteArray jsonLine(int chars)
{
    const char* members[] = {"\"name\": \"a \\\"quoted\\\" word\", ", "\"n\": 123, ", "\"ok\": true, ",
                             "\"list\": [1, 2.5e3, -7], ", "\"empty\": null, ", "\"url\": \"http://x.org/a\", "};
    QByteArray line = "{";
    for (int i = 0; line.size() < chars; ++i)
        line += members[(i * 5 + i / 3) % 6];
    return line + "\"end\": 0}\n";
}

using LongLineStylingTest = FrameFixture;

TEST_F(LongLineStylingTest, EditsInTheMiddleOfALongJsonLineAreStyledFromNearThemAsAFreshStylingWould)
{
    const QByteArray line = jsonLine(300000);
    CTextView view;
    view.resize(900, 300);
    setJson(view, line);
    view.show();
    view.setFocus();
    settle();

    struct Edit {
        const char* near;   // typed just after the first of these at or after 150,000
        const char* text;
    } edits[] = {
        {"\"n\": 1", "9"},                     // inside a number that follows a space
        {"\"name\": \"a", " new \\n text"},    // inside a string, with an escape
        {"\"ok\": ", "false, \"k\": "},        // a keyword and a property name
        {"[1", "0, 42"},                       // numbers in a list
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.text);
        const long at = long(QByteArray::fromStdString(view.text()).indexOf(e.near, 150000)) + long(strlen(e.near));
        view.setSel(at, at);
        settle();
        // A mark in the styles near the start of the line, which styling the line again
        // from its start would wipe.
        const long styled = view.SendScintilla(SB::SCI_GETENDSTYLED);
        view.SendScintilla(SB::SCI_STARTSTYLING, 100UL, 0L);
        view.SendScintilla(SB::SCI_SETSTYLING, 5UL, 31L);
        view.SendScintilla(SB::SCI_STARTSTYLING, static_cast<unsigned long>(styled), 0L);

        QTest::keyClicks(&view, QString::fromLatin1(e.text));
        settle();
        EXPECT_EQ(view.SendScintilla(SB::SCI_GETSTYLEAT, 102UL), 31) << "the line was styled from its start";
        EXPECT_LT(long(view.SendScintilla(SB::SCI_GETENDSTYLED)), 200000) << "styled far past what is seen";

        CTextView fresh;
        fresh.resize(900, 300);
        setJson(fresh, QByteArray::fromStdString(view.text()));
        fresh.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
        const long caret = view.currentPos();
        const long from = long(view.SendScintilla(SB::SCI_POSITIONFROMPOINT, 0UL, 5L));
        const long to = long(view.SendScintilla(SB::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(view.width()), 5L));
        ASSERT_LT(from, caret);
        ASSERT_GT(to, caret);
        for (long p = from; p < to; ++p)
            ASSERT_EQ(view.SendScintilla(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(p)),
                      fresh.SendScintilla(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(p)))
                << "position " << p << " (caret " << caret << ")";
    }
}

} // namespace
