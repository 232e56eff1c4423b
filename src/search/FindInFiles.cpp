#include "search/FindInFiles.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Texts.h"
#include "search/SearchOptions.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace search {

namespace {

// Character classes of the whole-word test.
enum CharClass : unsigned char { ClassLineEnd, ClassSpace, ClassWord, ClassPunct };

struct Tables {
    unsigned char cls[256];
    unsigned char lower[256];
    unsigned char rank[256];   // how common a byte is in text; the quick filter wants rare ones
    Tables()
    {
        for (int b = 0; b < 256; ++b) {
            const bool alnum = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
            if (b == '\r' || b == '\n')
                cls[b] = ClassLineEnd;
            else if (b <= 0x20)
                cls[b] = ClassSpace;
            else if (alnum || b == '_' || b >= 0x80)
                cls[b] = ClassWord;
            else
                cls[b] = ClassPunct;
            lower[b] = (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 32) : static_cast<unsigned char>(b);
            rank[b] = b >= 0x80 ? 20 : 40;
        }
        const char* byFrequency = "etaoinsrhldcumfpgwybvkxjqz";
        for (int i = 0; i < 26; ++i) {
            rank[static_cast<unsigned char>(byFrequency[i])] = static_cast<unsigned char>(200 - 4 * i);
            rank[static_cast<unsigned char>(byFrequency[i] - 32)] = static_cast<unsigned char>(110 - 2 * i);
        }
        for (int d = '0'; d <= '9'; ++d)
            rank[d] = 90;
        for (unsigned char c : std::string_view(" \t\n"))
            rank[c] = 255;
        for (unsigned char c : std::string_view("_()[];,.=\"'-/*:{}<>&"))
            rank[c] = 120;
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

bool isAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Count of LF bytes in [p, p+n).
std::size_t countLineFeeds(const char* p, std::size_t n)
{
    std::size_t count = 0;
#if defined(__SSE2__)
    // Per-lane counters (subtracting the all-ones compare result) summed every 255 blocks.
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (n >= 16) {
        __m128i lanes = zero;
        std::size_t blocks = std::min<std::size_t>(n / 16, 255);
        n -= blocks * 16;
        for (; blocks > 0; --blocks, p += 16)
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += std::size_t(_mm_cvtsi128_si32(sums)) + std::size_t(_mm_extract_epi16(sums, 4));
    }
#endif
    return count + static_cast<std::size_t>(std::count(p, p + n, '\n'));
}

bool isAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Length of the longest prefix of `s` that is whole UTF-8 characters, or npos when `s`
// holds a malformed sequence (with `cut`, a sequence cut by the end is not malformed).
std::size_t utf8Prefix(std::string_view s, bool cut)
{
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        unsigned min;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2, min = 0x80, cp = c & 0x1Fu;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, min = 0x800, cp = c & 0x0Fu;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, min = 0x10000, cp = c & 0x07u;
        } else {
            return std::string_view::npos;
        }
        std::size_t k = 1;
        for (; k < len && i + k < n; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return std::string_view::npos;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        if (k < len)
            return cut ? i : std::string_view::npos;
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::string_view::npos;
        i += len;
    }
    return n;
}

// "%s", "%d" and "%0.3f" style conversions, replaced in order by `args`.
QString formatArgs(const QString& format, const QStringList& args)
{
    QString out;
    int next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('%')) {
            out += c;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < format.size() && (format.at(j).isDigit() || format.at(j) == QLatin1Char('.')))
            ++j;
        if (j < format.size() && QStringView(u"sdfu").contains(format.at(j))) {
            out += next < args.size() ? args.at(next) : QString();
            ++next;
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------
// ByteMatcher

ByteMatcher::ByteMatcher(std::string pattern, bool matchCase, bool wholeWord)
    : m_pattern(std::move(pattern)), m_matchCase(matchCase), m_wholeWord(wholeWord)
{
    const Tables& t = tables();
    if (!m_matchCase)
        for (char& c : m_pattern)
            c = static_cast<char>(t.lower[static_cast<unsigned char>(c)]);
    // The quick filter compares the two rarest bytes of the pattern.
    auto rankAt = [&](std::size_t i) {
        const auto c = static_cast<unsigned char>(m_pattern[i]);
        int r = t.rank[c];
        if (!m_matchCase && isAsciiLetter(c))
            r = std::min(255, r + 30);   // both cases pass the filter
        return r;
    };
    const std::size_t n = m_pattern.size();
    for (std::size_t i = 1; i < n; ++i)
        if (rankAt(i) < rankAt(m_rare1))
            m_rare1 = i;
    m_rare2 = m_rare1;
    for (std::size_t i = 0; i < n; ++i)
        if (i != m_rare1 && (m_rare2 == m_rare1 || rankAt(i) < rankAt(m_rare2)))
            m_rare2 = i;
}

bool ByteMatcher::verify(const char* data, std::size_t size, std::size_t pos) const
{
    const std::size_t n = m_pattern.size();
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    const Tables& t = tables();
    if (m_matchCase) {
        if (std::memcmp(data + pos, m_pattern.data(), n) != 0)
            return false;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            if (t.lower[b[pos + i]] != static_cast<unsigned char>(m_pattern[i]))
                return false;
    }
    if (!m_wholeWord)
        return true;
    const unsigned char first = t.cls[b[pos]];
    const unsigned char last = t.cls[b[pos + n - 1]];
    if (first < ClassWord || last < ClassWord)
        return false;
    if (pos > 0 && t.cls[b[pos - 1]] == first)
        return false;
    if (pos + n < size && t.cls[b[pos + n]] == last)
        return false;
    return true;
}

template <class F>
void ByteMatcher::run(const char* data, std::size_t size, std::size_t from, F&& hit) const
{
    const std::size_t n = m_pattern.size();
    if (n == 0 || size < n || from > size - n)
        return;
    const std::size_t last = size - n;   // the last possible start
    std::size_t p = from;
    const auto c1 = static_cast<unsigned char>(m_pattern[m_rare1]);
    const auto c2 = static_cast<unsigned char>(m_pattern[m_rare2]);
    const bool fold1 = !m_matchCase && isAsciiLetter(c1);
    const bool fold2 = !m_matchCase && isAsciiLetter(c2);
#if defined(__SSE2__)
    {
        // Sixteen starts at a time: both rare bytes must be in place (letters compared with
        // their 0x20 bit set, which only the two cases of that letter give).
        const std::size_t reach = std::max(m_rare1, m_rare2) + 16;
        const __m128i v1 = _mm_set1_epi8(static_cast<char>(c1));
        const __m128i v2 = _mm_set1_epi8(static_cast<char>(c2));
        const __m128i or1 = _mm_set1_epi8(fold1 ? 0x20 : 0);
        const __m128i or2 = _mm_set1_epi8(fold2 ? 0x20 : 0);
        while (p + reach <= size) {
            const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + m_rare1)), or1);
            const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + m_rare2)), or2);
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, v1), _mm_cmpeq_epi8(b, v2))));
            while (mask) {
                const std::size_t q = p + static_cast<std::size_t>(__builtin_ctz(mask));
                if (q > last)
                    return;
                if (verify(data, size, q) && !hit(q))
                    return;
                mask &= mask - 1;
            }
            p += 16;
        }
    }
