#include "language/export/Exporter.h"

#include "language/export/HtmlExporter.h"
#include "language/export/LatexExporter.h"
#include "language/export/PdfExporter.h"
#include "language/export/RtfExporter.h"
#include "platform/AtomicFile.h"

#include <charconv>

namespace exporting {

namespace {

// Copies onto `base` what `over` names.
void overlay(StyleSpec& base, const StyleSpec& over)
{
    if (over.Has(StyleSpec::kFont)) base.font = over.font;
    if (over.Has(StyleSpec::kSize)) base.size = over.size;
    if (over.Has(StyleSpec::kFore)) base.fore = over.fore;
    if (over.Has(StyleSpec::kBack)) base.back = over.back;
    if (over.Has(StyleSpec::kBold)) base.bold = over.bold;
    if (over.Has(StyleSpec::kItalics)) base.italics = over.italics;
    if (over.Has(StyleSpec::kEolFilled)) base.eolfilled = over.eolfilled;
    if (over.Has(StyleSpec::kUnderlined)) base.underlined = over.underlined;
    if (over.Has(StyleSpec::kCase)) base.caseMode = over.caseMode;
    if (over.Has(StyleSpec::kVisible)) base.visible = over.visible;
    if (over.Has(StyleSpec::kChangeable)) base.changeable = over.changeable;
    base.given |= over.given;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Windows-1252 bytes 0x80-0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

} // namespace

StyleTable resolveStyles(const PropSetFile& props, std::string_view lexer)
{
    StyleTable table;
    const std::string star = "style.*.";
    const std::string own = "style." + std::string(lexer) + ".";
    for (int n = 0; n < 256; ++n) {
        const std::string number = std::to_string(n);
        StyleSpec look = StyleSpec::Parse(props.LookupExpanded(star + number));
        overlay(look, StyleSpec::Parse(props.LookupExpanded(own + number)));
        table[size_t(n)] = std::move(look);
    }
    return table;
}

std::unique_ptr<IExporter> makeExporter(Format format, const PropSetFile& props, const StyleTable& styles)
{
    switch (format) {
    case Format::Html: return std::make_unique<CHtmlExporter>(props, styles);
    case Format::Rtf: return std::make_unique<CRtfExporter>(props, styles);
    case Format::Pdf: return std::make_unique<CPdfExporter>(props, styles);
    case Format::Latex: return std::make_unique<CLatexExporter>(props, styles);
    }
    return nullptr;
}

FormatInfo formatInfo(Format format)
{
    switch (format) {
    case Format::Html: return {"Web (*.html;*.htm)", "*.html;*.htm", "htm"};
    case Format::Rtf: return {"RTF (*.rtf)", "*.rtf", "rtf"};
    case Format::Pdf: return {"PDF (*.pdf)", "*.pdf", "pdf"};
    case Format::Latex: return {"TeX (*.tex)", "*.tex", "tex"};
    }
    return {"", "", ""};
}

int writeExportFile(const QString& path, std::string_view bytes)
{
    atomicfile::Writer writer;
    if (int err = writer.open(path))
        return err;
    if (writer.inPlace())
        if (int err = writer.reserve(int64_t(bytes.size())))
            return err;
    if (int err = writer.write(bytes.data(), bytes.size()))
        return err;
    return writer.commit();
}

std::string fileNameOf(std::string_view path)
{
    size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

char32_t nextCodePoint(std::string_view text, size_t& i)
{
    const auto b0 = static_cast<unsigned char>(text[i++]);
    if (b0 < 0x80)
        return b0;
    int extra;
    char32_t c;
    if (b0 >= 0xC2 && b0 <= 0xDF) { extra = 1; c = b0 & 0x1F; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { extra = 2; c = b0 & 0x0F; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { extra = 3; c = b0 & 0x07; }
    else return 0xFFFD;
    size_t j = i;
    for (int k = 0; k < extra; ++k, ++j) {
        if (j >= text.size())
            return 0xFFFD;
        const auto b = static_cast<unsigned char>(text[j]);
        if ((b & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed.
    if ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
        return 0xFFFD;
    i = j;
    return c;
}

bool winAnsiByte(char32_t c, unsigned char& out)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        out = static_cast<unsigned char>(c);
        return true;
    }
    for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] != 0 && char32_t(kCp1252High[k]) == c) {
            out = static_cast<unsigned char>(0x80 + k);
            return true;
        }
    return false;
}

std::string colourText(std::string_view colour)
{
    bool wellFormed = colour.size() == 7 && colour[0] == '#';
    for (size_t k = 1; wellFormed && k < 7; ++k)
        wellFormed = hexDigit(colour[k]) >= 0;
    if (wellFormed)
        return std::string(colour);
    const uint32_t c = props::ColourFromString(colour);
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "#";
    for (int shift : {0, 8, 16}) {
        const unsigned v = (c >> shift) & 0xFF;
        out += digits[v >> 4];
        out += digits[v & 15];
    }
    return out;
}

void colourParts(std::string_view colour, int& r, int& g, int& b)
{
    const uint32_t c = props::ColourFromString(colour);
    r = int(c & 0xFF);
    g = int((c >> 8) & 0xFF);
    b = int((c >> 16) & 0xFF);
}

void appendInt(std::string& out, long long value)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

int characterCount(std::string_view bytes, bool utf8)
{
    if (!utf8)
        return int(bytes.size());
    int count = 0;
    for (char c : bytes)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

} // namespace exporting
