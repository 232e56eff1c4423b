// velmo_bench_checksums [file]: the four sums of a file (a new 1 GiB file of varied bytes
// in a temporary folder when none is named), each sum also on its own for comparison.
#include "documents/properties/FileReport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void line(const char* what, qint64 bytes, qint64 ms, double cpu)
{
    const double mb = double(bytes) / 1e6;
    std::printf("%-28s %8.0f MB/s wall  %8.0f MB/s cpu  (%lld ms, %.2f s cpu)\n", what, mb * 1000 / double(std::max<qint64>(ms, 1)),
                mb / std::max(cpu, 1e-6), static_cast<long long>(ms), cpu);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (path.isEmpty()) {
        path = dir.filePath("gib.bin");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::vector<char> block(1 << 20);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = char((i * 2654435761u) >> 13);
        for (int i = 0; i < 1024; ++i) {
            block[0] = char(i);
            f.write(block.data(), qint64(block.size()));
        }
    }
    // Warm the page cache so that the numbers are the sums', not the disk's.
    properties::computeChecksums(path);

    QElapsedTimer t;
    double c0 = cpuSeconds();
    t.start();
    const properties::ChecksumResult r = properties::computeChecksums(path);
    const qint64 ms = t.elapsed();
    const double cpu = cpuSeconds() - c0;
    if (r.status != properties::ChecksumStatus::Ok) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s: %lld bytes, CRC32 %08X\n", qPrintable(path), static_cast<long long>(r.sums.size), unsigned(r.sums.crc32));
    line("all four sums, one pass", r.sums.size, ms, cpu);

    // Each sum alone over the same bytes in memory (1 GiB as 1024 passes over 1 MiB).
    std::vector<char> mem(1 << 20, 'x');
    const QCryptographicHash::Algorithm algs[] = {QCryptographicHash::Md5, QCryptographicHash::Sha1, QCryptographicHash::Sha256};
    const char* names[] = {"MD5 alone (memory)", "SHA-1 alone (memory)", "SHA-256 alone (memory)"};
    for (int a = 0; a < 3; ++a) {
        QCryptographicHash h(algs[a]);
        c0 = cpuSeconds();
        t.restart();
        for (int i = 0; i < 1024; ++i)
            h.addData(QByteArrayView(mem.data(), qsizetype(mem.size())));
        h.result();
        line(names[a], 1LL << 30, t.elapsed(), cpuSeconds() - c0);
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    c0 = cpuSeconds();
    t.restart();
    for (int i = 0; i < 1024; ++i)
        crc = crc32(crc, reinterpret_cast<const Bytef*>(mem.data()), uInt(mem.size()));
    line("CRC-32 alone (memory)", 1LL << 30, t.elapsed(), cpuSeconds() - c0);
    return crc == 0 ? 2 : 0;
}
