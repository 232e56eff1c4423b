#include "search/SearchOptions.h"

namespace search {

namespace {

// Scintilla search flags.
constexpr int kWholeWord = 2;
constexpr int kMatchCase = 4;
constexpr int kRegExp = 0x00200000;

bool isOctal(char c) { return c >= '0' && c <= '7'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Appends an escaped byte value; values from 0x80 are characters of the Latin-1 range.
void putValue(std::string& out, unsigned value)
{
    value &= 0xFFu;
    if (value < 0x80) {
        out += char(value);
    } else {
        out += char(0xC0 | (value >> 6));
        out += char(0x80 | (value & 0x3F));
    }
}

} // namespace

QString clampText(const QString& text, int max)
{
    if (text.size() <= max)
        return text;
    int n = max;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

std::string processEscapes(const std::string& in, bool regExp)
{
    std::string out;
    out.reserve(in.size());
    const size_t n = in.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = in[i];
        if (c != '\\' || i + 1 >= n) {
            out += c;
            continue;
        }
        const char e = in[i + 1];
        if (regExp) {
            // Only \0dd: the byte d1*8+d2; everything else goes to the component unchanged.
            if (e == '0' && i + 3 < n && isOctal(in[i + 2]) && isOctal(in[i + 3])) {
                const unsigned v = unsigned(in[i + 2] - '0') * 8 + unsigned(in[i + 3] - '0');
                if (v == 0)
                    return out;
                putValue(out, v);
                i += 3;
            } else {
                out += c;
            }
            continue;
        }
        ++i;   // at the escape character
        unsigned v = 0;
        switch (e) {
        case 'a': v = 0x07; break;
        case 'b': v = 0x08; break;
        case 'f': v = 0x0C; break;
        case 'n': v = 0x0A; break;
        case 'r': v = 0x0D; break;
        case 't': v = 0x09; break;
        case 'v': v = 0x0B; break;
        case 'x': {
            int digits = 0;
            while (digits < 2 && i + 1 < n && hexValue(in[i + 1]) >= 0) {
                v = v * 16 + unsigned(hexValue(in[i + 1]));
                ++i;
                ++digits;
            }
            break;
        }
        default:
            if (isOctal(e)) {
                v = unsigned(e - '0');
                for (int digits = 1; digits < 3 && i + 1 < n && isOctal(in[i + 1]); ++digits) {
                    v = v * 8 + unsigned(in[i + 1] - '0');
                    ++i;
                }
            } else {
                // Any other character stands for itself (a multi-byte character whole).
                out += e;
                continue;
            }
        }
        if ((v & 0xFFu) == 0)
            return out;   // a zero byte ends the text
        putValue(out, v);
    }
    return out;
}

std::string prepareText(const QString& text, unsigned flags)
{
    const QByteArray utf8 = text.toUtf8();
    std::string bytes(utf8.constData(), size_t(utf8.size()));
    if (flags & Mask::Escapes)
        bytes = processEscapes(bytes, (flags & Mask::RegExp) != 0);
    return bytes;
}

int componentFlags(unsigned flags)
{
    int f = 0;
    if (flags & Mask::WholeWord)
        f |= kWholeWord;
    if (flags & Mask::MatchCase)
        f |= kMatchCase;
    if (flags & Mask::RegExp)
        f |= kRegExp;
    return f;
}

} // namespace search
