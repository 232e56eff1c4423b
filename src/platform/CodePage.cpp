#include "platform/CodePage.h"
#include "platform/CodePageTables.h"

#include <array>
#include <cstring>

namespace ansi {
namespace {

struct Table {
    int cp = 0;
    std::array<char16_t, 256> decode{};
    std::array<unsigned char, 65536> encode{};  // 0 means "no byte", except for U+0000
};

Table& table()
{
    static Table t;
    return t;
}

const char16_t* upperHalf(int cp)
{
    using namespace codepage_tables;
    switch (cp) {
    case 874: return cp874;
    case 1250: return cp1250;
    case 1251: return cp1251;
    case 1253: return cp1253;
    case 1254: return cp1254;
    case 1255: return cp1255;
    case 1256: return cp1256;
    case 1257: return cp1257;
    case 1258: return cp1258;
    default: return cp1252;
    }
}

void ensure()
{
    if (table().cp == 0)
        setCodePage(1252);
}

} // namespace

void setCodePage(int cp)
{
    if (cp != 874 && (cp < 1250 || cp > 1258))
        cp = 1252;
    Table& t = table();
    t.cp = cp;
    const char16_t* upper = upperHalf(cp);
    t.encode.fill(0);
    for (int b = 0; b < 256; ++b) {
        char16_t c = b < 128 ? char16_t(b) : upper[b - 128];
        t.decode[size_t(b)] = c;
        t.encode[c] = static_cast<unsigned char>(b);
    }
}

int codePage()
{
    ensure();
    return table().cp;
}

char16_t decodeByte(unsigned char b)
{
    ensure();
    return table().decode[b];
}

bool encodeChar(char16_t c, unsigned char& out)
{
    ensure();
    if (c == 0) {
        out = 0;
        return true;
    }
    unsigned char b = table().encode[c];
    if (b == 0)
        return false;
    out = b;
    return true;
}

QString toUnicode(std::string_view bytes)
{
    ensure();
    QString s(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* d = s.data();
    const auto& dec = table().decode;
    for (size_t i = 0; i < bytes.size(); ++i)
        d[i] = QChar(dec[static_cast<unsigned char>(bytes[i])]);
    return s;
}

QByteArray fromUnicode(QStringView text)
{
    ensure();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        unsigned char b;
        char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i, b = '?';
        else if (!encodeChar(c, b))
            b = '?';
        out.append(char(b));
    }
    return out;
}

void appendUtf8(std::string_view bytes, std::string& out)
{
    ensure();
    const auto& dec = table().decode;
    out.reserve(out.size() + bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(ch);
            continue;
        }
        char16_t c = dec[b];
        if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
}

size_t appendAnsi(std::string_view utf8, std::string& out)
{
    ensure();
    size_t replaced = 0;
    out.reserve(out.size() + utf8.size());
    const size_t n = utf8.size();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        if (b < 0x80) {
            out.push_back(char(b));
            ++i;
            continue;
        }
        char32_t cp = 0;
        size_t len = 0;
        if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; len = 4; }
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (!ok) {
            out.push_back('?');
            ++replaced;
            ++i;
            continue;
        }
        i += len;
        unsigned char enc;
        if (cp < 0x10000 && encodeChar(char16_t(cp), enc)) {
            out.push_back(char(enc));
        } else {
            out.push_back('?');
            ++replaced;
        }
    }
    return replaced;
}

} // namespace ansi
