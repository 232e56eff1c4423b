#pragma once
// The file-properties report: counts of the text, the size line and the four check sums of
// the file as stored on disk (CRC-32, MD5, SHA-1, SHA-256), read in one pass.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

namespace properties {

// Counts words over bytes handed in one piece after another: a word starts with an ASCII
// letter or digit and ends at one of the separator bytes. The state carries over from one
// piece to the next, so a word split between two pieces counts once.
class WordCounter {
public:
    void feed(const char* data, std::size_t size);
    void feed(const QByteArray& bytes) { feed(bytes.constData(), std::size_t(bytes.size())); }
    std::int64_t words() const { return m_words; }

private:
    std::int64_t m_words = 0;
    bool m_between = true;
};

// Words of a whole text.
std::int64_t countWords(const QByteArray& text);

struct Checksums {
    std::int64_t size = 0;
    std::uint32_t crc32 = 0;
    QByteArray md5, sha1, sha256;   // raw digests
};

enum class ChecksumStatus { Ok, CannotOpen, ReadError, Aborted };

struct ChecksumResult {
    ChecksumStatus status = ChecksumStatus::CannotOpen;
    Checksums sums;   // meaningful only when status is Ok
};

// Reads the file once, feeding every block to the four sums. `abort` (may be null) is
// polled between blocks; `progress` (may be empty) gets the bytes read so far and the
// file's size. A read that fails part-way gives ReadError, never sums of part of the file.
ChecksumResult computeChecksums(const QString& path, const std::atomic_bool* abort = nullptr,
                                const std::function<void(std::int64_t done, std::int64_t total)>& progress = {});

// What the report says about a document.
struct ReportInput {
    QString path;                      // "<new>" for a document without a file
    std::int64_t lines = 0;
    std::int64_t chars = 0;
    std::int64_t words = 0;
    std::optional<Checksums> sums;     // nothing: no file, or it could not be read
};

// "File:\t<path>\r\nLines:\t..." with the size and sum lines when there are sums.
QString buildReport(const ReportInput& in);
// The four count lines only.
QString countLines(const ReportInput& in);
// The size line and the four sum lines.
QString checksumLines(const Checksums& sums);
// "Size:\t1.50 KB (1536 bytes)\r\n" and its siblings.
QString sizeLine(std::int64_t bytes);
// Upper-case hexadecimal, two digits per byte.
QString hexDigest(const QByteArray& digest);

} // namespace properties
