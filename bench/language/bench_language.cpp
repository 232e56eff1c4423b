// Benchmarks of the language configuration, run by hand:
//   bench_language [properties folder]
// 1. loading root.properties with its imports and building the language list;
// 2. opening 500 small files of mixed languages (language lookup, a new editing
//    component, the text, the language applied and the text coloured);
// 3. changing the base font with 50 documents open.
#include "language/LanguageStyler.h"

#include <Qsci/qsciscintillabase.h>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using SB = QsciScintillaBase;

namespace {

double Ms(qint64 ns) { return double(ns) / 1e6; }

struct Sample {
    const char* name;
    const char* text;
};

const Sample kSamples[] = {
    {"a.cpp", "#include <vector>\nint main() {\n    std::vector<int> v{1, 2, 3};\n    return int(v.size()); // done\n}\n"},
    {"b.py", "import os\n\ndef walk(p):\n    for root, dirs, files in os.walk(p):\n        print(root, len(files))\n"},
    {"c.html", "<html><head><title>T</title></head>\n<body class=\"x\"><p>Hello &amp; bye</p>\n<script>var a = 1;</script></body></html>\n"},
    {"d.java", "public class D {\n    public static void main(String[] args) {\n        System.out.println(\"d\");\n    }\n}\n"},
    {"e.sql", "SELECT a, b FROM t WHERE a > 1 -- comment\nORDER BY b;\n"},
    {"f.txt", "Plain text that matches no language.\nSecond line.\n"},
    {"g.css", "body { color: #333; margin: 0 auto; }\n.x:hover { text-decoration: underline; }\n"},
    {"h.rb", "class H\n  def run(x)\n    puts \"#{x}\"\n  end\nend\n"},
    {"i.json", "{ \"a\": [1, 2, 3], \"b\": { \"c\": true, \"d\": null } }\n"},
    {"j.sh", "#!/bin/sh\nfor f in *.txt; do\n  echo \"$f\"\ndone\n"},
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMO_SOURCE_DIR "/data/properties");

    // 1. Start-up loading.
    std::vector<double> loads;
    LanguageTable table;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer t;
        t.start();
        if (!table.Load(folder)) {
            std::fprintf(stderr, "cannot read %s/root.properties\n", qPrintable(folder));
            return 1;
        }
        loads.push_back(Ms(t.nsecsElapsed()));
    }
    std::sort(loads.begin(), loads.end());
    std::printf("load configuration: %d languages, %zu properties; median %.2f ms, best %.2f ms, worst %.2f ms (target < 10 ms)\n",
                table.Count(), table.Props().Size(), loads[loads.size() / 2], loads.front(), loads.back());

    // 2. Opening 500 small files.
    LanguageInputs inputs;
    inputs.editorMask = editormask::kSyntaxHighlight | editormask::kLineNumbers;
    std::vector<std::unique_ptr<SB>> views;
    std::vector<LanguageState> states;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 500; ++i) {
        const Sample& s = kSamples[i % std::size(kSamples)];
        auto sci = std::make_unique<SB>();
        sci->SendScintilla(SB::SCI_SETTEXT, static_cast<uintptr_t>(0), s.text);
        int index = table.FindLanguage(QString::fromLatin1(s.name));
        states.push_back(styling::ApplyLanguage(sci.get(), table, index, s.name, inputs));
        sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
        views.push_back(std::move(sci));
    }
    double open = Ms(t.nsecsElapsed());
    std::printf("open 500 small files of %zu languages: %.1f ms total, %.3f ms per file\n",
                std::size(kSamples), open, open / 500);

    // 3. Changing the base font with 50 documents open.
    views.resize(50);
    states.resize(50);
    const char* schemes[] = {"font:Courier New,size:12", "font:fixedsys,back:#CCE8CF"};
    std::vector<double> changes;
    for (int run = 0; run < 20; ++run) {
        t.restart();
        for (size_t i = 0; i < views.size(); ++i)
            styling::ApplyStyles(views[i].get(), table, states[i], schemes[run % 2]);
        changes.push_back(Ms(t.nsecsElapsed()));
    }
    std::sort(changes.begin(), changes.end());
    std::printf("change the base font with 50 documents open: median %.1f ms, worst %.1f ms\n",
                changes[changes.size() / 2], changes.back());
    return 0;
}
