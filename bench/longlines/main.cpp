// Documents with very long lines (minified scripts, one-line JSON) opened through the
// main frame: time to idle, how soon a queued call is served, a key press on the long
// line, a caret move, a find-next jump and scrolling along the line, for a minified script,
// a one-line JSON answer and a minified page of each size; and a 50 MiB C file for comparison.
// Run by hand: velmo_bench_longlines [file sizes in bytes...] (52428800 for the largest file
// opened as text). In the environment: REPEAT (steps per figure), CASES (min,one,page,big),
// FONT (the editor font), NOLANGUAGES, NOHIGHLIGHT, TRACE (each far find, the font's widths).
// Each case runs in a child process of its own so that its peak memory is its own.
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "documents/text/TextView.h"
#include "language/LanguageTable.h"
#include "search/SearchOptions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    out.resize(chars - 1);
    out += "\n";
    return out;
}

// A one-line JSON answer: members with strings, numbers, keywords and lists.
std::string jsonLine(size_t chars)
{
    std::mt19937 rng(3);
    const char* values[] = {"\"value text\"", "123", "true", "null", "[1, 2, 3]", "{\"a\": \"b\"}", "\"x \\\" y\""};
    std::string out = "{";
    out.reserve(chars + 64);
    while (out.size() < chars)
        out += "\"key" + std::to_string(rng() % 1000) + "\": " + values[rng() % 7] + ", ";
    const std::string end = "\"end\": 0}\n";
    out.resize(chars - end.size());
    out += end;
    return out;
}

