// Opening many small documents through the main frame, and changing the base font with
// many documents open. Run by hand: velmo_bench_frame
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "language/LanguageTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {
long peakKb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program, data, files;
    qputenv("VELMO_DATA_DIR", data.path().toUtf8());
    {
        QFile ini(program.filePath("velmo.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[EDITOR]\nEditorMask=35328\n[FONT]\n1=font:fixedsys,back:#CCE8CF\n2=font:DejaVu Sans Mono,size:12\n");
    }
    AppSettings settings(program.path());
    LanguageTable languages;
    languages.Load(settings.Folder(AppSettings::PropertiesFolder));
    CMainFrame frame(settings, languages);
    for (int i = 0; i < 20; ++i)
        app.processEvents();

    const char* exts[] = {"c", "cpp", "py", "js", "html", "xml", "java", "rs", "go", "sql", "sh", "lua", "txt", "css", "json"};
    QStringList paths;
    for (int i = 0; i < (getenv("N") ? atoi(getenv("N")) : 500); ++i) {
        const QString p = files.filePath(QStringLiteral("f%1.%2").arg(i).arg(exts[i % 15]));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        for (int l = 0; l < 40; ++l)
            f.write("int value_" + QByteArray::number(l) + " = call(\"text\", 42); // comment line\n");
        paths << p;
    }
    QElapsedTimer t;
    t.start();
    for (const QString& p : paths)
        frame.OpenFile(p);
    app.processEvents();
    const qint64 open500 = t.elapsed();
    std::printf("open %lld small files of 15 languages: %lld ms (%.2f ms per file), peak RSS %ld MB\n",
                qint64(paths.size()), open500, double(open500) / double(paths.size()), peakKb() / 1024);

    frame.OnCommand(105);
    app.processEvents();
    for (int i = 0; i < 50; ++i)
        frame.OpenFile(paths[i]);
    std::vector<qint64> times;
    for (int round = 0; round < 10; ++round) {
        t.restart();
        frame.OnCommand(round % 2 ? 826 : 827);
        app.processEvents();
        times.push_back(t.nsecsElapsed() / 1000);
    }
    std::sort(times.begin(), times.end());
    std::printf("change base font with 50 documents: median %.1f ms, max %.1f ms\n", times[5] / 1000.0, times.back() / 1000.0);
    frame.OnCommand(105);
    return 0;
}
