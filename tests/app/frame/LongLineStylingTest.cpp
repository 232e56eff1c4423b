// One-line JSON of hundreds of thousands of characters: an edit in the middle of the line
// is styled again from shortly before it, not from the start of the line, and what is seen
// is styled as styling the whole text afresh would style it (strings with escapes, numbers
// right after a space, keywords, property names). The same for a minified page, whose lexer
// goes on from the state it noted along the line: styles and fold levels end up as a fresh
// styling gives them, to the end of the document.
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

// Puts the caret just after the first `near` at or after `from`; returns where (< from: none).
long caretAfter(CTextView& view, const char* near, long from)
{
    const long found = long(QByteArray::fromStdString(view.text()).indexOf(near, int(from)));
    if (found < from)
        return -1;
    const long at = found + long(strlen(near));
    view.setSel(at, at);
    settle();
    return at;
}

// Types `text` at the caret with a mark put in the styles near the start of the line first;
// true when the mark is still there, which styling the line again from its start would wipe.
bool typeKeepingMark(CTextView& view, const char* text)
{
    const long styled = view.SendScintilla(SB::SCI_GETENDSTYLED);
    view.SendScintilla(SB::SCI_STARTSTYLING, 100UL, 0L);
    view.SendScintilla(SB::SCI_SETSTYLING, 5UL, 31L);
    view.SendScintilla(SB::SCI_STARTSTYLING, static_cast<unsigned long>(styled), 0L);
    QTest::keyClicks(&view, QString::fromLatin1(text));
    settle();
    return view.SendScintilla(SB::SCI_GETSTYLEAT, 102UL) == 31;
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
        ASSERT_GE(caretAfter(view, e.near, 150000), 150000);
        EXPECT_TRUE(typeKeepingMark(view, e.text)) << "the line was styled from its start";
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

void setPage(CTextView& view, const QByteArray& text)
{
    view.SendScintilla(SB::SCI_STYLESETFONT, SB::STYLE_DEFAULT, "DejaVu Sans Mono");
    view.SendScintilla(SB::SCI_STYLECLEARALL);
    view.SendScintilla(SB::SCI_SETLEXERLANGUAGE, 0UL, "hypertext");
    view.SendScintilla(SB::SCI_SETPROPERTY, "fold", "1");
    view.SendScintilla(SB::SCI_SETPROPERTY, "fold.html", "1");
    view.SendScintilla(SB::SCI_SETKEYWORDS, 0UL, "html body div span a p b img br script style");
    view.SendScintilla(SB::SCI_SETKEYWORDS, 1UL, "var if else function return while");
    view.SendScintilla(SB::SCI_SETTEXT, text.constData());
}

QByteArray pageLine(int chars)
{
    const char* pieces[] = {"<div class=\"row\">", "</div>", "<span id=s1>text here</span> ", "&amp; &nbsp; ",
                            "<a href=\"/p?q=1&amp;r=2\">link</a>", "<script>var a=1;if(a<2){a='</b>'}</script>",
                            "<style>.x{color:red}</style>", "<!-- a <note> -->", "<?php echo $x; ?>", "<b>bold</b> ",
                            "<p>words, words</p>", "<img src='i.png' alt=\"pic\">"};
    QByteArray line = "<html><body>";
    for (int i = 0; line.size() < chars; ++i)
        line += pieces[(i * 5 + i / 12) % 12];
    return line + "</body></html>";
}

TEST_F(LongLineStylingTest, EditsFarIntoAMinifiedPageAreStyledFromAStateNotedNearThemAsAFreshStylingWould)
{
    // Lines after the long one, enough for the end of the document to show none of it.
    QByteArray after = "\n<div>\n";
    for (int i = 0; i < 60; ++i)
        after += "<p>after <b>" + QByteArray::number(i) + "</b></p>\n";
    const QByteArray text = pageLine(400000) + after + "</div>\n";
    CTextView view;
    view.resize(900, 300);
    setPage(view, text);
    view.show();
    view.setFocus();
    settle();
    // Styling the whole line once, as scrolling past it does, notes the states on the way.
    view.SendScintilla(SB::SCI_DOCUMENTEND);
    settle();

    struct Edit {
        long from;          // typed just after the first `near` at or after this
        const char* near;
        const char* text;
    } edits[] = {
        {300000, "text here", " <div><p>"},     // opens tags: the fold nesting after changes
        {160000, "<script>var a", "=b;/*"},    // opens a comment in a script
        {200000, "&amp;", " <!-- "},           // opens an HTML comment that runs to the next end
        {250000, "<?php echo", " $y;"},        // inside PHP
        {120000, "</div>", "</div></div>"},    // closes more than was opened
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.text);
        const long at = caretAfter(view, e.near, e.from);
        ASSERT_GE(at, e.from);
        EXPECT_TRUE(typeKeepingMark(view, e.text)) << "the line was styled from its start";

        // Everything, to the end of the document: styles and fold levels.
        view.SendScintilla(SB::SCI_DOCUMENTEND);
        settle();
        ASSERT_EQ(view.SendScintilla(SB::SCI_GETENDSTYLED), view.length());
        CTextView fresh;
        fresh.resize(900, 300);
        setPage(fresh, QByteArray::fromStdString(view.text()));
        fresh.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
        const long length = view.length();
        for (long p = 110; p < length; ++p)
            ASSERT_EQ(view.SendScintilla(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(p)),
                      fresh.SendScintilla(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(p)))
                << "position " << p << " (edit at " << at << ")";
        for (long line = 0; line < view.SendScintilla(SB::SCI_GETLINECOUNT); ++line)
            ASSERT_EQ(view.SendScintilla(SB::SCI_GETFOLDLEVEL, static_cast<unsigned long>(line)),
                      fresh.SendScintilla(SB::SCI_GETFOLDLEVEL, static_cast<unsigned long>(line)))
                << "line " << line;
    }
}

} // namespace
