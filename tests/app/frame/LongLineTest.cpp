// Very long lines (minified scripts, one-line JSON): opening and editing one never holds
// the event loop for long, and the editing component measures text the same whether it
// takes its quick way for plain ASCII in a monospaced font or lays the text out in full.
#include "FrameFixture.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace {

// Several times what the benchmark (velmo_bench_longlines) measures for a 1,000,000-character
// line (about 0.15-0.3 s to idle; 5-10 ms per key press with the line's layout kept and
// updated where it changed, 30 ms on a machine busy with other builds), well below what
// laying the line out with full text shaping costs (2.5-5.7 s to idle, 1.1-1.4 s per key
// press) and near measuring the whole line again on each key (0.12-0.18 s). The suite runs
// tests side by side, so the bounds leave room for a busy machine.
// Built with the address and undefined-behaviour checks, the same work takes several times
// as long; there the test is after memory faults more than speed.
#ifdef VELMO_SANITIZED
constexpr qint64 kSlowdown = 10;
#else
constexpr qint64 kSlowdown = 1;
#endif
constexpr qint64 kOpenBoundMs = 2000 * kSlowdown;
constexpr qint64 kKeyBoundMs = 250 * kSlowdown;

QByteArray minifiedLine(int chars)
{
    const char* tokens[] = {"function(a,b){return ", "e.length", ";}", "var n=0x1f,", "\"str\"", "[1,2]",
                            "&&", "||", "!0", "this.x=>", "while(t++)", "/*c*/"};
    QByteArray out;
    out.reserve(chars + 32);
    for (int i = 0; out.size() < chars; ++i)
        out += tokens[(i * 7) % 12];
    out.truncate(chars);
    return out + "\n";
}

// Runs the event loop until it has nothing left; the time it took.
qint64 untilIdle()
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    return t.elapsed();
}

struct LongLineTest : FrameFixture {
    void writeIni() override
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[FONT]\n1=font:DejaVu Sans Mono,size:10\nCurSel=1\n");
    }
};

TEST_F(LongLineTest, AMillionCharacterLineOpensAndTakesKeysWithoutHoldingTheEventLoop)
{
#ifndef VELMO_QSCINTILLA_PATCHED
    GTEST_SKIP() << "built against the installed editing component, which lays long lines out slowly";
#endif
    start();
    frame->resize(1000, 700);
    frame->show();
    untilIdle();
    const QString path = write("bundle.min.js", minifiedLine(1000000));

    QElapsedTimer t;
    t.start();
    qint64 servedMs = -1;
    QTimer::singleShot(0, frame.get(), [&] { servedMs = t.elapsed(); });
    CChildFrame* child = frame->OpenFile(path);
    untilIdle();
    const qint64 idleMs = t.elapsed();
    ASSERT_NE(child, nullptr);
    CTextView* view = child->textView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->length(), 1000001);
    EXPECT_GE(servedMs, 0);
    EXPECT_LT(servedMs, kOpenBoundMs);
    EXPECT_LT(idleMs, kOpenBoundMs) << "opening the line and painting it held the event loop";

    // Type on the line, in the middle and at its end, through the whole key path.
    for (long at : {500000L, 1000000L}) {
        view->setFocus();
        view->setSel(at, at);
        untilIdle();
        t.restart();
        QTest::keyClick(view, Qt::Key_Q);
        const qint64 keyMs = t.elapsed() + untilIdle();
        EXPECT_EQ(view->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(at)), 'q');
        EXPECT_EQ(view->currentPos(), at + 1);
        EXPECT_LT(keyMs, kKeyBoundMs) << "a key press at " << at;
    }
    EXPECT_EQ(view->length(), 1000003);
}

// The x position of every character of each line, from the start of its line.
std::vector<std::vector<long>> linePositions(CTextView& view, const char* font, const std::vector<QByteArray>& lines)
{
    view.SendScintilla(QsciScintillaBase::SCI_STYLESETFONT, QsciScintillaBase::STYLE_DEFAULT, font);
    view.SendScintilla(QsciScintillaBase::SCI_STYLESETSIZE, QsciScintillaBase::STYLE_DEFAULT, 11);
    view.SendScintilla(QsciScintillaBase::SCI_STYLECLEARALL);
    view.SendScintilla(QsciScintillaBase::SCI_SETMARGINWIDTHN, 0UL, 0L);
    view.SendScintilla(QsciScintillaBase::SCI_SETMARGINWIDTHN, 1UL, 0L);
    QByteArray text = lines.front();
    for (size_t i = 1; i < lines.size(); ++i)
        text += "\n" + lines[i];
    view.SendScintilla(QsciScintillaBase::SCI_SETTEXT, text.constData());
    std::vector<std::vector<long>> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const long start = view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(i));
        const long x0 = view.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, start);
        std::vector<long> xs;
        for (int c = 0; c <= lines[i].size(); ++c)
            xs.push_back(view.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, start + c) - x0);
        out.push_back(xs);
    }
    return out;
}

TEST_F(LongLineTest, PlainAsciiMeasuresAsTheFullLayoutDoesInMonospacedAndProportionalFonts)
{
    CTextView view;
    view.resize(2000, 200);
    view.show();
    untilIdle();
    // The same characters, once plain and once with a character that needs a full layout
    // of its run (it follows the compared part, so it moves nothing before it).
    const QByteArray ascii = "int main(void) { return ~x | 0x7F; } // WAVE iiii mmmm {}[]";
    const QByteArray mixed = ascii + "\xC3\xA9";

    for (const char* font : {"DejaVu Sans Mono", "DejaVu Sans"}) {
        SCOPED_TRACE(font);
        const auto xs = linePositions(view, font, {ascii, mixed});
        for (int c = 0; c <= ascii.size(); ++c)
            ASSERT_EQ(xs[0][c], xs[1][c]) << "character " << c;
        if (QByteArray(font).endsWith("Mono")) {
            // Every character takes the same width.
            const double advance = double(xs[0].back()) / double(ascii.size());
            for (int c = 1; c <= ascii.size(); ++c)
                ASSERT_NEAR(xs[0][c], c * advance, 1.0) << "character " << c;
        } else {
            // Narrow and wide letters keep their own widths in a proportional font.
            const int i = ascii.indexOf("iiii"), m = ascii.indexOf("mmmm");
            EXPECT_LT(xs[0][i + 4] - xs[0][i], xs[0][m + 4] - xs[0][m]);
        }
    }
}

} // namespace