// A minified page: tags with attributes, text, and now and then a script or a style block.
std::string htmlLine(size_t chars)
{
    std::mt19937 rng(11);
    const char* pieces[] = {"<div class=\"row\">", "</div>", "<span id=\"s1\">", "text here", "</span>",
                            "<a href=\"/path?q=1&amp;r=2\">link</a>", "<p>", "</p>", "&nbsp;", "<br/>",
                            "<script>var a=1;if(a<2){a++}</script>", "<style>.x{color:red}</style>",
                            "<!-- note -->", "<img src=\"i.png\" alt='pic'>", "<b>bold</b>"};
    std::string out = "<!DOCTYPE html><html><body>";
    out.reserve(chars + 64);
    while (out.size() < chars)
        out += pieces[rng() % 15];
    const std::string end = "</body></html>\n";
    out.resize(chars - end.size());
    out += end;
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

// Processor time of this process (user and system), which a busy machine disturbs less
// than the wall time.
double cpuMs()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Wall and processor times of repeated steps; printed as medians and maxima.
struct Samples {
    std::vector<double> wall, cpu;
    void add(double w, double c) { wall.push_back(w), cpu.push_back(c); }
    std::string text()
    {
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        char out[160];
        std::snprintf(out, sizeof out, "median %7.1f ms  max %7.1f ms  (processor: median %7.1f ms  max %7.1f ms)",
                      wall[wall.size() / 2], wall.back(), cpu[cpu.size() / 2], cpu.back());
        return out;
    }
};

// Ends a case once its figures are out: the frame's teardown is not what is measured.
[[noreturn]] int finish(int rc)
{
    std::fflush(stdout);
    std::_Exit(rc);
}

int runCase(const QString& file, bool longLine, int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir program, data;
    qputenv("VELMO_DATA_DIR", data.path().toUtf8());
    if (!qEnvironmentVariableIsSet("NOLANGUAGES")) {
        // The shipped language definitions, so that each file gets its lexer (NOLANGUAGES=1:
        // none, every file in the plain lexer).
        QDir(data.path()).mkpath("properties");
        const QDir shipped(QStringLiteral(VELMO_SOURCE_DIR "/data/properties"));
        for (const QString& name : shipped.entryList({"*.properties"}, QDir::Files))
            QFile::copy(shipped.filePath(name), QDir(data.path()).filePath("properties/" + name));
    }
    {
        QFile ini(program.filePath("velmo.ini"));
        ini.open(QIODevice::WriteOnly);
        // The shipped editor options (syntax highlighting on); NOHIGHLIGHT=1 for the view alone.
        // The editor font: FONT="DejaVu Sans" for a proportional one.
        const QByteArray font = qEnvironmentVariableIsSet("FONT") ? qgetenv("FONT") : QByteArray("DejaVu Sans Mono");
        ini.write("[FONT]\nCurSel=2\n2=font:" + font + ",size:10\n");
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
    const double openCpu = cpuMs();
    double queuedMs = -1;
    QTimer::singleShot(0, &app, [&] { queuedMs = ms(t); });
    CChildFrame* child = frame.OpenFile(file);
    const double openMs = ms(t);
    idle();
    const double idleMs = ms(t);
    const double idleCpuMs = cpuMs() - openCpu;
    if (!child || !child->textView()) {
        std::printf("open failed\n");
        return finish(1);
    }
    CTextView* view = child->textView();
    const double mib = double(view->length()) / (1 << 20);
    std::printf("%-10s %7.2f MiB  open %8.1f ms  queued call served %8.1f ms  to idle %8.1f ms"
                " (processor %8.1f ms)  peak RSS %4ld MiB  lexer %ld\n",
                qPrintable(QFileInfo(file).baseName()), mib, openMs, queuedMs, idleMs, idleCpuMs, peakMiB(),
                long(view->SendScintilla(QsciScintillaBase::SCI_GETLEXER)));
    if (qEnvironmentVariableIsSet("TRACE"))
        std::printf("  text width of iiii %ld, of WWWW %ld\n",
                    long(view->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, 0ul, "iiii")),
                    long(view->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, 0ul, "WWWW")));
    if (!longLine)
        return finish(0);

    // Key presses in the middle of the long line, each until the view is idle again.
    view->setFocus();
    const long middle = view->length() / 2;
    view->setSel(middle, middle);
    idle();
    Samples keys;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const double c0 = cpuMs();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(view, &release);
        idle();
        keys.add(ms(t), cpuMs() - c0);
    }
    std::printf("%-10s key press on the line: %s\n",
                qPrintable(QFileInfo(file).baseName()), keys.text().c_str());

    // Caret moves along the line (Right), each until the view is idle again.
    Samples moves;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const double c0 = cpuMs();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(view, &release);
        idle();
        moves.add(ms(t), cpuMs() - c0);
    }
    std::printf("%-10s caret move along the line: %s\n",
                qPrintable(QFileInfo(file).baseName()), moves.text().c_str());

    // Find next: search forward from the caret, select the hit (which scrolls to it).
    Samples finds;
    view->setSel(0, 0);
    idle();
    const QByteArray needle = "while(";
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const double c0 = cpuMs();
        const long from = view->currentPos() + long(i) * 400000 % std::max<long>(1, view->length());
        view->SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(from));
        view->SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(view->length()));
        const long at = view->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET,
                                            static_cast<unsigned long>(needle.size()), needle.constData());
        if (at >= 0)
            view->setSel(at, at + needle.size());
        idle();
        finds.add(ms(t), cpuMs() - c0);
        if (qEnvironmentVariableIsSet("TRACE"))
            std::printf("  from %ld hit %ld: %.1f ms\n", from, at, finds.wall.back());
    }
    std::printf("%-10s find a hit 400 kB on along the line: %s\n",
                qPrintable(QFileInfo(file).baseName()), finds.text().c_str());

    // F3 as the user presses it: the next occurrence of the find text, from the caret on.
    Samples f3;
    view->setSel(0, 0);
    view->setFocus();
    idle();
    const QString suffix = QFileInfo(file).suffix();
    settings.search.setFindText(suffix == "js" ? "while(" : suffix == "html" ? "<b>" : "\"key42\"");
    settings.search.flags = search::Mask::Forward | search::Mask::Wrap;
    long lastHit = -1;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const double c0 = cpuMs();
        QTest::keyClick(view, Qt::Key_F3);
        idle();
        f3.add(ms(t), cpuMs() - c0);
        lastHit = view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    }
    std::printf("%-10s F3 (find next) along the line: %s  last hit at %ld\n",
                qPrintable(QFileInfo(file).baseName()), f3.text().c_str(), lastHit);

    // Scrolling along the line: page steps of the horizontal scroll bar.
    Samples scrolls;
    QScrollBar* bar = view->horizontalScrollBar();
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const double c0 = cpuMs();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        idle();
        scrolls.add(ms(t), cpuMs() - c0);
    }
    std::printf("%-10s scroll a page along the line: %s\n",
                qPrintable(QFileInfo(file).baseName()), scrolls.text().c_str());
    Samples steps;
    for (int i = 0; i < repeats(); ++i) {
        t.restart();
        const double c0 = cpuMs();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        idle();
        steps.add(ms(t), cpuMs() - c0);
    }
    std::printf("%-10s scroll a step along the line: %s  peak RSS %4ld MiB\n",
                qPrintable(QFileInfo(file).baseName()), steps.text().c_str(), peakMiB());
    return finish(0);
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
    // CASES="min,page": only those cases (min, one, page, big).
    const QStringList only = qEnvironmentVariable("CASES").split(',', Qt::SkipEmptyParts);
    auto run = [&](const QString& file, const std::string& bytes, bool longLine) {
        if (!only.isEmpty() && !only.contains(QFileInfo(file).baseName().remove(QRegularExpression("[0-9]+$"))))
            return;
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
    for (size_t n : sizes) {
        run(QDir(tmp.path()).filePath(QStringLiteral("min%1.js").arg(n)), minified(n), true);
        run(QDir(tmp.path()).filePath(QStringLiteral("one%1.json").arg(n)), jsonLine(n), true);
        run(QDir(tmp.path()).filePath(QStringLiteral("page%1.html").arg(n)), htmlLine(n), true);
    }
    run(QDir(tmp.path()).filePath("big50.c"), cFile(50u << 20), false);
    return failures;
}