#endif
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    const unsigned char orMask1 = fold1 ? 0x20 : 0;
    for (; p <= last; ++p) {
        if ((b[p + m_rare1] | orMask1) != c1)
            continue;
        if (verify(data, size, p) && !hit(p))
            return;
    }
}

void ByteMatcher::forEach(const char* data, std::size_t size, const std::function<bool(std::size_t)>& hit) const
{
    run(data, size, 0, hit);
}

std::size_t ByteMatcher::find(const char* data, std::size_t size, std::size_t from) const
{
    std::size_t found = std::string::npos;
    run(data, size, from, [&](std::size_t pos) {
        found = pos;
        return false;
    });
    return found;
}

// ---------------------------------------------------------------------------------------
// Scanning one file's bytes

namespace {

// Turns match offsets, in increasing order, into line numbers and line texts. Lines are
// counted only as far as the next match.
class LineTracker {
public:
    LineTracker(std::string_view data, int firstLine) : m_data(data), m_line(firstLine) {}

    ScanHit at(std::size_t pos)
    {
        if (pos > m_counted) {
            const char* from = m_data.data() + m_counted;
            const std::size_t len = pos - m_counted;
            if (const std::size_t k = countLineFeeds(from, len)) {
                m_line += static_cast<int>(k);
                const auto* nl = static_cast<const char*>(memrchr(from, '\n', len));
                m_lineStart = static_cast<std::size_t>(nl - m_data.data()) + 1;
                m_lineLength = std::string_view::npos;
            }
            m_counted = pos;
        }
        if (m_lineLength == std::string_view::npos) {
            const std::size_t limit = std::min(kMaxLineBytes, m_data.size() - m_lineStart);
            const char* s = m_data.data() + m_lineStart;
            std::size_t i = 0;
            while (i < limit && s[i] != '\n' && s[i] != '\r')
                ++i;
            m_lineLength = i;
        }
        return ScanHit{pos, m_line, m_data.substr(m_lineStart, m_lineLength)};
    }

private:
    std::string_view m_data;
    std::size_t m_counted = 0;
    std::size_t m_lineStart = 0;
    std::size_t m_lineLength = std::string_view::npos;
    int m_line;
};

} // namespace

