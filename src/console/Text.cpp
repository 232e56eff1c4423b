#include "console/Text.h"

#include <QByteArray>
#include <climits>

namespace console {

ustring u(std::string_view utf8) { return fromUtf8(utf8); }

ustring fromQ(const QString& s)
{
    return ustring(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

QString toQ(uview s) { return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size())); }

// Bytes that are not part of valid UTF-8 are carried as the lone low surrogates
// U+DC80..U+DCFF (byte 0x80 + n as U+DC80 + n); toUtf8 turns them back into the same
// bytes, so names, arguments and values reach the system unchanged.
std::string toUtf8(uview s)
{
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c < 0x80) {
            r += char(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            r += char(c & 0xFF);
            continue;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate that stands for no byte
        }
        if (c < 0x800) {
            r += char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            r += char(0xE0 | (c >> 12));
            r += char(0x80 | ((c >> 6) & 0x3F));
        } else {
            r += char(0xF0 | (c >> 18));
            r += char(0x80 | ((c >> 12) & 0x3F));
            r += char(0x80 | ((c >> 6) & 0x3F));
        }
        r += char(0x80 | (c & 0x3F));
    }
    return r;
}

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none.
static size_t sequenceLength(std::string_view s, size_t i)
{
    auto at = [&](size_t k) { return i + k < s.size() ? (unsigned char)s[i + k] : 0u; };
    auto cont = [&](size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        unsigned b = at(k);
        return b >= lo && b <= hi;
    };
    unsigned b = at(0);
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return cont(1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        unsigned lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        unsigned lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

ustring fromUtf8(std::string_view s)
{
    ustring r;
    r.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = (unsigned char)s[i];
        size_t n = sequenceLength(s, i);
        char32_t c;
        switch (n) {
        case 1: c = b; break;
        case 2: c = ((b & 0x1F) << 6) | (s[i + 1] & 0x3F); break;
        case 3: c = ((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F); break;
        case 4:
            c = ((b & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
            break;
        default:
            r += char16_t(0xDC00 | b);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            r += char16_t(0xD800 + ((c - 0x10000) >> 10));
            r += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            r += char16_t(c);
        }
        i += n;
    }
    return r;
}

ustring decodeText(std::string_view bytes) { return fromUtf8(bytes); }

std::string toLocal8(uview s) { return toUtf8(s); }

char16_t upperChar(char16_t c)
{
    if (c < 128)
        return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    return QChar(c).toUpper().unicode();
}

ustring upper(uview s)
{
    ustring r(s);
    for (auto& c : r)
        c = upperChar(c);
    return r;
}

ustring lower(uview s)
{
    ustring r(s);
    for (auto& c : r) {
        if (c < 128)
            c = (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
        else if (c < 0xD800 || c > 0xDFFF)
            c = QChar(c).toLower().unicode();
    }
    return r;
}

bool equalsNoCase(uview a, uview b) { return a.size() == b.size() && compareNoCase(a, b) == 0; }

int compareNoCase(uview a, uview b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = upperChar(a[i]), y = upperChar(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool startsWithNoCase(uview s, uview prefix)
{
    return s.size() >= prefix.size() && compareNoCase(s.substr(0, prefix.size()), prefix) == 0;
}

size_t findNoCase(uview hay, uview needle, size_t from)
{
    if (needle.empty())
        return from <= hay.size() ? from : uview::npos;
    for (size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (compareNoCase(hay.substr(i, needle.size()), needle) == 0)
            return i;
    return uview::npos;
}

bool isBlank(char16_t c)
{
    switch (c) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F:
    case 0x205F: case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

bool isSeparator(char16_t c) { return isBlank(c) || c == '=' || c == ',' || c == ';'; }

static int digitValue(char16_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

int32_t strtol32(uview s, size_t* end)
{
    size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        neg = s[i++] == '-';
    int base = 10;
    size_t digitsStart = i;
    if (i < s.size() && s[i] == '0') {
        if (i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X') && i + 2 < s.size()
            && digitValue(s[i + 2]) < 16) {
            base = 16;
            i += 2;
        } else {
            base = 8;
        }
        digitsStart = i;
    }
    unsigned long long acc = 0;
    bool overflow = false;
    size_t j = i;
    while (j < s.size() && digitValue(s[j]) < base) {
        acc = acc * unsigned(base) + unsigned(digitValue(s[j]));
        if (acc > 0x80000000ULL) {
            overflow = true;
            acc = 0x80000000ULL + 1;
        }
        ++j;
    }
    if (j == digitsStart) {
        if (end) *end = 0;
        return 0;
    }
    if (end) *end = j;
    if (neg) {
        if (overflow || acc > 0x80000000ULL) return INT32_MIN;
        return int32_t(-(long long)acc);
    }
    if (overflow || acc > 0x7FFFFFFFULL) return INT32_MAX;
    return int32_t(acc);
}

bool isWholeNumber(uview s, int32_t* value)
{
    size_t end = 0;
    int32_t v = strtol32(s, &end);
    if (end == 0 || end != s.size())
        return false;
    if (value) *value = v;
    return true;
}

static bool matchFrom(uview p, uview n)
{
    size_t pi = 0, ni = 0;
    while (pi < p.size()) {
        char16_t pc = p[pi];
        if (pc == '*') {
            while (pi < p.size() && p[pi] == '*')
                ++pi;
            if (pi == p.size())
                return true;
            for (size_t k = ni; k <= n.size(); ++k)
                if (matchFrom(p.substr(pi), n.substr(k)))
                    return true;
            return false;
        }
        if (pc == '?') {
            // One character, or none at the end of the name or before a period.
            if (ni < n.size() && matchFrom(p.substr(pi + 1), n.substr(ni + 1)))
                return true;
            if (ni == n.size() || n[ni] == '.')
                return matchFrom(p.substr(pi + 1), n.substr(ni));
            return false;
        }
        if (ni >= n.size()) {
            // A trailing "." or ".*" in the pattern matches a name without extension.
            uview rest = p.substr(pi);
            return rest == u".*";
        }
        if (upperChar(pc) != upperChar(n[ni]))
            return false;
        ++pi;
        ++ni;
    }
    return ni == n.size();
}

bool wildcardMatch(uview pattern, uview name)
{
    if (pattern == u"*.*" || pattern == u"*")
        return true;
    // A pattern ending in "." matches names without an extension.
    if (pattern.size() > 1 && pattern.back() == '.' && pattern[pattern.size() - 2] != '.') {
        if (name.find('.') != uview::npos)
            return false;
        return matchFrom(pattern.substr(0, pattern.size() - 1), name);
    }
    return matchFrom(pattern, name);
}

bool hasWildcards(uview s) { return s.find_first_of(u"*?") != uview::npos; }

ustring trimBlanks(uview s)
{
    size_t a = 0, b = s.size();
    while (a < b && isBlank(s[a])) ++a;
    while (b > a && isBlank(s[b - 1])) --b;
    return ustring(s.substr(a, b - a));
}

ustring stripQuotes(uview s)
{
    ustring r;
    for (char16_t c : s)
        if (c != '"') r += c;
    return r;
}

ustring number(long long v) { return u(std::to_string(v)); }

std::vector<ustring> splitWords(uview args)
{
    std::vector<ustring> words;
    size_t i = 0;
    while (i < args.size()) {
        while (i < args.size() && isSeparator(args[i]))
            ++i;
        if (i >= args.size())
            break;
        ustring w;
        bool quoted = false;
        while (i < args.size() && (quoted || !isSeparator(args[i]))) {
            if (args[i] == '"')
                quoted = !quoted;
            w += args[i++];
        }
        words.push_back(w);
    }
    return words;
}

} // namespace console
