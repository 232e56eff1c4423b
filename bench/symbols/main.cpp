// Symbols on a large file (a generated C++ file of 5 MiB by default), in wall and processor
// time, split into its parts:
//   - the tagger alone (its processor time as a child of this process) and the parsing of
//     its output (this thread's processor time);
//   - arranging the tags into each tree (this thread);
//   - showing a tree: the model published, its groups expanded and the view painted;
//   - in a real main frame: a changed document saved, the time until its tree is shown, and
//     the longest stall of the UI thread meanwhile (a 5 ms timer that notes the gaps between
//     its ticks).
//   velmo_bench_symbols [MiB] [--parts]     (--parts: leave out the main frame)
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/SymbolCommands.h"
#include "documents/text/TextView.h"
#include "language/LanguageTable.h"
#include "platform/Registry.h"
#include "symbols/CtagsRunner.h"
#include "symbols/widgets/FunctionDocker.h"
#include "symbols/widgets/JumpToDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include <sys/resource.h>
#include <time.h>

namespace {

QByteArray source(qint64 bytes)
{
    QByteArray s;
    s.reserve(bytes + 4096);
    int n = 0;
    while (s.size() < bytes) {
        const QByteArray i = QByteArray::number(n++);
        s += "namespace ns" + i + " {\n"
             "class Widget" + i + " {\npublic:\n    int width" + i + ";\n    int height" + i + ";\n"
             "    void paint" + i + "(int x, int y);\n};\n"
             "#define MACRO_" + i + "(a) ((a) + " + i + ")\n"
             "enum Colour" + i + " { Red" + i + ", Green" + i + " };\n"
             "static int helper" + i + "(int v)\n{\n    return MACRO_" + i + "(v) * 2;\n}\n"
             "}\n"
             "void ns" + i + "::Widget" + i + "::paint" + i + "(int x, int y)\n{\n    width" + i + " = x;\n"
             "    height" + i + " = y;\n}\n\n";
    }
    return s;
}

double threadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

double childrenMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

void pumpUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const double mib = argc > 1 ? std::atof(argv[1]) : 5.0;
    QTemporaryDir program, data, files;
    qputenv("VELMO_DATA_DIR", data.path().toUtf8());
    registry::setUserStorePath(data.filePath("registry.txt"));
    AppSettings settings(program.path());
    LanguageTable languages;
    languages.Load(settings.Folder(AppSettings::PropertiesFolder));

    const QString path = files.filePath("big.cpp");
    const QByteArray text = source(qint64(mib * 1024 * 1024));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    std::printf("file: %.2f MiB\n", text.size() / 1048576.0);

    // The tagger alone, its output parsed on this thread as it arrives.
    QElapsedTimer t;
    t.start();
    symbols::CtagsRequest request;
    request.path = path;
    request.lexer = "cpp";
    double cpu = threadMs(), child = childrenMs();
    const symbols::CtagsOutcome alone = symbols::runCtags(request);
    std::printf("tagger: %lld ms wall, tagger processor %.0f ms, reading and parsing processor %.0f ms; %zu tags, ok %d\n",
                t.elapsed(), childrenMs() - child, threadMs() - cpu, alone.tags.size(), int(alone.ok));

