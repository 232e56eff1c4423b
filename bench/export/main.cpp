// Benchmark of the exporters, run by hand:
//   bench_export [MiB] [output folder]
// A C source of the given size (default 20 MiB) is coloured by the editing component with
// the shipped C styles, read out with its style bytes as the export commands read it, and
// written as HTML, RTF, PDF and LaTeX. Each format's time covers the exporter and the
// file write; the target is under 2 s each.
#include "language/LanguageStyler.h"
#include "language/export/Exporter.h"

#include <Qsci/qsciscintillabase.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

using SB = QsciScintillaBase;

namespace {

constexpr const char* kChunk =
    "/* A block comment with <angle> brackets & ampersands {braces} and a backslash \\ */\n"
    "static int table_lookup(const char *key, size_t len)\n"
    "{\n"
    "\tint hash = 5381; // djb2\n"
    "\tfor (size_t i = 0; i < len; ++i)\n"
    "\t\thash = ((hash << 5) + hash) + (unsigned char)key[i];\n"
    "\tif (hash % 2 == 0 && len > 3) {\n"
    "\t\tprintf(\"even: %d (%s)\\n\", hash, key);\n"
    "\t\treturn hash ^ 0x7f;\n"
    "\t}\n"
    "#ifdef DEBUG\n"
    "    fprintf(stderr, \"odd\\n\");   /* caf\xC3\xA9 \xE2\x82\xAC */\n"
    "#endif\n"
    "\treturn ~hash;\n"
    "}\n\n";

// Wall-clock and processor time: on a busy machine the second tells what the code costs.
struct Timer {
    QElapsedTimer wall;
    double cpu0 = 0;
    static double cpuNow()
    {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
    }
    void restart()
    {
        wall.restart();
        cpu0 = cpuNow();
    }
    double cpu() const { return cpuNow() - cpu0; }
    double seconds() const { return double(wall.nsecsElapsed()) / 1e9; }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const long mib = argc > 1 ? std::atol(argv[1]) : 20;
    QTemporaryDir temp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();

    std::string source;
    source.reserve(size_t(mib) << 20);
    while (source.size() < (size_t(mib) << 20))
        source += kChunk;

    LanguageTable table;
    table.Load(QStringLiteral(VELMO_SOURCE_DIR "/data/properties"));
    SB sci;
    sci.SendScintilla(SB::SCI_SETTEXT, 0UL, source.c_str());
    LanguageInputs inputs;
    inputs.editorMask = editormask::kSyntaxHighlight;
    inputs.defaultStyle = "font:Courier New,size:10";
    const int language = table.FindLanguage(QStringLiteral("bench.c"));
    const LanguageState state = styling::ApplyLanguage(&sci, table, language, "bench.c", inputs);

    Timer t;
    t.restart();
    sci.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    const double colourise = t.seconds(), colouriseCpu = t.cpu();

    t.restart();
    const long length = sci.SendScintilla(SB::SCI_GETLENGTH);
    std::string text, styles, pairs;
    text.reserve(size_t(length));
    styles.reserve(size_t(length));
    for (long at = 0; at < length; at += 1 << 20) {
        const long to = std::min(length, at + (1L << 20));
        pairs.resize(size_t(to - at) * 2 + 2);
        struct { long cpMin, cpMax; char* text; } range{at, to, pairs.data()};
        sci.SendScintilla(SB::SCI_GETSTYLEDTEXT, 0UL, static_cast<void*>(&range));
        for (size_t k = 0; k + 2 < pairs.size(); k += 2) {
            text += pairs[k];
            styles += pairs[k + 1];
        }
    }
    const double read = t.seconds(), readCpu = t.cpu();
    std::printf("source: %.1f MiB, lexer %s\n", double(length) / (1 << 20), state.lexer.c_str());
    std::printf("restyle (SCI_COLOURISE): %.3f s (processor %.3f s)\n", colourise, colouriseCpu);
    std::printf("read styled text: %.3f s (processor %.3f s)\n", read, readCpu);

    exporting::StyledText in;
    in.text = text;
    in.styles = styles;
    in.path = "/tmp/bench.c";
    const exporting::StyleTable resolved = exporting::resolveStyles(table.Props(), state.lexer);
    const struct { exporting::Format format; const char* name; } formats[] = {
        {exporting::Format::Html, "html"}, {exporting::Format::Rtf, "rtf"},
        {exporting::Format::Pdf, "pdf"}, {exporting::Format::Latex, "tex"},
    };
    for (const auto& f : formats) {
        t.restart();
        std::string out;
        const exporting::ExportReport report = exporting::makeExporter(f.format, table.Props(), resolved)->write(in, out);
        const double exporting = t.seconds(), exportingCpu = t.cpu();
        t.restart();
        const int err = exporting::writeExportFile(QDir(folder).filePath(QStringLiteral("bench.") + f.name), out);
        const double writing = t.seconds(), writingCpu = t.cpu();
        std::printf("%-4s export %.3f s + write %.3f s = %.3f s (processor %.3f + %.3f = %.3f s), %.1f MiB%s%s\n",
                    f.name, exporting, writing, exporting + writing, exportingCpu, writingCpu,
                    exportingCpu + writingCpu, double(out.size()) / (1 << 20),
                    report.replaced ? ", replaced " : "", report.replaced ? std::to_string(report.replaced).c_str() : "");
        if (err)
            std::printf("  write failed: %s\n", std::strerror(err));
    }
    return 0;
}
