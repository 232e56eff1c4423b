#include "documents/text/Encoding.h"

#include "platform/CodePage.h"

#include <array>
#include <cstring>

namespace textdoc {
namespace {

inline bool isCont(unsigned char b) { return (b & 0xC0) == 0x80; }

// Writes code point c (up to U+FFFF, or a pair's code point) as UTF-8 at p.
inline char* putUtf8(char* p, char32_t c)
{
    if (c < 0x80) {
        *p++ = char(c);
    } else if (c < 0x800) {
        *p++ = char(0xC0 | (c >> 6));
        *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = char(0xE0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    } else {
        *p++ = char(0xF0 | (c >> 18));
        *p++ = char(0x80 | ((c >> 12) & 0x3F));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    return p;
}

inline size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF8) return 0;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 0;
}

} // namespace

bool isValidEncoding(int encoding)
{
    return encoding >= 0 && encoding < kEncodingCount;
}

QString encodingName(int encoding)
{
    static const char* const names[kEncodingCount] = {"ANSI", "UNICODE BE", "UNICODE", "UTF-8", "UTF-8 NOBOM"};
    return isValidEncoding(encoding) ? QString::fromLatin1(names[encoding]) : QString();
}

int detectEncoding(const char* data, size_t n)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (n <= 1)
        return EncAnsi;
    if (p[0] == 0xFE && p[1] == 0xFF)
        return EncUtf16BE;
    if (p[0] == 0xFF && p[1] == 0xFE)
        return EncUtf16LE;
    if (n > 2 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return EncUtf8;
    // Plausibility scan: every lead byte must be followed by a continuation byte and
    // no continuation byte may follow an ASCII byte; one continuation byte is enough.
    int s = 0;
    long k = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char b = p[i];
        bool cont = b >= 0x80 && b <= 0xBF;
        if ((s == 1 && !cont) || (s == 0 && cont))
            return EncAnsi;
        if (b >= 0xC0 && b <= 0xFD)
            s = 1;
        else if (b <= 0x7F)
            s = 0;
        else if (cont)
            ++s, ++k;
    }
    return k > 0 ? EncUtf8NoBom : EncAnsi;
}

int detectEolMode(const char* data, size_t n)
{
    for (size_t i = 0; i < n && data[i] != 0; ++i) {
        if (data[i] == '\r')
            return i + 1 < n && data[i + 1] == '\n' ? EolCrLf : EolCr;
        if (data[i] == '\n')
            return EolLf;
    }
    return EolCrLf;
}

size_t incompleteUtf8Tail(const char* data, size_t n)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    for (size_t back = 1; back <= 3 && back <= n; ++back) {
        unsigned char b = p[n - back];
        if (isCont(b))
            continue;
        size_t need = sequenceLength(b);
        return need > back ? back : 0;
    }
    return 0;
}

// --- ANSI to UTF-8 --------------------------------------------------------------------

void appendAnsiAsUtf8(const char* data, size_t n, std::string& out)
{
    // UTF-8 of each byte value of the current code page, rebuilt when it changes.
    struct Table {
        int codePage = 0;
        std::array<std::array<char, 4>, 256> seq{};   // [0] is the length
    };
    static Table table;
    if (table.codePage != ansi::codePage()) {
        table.codePage = ansi::codePage();
        for (int b = 0; b < 256; ++b) {
            char buf[4];
            char* e = putUtf8(buf, ansi::decodeByte(static_cast<unsigned char>(b)));
            table.seq[size_t(b)][0] = char(e - buf);
            std::memcpy(&table.seq[size_t(b)][1], buf, size_t(e - buf));
        }
    }
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    size_t start = out.size();
    out.resize(start + n * 3);
    char* w = out.data() + start;
    size_t i = 0;
    while (i < n) {
        size_t run = i;
        while (run < n && p[run] < 0x80)
            ++run;
        std::memcpy(w, p + i, run - i);
        w += run - i;
        i = run;
        if (i < n) {
            const auto& s = table.seq[p[i]];
            std::memcpy(w, &s[1], 3);
            w += s[0];
            ++i;
        }
    }
    out.resize(size_t(w - out.data()));
}

// --- UTF-16 to UTF-8 ---------------------------------------------------------------

