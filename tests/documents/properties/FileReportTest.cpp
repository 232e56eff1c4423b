// The file-properties report: counts, the size line and the four sums of real files.
#include "documents/properties/ChecksumJob.h"
#include "documents/properties/FileReport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>

using namespace properties;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
}

QString reportFor(const QString& path, std::int64_t lines = 1, std::int64_t chars = 0, std::int64_t words = 0)
{
    ReportInput in{path, lines, chars, words, std::nullopt};
    const ChecksumResult r = computeChecksums(path);
    if (r.status == ChecksumStatus::Ok)
        in.sums = r.sums;
    return buildReport(in);
}

} // namespace

TEST(FileReport, WellKnownDigestsOfEmptyInputAndAbc)
{
    QTemporaryDir dir;
    const QString empty = writeFile(dir, "empty.txt", "");
    EXPECT_EQ(reportFor(empty), "File:\t" + empty
                                    + "\r\nLines:\t1\r\nChars:\t0\r\nWords:\t0\r\n"
                                      "Size:\t0 bytes (0 bytes)\r\n"
                                      "CRC32:\t00000000\r\n"
                                      "MD5:\tD41D8CD98F00B204E9800998ECF8427E\r\n"
                                      "SHA1:\tDA39A3EE5E6B4B0D3255BFEF95601890AFD80709\r\n"
                                      "SHA256:\tE3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855\r\n");
    const QString abc = writeFile(dir, "abc.txt", "abc");
    EXPECT_EQ(reportFor(abc, 1, 3, 1), "File:\t" + abc
                                           + "\r\nLines:\t1\r\nChars:\t3\r\nWords:\t1\r\n"
                                             "Size:\t3 bytes (3 bytes)\r\n"
                                             "CRC32:\t352441C2\r\n"
                                             "MD5:\t900150983CD24FB0D6963F7D28E17F72\r\n"
                                             "SHA1:\tA9993E364706816ABA3E25717850C26C9CD0D89D\r\n"
                                             "SHA256:\tBA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD\r\n");
}

TEST(FileReport, NewDocumentHasCountsOnly)
{
    EXPECT_EQ(buildReport({"<new>", 3, 10, 2, std::nullopt}), "File:\t<new>\r\nLines:\t3\r\nChars:\t10\r\nWords:\t2\r\n");
}

TEST(FileReport, SizeLinesOfRealFilesAndBeyondTwoGigabytes)
{
    QTemporaryDir dir;
    const struct {
        qint64 size;
        const char* line;
    } cases[] = {{1536, "Size:\t1.50 KB (1536 bytes)\r\n"},
                 {1048575, "Size:\t1024.00 KB (1048575 bytes)\r\n"},
                 {1048576, "Size:\t1.00 MB (1048576 bytes)\r\n"},
                 {1023, "Size:\t1023 bytes (1023 bytes)\r\n"}};
    for (const auto& c : cases) {
        const QString path = writeFile(dir, QString::number(c.size), QByteArray(c.size, 'x'));
        const ChecksumResult r = computeChecksums(path);
        ASSERT_EQ(r.status, ChecksumStatus::Ok);
        EXPECT_EQ(r.sums.size, c.size);
        EXPECT_EQ(sizeLine(r.sums.size), QString::fromLatin1(c.line));
        EXPECT_TRUE(checksumLines(r.sums).startsWith(QString::fromLatin1(c.line)));
    }
    // Counts past 2 GiB stay whole numbers of bytes, never negative ones.
    EXPECT_EQ(sizeLine(3221225472LL), "Size:\t3.00 GB (3221225472 bytes)\r\n");
    EXPECT_EQ(sizeLine(2147483648LL), "Size:\t2.00 GB (2147483648 bytes)\r\n");
    EXPECT_EQ(countLines({"<new>", 3000000000LL, 5000000000LL, 2200000000LL, std::nullopt}),
              "File:\t<new>\r\nLines:\t3000000000\r\nChars:\t5000000000\r\nWords:\t2200000000\r\n");
}

