#include "language/export/PdfExporter.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace exporting {

namespace {

constexpr int kDefaultStyle = 32;
// The largest page side readers accept (200 inches).
constexpr int kMaxPageSide = 14400;
constexpr int kMaxFontSize = 1000;

struct FontSet {
    const char* names[4];   // regular, bold, italic, bold italic (F1-F4)
    int ascent, descent, width;   // thousandths of the font size; width 0: never wrapped
};

constexpr FontSet kFontSets[3] = {
    {{"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"}, 629, 157, 600},
    {{"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"}, 718, 207, 0},
    {{"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"}, 699, 217, 0},
};

void appendFixed1(std::string& out, double value)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
    out.append(buf, res.ptr);
}

// Comma-separated integers; fields past the text are 0.
std::vector<int> splitNumbers(std::string_view text, size_t count)
{
    std::vector<int> values(count, 0);
    for (size_t k = 0; k < count && !text.empty(); ++k) {
        const size_t comma = text.find(',');
        values[k] = props::ToInt(text.substr(0, std::min<size_t>(comma, 31)));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return values;
}

// "r g b " for the rg operator: each part c as (c * 1000 + 127) / 255 thousandths.
std::string pdfColour(std::string_view colour)
{
    int rgb[3];
    colourParts(colour, rgb[0], rgb[1], rgb[2]);
    std::string out;
    for (int c : rgb) {
        const int v = (c * 1000 + 127) / 255;
        if (v != 0 && v != 1000) {
            char buf[8] = {'0', '.', char('0' + v / 100), char('0' + v / 10 % 10), char('0' + v % 10), ' '};
            out.append(buf, 6);
        } else {
            appendInt(out, (c * 1000 + 127) / 255000);
            out += ' ';
        }
    }
    return out;
}

class PdfWriter {
public:
    PdfWriter(const PropSetFile& props, const StyleTable& styles, std::string& out) : out_(out), base_(out.size())
    {
        tabSize_ = props.LookupInt("tabsize", 8);
        if (tabSize_ < 1)
            tabSize_ = 8;
        fontSize_ = props.LookupInt("export.pdf.magnification", 0);
        const std::string font = props.LookupExpanded("export.pdf.font");
        fontSet_ = font == "Courier" ? 0 : font == "Times" ? 2 : 1;

        const std::vector<int> page = splitNumbers(props.LookupExpanded("export.pdf.pagesize"), 2);
        width_ = page[0] < 1 ? 612 : page[0];
        height_ = page[1] < 1 ? 792 : page[1];
        const std::vector<int> margins = splitNumbers(props.LookupExpanded("export.pdf.margins"), 4);
        left_ = margins[0] < 1 ? 72 : margins[0];
        right_ = margins[1] < 1 ? 72 : margins[1];
        top_ = margins[2] < 1 ? 72 : margins[2];
        bottom_ = margins[3] < 1 ? 72 : margins[3];

        const int magnification = fontSize_;
        for (int s = 0; s < 256; ++s) {
            const StyleSpec& look = styles[size_t(s)];
            Style& st = styles_[size_t(s)];
            if (look.given == 0)
                continue;
            st.flags = (look.italics ? 2 : 0) | (look.bold ? 1 : 0);
            if (!look.fore.empty())
                st.colour = pdfColour(look.fore);
            if (s == kDefaultStyle) {
                if (look.fore.empty())
                    st.colour = "0 0 0 ";
                fontSize_ = look.size >= 1 ? magnification + look.size : 10;
            }
        }
        // Without any colour of its own the default style is black, so that every style
        // command has its three operands.
        if (styles_[kDefaultStyle].colour.empty())
            styles_[kDefaultStyle].colour = "0 0 0 ";
        for (Style& st : styles_)
            if (st.colour.empty())
                st.colour = styles_[kDefaultStyle].colour;
    }

    void begin()
    {
        if (fontSize_ <= 0)
            fontSize_ = 10;
        fontSize_ = std::min(fontSize_, kMaxFontSize);
        leading_ = fontSize_ * 1.2;
        fit(width_, left_, right_);
        fit(height_, top_, bottom_);
        out_ += "%PDF-1.3\n%\xC7\xEC\x8F\xA2\n";
        current_ = kDefaultStyle;
        const FontSet& set = kFontSets[fontSet_];
        for (int f = 0; f < 4; ++f) {
            std::string body = "<</Type/Font/Subtype/Type1/Name/F";
            appendInt(body, f + 1);
            body += "/BaseFont/";
            body += set.names[f];
            body += "/Encoding/WinAnsiEncoding>>\n";
            object(body);
        }
        firstContent_ = nextObject_;
    }

    // One character of the page text, a byte of Windows-1252.
    void add(char ch, int style)
    {
        if (!pageStarted_)
            startPage();
        const double advance = kFontSets[fontSet_].width * fontSize_ / 1000.0;
        x_ += advance;
        if (x_ > width_ - right_) {
            newLine();
            x_ += advance;
        }
        if (style != current_) {
            flush();
            segmentStyle_ = styleCommands(style, false);
            segmentChangesStyle_ = true;
            previous_ = current_;
            current_ = style;
        }
        if (ch == '(' || ch == ')' || ch == '\\')
            segment_ += '\\';
        segment_ += ch;
        if (ch != ' ')
            onlyBlanks_ = false;
    }

    void newLine()
    {
        if (!pageStarted_)
            startPage();
        x_ = left_;
        flush();
        y_ -= leading_;
        if (y_ < kFontSets[fontSet_].descent * fontSize_ / 1000.0 + bottom_) {
            endPage();
            startPage();
        } else if (firstLine_) {
            pageText_ += "0 -";
            appendFixed1(pageText_, leading_);
            pageText_ += " TD\n";
            firstLine_ = false;
        } else {
            pageText_ += "T*\n";
        }
    }

    void end()
    {
        if (pageStarted_)
            endPage();
        const int resources = object("<</ProcSet[/PDF/Text]\n/Font<</F1 1 0 R/F2 2 0 R/F3 3 0 R/F4 4 0 R>> >>\n");
        const int firstPage = nextObject_;
        const int pagesObject = firstPage + pages_;
        for (int p = 0; p < pages_; ++p) {
            std::string body = "<</Type/Page/Parent ";
            appendInt(body, pagesObject);
            body += " 0 R\n/MediaBox[ 0 0 ";
            appendInt(body, width_);
            body += ' ';
            appendInt(body, height_);
            body += "]\n/Contents ";
            appendInt(body, firstContent_ + p);
            body += " 0 R\n/Resources ";
            appendInt(body, resources);
            body += " 0 R\n>>\n";
            object(body);
        }
        std::string kids = "<</Type/Pages/Kids[\n";
        for (int p = 0; p < pages_; ++p) {
            appendInt(kids, firstPage + p);
            kids += " 0 R\n";
        }
        kids += "]/Count ";
        appendInt(kids, pages_);
        kids += "\n>>\n";
        object(kids);
        std::string catalogBody = "<</Type/Catalog/Pages ";
        appendInt(catalogBody, pagesObject);
        catalogBody += " 0 R >>\n";
        const int catalog = object(catalogBody);

        const size_t xref = out_.size() - base_;
        out_ += "xref\n0 ";
        appendInt(out_, nextObject_);
        out_ += "\n0000000000 65535 f \n";
        for (size_t offset : offsets_) {
            char buf[24];
            auto res = std::to_chars(buf, buf + sizeof buf, (unsigned long long)offset);
            out_.append(size_t(10 - std::min<ptrdiff_t>(10, res.ptr - buf)), '0');
            out_.append(buf, res.ptr);
            out_ += " 00000 n \n";
        }
        out_ += "trailer\n<< /Size ";
        appendInt(out_, nextObject_);
        out_ += " /Root ";
        appendInt(out_, catalog);
        out_ += " 0 R\n>>\nstartxref\n";
        appendInt(out_, (long long)xref);
        out_ += "\n%%EOF\n";
    }

    int tabSize() const { return tabSize_; }

private:
    struct Style {
        std::string colour;
        int flags = 0;   // bit 0 bold, bit 1 italic
    };

    // Raises a page side to hold both margins and one line; a side past what readers
    // accept is cut back, and then the margins give way.
    void fit(int& side, int& before, int& after)
    {
        const int line = int(leading_);
        side = std::min(kMaxPageSide, side);
        before = std::min(before, kMaxPageSide);
        after = std::min(after, kMaxPageSide);
        if (side < before + after + line)
            side = std::min(kMaxPageSide, before + after + line);
        if (side < before + after + line) {
            before = after = std::max(0, (side - line) / 2);
        }
    }

    int object(std::string_view body)
    {
        offsets_.push_back(out_.size() - base_);
        const int number = nextObject_++;
        appendInt(out_, number);
        out_ += " 0 obj\n";
        out_ += body;
        out_ += "endobj\n";
        return number;
    }

    std::string styleCommands(int style, bool forced) const
    {
        std::string commands;
        if (style == current_ && !forced)
            return commands;
        const Style& now = styles_[size_t(style)];
        const Style& was = styles_[size_t(current_)];
        if (forced || now.flags != was.flags) {
            commands += "/F";
            appendInt(commands, now.flags + 1);
            commands += ' ';
            appendInt(commands, fontSize_);
            commands += " Tf ";
        }
        if (forced || now.colour != was.colour) {
            commands += now.colour;
            commands += "rg ";
        }
        return commands;
    }

    void startPage()
    {
        ++pages_;
        pageStarted_ = true;
        firstLine_ = true;
        y_ = height_ - top_ - kFontSets[fontSet_].ascent * fontSize_ / 1000.0;
        pageText_ = "BT 1 0 0 1 ";
        appendInt(pageText_, left_);
        pageText_ += ' ';
        appendInt(pageText_, (long long)y_);
        pageText_ += " Tm\n";
        pageText_ += styleCommands(current_, true);
        x_ = left_;
        segment_.clear();
        segmentStyle_.clear();
        segmentChangesStyle_ = false;
        onlyBlanks_ = true;
    }

    void flush()
    {
        if (!segment_.empty()) {
            // Blanks look the same in any style: a run of them that changed the style
            // leaves it as it was. A run that changed nothing has nothing to undo.
            if (onlyBlanks_) {
                if (segmentChangesStyle_)
                    current_ = previous_;
            } else {
                pageText_ += segmentStyle_;
            }
            pageText_ += '(';
            pageText_ += segment_;
            pageText_ += ")Tj\n";
        }
        segment_.clear();
        segmentStyle_.clear();
        segmentChangesStyle_ = false;
        onlyBlanks_ = true;
    }

    void endPage()
    {
        pageStarted_ = false;
        flush();
        offsets_.push_back(out_.size() - base_);
        appendInt(out_, nextObject_++);
        out_ += " 0 obj\n<</Length ";
        appendInt(out_, (long long)pageText_.size() + 2);
        out_ += ">>\nstream\n";
        out_ += pageText_;
        out_ += "ET\nendstream\nendobj\n";
        pageText_.clear();
    }

    std::string& out_;
    const size_t base_;
    std::vector<size_t> offsets_;
    int nextObject_ = 1;
    int fontSet_ = 1;
    int fontSize_ = 0;
    double leading_ = 0;
    int tabSize_ = 8;
    int width_ = 612, height_ = 792;
    int left_ = 72, right_ = 72, top_ = 72, bottom_ = 72;
    std::array<Style, 256> styles_;
    int current_ = kDefaultStyle;
    int previous_ = kDefaultStyle;
    int pages_ = 0;
    int firstContent_ = 0;
    bool pageStarted_ = false;
    bool firstLine_ = false;
    double x_ = 0, y_ = 0;
    std::string pageText_;
    std::string segment_;
    std::string segmentStyle_;
    bool segmentChangesStyle_ = false;   // the segment began with a change of style
    bool onlyBlanks_ = true;
};

} // namespace

ExportReport CPdfExporter::write(const StyledText& in, std::string& out)
{
    ExportReport report;
    out.reserve(out.size() + in.text.size() * 8 + 8192);
    PdfWriter pdf(props_, styles_, out);
    pdf.begin();
    const std::string_view text = in.text;
    const size_t n = text.size();
    const int tabSize = pdf.tabSize();
    int column = 0;
    for (size_t i = 0; i < n;) {
        const int style = static_cast<unsigned char>(in.styles[i]) & 0x7F;
        const char ch = text[i];
        if (ch == '\t') {
            for (int fill = tabSize - column % tabSize; fill > 0; --fill, ++column)
                pdf.add(' ', style);
            ++i;
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            ++i;
            pdf.newLine();
            column = 0;
        } else {
            unsigned char byte = static_cast<unsigned char>(ch);
            if (!in.utf8 || byte < 0x80) {
                ++i;
            } else if (!winAnsiByte(nextCodePoint(text, i), byte)) {
                // The base fonts have no glyph for it: a visible stand-in, counted.
                byte = '?';
                ++report.replaced;
            }
            pdf.add(char(byte), style);
            ++column;
        }
    }
    if (n == 0)
        pdf.newLine();
    pdf.end();
    return report;
}

} // namespace exporting