void Utf16Decoder::decode(const char* data, size_t n, std::string& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    auto unitAt = [&](unsigned char a, unsigned char b) -> char16_t {
        return big_ ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
    };
    // Each code unit gives at most 3 bytes; a pair (two units) gives 4.
    size_t start = out.size();
    out.resize(start + (n / 2 + 2) * 3 + 4);
    char* w = out.data() + start;

    auto take = [&](char16_t u) {
        if (pendingHigh_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                char32_t cp = 0x10000 + ((char32_t(pendingHigh_) - 0xD800) << 10) + (u - 0xDC00);
                pendingHigh_ = 0;
                w = putUtf8(w, cp);
                return;
            }
            w = putUtf8(w, pendingHigh_);
            pendingHigh_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            pendingHigh_ = u;
        else
            w = putUtf8(w, u);
    };

    if (pendingByte_ >= 0 && n > 0) {
        take(unitAt(static_cast<unsigned char>(pendingByte_), p[0]));
        pendingByte_ = -1;
        i = 1;
    }
    for (; i + 1 < n; i += 2) {
        char16_t u = unitAt(p[i], p[i + 1]);
        if (u < 0x80 && !pendingHigh_) {
            *w++ = char(u);
            continue;
        }
        take(u);
    }
    if (i < n)
        pendingByte_ = p[i];
    out.resize(size_t(w - out.data()));
}

std::string Utf16Decoder::finish(std::string& out)
{
    if (pendingHigh_) {
        char buf[4];
        out.append(buf, size_t(putUtf8(buf, pendingHigh_) - buf));
        pendingHigh_ = 0;
    }
    std::string odd;
    if (pendingByte_ >= 0) {
        odd.push_back(char(pendingByte_));
        pendingByte_ = -1;
    }
    return odd;
}

// --- UTF-8 to UTF-16 ---------------------------------------------------------------

void Utf16Encoder::run(const char* data, size_t n, bool last, std::string& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    size_t start = out.size();
    out.resize(start + 2 * n + 4);
    char* w = out.data() + start;
    auto unit = [&](char16_t u) {
        if (big_) {
            *w++ = char(u >> 8);
            *w++ = char(u & 0xFF);
        } else {
            *w++ = char(u & 0xFF);
            *w++ = char(u >> 8);
        }
    };
    size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        if (b < 0x80) {
            // Runs of ASCII go straight through.
            const size_t hi = big_ ? 0 : 1;
            do {
                w[hi] = 0;
                w[1 - hi] = char(b);
                w += 2;
                ++i;
            } while (i < n && (b = p[i]) < 0x80);
            continue;
        }
        size_t len = sequenceLength(b);
        if (len == 0) {
            unit(b);
            ++i;
            continue;
        }
        if (i + len > n) {
            // Cut by the piece boundary: wait for the rest, unless the bytes we have
            // already show the sequence is broken.
            bool plausible = true;
            for (size_t k = i + 1; k < n; ++k)
                plausible = plausible && isCont(p[k]);
            if (plausible && !last) {
                carry_.assign(data + i, n - i);
                break;
            }
            unit(b);
            ++i;
            continue;
        }
        bool ok = true;
        char32_t cp = len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; k < len; ++k) {
            if (!isCont(p[i + k])) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (!ok || cp > 0x10FFFF) {
            unit(b);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(char16_t(0xD800 + (cp >> 10)));
            unit(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            unit(char16_t(cp));
        }
        i += len;
    }
    out.resize(size_t(w - out.data()));
}

void Utf16Encoder::encode(const char* data, size_t n, std::string& out)
{
    if (!carry_.empty()) {
        // A sequence was cut by the last piece boundary: finish it with this piece.
        std::string joined = std::move(carry_);
        carry_.clear();
        joined.append(data, n);
        run(joined.data(), joined.size(), false, out);
        return;
    }
    run(data, n, false, out);
}

void Utf16Encoder::finish(std::string& out)
{
    if (carry_.empty())
        return;
    std::string rest = std::move(carry_);
    carry_.clear();
    run(rest.data(), rest.size(), true, out);
}

// --- UTF-8 to the process code page --------------------------------------------------

void AnsiEncoder::encode(const char* data, size_t n, std::string& out)
{
    std::string joined;
    if (!carry_.empty()) {
        joined = std::move(carry_);
        carry_.clear();
        joined.append(data, n);
        data = joined.data();
        n = joined.size();
    }
    size_t tail = incompleteUtf8Tail(data, n);
    const size_t end = n - tail;
    size_t i = 0;
    while (i < end) {
        // ASCII runs are copied; each other sequence goes through the code page.
        size_t run = i;
        while (run < end && static_cast<unsigned char>(data[run]) < 0x80)
            ++run;
        out.append(data + i, run - i);
        i = run;
        if (i == end)
            break;
        size_t len = 1;
        while (i + len < end && len < 4 && isCont(static_cast<unsigned char>(data[i + len])))
            ++len;
        replaced_ += ansi::appendAnsi(std::string_view(data + i, len), out);
        i += len;
    }
    carry_.assign(data + n - tail, tail);
}

void AnsiEncoder::finish(std::string& out)
{
    if (!carry_.empty())
        replaced_ += ansi::appendAnsi(carry_, out);
    carry_.clear();
}

} // namespace textdoc