TEST(FileReport, LargeFilesGiveTheSameSumsAsOneHashOverTheWholeText)
{
    // Big files are summed on several threads from a ring of blocks; the digests must be
    // those of the bytes in file order, whatever the threads' timing, and an abort must
    // end the run without waiting for the rest of the file.
    QTemporaryDir dir;
    QByteArray data(9 * 1024 * 1024 + 13, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char((quint64(i) * 2654435761u) >> 11);
    const QString path = writeFile(dir, "ring.bin", data);
    for (int round = 0; round < 3; ++round) {
        const ChecksumResult r = computeChecksums(path);
        ASSERT_EQ(r.status, ChecksumStatus::Ok);
        EXPECT_EQ(r.sums.size, data.size());
        EXPECT_EQ(r.sums.crc32, std::uint32_t(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.constData()),
                                                     uInt(data.size()))));
        EXPECT_EQ(r.sums.md5, QCryptographicHash::hash(data, QCryptographicHash::Md5));
        EXPECT_EQ(r.sums.sha1, QCryptographicHash::hash(data, QCryptographicHash::Sha1));
        EXPECT_EQ(r.sums.sha256, QCryptographicHash::hash(data, QCryptographicHash::Sha256));
    }
    std::atomic_bool abort{false};
    int blocks = 0;
    const ChecksumResult stopped = computeChecksums(path, &abort, [&](std::int64_t, std::int64_t) {
        if (++blocks == 3)
            abort = true;
    });
    EXPECT_EQ(stopped.status, ChecksumStatus::Aborted);
    EXPECT_EQ(blocks, 3);
}

TEST(FileReport, WordRules)
{
    EXPECT_EQ(countWords("hello, world"), 2);
    EXPECT_EQ(countWords("a-b"), 1);       // the hyphen is no separator
    EXPECT_EQ(countWords("a(b)c"), 2);     // "(" is none, ")" is one
    EXPECT_EQ(countWords("one\ntwo"), 1);  // nor is a line break
    EXPECT_EQ(countWords("_x __"), 1);     // "_" starts no word
    EXPECT_EQ(countWords("caf\xc3\xa9 \xc3\xa9t\xc3\xa9"), 2);   // bytes above 127 start none: "caf..." and "t..."
    EXPECT_EQ(countWords("1+2=3?x"), 4);
    EXPECT_EQ(countWords(""), 0);
}

TEST(FileReport, AWordSplitBetweenTwoPiecesCountsOnce)
{
    WordCounter c;
    c.feed(QByteArray("one tw"));
    c.feed(QByteArray("o three"));
    EXPECT_EQ(c.words(), 3);
}

TEST(FileReport, UnreadableFilesGiveNoSums)
{
    QTemporaryDir dir;
    EXPECT_EQ(computeChecksums(dir.filePath("missing")).status, ChecksumStatus::CannotOpen);
    EXPECT_EQ(computeChecksums(dir.path()).status, ChecksumStatus::CannotOpen);   // a folder
    // Opens, then fails to read: the sums of the bytes before the failure would describe
    // no file, so there are none.
    const ChecksumResult r = computeChecksums(QStringLiteral("/proc/self/mem"));
    EXPECT_EQ(r.status, ChecksumStatus::ReadError);
    EXPECT_EQ(reportFor(QStringLiteral("/proc/self/mem"), 1, 0, 0),
              "File:\t/proc/self/mem\r\nLines:\t1\r\nChars:\t0\r\nWords:\t0\r\n");
}

TEST(FileReport, JobHandsResultsOverAndCanBeLeftRunning)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "big.bin", QByteArray(3 * 1024 * 1024 + 7, 'q'));
    const ChecksumResult direct = computeChecksums(path);
    ASSERT_EQ(direct.status, ChecksumStatus::Ok);

    ChecksumJob job;
    std::optional<ChecksumResult> got;
    int updates = 0;
    qint64 last = 0;
    QObject::connect(&job, &ChecksumJob::progress, [&](qint64 done, qint64 total) {
        ++updates;
        EXPECT_GE(done, last);
        EXPECT_EQ(total, direct.sums.size);
        last = done;
    });
    QObject::connect(&job, &ChecksumJob::finished, [&](const ChecksumResult& r) { got = r; });
    job.start(path);
    QElapsedTimer t;
    t.start();
    while (!got && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, ChecksumStatus::Ok);
    EXPECT_EQ(got->sums.sha256, direct.sums.sha256);
    EXPECT_EQ(got->sums.crc32, direct.sums.crc32);
    EXPECT_GT(updates, 0);
    EXPECT_EQ(last, direct.sums.size);
    EXPECT_FALSE(job.running());

    // An aborted job reports so; one destroyed while it reads waits for its worker.
    {
        ChecksumJob aborted;
        std::optional<ChecksumResult> r;
        QObject::connect(&aborted, &ChecksumJob::finished, [&](const ChecksumResult& x) { r = x; });
        aborted.abort();
        aborted.start(path);
        while (!r && t.elapsed() < 40000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, ChecksumStatus::Aborted);
    }
    {
        auto* gone = new ChecksumJob;
        gone->start(path);
        delete gone;
        QCoreApplication::processEvents();
    }
}
