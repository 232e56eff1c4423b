// Hex view benchmark: opens an 8 GiB sparse file in the hex view offscreen and measures the
// time to the first paint, Ctrl+End, and 1000 scroll steps (rows, then thumb jumps), with
// the process's peak memory before and after. Run by hand; prints one line per figure.
#include "documents/hex/CHexView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

long peakKiB()
{
    rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

struct Steps {
    std::vector<double> ms;
    void report(const char* what) const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        double sum = 0;
        for (double v : s)
            sum += v;
        std::printf("%-28s n=%zu mean %.3f ms  median %.3f ms  p99 %.3f ms  max %.3f ms\n", what, s.size(),
                    sum / double(s.size()), s[s.size() / 2], s[s.size() * 99 / 100], s.back());
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long startKiB = peakKiB();

    QTemporaryDir dir;
    const QString path = dir.filePath("sparse-8g.bin");
    const int64_t size = int64_t(8) << 30;
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || ::ftruncate(f.handle(), off_t(size)) != 0) {
            std::fprintf(stderr, "cannot create the sparse file in %s\n", qPrintable(dir.path()));
            return 1;
        }
    }

    // An empty view, shown and painted once, so that fonts and the window are already set up.
    CHexView view;
    view.resize(1000, 800);
    view.show();
    view.viewport()->grab();
    app.processEvents();
    const long emptyKiB = peakKiB();

    QElapsedTimer t;
    t.start();
    if (!view.load(path)) {
        std::fprintf(stderr, "load failed\n");
        return 1;
    }
    view.viewport()->grab();
    const double openMs = t.nsecsElapsed() / 1e6;
    app.processEvents();
    const long openKiB = peakKiB();

    t.restart();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(&view, &end);
    view.viewport()->repaint();
    const double endMs = t.nsecsElapsed() / 1e6;
    const long long endTop = view.model().topRow();

    QScrollBar* bar = view.verticalScrollBar();
    Steps rows, jumps;
    for (int i = 0; i < 1000; ++i) {
        t.restart();
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        view.viewport()->repaint();
        rows.ms.push_back(t.nsecsElapsed() / 1e6);
    }
    QRandomGenerator rng(42);
    for (int i = 0; i < 1000; ++i) {
        const int to = int(rng.bounded(bar->maximum() + 1));
        t.restart();
        bar->setSliderPosition(to);
        bar->triggerAction(QAbstractSlider::SliderMove);
        view.viewport()->repaint();
        jumps.ms.push_back(t.nsecsElapsed() / 1e6);
    }
    // The model alone: one row up plus the strings of every row on screen, without painting.
    Steps model;
    hex::HexModel& m = view.model();
    for (int i = 0; i < 1000; ++i) {
        t.restart();
        m.scrollBy(-1);
        int chars = 0;
        for (int r = 0; r < m.shownRows(); ++r)
            chars += int(m.offsetText(r).size() + m.hexText(r).size() + m.charText(r).size());
        model.ms.push_back(t.nsecsElapsed() / 1e6);
        if (chars == 0)
            return 2;
    }
    app.processEvents();
    const long endKiB = peakKiB();

    std::printf("file                         8 GiB sparse (%lld bytes), window 1000x800, %d rows on screen\n",
                static_cast<long long>(size), view.model().rowsOnScreen());
    std::printf("open to first paint          %.3f ms\n", openMs);
    std::printf("Ctrl+End and repaint         %.3f ms (top row %lld of %lld)\n", endMs, endTop, static_cast<long long>(view.model().maxTopRow()));
    rows.report("scroll one row + repaint");
    jumps.report("thumb jump + repaint");
    model.report("model only: row + strings");
    std::printf("peak RSS: start %ld KiB, empty view %ld KiB, after open %ld KiB, at end %ld KiB\n", startKiB,
                emptyKiB, openKiB, endKiB);
    std::printf("memory growth from the empty view: %.2f MiB\n", (endKiB - emptyKiB) / 1024.0);
    return 0;
}
