#include "language/export/LatexExporter.h"

#include <charconv>

namespace exporting {

namespace {

constexpr int kDefaultStyle = 32;

// The command name of a style: its number in base 24 with the digits a-x, least
// significant digit first (0 "a", 32 "ib").
void appendStyleName(std::string& out, int style)
{
    do {
        out += char('a' + style % 24);
        style /= 24;
    } while (style > 0);
}

void appendStyleCall(std::string& out, int style)
{
    out += "\\ed";
    appendStyleName(out, style);
    out += '{';
}

void appendColour(std::string& out, std::string_view colour)
{
    int rgb[3];
    colourParts(colour, rgb[0], rgb[1], rgb[2]);
    for (int k = 0; k < 3; ++k) {
        if (k)
            out += ", ";
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, rgb[k] / 256.0, std::chars_format::fixed, 1);
        out.append(buf, res.ptr);
    }
}

// A character of text other than blanks, tabs and line ends.
void appendEscaped(std::string& out, char ch)
{
    switch (ch) {
    case '#': case '$': case '%': case '&': case '_': case '{': case '}':
        out += '\\';
        out += ch;
        break;
    case '^': out += "\\^{}"; break;   // not an accent on the next letter
    case '~': out += "\\~{}"; break;
    case '<': case '>': case '@':
        out += '$';
        out += ch;
        out += '$';
        break;
    case '\\': out += "{\\textbackslash}"; break;
    default: out += ch; break;
    }
}

} // namespace

ExportReport CLatexExporter::write(const StyledText& in, std::string& out)
{
    int tabSize = props_.LookupInt("tabsize", 0);
    if (tabSize <= 0)
        tabSize = 4;
    const bool fullPath = props_.LookupInt("export.tex.title.fullpath", 0) != 0;

    const std::string_view text = in.text;
    const size_t n = text.size();
    auto styleAt = [&](size_t i) { return static_cast<unsigned char>(in.styles[i]) & 0x7F; };

    bool used[256] = {};
    for (size_t i = 0; i < n; ++i)
        used[styleAt(i)] = true;
    used[kDefaultStyle] = true;

    out.reserve(out.size() + n * 6 + 8192);
    out += "\\documentclass[a4paper]{article}\r\n\\usepackage[a4paper,margin=2cm]{geometry}\r\n"
           "\\usepackage[T1]{fontenc}\r\n";
    if (in.utf8)
        out += "\\usepackage[utf8]{inputenc}\r\n";
    out += "\\usepackage{color}\r\n\\usepackage{alltt}\r\n\\usepackage{times}\r\n";

    for (int s = 0; s < 255; ++s) {
        if (!used[s])
            continue;
        const StyleSpec& look = styles_[size_t(s)];
        out += "\\newcommand{\\ed";
        appendStyleName(out, s);
        out += "}[1]{\\noindent{\\ttfamily{";
        int groups = 3;
        // A style that names nothing still gets its command: the text refers to it.
        if (look.given != 0) {
            if (look.italics) {
                out += "\\textit{";
                ++groups;
            }
            if (look.bold) {
                out += "\\textbf{";
                ++groups;
            }
            if (!look.fore.empty()) {
                out += "\\textcolor[rgb]{";
                appendColour(out, look.fore);
                out += "}{";
                ++groups;
            }
            if (!look.back.empty()) {
                out += "\\colorbox[rgb]{";
                appendColour(out, look.back);
                out += "}{";
                ++groups;
            }
        }
        out += "#1";
        out.append(size_t(groups), '}');
        out += kEol;
    }

    out += "\\begin{document}\r\n\r\nSource File: ";
    const std::string shownPath = fullPath ? in.path : fileNameOf(in.path);
    for (char ch : shownPath)
        appendEscaped(out, ch);
    out += "\r\n\r\n\\noindent\r\n\\tiny{\r\n";

    int style = n ? styleAt(0) : kDefaultStyle;
    appendStyleCall(out, style);
    bool special[256] = {};
    for (unsigned char c : {'\t', ' ', '\r', '\n', '#', '$', '%', '&', '^', '_', '{', '}', '~', '<', '>', '@', '\\'})
        special[c] = true;
    int column = 0;
    for (size_t i = 0; i < n; ++i) {
        const char ch = text[i];
        if (styleAt(i) != style && ch != '\r' && ch != '\n') {
            style = styleAt(i);
            // The comment sign keeps the line end from becoming a blank between the runs.
            out += "}%\r\n";
            appendStyleCall(out, style);
        }
        switch (ch) {
        case '\t': {
            const int fill = tabSize - column % tabSize;
            out += "\\hspace*{";
            appendInt(out, fill);
            out += "em}";
            column += fill;
            break;
        }
        case '\r':
        case '\n':
            if (ch == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            if (i + 1 < n)
                style = styleAt(i + 1);
            out += "} \\\\\r\n";
            appendStyleCall(out, style);
            column = 0;
            break;
        case ' ':
            out += (i + 1 < n && text[i + 1] == ' ') ? "{\\hspace*{1em}}" : " ";
            ++column;
            break;
        default:
            if (special[static_cast<unsigned char>(ch)]) {
                appendEscaped(out, ch);
                ++column;
            } else {
                // A run of plain characters in one style goes out in one piece.
                size_t end = i + 1;
                while (end < n && !special[static_cast<unsigned char>(text[end])] && styleAt(end) == style)
                    ++end;
                out.append(text.data() + i, end - i);
                column += characterCount(text.substr(i, end - i), in.utf8);
                i = end - 1;
            }
            break;
        }
    }
    out += "}\r\n} %end tiny\r\n\r\n\\end{document}\r\n";
    return {};
}

} // namespace exporting
