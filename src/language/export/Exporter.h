#pragma once
// Export of styled text: the document's bytes with the style byte the editing component
// gave each of them, written as XHTML, RTF, PDF or LaTeX with the fonts and colours of the
// language's style definitions. No widget is involved: the caller reads the text and the
// styles out of the view and hands the result to writeExportFile.
#include "language/PropSetFile.h"
#include "language/StyleDefinition.h"

#include <QString>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace exporting {

enum class Format { Html, Rtf, Pdf, Latex };

// The text to export. `styles` holds one style byte per byte of `text`; only its low
// seven bits are the style number.
struct StyledText {
    std::string_view text;
    std::string_view styles;
    // Raw fold levels (base 1024, header flag 0x2000), one per line; lines past the end of
    // the list count as level 0. Only the HTML folding option reads them.
    std::vector<int> foldLevels;
    // The bytes are UTF-8 (the editing component holds every document so); false means
    // single bytes of Windows-1252.
    bool utf8 = true;
    // The document's path, or "<new>" for a document without a file (titles).
    std::string path;
};

using StyleTable = std::array<StyleSpec, 256>;

// Style N for export: style.*.N parsed, then style.<lexer>.N on top of it (only what the
// second definition names replaces the first one's values).
StyleTable resolveStyles(const PropSetFile& props, std::string_view lexer);

// What an export run tells its caller besides the bytes.
struct ExportReport {
    // Characters the target cannot show that were written as "?" (PDF).
    size_t replaced = 0;
};

class IExporter {
public:
    virtual ~IExporter() = default;
    // Appends the whole exported document to `out`.
    virtual ExportReport write(const StyledText& in, std::string& out) = 0;
};

// An exporter reading its options from `props` and its styles from `styles`; both must
// outlive it.
std::unique_ptr<IExporter> makeExporter(Format format, const PropSetFile& props, const StyleTable& styles);

// The save dialog's row for a format.
struct FormatInfo {
    const char* filterText;   // "Web (*.html;*.htm)"
    const char* patterns;     // "*.html;*.htm"
    const char* suffix;       // "htm"
};
FormatInfo formatInfo(Format format);

// Writes `bytes` to `path` so that a failure leaves no partial file under that name (an
// existing file keeps its old contents). Returns 0 or the errno value of the failing step.
int writeExportFile(const QString& path, std::string_view bytes);

// --- helpers shared by the writers ------------------------------------------------------

// Line end of the text formats (the files are written as the Windows text files they are).
inline constexpr std::string_view kEol = "\r\n";

// The last part of a path: after the last "/" (or "\\").
std::string fileNameOf(std::string_view path);

// Decodes one UTF-8 character at text[i], advancing i; malformed bytes decode one by one
// as U+FFFD.
char32_t nextCodePoint(std::string_view text, size_t& i);

// The Windows-1252 byte of a character; false when it has none.
bool winAnsiByte(char32_t c, unsigned char& out);

// "#RRGGBB" from a colour string as the store holds it: kept when it is well formed,
// otherwise rebuilt from what the store makes of it.
std::string colourText(std::string_view colour);
// The red, green and blue values of a colour string.
void colourParts(std::string_view colour, int& r, int& g, int& b);

void appendInt(std::string& out, long long value);

// Characters in `bytes`: with utf8 every byte but the continuation bytes of UTF-8 starts one.
int characterCount(std::string_view bytes, bool utf8);

} // namespace exporting