std::size_t scanBytes(std::string_view data, const std::vector<ByteMatcher>& matchers,
                      const std::function<bool(const ScanHit&)>& hit, int firstLine)
{
    LineTracker lines(data, firstLine);
    std::size_t count = 0;
    if (matchers.size() == 1) {
        matchers.front().forEach(data.data(), data.size(), [&](std::size_t pos) {
            ++count;
            return hit(lines.at(pos));
        });
        return count;
    }
    std::vector<std::size_t> positions;
    for (const ByteMatcher& m : matchers)
        m.forEach(data.data(), data.size(), [&](std::size_t pos) {
            positions.push_back(pos);
            return true;
        });
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (std::size_t pos : positions) {
        ++count;
        if (!hit(lines.at(pos)))
            break;
    }
    return count;
}

std::string_view searchableBytes(std::string_view raw, std::string& storage)
{
    if (raw.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(raw[0]);
        const auto b1 = static_cast<unsigned char>(raw[1]);
        const bool le = b0 == 0xFF && b1 == 0xFE;
        const bool be = b0 == 0xFE && b1 == 0xFF;
        if (le || be) {
            const std::size_t units = (raw.size() - 2) / 2;
            QString text(qsizetype(units), Qt::Uninitialized);
            auto* out = reinterpret_cast<char16_t*>(text.data());
            const auto* in = reinterpret_cast<const unsigned char*>(raw.data() + 2);
            for (std::size_t i = 0; i < units; ++i)
                out[i] = le ? char16_t(in[2 * i] | (in[2 * i + 1] << 8)) : char16_t((in[2 * i] << 8) | in[2 * i + 1]);
            const QByteArray utf8 = text.toUtf8();
            storage.assign(utf8.constData(), std::size_t(utf8.size()));
            return storage;
        }
    }
    if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF")
        return raw.substr(3);
    return raw;
}

QString lineToText(std::string_view bytes, bool cut)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    const std::size_t valid = utf8Prefix(bytes, cut);
    if (valid != std::string_view::npos)
        return QString::fromUtf8(bytes.data(), qsizetype(valid));
    return ansi::toUnicode(bytes);
}

std::vector<ByteMatcher> matchersFor(const QString& findText, unsigned flags)
{
    std::vector<ByteMatcher> out;
    const bool matchCase = flags & Mask::MatchCase;
    const bool wholeWord = flags & Mask::WholeWord;
    const QByteArray utf8 = findText.toUtf8();
    if (utf8.isEmpty())
        return out;
    out.emplace_back(std::string(utf8.constData(), std::size_t(utf8.size())), matchCase, wholeWord);
    // Files in the ANSI code page hold the text in its single-byte form.
    bool representable = true;
    std::string ansiBytes;
    for (QChar c : findText) {
        unsigned char b = 0;
        if (!ansi::encodeChar(c.unicode(), b)) {
            representable = false;
            break;
        }
        ansiBytes += static_cast<char>(b);
    }
    if (representable && ansiBytes.size() != std::size_t(utf8.size()))   // not plain ASCII
        out.emplace_back(std::move(ansiBytes), matchCase, wholeWord);
    return out;
}

