#include "documents/properties/FileReport.h"

#include <QCryptographicHash>
#include <QFile>

#include <zlib.h>

#include <array>
#include <vector>

namespace properties {

namespace {

constexpr std::array<bool, 256> makeSeparators()
{
    std::array<bool, 256> t{};
    for (unsigned char c : {' ', '\t', '.', ',', '!', '?', ')', '}', ']', '>', ';', ':', '=', '@', '/', '\\', '%', '|',
                            '*', '&', '^', '"', '\'', '~', '#', '+'})
        t[c] = true;
    return t;
}
constexpr std::array<bool, 256> kSeparator = makeSeparators();

inline bool startsWord(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Bytes read at a time: large enough that the per-call cost of the sums does not show.
constexpr qint64 kBlock = 256 * 1024;

} // namespace

void WordCounter::feed(const char* data, std::size_t size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    for (; p < end; ++p) {
        if (m_between) {
            if (startsWord(*p)) {
                ++m_words;
                m_between = false;
            }
        } else if (kSeparator[*p]) {
            m_between = true;
        }
    }
}

std::int64_t countWords(const QByteArray& text)
{
    WordCounter c;
    c.feed(text);
    return c.words();
}

ChecksumResult computeChecksums(const QString& path, const std::atomic_bool* abort,
                                const std::function<void(std::int64_t, std::int64_t)>& progress)
{
    ChecksumResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.status = ChecksumStatus::CannotOpen;
        return result;
    }
    const std::int64_t total = file.size();
    QCryptographicHash md5(QCryptographicHash::Md5), sha1(QCryptographicHash::Sha1),
        sha256(QCryptographicHash::Sha256);
    uLong crc = crc32(0L, Z_NULL, 0);
    std::vector<char> buffer(kBlock);
    std::int64_t done = 0;
    for (;;) {
        if (abort && abort->load(std::memory_order_relaxed)) {
            result.status = ChecksumStatus::Aborted;
            return result;
        }
        const qint64 n = file.read(buffer.data(), kBlock);
        if (n < 0) {
            // Sums of the part read so far would describe no file at all.
            result.status = ChecksumStatus::ReadError;
            return result;
        }
        if (n == 0)
            break;
        const QByteArrayView block(buffer.data(), n);
        md5.addData(block);
        sha1.addData(block);
        sha256.addData(block);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), uInt(n));
        done += n;
        if (progress)
            progress(done, total);
    }
    result.status = ChecksumStatus::Ok;
    result.sums.size = done;
    result.sums.crc32 = std::uint32_t(crc);
    result.sums.md5 = md5.result();
    result.sums.sha1 = sha1.result();
    result.sums.sha256 = sha256.result();
    return result;
}

QString hexDigest(const QByteArray& digest)
{
    return QString::fromLatin1(digest.toHex()).toUpper();
}

QString sizeLine(std::int64_t n)
{
    const double k = double(n) / 1024, m = k / 1024, g = m / 1024;
    if (g >= 1)
        return QString::asprintf("Size:\t%.2f GB (%lld bytes)\r\n", g, static_cast<long long>(n));
    if (m >= 1)
        return QString::asprintf("Size:\t%.2f MB (%lld bytes)\r\n", m, static_cast<long long>(n));
    if (k >= 1)
        return QString::asprintf("Size:\t%.2f KB (%lld bytes)\r\n", k, static_cast<long long>(n));
    return QString::asprintf("Size:\t%lld bytes (%lld bytes)\r\n", static_cast<long long>(n), static_cast<long long>(n));
}

QString countLines(const ReportInput& in)
{
    return QStringLiteral("File:\t") + in.path
           + QString::asprintf("\r\nLines:\t%lld\r\nChars:\t%lld\r\nWords:\t%lld\r\n", static_cast<long long>(in.lines),
                               static_cast<long long>(in.chars), static_cast<long long>(in.words));
}

QString checksumLines(const Checksums& s)
{
    return sizeLine(s.size) + QString::asprintf("CRC32:\t%08X\r\n", unsigned(s.crc32)) + QStringLiteral("MD5:\t")
           + hexDigest(s.md5) + QStringLiteral("\r\nSHA1:\t") + hexDigest(s.sha1) + QStringLiteral("\r\nSHA256:\t")
           + hexDigest(s.sha256) + QStringLiteral("\r\n");
}

QString buildReport(const ReportInput& in)
{
    QString out = countLines(in);
    if (in.sums)
        out += checksumLines(*in.sums);
    return out;
}

} // namespace properties
