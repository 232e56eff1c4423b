// Replace All of 1,000,000 matches in a 30 MiB document (one undo step), and Find All of
// 100,000 matches into a shown result view. Run by hand: velmo_bench_search.
#include "documents/text/TextView.h"
#include "search/widgets/FindView.h"
#include "search/widgets/TextSearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>

namespace {

// `lines` lines of about `width` bytes, with `hitsPerLine` times "needle" in each.
std::string makeText(size_t bytes, int hitsPerLine, size_t lineWidth, size_t* hits)
{
    std::string text;
    text.reserve(bytes + lineWidth);
    *hits = 0;
    while (text.size() < bytes) {
        std::string line;
        for (int h = 0; h < hitsPerLine; ++h) {
            line += "needle ";
            ++*hits;
        }
        while (line.size() + 2 < lineWidth)
            line += 'x';
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    {
        CTextView view;
        view.resize(800, 600);
        view.show();
        size_t hits = 0;
        // 1,000,000 lines of 32 bytes with one match each: 30.5 MiB.
        const size_t size = argc > 1 ? size_t(std::atol(argv[1])) : 32'000'000;
        const std::string text = makeText(size, 1, 32, &hits);
        view.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
        view.addText(text);
        view.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1UL);
        view.setSel(0, 0);
        search::SearchOptions o;
        o.setFindText("needle");
        o.setReplaceText("pin");
        o.flags = search::Mask::Wrap | search::Mask::MatchCase;
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu0 = std::clock();
        const int count = search::replaceAll(view, o);
        const qint64 ms = t.elapsed();
        const long cpuMs = long((std::clock() - cpu0) * 1000 / CLOCKS_PER_SEC);
        // The application's views ask only for fold changes (as the language styler sets).
        view.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, static_cast<unsigned long>(QsciScintillaBase::SC_MOD_CHANGEFOLD));
        t.restart();
        view.undo();
        const qint64 undoMs = t.elapsed();
        const bool undone = view.text() == text;
        std::printf("replace all: %d of %zu matches in %.1f MiB: %lld ms, %ld ms processor time (target < 2000); one undo step restores: %s (%lld ms)\n",
                    count, hits, double(text.size()) / (1 << 20), static_cast<long long>(ms), cpuMs, undone ? "yes" : "no", static_cast<long long>(undoMs));
        std::fflush(stdout);
    }

    {
        CTextView view;
        size_t hits = 0;
        const std::string text = makeText(100'000 * 60, 1, 60, &hits);
        view.addText(text);
        search::CFindView results(0);
        results.resize(900, 300);
        results.show();
        int paints = 0;
        struct PaintCounter : QObject {
            int* n;
            explicit PaintCounter(int* p) : n(p) {}
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    ++*n;
                return false;
            }
        } counter(&paints);
        results.list()->viewport()->installEventFilter(&counter);
        QApplication::processEvents();
        paints = 0;
        search::SearchOptions o;
        o.setFindText("needle");
        o.flags = search::Mask::Wrap;
        QElapsedTimer t;
        t.start();
        const int count = search::findAllInto(results, view, QStringLiteral("/tmp/bench.txt"), nullptr, o);
        const qint64 ms = t.elapsed();
        std::printf("find all: %d of %zu matches into a result view: %lld ms (target < 1000); %d repaints while filling\n",
                    count, hits, static_cast<long long>(ms), paints);
    }
    return 0;
}
