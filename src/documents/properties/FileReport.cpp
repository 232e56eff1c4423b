#include "documents/properties/FileReport.h"

#include <QCryptographicHash>
#include <QFile>

#include <zlib.h>

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
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
constexpr qint64 kBlock = 1024 * 1024;

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

namespace {

// The four sums of one file. The slow hashes go to two stages that may run on threads of
// their own; CRC32 is cheap and stays with the reader.
struct SumState {
    QCryptographicHash md5{QCryptographicHash::Md5}, sha1{QCryptographicHash::Sha1},
        sha256{QCryptographicHash::Sha256};
    uLong crc = crc32(0L, Z_NULL, 0);

    void readerStage(const char* data, qint64 n) { crc = crc32(crc, reinterpret_cast<const Bytef*>(data), uInt(n)); }
    void stageA(QByteArrayView block) { sha256.addData(block); }
    void stageB(QByteArrayView block)
    {
        sha1.addData(block);
        md5.addData(block);
    }
};

// A ring of blocks filled by the reader and read, in order, by a fixed number of
// consumers; a slot is filled again only when every consumer has released it.
class BlockRing {
public:
    BlockRing(int slotCount, int consumers) : m_slots(std::size_t(slotCount)), m_consumers(consumers)
    {
        for (Slot& s : m_slots)
            s.data.resize(std::size_t(kBlock));
    }

    // The reader's next slot, once every consumer is done with it.
    char* beginWrite(std::size_t index)
    {
        std::unique_lock lock(m_mutex);
        Slot& s = slot(index);
        m_changed.wait(lock, [&] { return s.pending == 0; });
        return s.data.data();
    }
    void publish(std::size_t index, qint64 size)
    {
        {
            std::lock_guard lock(m_mutex);
            Slot& s = slot(index);
            s.size = size;
            s.pending = m_consumers;
            m_published = index + 1;
        }
        m_changed.notify_all();
    }
    // No more blocks: consumers finish what was published and stop.
    void close()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
    }
    // The consumer's block `index`, or an empty view once the ring is closed before it.
    QByteArrayView beginRead(std::size_t index)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_published > index || m_closed; });
        if (m_published <= index)
            return {};
        const Slot& s = slot(index);
        return QByteArrayView(s.data.data(), qsizetype(s.size));
    }
    void endRead(std::size_t index)
    {
        {
            std::lock_guard lock(m_mutex);
            --slot(index).pending;
        }
        m_changed.notify_all();
    }

private:
    struct Slot {
        std::vector<char> data;
        qint64 size = 0;
        int pending = 0;
    };
    Slot& slot(std::size_t index) { return m_slots[index % m_slots.size()]; }

    std::vector<Slot> m_slots;
    const int m_consumers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_published = 0;
    bool m_closed = false;
};

// Files smaller than this are summed on the calling thread alone.
constexpr std::int64_t kThreadedFrom = 4 * 1024 * 1024;

} // namespace

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
    SumState sums;
    const bool threaded = total >= kThreadedFrom && std::thread::hardware_concurrency() > 1;
    BlockRing ring(threaded ? 8 : 1, threaded ? 2 : 0);
    std::thread workerA, workerB;
    if (threaded) {
        auto consume = [&ring](auto&& stage) {
            for (std::size_t i = 0;; ++i) {
                const QByteArrayView block = ring.beginRead(i);
                if (block.isNull())
                    return;
                stage(block);
                ring.endRead(i);
            }
        };
        // The workers outlive this block: each takes its own copy of `consume`.
        workerA = std::thread([consume, &sums] { consume([&](QByteArrayView b) { sums.stageA(b); }); });
        workerB = std::thread([consume, &sums] { consume([&](QByteArrayView b) { sums.stageB(b); }); });
    }
    // Every path out of the loop closes the ring and waits for the workers.
    ChecksumStatus status = ChecksumStatus::Ok;
    std::int64_t done = 0;
    for (std::size_t index = 0;; ++index) {
        if (abort && abort->load(std::memory_order_relaxed)) {
            status = ChecksumStatus::Aborted;
            break;
        }
        char* buffer = ring.beginWrite(index);
        const qint64 n = file.read(buffer, kBlock);
        if (n < 0) {
            // Sums of the part read so far would describe no file at all.
            status = ChecksumStatus::ReadError;
            break;
        }
        if (n == 0)
            break;
        sums.readerStage(buffer, n);
        if (threaded) {
            ring.publish(index, n);
        } else {
            const QByteArrayView block(buffer, n);
            sums.stageA(block);
            sums.stageB(block);
        }
        done += n;
        if (progress)
            progress(done, total);
    }
    ring.close();
    if (workerA.joinable())
        workerA.join();
    if (workerB.joinable())
        workerB.join();
    result.status = status;
    if (status != ChecksumStatus::Ok)
        return result;
    result.sums.size = done;
    result.sums.crc32 = std::uint32_t(sums.crc);
    result.sums.md5 = sums.md5.result();
    result.sums.sha1 = sums.sha1.result();
    result.sums.sha256 = sums.sha256.result();
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
