// Find in files over a generated tree of about 30,000 files / 300 MB (warm cache), side by
// side with `grep -rnF` and `rg -nF -j1 --no-ignore`: a rare literal, a common literal and
// a whole-word search. Each figure is the best of three runs after one warm-up run.
// Run by hand: velmo_bench_findinfiles [folder [case]]  (default /tmp/velmo-fif-bench; the tree is
// generated once and kept).
#include "search/FindInFiles.h"
#include "search/SearchOptions.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTop = 30, kSub = 10, kFiles = 100;   // 30,000 files
const char* const kRare = "qzxv_rare_marker";

const char* const kWords[] = {
    "int", "value", "values", "count", "index", "result", "buffer", "size_t", "const", "auto", "static",
    "void", "char", "for", "while", "if", "else", "struct", "class", "public", "private", "template",
    "typename", "std::string", "std::vector", "nullptr", "true", "false", "data", "length", "offset",
    "begin", "end", "next", "prev", "node", "item", "name", "path", "file", "line", "text", "width",
    "height", "x", "y", "i", "j", "k", "value_type", "xvalue", "is_value", "=", "+=", "==", "(", ")", "{",
    "}", ";", ",", "->", "::", "0", "1", "42", "0x1F", "//", "a", "the", "of", "and", "to", "in",
};

void generate(const QString& root)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> word(0, int(std::size(kWords)) - 1);
    std::uniform_int_distribution<int> lineWords(3, 12);
    std::uniform_int_distribution<int> fileSize(2000, 18000);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> rareFile(0, 1499);
    std::size_t total = 0;
    for (int t = 0; t < kTop; ++t)
        for (int s = 0; s < kSub; ++s) {
            const QString dir = QStringLiteral("%1/d%2/s%3").arg(root).arg(t).arg(s);
            QDir().mkpath(dir);
            for (int f = 0; f < kFiles; ++f) {
                std::string text;
                const auto target = std::size_t(fileSize(rng));
                const bool rare = rareFile(rng) == 0;
                while (text.size() < target) {
                    std::string line(std::size_t(percent(rng) % 4) * 4, ' ');
                    if (percent(rng) < 12)
                        line += "return ";
                    const int n = lineWords(rng);
                    for (int w = 0; w < n; ++w) {
                        line += kWords[word(rng)];
                        line += ' ';
                    }
                    if (rare && percent(rng) == 0)
                        line += kRare;
                    line += '\n';
                    text += line;
                }
                if (rare)
                    text += std::string(kRare) + "\n";
                QFile out(QStringLiteral("%1/f%2.cpp").arg(dir).arg(f));
                if (!out.open(QIODevice::WriteOnly)) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
                    std::exit(1);
                }
                out.write(text.data(), qint64(text.size()));
                total += text.size();
            }
        }
    std::printf("generated %d files, %.1f MB in %s\n", kTop * kSub * kFiles, double(total) / 1e6, qPrintable(root));
}

// Keeps every line in batches, as the worker's queue to the result view does.
class KeepingSink : public search::FindInFilesSink {
public:
    void add(search::FindResultLine line) override
    {
        if (batch.size() == 512) {
            batches.push_back(std::move(batch));
            batch = {};
            batch.reserve(512);
        }
        batch.push_back(std::move(line));
    }
    std::vector<search::FindResultLine> batch;
    std::vector<std::vector<search::FindResultLine>> batches;
};

double seconds(std::chrono::steady_clock::time_point a)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

struct Case {
    const char* label;
    const char* text;
    bool wholeWord;
};

double runVelmo(const QString& root, const Case& c, long* hits)
{
    search::FindInFilesJob job;
    job.findText = QString::fromLatin1(c.text);
    job.flags = search::Mask::MatchCase | search::Mask::Subfolders | (c.wholeWord ? search::Mask::WholeWord : 0u);
    job.folder = root;
    double best = 1e9;
    for (int run = 0; run < 4; ++run) {
        KeepingSink sink;
        const auto t = std::chrono::steady_clock::now();
        const search::FindInFilesCounts counts = search::findInFiles(job, sink);
        const double s = seconds(t);
        if (run > 0 && s < best)
            best = s;
        *hits = counts.occurrences;
    }
    return best;
}

double runTool(const std::string& command, long* lines)
{
    double best = 1e9;
    for (int run = 0; run < 4; ++run) {
        const auto t = std::chrono::steady_clock::now();
        const int rc = std::system(command.c_str());
        const double s = seconds(t);
        if (rc == -1) {
            std::fprintf(stderr, "cannot run: %s\n", command.c_str());
            return 0;
        }
        if (run > 0 && s < best)
            best = s;
    }
    *lines = 0;
    if (FILE* f = std::fopen("/tmp/velmo-fif-bench.out", "r")) {
        int ch;
        while ((ch = std::fgetc(f)) != EOF)
            *lines += ch == '\n';
        std::fclose(f);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/velmo-fif-bench");
    if (!QFile::exists(root + QStringLiteral("/d29/s9/f99.cpp")))
        generate(root);
    const std::string dir = root.toStdString();
    const Case cases[] = {
        {"rare literal", kRare, false},
        {"common literal", "return", false},
        {"whole word", "value", true},
    };
    if (argc > 2) {   // profiling: Velmo alone on case 0, 1 or 2
        long hits = 0;
        const Case& c = cases[std::atoi(argv[2]) % 3];
        const double s = runVelmo(root, c, &hits);
        std::printf("%s: %.3f s, %ld hits\n", c.label, s, hits);
        return 0;
    }
    std::printf("%-16s %12s %12s %12s %10s %10s   %s\n", "search", "velmo s", "grep s", "rg -j1 s", "grep/velmo",
                "rg/velmo", "hits velmo / lines grep / lines rg");
    for (const Case& c : cases) {
        long velmoHits = 0, grepLines = 0, rgLines = 0;
        const double v = runVelmo(root, c, &velmoHits);
        const std::string w = c.wholeWord ? "w" : "";
        const double g = runTool("grep -rnF" + w + " '" + c.text + "' '" + dir + "' > /tmp/velmo-fif-bench.out", &grepLines);
        const double r = runTool("rg -nF" + w + " -j1 --no-ignore '" + c.text + "' '" + dir + "' > /tmp/velmo-fif-bench.out", &rgLines);
        std::printf("%-16s %12.3f %12.3f %12.3f %10.2f %10.2f   %ld / %ld / %ld\n", c.label, v, g, r, g / v, r / v,
                    velmoHits, grepLines, rgLines);
    }
    std::remove("/tmp/velmo-fif-bench.out");
    return 0;
}