// ---------------------------------------------------------------------------------------
// The walk

namespace {

bool lessByName(const std::string& a, const std::string& b)
{
    const Tables& t = tables();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = t.lower[static_cast<unsigned char>(a[i])];
        const unsigned char y = t.lower[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool hasWildcard(const QString& s)
{
    return s.contains(QLatin1Char('*')) || s.contains(QLatin1Char('?'));
}

class Walker {
public:
    Walker(const FindInFilesJob& job, FindInFilesSink& sink, FindInFilesCounts& counts)
        : m_job(job), m_sink(sink), m_counts(counts), m_matchers(matchersFor(job.findText, job.flags)),
          m_recursive(job.flags & Mask::Subfolders)
    {
        for (const QString& raw : job.filter.split(QLatin1Char(';'))) {
            const QString p = raw.trimmed();
            if (p.isEmpty())
                continue;
            if (p == QLatin1String("*") || p == QLatin1String("*.*")) {
                m_patterns.clear();
                m_anyName = true;
                break;
            }
            m_patterns << p;
        }
        if (m_patterns.isEmpty())
            m_anyName = true;
    }

    // The folder as typed: leading blanks, trailing separators and a final "*" component
    // come off; any other wildcard component limits the names of the folder itself.
    bool open(const QString& typed)
    {
        QString folder = typed;
        auto chopSeparators = [&folder] {
            while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
                folder.chop(1);
        };
        chopSeparators();
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        const QString last = folder.mid(slash + 1);
        if (hasWildcard(last)) {
            if (last != QLatin1String("*") && last != QLatin1String("*.*"))
                m_topPattern = last;
            folder = slash < 0 ? QString() : slash == 0 ? QStringLiteral("/") : folder.left(slash);
            chopSeparators();
        }
        if (folder.isEmpty())
            return false;
        const QByteArray native = QFile::encodeName(folder);
        m_rootFd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_rootFd < 0)
            return false;
        m_dir = native.toStdString();
        if (m_dir.empty() || m_dir.back() != '/')
            m_dir += '/';
        return true;
    }

    void run()
    {
        if (m_matchers.empty()) {
            ::close(m_rootFd);
            return;
        }
        walk(m_rootFd, 0);
    }

private:
    struct Entry {
        std::string name;
        unsigned char type;
    };

    bool nameMatches(const std::string& name) const
    {
        if (m_anyName)
            return true;
        const QString n = QString::fromUtf8(name.data(), qsizetype(name.size()));
        for (const QString& p : m_patterns)
            if (paths::matchPattern(n, p))
                return true;
        return false;
    }

    // Takes `fd` (closed here).
    void walk(int fd, int depth)
    {
        DIR* d = fdopendir(fd);
        if (!d) {
            ::close(fd);
            return;
        }
        std::vector<Entry> entries;
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.')
                continue;   // ".", "..", and hidden entries such as .git
            entries.push_back(Entry{e->d_name, e->d_type});
        }
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return lessByName(a.name, b.name); });
        const int dfd = dirfd(d);
        for (Entry& e : entries) {
            if (m_stop)
                break;
            if (depth == 0 && !m_topPattern.isEmpty()
                && !paths::matchPattern(QString::fromUtf8(e.name.data(), qsizetype(e.name.size())), m_topPattern))
                continue;
            unsigned char type = e.type;
            if (type == DT_UNKNOWN) {
                struct stat st;
                if (fstatat(dfd, e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
            }
            if (type == DT_DIR) {
                if (!m_recursive)
                    continue;
                // O_NOFOLLOW: a folder swapped for a link since the listing is not entered.
                const int sub = openat(dfd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub < 0)
                    continue;
                const std::size_t keep = m_dir.size();
                m_dir += e.name;
                m_dir += '/';
                walk(sub, depth + 1);
                m_dir.resize(keep);
            } else if (type == DT_REG || type == DT_LNK) {
                // A link is followed to a file only; links to folders are never entered.
                if (nameMatches(e.name))
                    visit(dfd, e.name, type == DT_LNK);
            }
            // FIFOs, devices and sockets are never opened.
        }
        closedir(d);
    }

    bool tooLarge(std::int64_t size) const
    {
        if (m_job.maxFileSize > 0)
            return size > m_job.maxFileSize;
        return false;
    }

    QString pathOf(const std::string& name) const
    {
        const std::string full = m_dir + name;
        return QFile::decodeName(QByteArray(full.data(), qsizetype(full.size())));
    }

    void cannotOpen(const std::string& name, int code)
    {
        ++m_counts.unreadable;
        m_sink.add(FindResultLine::plain(
            formatArgs(m_job.cannotOpenText.isEmpty() ? cannotOpenFormat() : m_job.cannotOpenText,
                       {pathOf(name), QString::number(code)})));
    }

    void visit(int dfd, const std::string& name, bool link)
    {
        if (m_sink.stopRequested()) {
            m_stop = true;
            m_counts.aborted = true;
            return;
        }
        struct stat st;
        if (link && (fstatat(dfd, name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)))
            return;   // a dangling link, or one to a folder, FIFO or device
        // O_NONBLOCK: should the entry have become a FIFO, opening it does not wait.
        const int fd = openat(dfd, name.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            // A file that would have been skipped for its size is skipped silently.
            if (fstatat(dfd, name.c_str(), &st, 0) == 0 && (!S_ISREG(st.st_mode) || st.st_size == 0 || tooLarge(st.st_size)))
                return;
            cannotOpen(name, 1);
            return;
        }
        struct FdCloser {
            int fd;
            ~FdCloser() { ::close(fd); }
        } closer{fd};
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || tooLarge(st.st_size))
            return;
        m_sink.visiting(m_dir, name);

        // The file is read up to the size it had when it was opened; one that shrinks ends
        // early. A file larger than the read window goes in parts that end at a line end
        // (no match spans a line end); a UTF-16 file is read whole, to be decoded.
        const std::size_t size = std::size_t(st.st_size);
        std::size_t window = std::max<std::size_t>(m_job.readWindow, 256);
        std::size_t consumed = 0;   // bytes of the file before the buffer's start
        std::size_t have = 0;
        bool eof = false;
        auto fill = [&](std::size_t target) {
            while (have < target && !eof) {
                const ssize_t r = ::read(fd, m_buffer.get() + have, target - have);
                if (r < 0) {
                    if (errno == EINTR)
                        continue;
                    return false;
                }
                if (r == 0)
                    eof = true;
                have += std::size_t(r);
                if (consumed + have >= size)
                    eof = true;
            }
            return true;
        };
        ++m_counts.searched;
        QString path;
        int found = 0;
        int line = 1;
        bool first = true;
        while (!m_stop) {
            std::size_t target = std::min(window, size - std::min(size, consumed));
            if (first && size > window && size >= 2) {
                // A UTF-16 mark asks for the whole file.
                unsigned char mark[2] = {0, 0};
                if (pread(fd, mark, 2, 0) == 2 && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF)))
                    target = window = size;
            }
            target = std::max(target, have);
            if (!reserve(target, have) || !fill(target)) {
                if (found > 0)
                    ++m_counts.files;
                cannotOpen(name, 3);
                return;
            }
            std::size_t take = have;
            if (!eof) {
                const auto* nl = static_cast<const char*>(memrchr(m_buffer.get(), '\n', have));
                if (!nl) {
                    window *= 2;   // one line longer than the window
                    continue;
                }
                take = std::size_t(nl - m_buffer.get()) + 1;
            }
            const std::string_view part(m_buffer.get(), take);
            scan(name, part, first, line, path, found);
            first = false;
            if (eof && take == have)
                break;
            line += int(countLineFeeds(part.data(), part.size()));
            std::memmove(m_buffer.get(), m_buffer.get() + take, have - take);
            consumed += take;
            have -= take;
        }
        if (found > 0)
            ++m_counts.files;
        if (m_capacity > std::max<std::size_t>(m_job.readWindow, std::size_t(4) << 20)) {
            m_buffer.reset();   // a UTF-16 file or a long line made it large
            m_capacity = 0;
        }
    }

    // Makes room for `want` bytes, keeping the first `keep`.
    bool reserve(std::size_t want, std::size_t keep)
    {
        if (want <= m_capacity)
            return true;
        try {
            std::unique_ptr<char[]> bigger(new char[want]);
            if (keep)
                std::memcpy(bigger.get(), m_buffer.get(), keep);
            m_buffer = std::move(bigger);
            m_capacity = want;
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    // Scans one part of a file starting with line `firstLine`; the first part may be UTF-16.
    void scan(const std::string& name, std::string_view raw, bool firstPart, int firstLine, QString& path, int& found)
    {
        std::string_view data = raw;
        if (firstPart) {
            try {
                data = searchableBytes(raw, m_converted);
            } catch (const std::bad_alloc&) {
                return;
            }
        }
        scanBytes(data, m_matchers, [&](const ScanHit& h) {
            if (path.isEmpty())
                path = pathOf(name);
            ++found;
            ++m_counts.occurrences;
            // The "%s(%d): %s" text, built in one allocation.
            QString text;
            text.reserve(path.size() + qsizetype(h.lineText.size()) + 16);
            text += path;
            text += QLatin1Char('(');
            char digits[16];
            const int nd = std::snprintf(digits, sizeof digits, "%d", h.line);
            text += QLatin1StringView(digits, nd);
            text += QLatin1StringView("): ");
            if (isAscii(h.lineText))
                text += QLatin1StringView(h.lineText.data(), qsizetype(h.lineText.size()));
            else
                text += lineToText(h.lineText, h.lineText.size() == kMaxLineBytes);
            FindResultLine line;
            if (text.size() > kMaxResultLine)
                text.truncate(kMaxResultLine);
            line.text = std::move(text);
            line.file = path;
            line.line = h.line;
            m_sink.add(std::move(line));
            if (m_sink.stopRequested()) {
                m_stop = true;
                m_counts.aborted = true;
                return false;
            }
            return true;
        }, firstLine);
        if (m_converted.capacity() > (std::size_t(4) << 20))
            std::string().swap(m_converted);
    }

    const FindInFilesJob& m_job;
    FindInFilesSink& m_sink;
    FindInFilesCounts& m_counts;
    std::vector<ByteMatcher> m_matchers;
    QStringList m_patterns;
    bool m_anyName = false;
    QString m_topPattern;
    bool m_recursive;
    int m_rootFd = -1;
    std::string m_dir;   // the folder being walked, with a trailing "/"
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::string m_converted;
    bool m_stop = false;
};

QString trimLeadingBlanks(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && (s.at(i) == QLatin1Char(' ') || s.at(i) == QLatin1Char('\t')))
        ++i;
    return s.mid(i);
}

} // namespace

FindInFilesCounts findInFiles(const FindInFilesJob& job, FindInFilesSink& sink)
{
    FindInFilesCounts counts;
    FindInFilesJob own = job;
    own.folder = trimLeadingBlanks(job.folder);
    own.filter = trimLeadingBlanks(job.filter);
    Walker walker(own, sink, counts);
    if (!walker.open(own.folder)) {
        counts.invalidPath = true;
        return counts;
    }
    const auto start = std::chrono::steady_clock::now();
    walker.run();
    counts.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return counts;
}

QString cannotOpenFormat()
{
    return texts::str(1197, "Cannot open file: %s error:%d");
}

QString finalText(const FindInFilesJob& job, const FindInFilesCounts& counts)
{
    if (counts.invalidPath)
        return texts::str(1195, "Invalid search path: %s").replace(QLatin1String("%s"), trimLeadingBlanks(job.folder));
    return formatArgs(texts::str(1196, "Find '%s' completed: %d occurrences in %d files, %0.3f second consumed."),
                      {job.findText, QString::number(counts.occurrences), QString::number(counts.files),
                       QString::number(counts.seconds, 'f', 3)});
}

} // namespace search
