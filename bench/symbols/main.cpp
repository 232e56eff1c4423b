// Symbols on a large file: a 5 MiB C++ file is opened in a real main frame, changed and
// saved; the time from the save until its tree is shown, and the longest stall of the UI
// thread meanwhile (a 5 ms timer that notes the gaps between its ticks).
//   velmo_bench_symbols [MiB]
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/SymbolCommands.h"
#include "documents/text/TextView.h"
#include "language/LanguageTable.h"
#include "platform/Registry.h"
#include "symbols/CtagsRunner.h"
#include "symbols/widgets/FunctionDocker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

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

    // The tagger alone, on this thread.
    QElapsedTimer t;
    t.start();
    symbols::CtagsRequest request;
    request.path = path;
    request.lexer = "cpp";
    const symbols::CtagsOutcome alone = symbols::runCtags(request);
    std::printf("tagger alone: %lld ms, %zu tags, ok %d\n", t.elapsed(), alone.tags.size(), int(alone.ok));

    // The UI thread's share: the tree model filled from these tags, then expanded.
    for (int arrangement : {0, 1, 2}) {
        symbols::CTagsTreeCtrl view(nullptr);
        view.resize(300, 600);
        view.symbols()->setArrangement(arrangement);
        t.restart();
        view.symbols()->beginTags();
        for (const symbols::TagRecord& tag : alone.tags)
            view.symbols()->AddTag(1, tag);
        const qint64 addMs = t.elapsed();
        view.symbols()->endTags();
        const qint64 endMs = t.elapsed();
        view.expandAll();
        std::printf("arrangement %d on the UI thread: add %lld ms, publish %lld ms, expand %lld ms\n", arrangement, addMs,
                    endMs - addMs, t.elapsed() - endMs);
    }

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
        longest = 0;
        tick.start();
        timer.start();
        pumpUntil([&] { return !docker->busy(); });
        timer.stop();
        std::printf("arrangement %d: save %lld ms, tree shown %lld ms after the save began, longest UI stall %lld ms\n",
                    arrangement, saveMs, t.elapsed(), longest);
    }
    frame.close();
    registry::setUserStorePath(QString());
    return 0;
}
