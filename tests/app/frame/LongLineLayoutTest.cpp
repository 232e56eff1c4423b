// A very long line keeps its layout while it is edited, and only the changed part is
// measured again: after typing, deleting and pasting on such a line the x position of
// every character is what a view laying the same text out afresh finds, with tabs, UTF-8
// text and control characters on the line, in a monospaced and a proportional font. The
// caret's column in the status bar is counted the same way the component counts it. The
// C family's lexer styles a long line from shortly before a change and as far as it is seen.
#include "FrameFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

#include <cmath>

namespace {

using SB = QsciScintillaBase;

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// A line of about `chars` bytes: words, tabs, two- and three-byte UTF-8 characters and a
// control character here and there.
QByteArray mixedLine(int chars)
{
    const char* pieces[] = {"function(a,b){return ", "\t", "caf\xC3\xA9 ", "x=1;", "\xE4\xB8\xAD\xE6\x96\x87", "\x01",
                            "while(t++)", "  ", "\"str\",", "WAVE"};
    QByteArray out;
    for (int i = 0; out.size() < chars; ++i)
        out += pieces[(i * 7 + i / 3) % 10];
    return out;
}

void setFont(CTextView& view, const char* font)
{
    view.SendScintilla(SB::SCI_STYLESETFONT, SB::STYLE_DEFAULT, font);
    view.SendScintilla(SB::SCI_STYLESETSIZE, SB::STYLE_DEFAULT, 10);
    view.SendScintilla(SB::SCI_STYLECLEARALL);
    view.SendScintilla(SB::SCI_SETTABWIDTH, 4UL);
}

// Types text through key events (QTest's key clicks take ASCII only).
void typeText(CTextView& view, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&view, &release);
    }
}

long xOf(CTextView& view, long pos)
{
    return long(view.SendScintilla(SB::SCI_POINTXFROMPOSITION, 0UL, pos));
}

// Compares the x of the characters around each of `at` and of a spread of characters
// along the line in `edited` with those in a view that lays out the same text afresh.
void expectSameLayout(CTextView& edited, const char* font, const std::vector<long>& at, long tolerance)
{
    CTextView fresh;
    fresh.resize(edited.size());
    setFont(fresh, font);
    fresh.show();
    const std::string text = edited.text();
    fresh.SendScintilla(SB::SCI_SETTEXT, text.c_str());
    settle();
    const long length = edited.length();
    ASSERT_EQ(fresh.length(), length);
    std::vector<long> positions;
    for (long p : at)
        for (long d = -80; d <= 80; ++d)
            positions.push_back(p + d);
    for (long p = 0; p < length; p += 997)
        positions.push_back(p);
    positions.push_back(length);
    // Both views show the same part of the line, so the x positions compare directly.
    const long scroll = edited.SendScintilla(SB::SCI_GETXOFFSET);
    fresh.SendScintilla(SB::SCI_SETXOFFSET, static_cast<unsigned long>(scroll));
    for (long p : positions) {
        if (p < 0 || p > length)
            continue;
        p = long(edited.SendScintilla(SB::SCI_POSITIONBEFORE, static_cast<unsigned long>(p + 1)));
        ASSERT_LE(std::labs(xOf(edited, p) - xOf(fresh, p)), tolerance) << "position " << p << " of " << length;
    }
}

using LongLineLayoutTest = FrameFixture;