    for (int arrangement : {0, 1, 2}) {
        // Arranging (done on the worker in the editor).
        t.restart();
        cpu = threadMs();
        symbols::SymbolTreeBuilder builder(arrangement);
        for (const symbols::TagRecord& tag : alone.tags)
            builder.AddTag(1, tag);
        symbols::SymbolTreeData data = builder.finish();
        std::printf("arrangement %d: arranging %lld ms wall, %.0f ms processor; ", arrangement, t.elapsed(),
                    threadMs() - cpu);
        // Showing (on the UI thread): published, expanded as the panel does, painted.
        symbols::CTagsTreeCtrl view(nullptr);
        view.resize(300, 600);
        view.show();
        QCoreApplication::processEvents();
        t.restart();
        cpu = threadMs();
        symbols::CFunctionDocker::present(&view, std::move(data));
        view.viewport()->repaint();
        std::printf("showing %lld ms wall, %.0f ms processor\n", t.elapsed(), threadMs() - cpu);
    }
    // The way the panel runs it: the tags arranged (by type) as the output is read.
    {
        t.restart();
        cpu = threadMs();
        child = childrenMs();
        symbols::SymbolTreeBuilder builder(0);
        symbols::runCtags(request, {}, -1, &builder);
        const symbols::SymbolTreeData data = builder.finish();
        std::printf("tagger read into the by-type tree: %lld ms wall, tagger processor %.0f ms, reading, parsing and "
                    "arranging processor %.0f ms; %d entries\n",
                    t.elapsed(), childrenMs() - child, threadMs() - cpu, int(data.nodes.size()));
    }

    // The symbol search: its rows made, shown, and the filter as the user types.
    {
        symbols::CJumpToDialog dialog;
        dialog.show();
        QCoreApplication::processEvents();
        t.restart();
        cpu = threadMs();
        std::vector<symbols::SymbolListModel::Row> rows;
        for (const symbols::TagRecord& tag : alone.tags)
            rows.push_back(symbols::SymbolListModel::rowOf(tag));
        const double makeCpu = threadMs() - cpu;
        cpu = threadMs();
        dialog.symbols()->adopt(std::move(rows));
        dialog.list()->viewport()->repaint();
        std::printf("symbol search: rows made %.0f ms processor, shown %.0f ms processor; ", makeCpu, threadMs() - cpu);
        double worst = 0;
        QString typed;
        for (QChar ch : QStringLiteral("Widget9999x")) {   // the last key matches nothing
            typed += ch;
            cpu = threadMs();
            dialog.edit()->setText(typed);
            dialog.list()->viewport()->repaint();
            worst = std::max(worst, threadMs() - cpu);
        }
        std::printf("slowest key of the filter %.1f ms processor\n", worst);
    }

    if (argc > 2 && std::strcmp(argv[2], "--parts") == 0)
        return 0;

    CMainFrame frame(settings, languages);
    bool started = false;
    QObject::connect(&frame, &CMainFrame::deferredStartupDone, [&] { started = true; });
    pumpUntil([&] { return started; });
    symbols::CFunctionDocker* docker = frame.symbolCommands()->docker();

    // The UI thread's longest gap between timer ticks.
    qint64 longest = 0;
    QElapsedTimer tick;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longest = std::max(longest, tick.restart());
    });

    t.restart();
    CChildFrame* c = frame.OpenFile(path);
    const qint64 openMs = t.elapsed();
    tick.start();
    timer.start();
    pumpUntil([&] { return !docker->busy(); });
    timer.stop();
    const auto* tree = docker->tree(c);
    std::printf("open: load %lld ms, tree shown after %lld ms (%d entries), longest UI stall while tagging %lld ms\n",
                openMs, t.elapsed(), tree ? tree->symbols()->entryCount() : 0, longest);

    for (int arrangement : {0, 1, 2}) {
        c->textView()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0ul, "int changed;\n");
        docker->setArrangement(arrangement);   // a rebuild in this arrangement
        pumpUntil([&] { return !docker->busy(); });
        t.restart();
        c->save();
        const qint64 saveMs = t.elapsed();
        child = childrenMs();
        longest = 0;
        tick.start();
        timer.start();
        pumpUntil([&] { return !docker->busy(); });
        timer.stop();
        std::printf("arrangement %d: save %lld ms, tree shown %lld ms after the save began (tagger processor %.0f ms), "
                    "longest UI stall %lld ms\n",
                    arrangement, saveMs, t.elapsed(), childrenMs() - child, longest);
    }
    frame.close();
    registry::setUserStorePath(QString());
    return 0;
}
