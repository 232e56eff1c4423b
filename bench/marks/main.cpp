// The occurrence highlight on a 50 MiB file of one line: the time of a caret move (with a
// word selected) and of a scroll step, each until the view has been updated and painted.
// Run by hand: QT_QPA_PLATFORM=offscreen velmo_bench_marks
#include "documents/text/Marks.h"
#include "documents/text/Markers.h"
#include "documents/text/TextView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using SB = QsciScintillaBase;

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %7.2f ms   max %7.2f ms   (%zu runs)\n", what, ms[ms.size() / 2], ms.back(), ms.size());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CTextView view;
    view.resize(1000, 700);
    view.show();
    std::string text;
    const std::string words = "foo bar foobar baz FOO qux ";
    text.reserve((50u << 20) + words.size());
    while (text.size() < (50u << 20))
        text += words;
    QElapsedTimer load;
    load.start();
    view.addText(text);
    std::printf("loaded %zu bytes in one line in %lld ms\n", text.size(), static_cast<long long>(load.elapsed()));
    view.SendScintilla(SB::SCI_INDICSETSTYLE, textdoc::kOccurrenceIndicator, SB::INDIC_ROUNDBOX);
    view.setSel(0, 3);
    settle();

    // VELMO_BENCH_NO_HIGHLIGHT=1: the same steps with the view's notifications off, for the
    // component's own share.
    const bool off = qEnvironmentVariableIsSet("VELMO_BENCH_NO_HIGHLIGHT");
    view.blockSignals(off);
    std::vector<double> moves, scrolls, alone;
    QElapsedTimer t;
    for (int i = 0; i < 40; ++i) {
        // A word selected further along the line each time (the view follows the caret).
        const long at = long(words.size()) * (1000 + i * 50);
        t.start();
        view.setSel(at, at + 3);
        settle();
        moves.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (int i = 0; i < 40; ++i) {
        t.start();
        view.lineScroll(i % 2 ? -8 : 16, 0);
        settle();
        scrolls.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (int i = 0; i < 40; ++i) {
        t.start();
        marks::highlightOccurrences(view);
        alone.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    report("caret move (word selected)", moves);
    report("horizontal scroll step", scrolls);
    report("highlight alone", alone);
    long marked = 0;
    for (long pos = 0; pos < view.length();) {
        const long end = long(view.SendScintilla(SB::SCI_INDICATOREND, textdoc::kOccurrenceIndicator, pos));
        if (view.SendScintilla(SB::SCI_INDICATORVALUEAT, textdoc::kOccurrenceIndicator, pos))
            ++marked;
        if (end <= pos)
            break;
        pos = end;
    }
    std::printf("occurrences marked: %ld\n", marked);
    return 0;
}
