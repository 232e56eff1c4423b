// Opening and saving 50 MiB text files: wall time and peak memory.
// Run by hand: velmo_bench_textfile [folder]. Each case runs in a child process of
// its own so that its peak memory is its own.
#include "documents/text/Encoding.h"
#include "documents/text/TextFile.h"
#include "documents/text/TextView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr size_t kFileSize = 50u << 20;

long statusKiB(const char* key)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(strlen(key))).trimmed().split(' ').value(0).toLong();
    return -1;
}

void appendUtf16(std::string& out, const std::u16string& s)
{
    for (char16_t u : s) {
        out.push_back(char(u & 0xFF));
        out.push_back(char(u >> 8));
    }
}

std::string makeFile(const QString& kind)
{
    std::mt19937 rng(42);
    std::string out;
    out.reserve(kFileSize + 256);
    if (kind == "ascii") {
        const char* words[] = {"int ", "value", " = ", "count", "(x);", " // note", "return ", "{", "}", "  "};
        while (out.size() < kFileSize) {
            for (int w = 0; w < 12; ++w)
                out += words[rng() % 10];
            out += "\r\n";
        }
    } else if (kind == "utf8") {
        // About one character in five is not ASCII (two- and three-byte ones).
        const char* other[] = {"\xC3\xA9", "\xC3\xBC", "\xD0\x96", "\xE2\x82\xAC", "\xE4\xB8\xAD"};
        int col = 0;
        while (out.size() < kFileSize) {
            if (rng() % 5 == 0)
                out += other[rng() % 5];
            else
                out.push_back(char('a' + rng() % 26));
            if (++col == 78) {
                out += "\r\n";
                col = 0;
            }
        }
    } else {
        out = "\xFF\xFE";
        std::u16string line;
        while (out.size() < kFileSize) {
            line.clear();
            for (int i = 0; i < 60; ++i)
                line.push_back(rng() % 5 == 0 ? char16_t(0x4E2D + rng() % 64) : char16_t('a' + rng() % 26));
            line += u"\r\n";
            appendUtf16(out, line);
        }
    }
    out.resize(kFileSize);
    if (kind == "utf8") {
        // Do not end inside a character.
        size_t tail = textdoc::incompleteUtf8Tail(out.data(), out.size());
        out.resize(out.size() - tail);
    }
    return out;
}

int runCase(const QString& file, int argc, char** argv)
{
    QApplication app(argc, argv);
    CTextView view;
    const long baseKiB = statusKiB("VmRSS:");
    QElapsedTimer t;
    t.start();
    textdoc::IoResult r = textdoc::loadText(view, file, textdoc::OpenAutomatic);
    const qint64 openMs = t.elapsed();
    const long afterOpenKiB = statusKiB("VmHWM:");
    if (!r) {
        std::printf("open failed: %s\n", qPrintable(r.errorText()));
        return 1;
    }
    t.restart();
    r = textdoc::saveText(view, file + ".saved");
    const qint64 saveMs = t.elapsed();
    const long peakKiB = statusKiB("VmHWM:");
    if (!r) {
        std::printf("save failed: %s\n", qPrintable(r.errorText()));
        return 1;
    }
    t.restart();
    textdoc::convertLineEnds(view, textdoc::EolLf);
    const qint64 eolMs = t.elapsed();
    t.restart();
    r = textdoc::reloadText(view, file);
    const qint64 reloadMs = t.elapsed();
    const long finalPeakKiB = statusKiB("VmHWM:");
    QFile a(file), b(file + ".saved");
    a.open(QIODevice::ReadOnly);
    b.open(QIODevice::ReadOnly);
    const bool same = a.readAll() == b.readAll();
    const double mib = double(QFileInfo(file).size()) / (1 << 20);
    std::printf("%-6s %6.1f MiB  enc %d  open %5lld ms  save %5lld ms  base RSS %4ld MiB  "
                "peak RSS %4ld MiB (open %4ld)  peak-base %5.2fx  identical %s\n",
                qPrintable(QFileInfo(file).baseName()), mib, view.encoding(), (long long)openMs,
                (long long)saveMs, baseKiB / 1024, peakKiB / 1024, afterOpenKiB / 1024,
                double(peakKiB - baseKiB) / 1024 / mib, same ? "yes" : "NO");
    std::printf("%-6s then: line ends to LF %5lld ms, reload (undoable) %5lld ms, peak RSS %4ld MiB\n",
                qPrintable(QFileInfo(file).baseName()), (long long)eolMs, (long long)reloadMs,
                finalPeakKiB / 1024);
    QFile::remove(file + ".saved");
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QString(argv[1]) == "--case")
        return runCase(QString::fromLocal8Bit(argv[2]), argc, argv);

    QTemporaryDir tmp(argc >= 2 ? QString::fromLocal8Bit(argv[1]) + "/bench-XXXXXX" : QString());
    int failures = 0;
    for (const char* kind : {"ascii", "utf8", "utf16le"}) {
        const QString file = QDir(tmp.path()).filePath(QString(kind) + ".txt");
        {
            std::string bytes = makeFile(kind);
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(bytes.data(), qint64(bytes.size()));
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]), {"--case", file, "-platform", "offscreen"});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0;
        QFile::remove(file);
    }
    return failures;
}