TEST_F(LongLineLayoutTest, EditsOnALongLineLeaveTheLayoutAFreshLayoutWouldHave)
{
    // The monospaced font places plain ASCII from its one width; the proportional one from
    // each character's advance and each pair's kerning. Both measure everything else in
    // full, and a piece measured again after an edit is measured in segments, which do not
    // kern across their ends: a character may move by a pixel or so.
    for (const char* font : {"DejaVu Sans Mono", "DejaVu Sans"}) {
        SCOPED_TRACE(font);
        const long tolerance = QByteArray(font).endsWith("Mono") ? 0 : 3;
        CTextView view;
        view.resize(900, 300);
        setFont(view, font);
        view.show();
        const QByteArray line = mixedLine(60000);
        view.SendScintilla(SB::SCI_SETTEXT, (line + "\nshort line\n").constData());
        view.SendScintilla(SB::SCI_EMPTYUNDOBUFFER);
        view.setFocus();
        settle();

        std::vector<long> touched;
        // Typing in the middle, a tab, then deleting back over a multi-byte character.
        view.setSel(30000, 30000);
        settle();
        QTest::keyClicks(&view, "abc");
        QTest::keyClick(&view, Qt::Key_Tab);
        settle();
        touched.push_back(30000);
        view.setSel(45000, 45000);
        settle();
        QTest::keyClick(&view, Qt::Key_Backspace);
        QTest::keyClick(&view, Qt::Key_Backspace);
        QTest::keyClick(&view, Qt::Key_Delete);
        settle();
        touched.push_back(44998);
        // Near the start and at the very end of the line.
        view.setSel(3, 3);
        settle();
        typeText(view, QString::fromUtf8("\xC3\xA9zz"));
        settle();
        touched.push_back(3);
        const long end = long(view.SendScintilla(SB::SCI_GETLINEENDPOSITION, 0UL));
        view.setSel(end, end);
        settle();
        QTest::keyClicks(&view, "tail");
        settle();
        touched.push_back(end);
        // A paste of several hundred characters with tabs, and the selection it replaces.
        QApplication::clipboard()->setText(QString::fromUtf8(mixedLine(700)));
        view.setSel(20000, 20300);
        settle();
        QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
        settle();
        touched.push_back(20000);
        touched.push_back(20700);
        ASSERT_EQ(view.SendScintilla(SB::SCI_GETLINECOUNT), 3);
        expectSameLayout(view, font, touched, tolerance);

        // Undo all of it: the layout follows back.
        for (int i = 0; i < 20; ++i)
            view.SendScintilla(SB::SCI_UNDO);
        settle();
        EXPECT_TRUE(view.text() == std::string(line.constData()) + "\nshort line\n");
        expectSameLayout(view, font, touched, tolerance);
    }
}

TEST_F(LongLineLayoutTest, ALongLineInAProportionalFontPlacesKernedTextAsAShortLineDoes)
{
    // Text with kerning pairs (AV, To, Ya, ...): on a long line it is placed from each
    // character's advance and the kerning of each pair, on a short line it is laid out whole.
    // Both must put every character where drawing the text puts it.
    const QByteArray word = "AVAWAToVaWaYoLTPAFr.y,ffi Wa.Te,LY'A\"V(Aj)f7";
    CTextView shortView, longView;
    for (CTextView* v : {&shortView, &longView}) {
        v->resize(900, 200);
        setFont(*v, "DejaVu Sans");
        v->show();
    }
    shortView.SendScintilla(SB::SCI_SETTEXT, ("x " + word + "\n").constData());
    const QByteArray prefix = QByteArray(30000, 'o') + " ";
    longView.SendScintilla(SB::SCI_SETTEXT, (prefix + word + " " + QByteArray(30000, 'k') + "\n").constData());
    longView.setSel(prefix.size(), prefix.size());
    settle();
    const long shortStart = 2;
    const long longStart = prefix.size();
    ASSERT_GT(xOf(shortView, shortStart + 1) - xOf(shortView, shortStart), 0);
    // The font does kern: twenty letters alternating take less room than the same letters apart.
    auto width = [&](const char* text) {
        return long(shortView.SendScintilla(SB::SCI_TEXTWIDTH, SB::STYLE_DEFAULT, text));
    };
    ASSERT_LT(width("AVAVAVAVAVAVAVAVAVAV"), width("AAAAAAAAAA") + width("VVVVVVVVVV") - 5);
    for (long i = 1; i <= word.size(); ++i) {
        const long inShort = xOf(shortView, shortStart + i) - xOf(shortView, shortStart);
        const long inLong = xOf(longView, longStart + i) - xOf(longView, longStart);
        EXPECT_LE(std::labs(inShort - inLong), 1) << "character " << i << " of " << word.constData();
    }
    // Typing in the word measures again around it: the same places.
    longView.setFocus();
    longView.setSel(longStart + 5, longStart + 5);
    QTest::keyClicks(&longView, "AV");
    QTest::keyClick(&longView, Qt::Key_Backspace);
    QTest::keyClick(&longView, Qt::Key_Backspace);
    settle();
    for (long i = 1; i <= word.size(); ++i) {
        const long inShort = xOf(shortView, shortStart + i) - xOf(shortView, shortStart);
        const long inLong = xOf(longView, longStart + i) - xOf(longView, longStart);
        EXPECT_LE(std::labs(inShort - inLong), 1) << "after typing, character " << i;
    }
}

