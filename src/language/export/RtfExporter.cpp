#include "language/export/RtfExporter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace exporting {

namespace {

constexpr int kDefaultStyle = 32;
constexpr int kStyles = 32;   // RTF carries styles 0-31; higher numbers are written as 0

bool sameNoCase(std::string_view a, std::string_view b, size_t limit)
{
    a = a.substr(0, limit);
    b = b.substr(0, limit);
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}

// Index of `name` in `list`, appending it when it is new.
int indexOf(std::vector<std::string>& list, const std::string& name, size_t limit, bool* added = nullptr)
{
    for (size_t k = 0; k < list.size(); ++k)
        if (sameNoCase(list[k], name, limit))
            return int(k);
    list.push_back(name);
    if (added)
        *added = true;
    return int(list.size() - 1);
}

// One character beyond ASCII: \uN? with N as a signed 16-bit number ("?" for readers
// without Unicode); characters past U+FFFF as their two surrogates.
void appendUnicode(std::string& out, char32_t c)
{
    auto unit = [&out](unsigned u) {
        out += "\\u";
        appendInt(out, u >= 0x8000 ? int(u) - 0x10000 : int(u));
        out += '?';
    };
    if (c >= 0x10000) {
        c -= 0x10000;
        unit(0xD800 + unsigned(c >> 10));
        unit(0xDC00 + unsigned(c & 0x3FF));
    } else {
        unit(unsigned(c));
    }
}

void appendHexByte(std::string& out, unsigned char b)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[b >> 4];
    out += digits[b & 15];
}

// A font name in the font table: the characters that end the entry or start a group are
// left out.
void appendFontName(std::string& out, std::string_view name, bool utf8)
{
    for (size_t i = 0; i < name.size();) {
        const unsigned char b = static_cast<unsigned char>(name[i]);
        if (b < 0x80) {
            ++i;
            if (b != '\\' && b != '{' && b != '}' && b != ';' && b >= 0x20)
                out += char(b);
        } else if (utf8) {
            appendUnicode(out, nextCodePoint(name, i));
        } else {
            appendHexByte(out, b);
            ++i;
        }
    }
}

void appendFontEntry(std::string& out, int index, unsigned charSet, std::string_view name, bool utf8)
{
    out += "{\\f";
    appendInt(out, index);
    out += "\\fnil\\fcharset";
    appendInt(out, charSet);
    out += ' ';
    appendFontName(out, name, utf8);
    out += ";}";
}

// The six control words of a style: font, size, fore, back, bold, italic.
using Controls = std::array<std::string, 6>;

} // namespace

