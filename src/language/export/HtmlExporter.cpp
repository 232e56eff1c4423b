#include "language/export/HtmlExporter.h"

#include <array>
#include <vector>

using namespace std::string_view_literals;

namespace exporting {

namespace {

constexpr int kDefaultStyle = 32;

// Text for element content and attribute values.
void appendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
}

// A font name inside a quoted CSS string in the style element: characters that would end
// the string or the element are left out.
std::string cssFontName(std::string_view font)
{
    std::string out;
    for (char c : font)
        if (c != '\'' && c != '\\' && c != '<' && c != '>' && c != '&' && static_cast<unsigned char>(c) >= 0x20)
            out += c;
    return out;
}

// Fold levels: the level above the base 1024 and the header flag.
struct FoldInfo {
    const std::vector<int>& levels;
    int level(size_t line) const { return line < levels.size() ? (levels[line] & 0x0FFF) - 0x400 : 0; }
    bool header(size_t line) const { return line < levels.size() && (levels[line] & 0x2000) != 0; }
};

void appendFoldStart(std::string& out, const FoldInfo& folds, size_t line, bool& foldSpanOpen)
{
    if (folds.header(line)) {
        out += "<span id=\"hd";
        appendInt(out, (long long)line);
        out += "\" onclick=\"toggle('";
        appendInt(out, (long long)line + 1);
        out += "')\"><span id=\"bt";
        appendInt(out, (long long)line);
        out += "\">- </span>";
        foldSpanOpen = true;
    } else {
        out += "&nbsp; ";
    }
}

std::string styleSpan(int style)
{
    std::string span = "<span class=\"S";
    appendInt(span, style);
    span += "\">";
    return span;
}

constexpr const char* kFoldScript =
    "<script language=\"JavaScript\" type=\"text/javascript\">\r\n<!--\r\nfunction symbol(id, sym) {\r\n"
    " if (id.textContent==undefined) {\r\n id.innerText=sym; } else {\r\n id.textContent=sym; }\r\n}\r\n"
    "function toggle(id) {\r\nvar thislayer=document.getElementById('ln'+id);\r\nid-=1;\r\n"
    "var togline=document.getElementById('hd'+id);\r\nvar togsym=document.getElementById('bt'+id);\r\n"
    "if (thislayer.style.display == 'none') {\r\n thislayer.style.display='block';\r\n"
    " togline.style.textDecoration='none';\r\n symbol(togsym,'- ');\r\n} else {\r\n"
    " thislayer.style.display='none';\r\n togline.style.textDecoration='underline';\r\n"
    " symbol(togsym,'+ ');\r\n}\r\n}\r\n//-->\r\n</script>\r\n";

} // namespace