// A script of one long line, in the C family's lexer.
void setScript(CTextView& view, const QByteArray& text)
{
    setFont(view, "DejaVu Sans Mono");
    view.SendScintilla(SB::SCI_SETLEXERLANGUAGE, 0UL, "cpp");
    view.SendScintilla(SB::SCI_SETKEYWORDS, 0UL, "function return var while typeof null this");
    view.SendScintilla(SB::SCI_SETTEXT, text.constData());
    view.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
}

TEST_F(LongLineLayoutTest, TypingOnALongLineStylesWhatIsSeenAsAFullStylingWould)
{
    const char* tokens[] = {"function f(a, b) { return a + b; } ", "var s = \"a \\\" b\"; ", "x = /re+/g; ",
                            "/* note */ ", "while (t++) { n = 0x1f; } ", "y = typeof this.z; "};
    QByteArray line;
    for (int i = 0; line.size() < 200000; ++i)
        line += tokens[(i * 5 + i / 4) % 6];
    CTextView view;
    view.resize(900, 300);
    setScript(view, line + "\n");
    view.show();
    view.setFocus();
    settle();

    // Typing far into the line: a string opened and closed, a comment, an identifier.
    for (long at : {150000L, 100000L}) {
        view.setSel(at, at);
        settle();
        QTest::keyClicks(&view, " q = 'it' + w; /* c */ k");
        settle();
    }
    // Only the part of the line around what is seen was styled again.
    EXPECT_LT(long(view.SendScintilla(SB::SCI_GETENDSTYLED)), 120000);

    CTextView fresh;
    fresh.resize(900, 300);
    setScript(fresh, QByteArray::fromStdString(view.text()));
    const long caret = view.currentPos();
    const long from = long(view.SendScintilla(SB::SCI_POSITIONFROMPOINT, 0UL, 5L));
    const long to = long(view.SendScintilla(SB::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(view.width()), 5L));
    ASSERT_LT(from, caret);
    ASSERT_GT(to, caret);
    for (long p = from; p < to; ++p)
        ASSERT_EQ(view.SendScintilla(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(p)),
                  fresh.SendScintilla(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(p)))
            << "position " << p;
}

TEST_F(LongLineLayoutTest, TheStatusBarColumnOnALongLineCountsTabsAndCharactersAsTheComponentDoes)
{
    CTextView view;
    view.resize(900, 300);
    view.SendScintilla(SB::SCI_SETTABWIDTH, 8UL);
    const QByteArray line = mixedLine(40000);
    view.SendScintilla(SB::SCI_SETTEXT, (line + "\n").constData());
    for (long pos : {0L, 5L, 9999L, 10001L, 25000L, 39990L}) {
        const long p = long(view.SendScintilla(SB::SCI_POSITIONBEFORE, static_cast<unsigned long>(pos + 1)));
        EXPECT_EQ(view.column(p), long(view.SendScintilla(SB::SCI_GETCOLUMN, static_cast<unsigned long>(p))))
            << "position " << p;
    }
}

} // namespace