ExportReport CRtfExporter::write(const StyledText& in, std::string& out)
{
    int tabSize = props_.LookupInt("export.rtf.tabsize", props_.LookupInt("tabsize", 0));
    if (tabSize <= 0)
        tabSize = 4;
    const bool wysiwyg = props_.LookupInt("export.rtf.wysiwyg", 1) != 0;
    const bool keepTabs = props_.LookupInt("export.rtf.tabs", 0) != 0;
    const unsigned charSet = unsigned(props_.LookupInt("character.set", 1)) & 0xFF;

    StyleSpec base = styles_[kDefaultStyle];
    const std::string face = props_.LookupExpanded("export.rtf.font.face");
    if (!face.empty())
        base.font = face;
    else if (base.font.empty())
        base.font = "Courier New";
    const int fontSize = props_.LookupInt("export.rtf.font.size", 0);
    int halfPoints = fontSize >= 1 ? 2 * fontSize : base.size > 0 ? 2 * base.size : 20;
    if (halfPoints > 3276)
        halfPoints = 3276;   // the largest size a reader takes

    std::string sizeWord = "\\fs";
    appendInt(sizeWord, halfPoints);

    out += "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl";
    appendFontEntry(out, 0, charSet, base.font, in.utf8);
    std::vector<std::string> fonts{base.font};
    std::vector<std::string> colours{colourText(base.fore), colourText(base.back)};

    std::array<Controls, kStyles> controls;
    for (int s = 0; s < kStyles; ++s) {
        const StyleSpec& look = styles_[size_t(s)];
        Controls& c = controls[size_t(s)];
        if (look.given == 0) {
            c = {"\\f0", sizeWord, "\\cf0", "\\highlight1", "\\b0", "\\i0"};
            continue;
        }
        c[0] = "\\f0";
        if (wysiwyg && !look.font.empty()) {
            bool added = false;
            const int index = indexOf(fonts, look.font, 63, &added);
            if (added)
                appendFontEntry(out, index, charSet, look.font, in.utf8);
            c[0] = "\\f";
            appendInt(c[0], index);
        }
        if (wysiwyg && look.size > 0) {
            c[1] = "\\fs";
            appendInt(c[1], 2 * std::min(look.size, 1638));
        } else {
            c[1] = sizeWord;
        }
        c[2] = "\\cf0";
        if (look.Has(StyleSpec::kFore)) {
            c[2] = "\\cf";
            appendInt(c[2], indexOf(colours, colourText(look.fore), 7));
        }
        c[3] = "\\highlight1";
        if (look.Has(StyleSpec::kBack)) {
            c[3] = "\\highlight";
            appendInt(c[3], indexOf(colours, colourText(look.back), 7));
        }
        const bool bold = look.Has(StyleSpec::kBold) ? look.bold : base.bold;
        const bool italics = look.Has(StyleSpec::kItalics) ? look.italics : base.italics;
        c[4] = bold ? "\\b" : "\\b0";
        c[5] = italics ? "\\i" : "\\i0";
    }

    out += "}{\\colortbl";
    for (const std::string& colour : colours) {
        int r, g, b;
        colourParts(colour, r, g, b);
        out += "\\red";
        appendInt(out, r);
        out += "\\green";
        appendInt(out, g);
        out += "\\blue";
        appendInt(out, b);
        out += ';';
    }
    out += "}\r\n\\f0";
    out += sizeWord;
    out += "\\cf0 ";

    const std::string_view text = in.text;
    const size_t n = text.size();
    out.reserve(out.size() + n * 4 + 4096);
    Controls previous = {"\\f0", sizeWord, "\\cf0", "\\highlight1", "\\b0", "\\i0"};
    int previousStyle = -1;
    bool plain[256] = {};
    for (int c = 0x20; c < 0x80; ++c)
        plain[c] = c != '\\' && c != '{' && c != '}';
    int column = 0;
    for (size_t i = 0; i < n;) {
        int style = static_cast<unsigned char>(in.styles[i]) & 0x7F;
        if (style >= kStyles)
            style = 0;
        if (style != previousStyle) {
            const Controls& now = controls[size_t(style)];
            bool any = false;
            for (size_t w = 0; w < now.size(); ++w)
                if (now[w] != previous[w]) {
                    out += now[w];
                    any = true;
                }
            if (any)
                out += ' ';
            previous = now;
            previousStyle = style;
        }
        const char ch = text[i];
        switch (ch) {
        case '\\': out += "\\\\"; ++column; ++i; break;
        case '{': out += "\\{"; ++column; ++i; break;
        case '}': out += "\\}"; ++column; ++i; break;
        case '\t':
            if (keepTabs) {
                out += "\\tab ";
                ++column;
            } else {
                const int fill = tabSize - column % tabSize;
                out.append(size_t(fill), ' ');
                column += fill;
            }
            ++i;
            break;
        case '\r':
            out += "\\par\r\n";
            column = 0;
            ++i;
            break;
        case '\n':
            if (i == 0 || text[i - 1] != '\r')
                out += "\\par\r\n";
            column = 0;
            ++i;
            break;
        default:
            if (static_cast<unsigned char>(ch) < 0x80) {
                // A run of plain ASCII in one style goes out in one piece.
                size_t end = i + 1;
                while (end < n && plain[static_cast<unsigned char>(text[end])]
                       && (static_cast<unsigned char>(in.styles[end]) & 0x7F) == (static_cast<unsigned char>(in.styles[i]) & 0x7F))
                    ++end;
                out.append(text.data() + i, end - i);
                column += int(end - i) - 1;
                i = end;
            } else if (in.utf8) {
                appendUnicode(out, nextCodePoint(text, i));
            } else {
                appendHexByte(out, static_cast<unsigned char>(ch));
                ++i;
            }
            ++column;
            break;
        }
    }
    out += '}';
    return {};
}

} // namespace exporting