ExportReport CHtmlExporter::write(const StyledText& in, std::string& out)
{
    int tabSize = props_.LookupInt("tabsize", 0);
    if (tabSize <= 0)
        tabSize = 4;
    const bool wysiwyg = props_.LookupInt("export.html.wysiwyg", 1) != 0;
    const bool keepTabs = props_.LookupInt("export.html.tabs", 0) != 0;
    const bool folding = props_.LookupInt("export.html.folding", 0) != 0;
    const bool onlyUsed = props_.LookupInt("export.html.styleused", 0) != 0;
    const bool fullPath = props_.LookupInt("export.html.title.fullpath", 0) != 0;

    const std::string_view text = in.text;
    const size_t n = text.size();
    auto styleAt = [&](size_t i) { return static_cast<unsigned char>(in.styles[i]) & 0x7F; };

    bool used[256];
    for (bool& u : used)
        u = !onlyUsed;
    if (onlyUsed)
        for (size_t i = 0; i < n; ++i)
            used[styleAt(i)] = true;
    used[kDefaultStyle] = true;

    // Spans make the page several times longer than the text; room taken and not used
    // costs nothing until it is written.
    out.reserve(out.size() + n * 10 + 8192);
    out += "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
           "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head>\r\n<title>";
    appendEscaped(out, fullPath ? std::string_view(in.path) : std::string_view(fileNameOf(in.path)));
    out += "</title>\r\n<meta name=\"Generator\" content=\"Velmo\" />\r\n";
    if (in.utf8)
        out += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n";
    if (folding)
        out += kFoldScript;
    out += "<style type=\"text/css\">\r\n";

    const StyleSpec& base = styles_[kDefaultStyle];
    const std::string background = base.back.empty() ? std::string() : colourText(base.back);
    for (int s = 0; s < 256; ++s) {
        if ((s > kDefaultStyle && s < 40) || !used[s])
            continue;
        const StyleSpec& look = styles_[size_t(s)];
        if (look.given == 0) {
            used[s] = false;   // its text carries no span
            continue;
        }
        if (s == kDefaultStyle) {
            out += "span {\r\n";
        } else {
            out += ".S";
            appendInt(out, s);
            out += " {\r\n";
        }
        if (look.italics)
            out += "\tfont-style: italic;\r\n";
        if (look.bold)
            out += "\tfont-weight: bold;\r\n";
        if (wysiwyg && !look.font.empty()) {
            out += "\tfont-family: '";
            out += cssFontName(look.font);
            out += "';\r\n";
        }
        if (!look.fore.empty()) {
            out += "\tcolor: ";
            out += colourText(look.fore);
            out += ";\r\n";
        } else if (s == kDefaultStyle) {
            out += "\tcolor: #000000;\r\n";
        }
        if (s != kDefaultStyle && !look.back.empty() && colourText(look.back) != background) {
            out += "\tbackground: ";
            out += colourText(look.back);
            out += ";\r\n\ttext-decoration: inherit;\r\n";
        }
        if (wysiwyg && look.size > 0) {
            out += "\tfont-size: ";
            appendInt(out, look.size);
            out += "pt;\r\n";
        }
        out += "}\r\n";
    }
    out += "</style>\r\n</head>\r\n";
    if (background.empty()) {
        out += "<body>\r\n";
    } else {
        out += "<body bgcolor=\"";
        out += background;
        out += "\">\r\n";
    }

    std::array<std::string, 128> spans;
    for (int s = 0; s < 128; ++s)
        spans[size_t(s)] = styleSpan(s);

    out += wysiwyg ? "<span>" : "<pre>";
    const FoldInfo folds{in.foldLevels};
    size_t line = 0;
    int level = 0;
    std::vector<int> foldSpans;   // the levels at which "ln" spans were opened, innermost last
    bool foldSpanOpen = false;    // the header span of the current line
    if (folding) {
        level = folds.level(0);
        appendFoldStart(out, folds, 0, foldSpanOpen);
    }
    int style = n ? styleAt(0) : kDefaultStyle;
    bool styleOpen = false;
    if (n && used[style]) {
        out += spans[size_t(style)];
        styleOpen = true;
    }

    bool special[256] = {};
    for (unsigned char c : {'\t', ' ', '&', '<', '>', '\r', '\n'})
        special[c] = true;
    int column = 0;
    for (size_t i = 0; i < n; ++i) {
        const char ch = text[i];
        const bool lineEnd = ch == '\r' || ch == '\n';
        if (styleAt(i) != style) {
            if (styleOpen) {
                out += "</span>"sv;
                styleOpen = false;
            }
            if (!lineEnd) {
                style = styleAt(i);
                if (used[style]) {
                    out += spans[size_t(style)];
                    styleOpen = true;
                }
            }
        }
        switch (ch) {
        case '\t': {
            const int fill = tabSize - column % tabSize;
            if (wysiwyg) {
                for (int k = 0; k < fill; ++k)
                    out += (k % 2 == 0) ? "&nbsp;"sv : " "sv;
            } else if (keepTabs) {
                out += '\t';
            } else {
                out.append(size_t(fill), ' ');
            }
            column += fill;
            break;
        }
        case ' ':
            if (wysiwyg) {
                // A browser collapses runs of blanks and drops one at the start of a line.
                bool afterBlank = column == 0;
                for (; i < n && text[i] == ' '; ++i, ++column) {
                    out += afterBlank ? "&nbsp;"sv : " "sv;
                    afterBlank = true;
                }
                --i;
            } else {
                out += ' ';
                ++column;
            }
            break;
        case '&': out += "&amp;"sv; ++column; break;
        case '<': out += "&lt;"sv; ++column; break;
        case '>': out += "&gt;"sv; ++column; break;
        case '\r':
        case '\n': {
            if (styleOpen) {
                out += "</span>";
                styleOpen = false;
            }
            if (foldSpanOpen) {
                out += "</span>";
                foldSpanOpen = false;
            }
            if (ch == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            column = 0;
            if (wysiwyg)
                out += "<br />"sv;
            if (i + 1 < n)
                style = styleAt(i + 1);
            ++line;
            if (folding) {
                const int next = folds.level(line);
                while (!foldSpans.empty() && foldSpans.back() > next) {
                    out += "</span>";
                    foldSpans.pop_back();
                }
                out += kEol;
                if (next > level) {
                    out += "<span id=\"ln";
                    appendInt(out, (long long)line);
                    out += "\">";
                    foldSpans.push_back(next);
                }
                appendFoldStart(out, folds, line, foldSpanOpen);
                level = next;
            } else {
                out += kEol;
            }
            if (i + 1 < n && used[style] && text[i + 1] != '\r' && text[i + 1] != '\n') {
                out += spans[size_t(style)];
                styleOpen = true;
            }
            break;
        }
        default: {
            // A run of plain characters in one style goes out in one piece.
            size_t end = i + 1;
            while (end < n && !special[static_cast<unsigned char>(text[end])] && styleAt(end) == style)
                ++end;
            out.append(text.data() + i, end - i);
            column += characterCount(text.substr(i, end - i), in.utf8);
            i = end - 1;
            break;
        }
        }
    }
    if (styleOpen)
        out += "</span>";
    if (foldSpanOpen)
        out += "</span>";
    for (size_t k = 0; k < foldSpans.size(); ++k)
        out += "</span>";
    out += wysiwyg ? "</span>" : "</pre>";
    out += "\r\n</body>\r\n</html>\r\n";
    return {};
}

} // namespace exporting
