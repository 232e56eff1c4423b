// Documents with very long lines (minified scripts, one-line JSON) opened through the
// main frame: time to idle, how soon a queued call is served, a key press on the long
// line, a caret move, a find-next jump and scrolling along the line; and a 50 MiB C file for
// comparison. Run by hand: velmo_bench_longlines [sizes in characters...]
// Each case runs in a child process of its own so that its peak memory is its own.
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "documents/text/TextView.h"
#include "language/LanguageTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

long peakMiB()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Something like a minified script bundle: one line, short tokens, no spaces to speak of.
std::string minified(size_t chars)
{
    std::mt19937 rng(7);
    const char* tokens[] = {"function(", "a,b", "){return ", "e.", "length", ";}", "var ", "n=", "0x1f",
                            "\"str\"", "[", "]", "&&", "||", "!0", "typeof ", "this.", "=>", "{", "}",
                            "while(", "t++", ")", ",", "null", "'x'", "+", "1e3", "/*c*/", "?:"};
    std::string out;
    out.reserve(chars + 32);
    while (out.size() < chars)
        out += tokens[rng() % 30];
    out.resize(chars);
    out += "\n";
    return out;
}

std::string cFile(size_t bytes)
{
    std::mt19937 rng(42);
    const char* words[] = {"int ", "value", " = ", "count", "(x);", " // note", "return ", "{", "}", "  "};
    std::string out;
    out.reserve(bytes + 256);
    while (out.size() + 200 < bytes) {   // stays within the size a text view takes
        for (int w = 0; w < 12; ++w)
            out += words[rng() % 10];
        out += "\n";
    }
    return out;
}

// Runs the event loop until nothing is left to do.
void idle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// How often each step is repeated (REPEAT in the environment, default 10).
int repeats()
{
    const int n = qEnvironmentVariableIntValue("REPEAT");
    return n > 0 ? n : 10;
}

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

int runCase(const QString& file, bool longLine, int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir program, data;
    qputenv("VELMO_DATA_DIR", data.path().toUtf8());
    {
        QFile ini(program.filePath("velmo.ini"));
        ini.open(QIODevice::WriteOnly);
        // The shipped editor options (syntax highlighting on); NOHIGHLIGHT=1 for the view alone.
        ini.write("[FONT]\n2=font:DejaVu Sans Mono,size:10\n");
        if (!qEnvironmentVariableIsSet("NOHIGHLIGHT"))
            ini.write("[EDITOR]\nEditorMask=35336\n");
    }
    AppSettings settings(program.path());
    LanguageTable languages;
    languages.Load(settings.Folder(AppSettings::PropertiesFolder));
    CMainFrame frame(settings, languages);
    frame.resize(1200, 800);
    frame.show();
    idle();

    // Open, then how long until a call queued right after the open is served, then idle.
    QElapsedTimer t;
    t.start();
    double queuedMs = -1;
    QTimer::singleShot(0, &app, [&] { queuedMs = ms(t); });
    CChildFrame* child = frame.OpenFile(file);
    const double openMs = ms(t);
    idle();
    const double idleMs = ms(t);
    if (!child || !child->textView()) {
        std::printf("open failed\n");
        return 1;
    }
    CTextView* view = child->textView();
    const double mib = double(view->length()) / (1 << 20);
    std::printf("%-10s %7.2f MiB  open %8.1f ms  queued call served %8.1f ms  to idle %8.1f ms  peak RSS %4ld MiB"
                "  lexer %ld\n",
                qPrintable(QFileInfo(file).baseName()), mib, openMs, queuedMs, idleMs, peakMiB(),
                long(view->SendScintilla(QsciScintillaBase::SCI_GETLEXER)));
    if (!longLine)
        return 0;

    // Key presses in the middle of the long line, each until the view is idle again.
    view->setFocus();
    const long middle = view->length() / 2;
    view->setSel(middle, middle);
    idle();
    std::vector<double> keys;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(view, &release);
        idle();
        keys.push_back(ms(t));
    }
    std::sort(keys.begin(), keys.end());
    std::printf("%-10s key press on the line: median %7.1f ms  max %7.1f ms\n",
                qPrintable(QFileInfo(file).baseName()), keys[keys.size() / 2], keys.back());

    // Caret moves along the line (Right), each until the view is idle again.
    std::vector<double> moves;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(view, &release);
        idle();
        moves.push_back(ms(t));
    }
    std::sort(moves.begin(), moves.end());
    std::printf("%-10s caret move along the line: median %7.1f ms  max %7.1f ms\n",
                qPrintable(QFileInfo(file).baseName()), moves[moves.size() / 2], moves.back());

    // Find next: search forward from the caret, select the hit (which scrolls to it).
    std::vector<double> finds;
    view->setSel(0, 0);
    idle();
    const QByteArray needle = "while(";
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const long from = view->currentPos() + long(i) * 400000 % std::max<long>(1, view->length());
        view->SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(from));
        view->SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(view->length()));
        const long at = view->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET,
                                            static_cast<unsigned long>(needle.size()), needle.constData());
        if (at >= 0)
            view->setSel(at, at + needle.size());
        idle();
        finds.push_back(ms(t));
    }
    std::sort(finds.begin(), finds.end());
    std::printf("%-10s find next along the line: median %7.1f ms  max %7.1f ms\n",
                qPrintable(QFileInfo(file).baseName()), finds[finds.size() / 2], finds.back());

    // Scrolling along the line: page steps of the horizontal scroll bar.
    std::vector<double> scrolls;
    QScrollBar* bar = view->horizontalScrollBar();
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        idle();
        scrolls.push_back(ms(t));
    }
    std::sort(scrolls.begin(), scrolls.end());
    std::printf("%-10s scroll a page along the line: median %7.1f ms  max %7.1f ms\n",
                qPrintable(QFileInfo(file).baseName()), scrolls[scrolls.size() / 2], scrolls.back());
    std::vector<double> steps;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        idle();
        steps.push_back(ms(t));
    }
    std::sort(steps.begin(), steps.end());
    std::printf("%-10s scroll a step along the line: median %7.1f ms  max %7.1f ms  peak RSS %4ld MiB\n",
                qPrintable(QFileInfo(file).baseName()), steps[steps.size() / 2], steps.back(), peakMiB());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && QString(argv[1]) == "--case")
        return runCase(QString::fromLocal8Bit(argv[2]), QString(argv[3]) == "long", argc, argv);

    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(size_t(std::stoull(argv[i])));
    if (sizes.empty())
        sizes = {100000, 1000000, 5000000};
    QTemporaryDir tmp;
    int failures = 0;
    auto run = [&](const QString& file, const std::string& bytes, bool longLine) {
        {
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(bytes.data(), qint64(bytes.size()));
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]),
                    {"--case", file, longLine ? "long" : "big", "-platform", "offscreen"});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0;
        QFile::remove(file);
    };
    for (size_t n : sizes)
        run(QDir(tmp.path()).filePath(QStringLiteral("min%1.js").arg(n)), minified(n), true);
    run(QDir(tmp.path()).filePath("big50.c"), cFile(50u << 20), false);
    return failures;
}
