// HTML and RTF export: escaping, blanks and tabs, the style sheet, folding, the font and
// colour tables, and text beyond ASCII.
#include "ExportSupport.h"

#include <QXmlStreamReader>

#include <algorithm>

using namespace exporttest;
using exporting::Format;

namespace {

// The body of an HTML export: between "<body...>" and "</body>".
std::string body(const std::string& html)
{
    const size_t start = html.find('>', html.find("<body")) + 1;
    return html.substr(start, html.find("</body>") - start);
}

// The XHTML is well formed: every element closed in order. The nbsp entity comes from the
// DTD, which the reader does not load, so it reads the character reference instead.
void expectWellFormed(const std::string& html)
{
    QByteArray bytes = QByteArray::fromStdString(html);
    bytes.replace("&nbsp;", "&#160;");
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
}

} // namespace

TEST(HtmlExport, EscapesTextAndTitle)
{
    Doc d = plain("a<b && c>d \"q\"");
    d.path = "<new>";
    const std::string html = run(Format::Html, kScheme, d);
    EXPECT_NE(html.find("<title>&lt;new&gt;</title>"), std::string::npos);
    EXPECT_NE(html.find("a&lt;b &amp;&amp; c&gt;d \"q\""), std::string::npos);
    d.path = "/tmp/R&D <1>.c";
    EXPECT_NE(run(Format::Html, "export.html.title.fullpath=1\n", d).find("<title>/tmp/R&amp;D &lt;1&gt;.c</title>"),
              std::string::npos);
    expectWellFormed(html);
}

TEST(HtmlExport, BlanksAndTabsKeepTheirWidth)
{
    // Wysiwyg: a browser would collapse blanks, so all but the first of a run are &nbsp;,
    // and the first too at the start of a line; a tab alternates from &nbsp;.
    const std::string b = body(run(Format::Html, kScheme, plain("    x    y\r\nab\tc")));
    EXPECT_NE(b.find("&nbsp;&nbsp;&nbsp;&nbsp;x &nbsp;&nbsp;&nbsp;y"), std::string::npos) << b;
    EXPECT_NE(b.find("ab&nbsp; c"), std::string::npos) << b;
    // Without wysiwyg the text sits in <pre>: blanks stay, tabs expand or are kept.
    const std::string pre = body(run(Format::Html, "export.html.wysiwyg=0\n", plain("ab\tc  d")));
    EXPECT_NE(pre.find("<pre>ab  c  d</pre>"), std::string::npos) << pre;
    const std::string kept = body(run(Format::Html, "export.html.wysiwyg=0\nexport.html.tabs=1\n", plain("ab\tc")));
    EXPECT_NE(kept.find("<pre>ab\tc</pre>"), std::string::npos) << kept;
    // A character of several UTF-8 bytes is one column: the tab still fills to column 4.
    const std::string wide = body(run(Format::Html, kScheme, plain("\xC3\xBC\tc")));
    EXPECT_NE(wide.find("\xC3\xBC&nbsp; &nbsp;c"), std::string::npos) << wide;
}

TEST(HtmlExport, StyleSheetHoldsTheStylesThatAreDefined)
{
    const char* scheme =
        "style.*.32=font:Courier New,size:10,back:#FFFFFF\n"
        "style.cpp.1=fore:#007F00,italics\n"
        "style.cpp.2=back:#FFFFFF\n"
        "style.cpp.3=back:#FFFF00\n"
        "style.cpp.5=bold,size:12,font:Bad'Font<\n";
    Doc d;
    d.add("a", 1).add("b", 2).add("c", 3).add("d", 4).add("e", 5);
    const std::string all = run(Format::Html, scheme, d);
    EXPECT_NE(all.find("span {\r\n\tfont-family: 'Courier New';\r\n\tcolor: #000000;\r\n\tfont-size: 10pt;\r\n}"),
              std::string::npos);
    EXPECT_NE(all.find(".S1 {\r\n\tfont-style: italic;\r\n\tcolor: #007F00;\r\n}"), std::string::npos);
    // Only a background equal to the page's: just the colour line.
    EXPECT_NE(all.find(".S2 {\r\n\tcolor: #000000;\r\n}"), std::string::npos);
    // A background of its own is shown.
    EXPECT_NE(all.find(".S3 {\r\n\tcolor: #000000;\r\n\tbackground: #FFFF00;\r\n"), std::string::npos);
    // A font name cannot end its string or the style element.
    EXPECT_NE(all.find("font-family: 'BadFont';"), std::string::npos);
    EXPECT_EQ(all.find(".S4 {"), std::string::npos);   // nothing defined: no class, no span
    EXPECT_NE(all.find("<span class=\"S3\">c</span>d<span class=\"S5\">e</span>"), std::string::npos);
    EXPECT_NE(all.find("<body bgcolor=\"#FFFFFF\">"), std::string::npos);
    EXPECT_NE(all.find("charset=utf-8"), std::string::npos);

    // Only the styles in use: style 1 is defined, style 3 is not.
    const std::string used = run(Format::Html, std::string(scheme) + "export.html.styleused=1\n", plain("x", 1));
    EXPECT_NE(used.find(".S1 {"), std::string::npos);
    EXPECT_EQ(used.find(".S3 {"), std::string::npos);
    EXPECT_NE(used.find("span {"), std::string::npos);
    expectWellFormed(all);
}

TEST(HtmlExport, FoldingNestsItsSectionsEvenWhenLevelsJump)
{
    // Line 0 opens a fold; line 1 opens another whose body (line 2) is two levels deeper
    // than the header's own level; line 3 falls back to 0 in one step.
    Doc d = plain("a {\nb {{\nc\nd\n");
    d.folds = {0x400 | 0x2000, 0x401 | 0x2000, 0x403, 0x400, 0x400};
    const std::string html = run(Format::Html, "export.html.folding=1\n", d);
    EXPECT_NE(html.find("function toggle(id)"), std::string::npos);
    EXPECT_NE(html.find("<span id=\"hd0\" onclick=\"toggle('1')\"><span id=\"bt0\">- </span>"), std::string::npos);
    EXPECT_NE(html.find("<span id=\"ln1\"><span id=\"hd1\" onclick=\"toggle('2')\">"), std::string::npos);
    EXPECT_NE(html.find("<span id=\"ln2\">&nbsp; c"), std::string::npos);
    EXPECT_EQ(count(html, "<span"), count(html, "</span>"));
    expectWellFormed(html);
    // A fold header on the last line, without a line end after it, is closed too.
    Doc last = plain("x {");
    last.folds = {0x400 | 0x2000};
    const std::string closed = run(Format::Html, "export.html.folding=1\n", last);
    EXPECT_EQ(count(closed, "<span"), count(closed, "</span>"));
    expectWellFormed(closed);
}

TEST(RtfExport, LineEndsEscapesAndTabs)
{
    const std::string rtf = run(Format::Rtf, kScheme, plain("a{b}\\c\r\nd\ne\rf\tg"));
    const size_t text = rtf.find("\\cf0 ") + 5;
    EXPECT_EQ(rtf.substr(text), "a\\{b\\}\\\\c\\par\r\nd\\par\r\ne\\par\r\nf   g}");
    const std::string kept = run(Format::Rtf, "export.rtf.tabs=1\n", plain("f\tg"));
    EXPECT_NE(kept.find("f\\tab g}"), std::string::npos);
    const std::string sized = run(Format::Rtf, "tabsize=2\nexport.rtf.tabsize=6\n", plain("f\tg"));
    EXPECT_NE(sized.find("f     g}"), std::string::npos);
}

TEST(RtfExport, FontAndColourTablesShareEntries)
{
    const char* scheme =
        "style.*.32=font:Arial,size:9,fore:#000000,back:#FFFFFF\n"
        "style.cpp.1=font:Courier New,fore:#FF0000\n"
        "style.cpp.2=font:courier new,fore:#ff0000,bold\n"
        "style.cpp.3=back:#00FF00,italics,size:14\n";
    Doc d;
    d.add("a", 1).add("b", 2).add("c", 3).add("d", 0).add("e", 40);
    const std::string rtf = run(Format::Rtf, scheme, d);
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fnil\\fcharset1 Arial;}{\\f1\\fnil\\fcharset1 Courier New;}}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;"
                       "\\red0\\green255\\blue0;}"), std::string::npos) << rtf;
    // Only the control words that change are written; styles above 31 count as 0.
    EXPECT_NE(rtf.find("\\f1\\cf2 a\\b b\\f0\\fs28\\cf0\\highlight3\\b0\\i c\\fs18\\highlight1\\i0 de}"),
              std::string::npos) << rtf;
    EXPECT_EQ(count(rtf, "ourier"), 1u);
}

TEST(RtfExport, TextBeyondAsciiIsWrittenAsUnicodeControlWords)
{
    // ü, € and the G clef (two UTF-16 units); nothing above 127 is left raw.
    const std::string rtf = run(Format::Rtf, kScheme, plain("\xC3\xBC\xE2\x82\xAC\xF0\x9D\x84\x9E"));
    EXPECT_NE(rtf.find("\\u252?\\u8364?\\u-10188?\\u-8930?}"), std::string::npos) << rtf;
    EXPECT_EQ(std::count_if(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }), 0);
    // Font names cannot break the table either.
    const std::string font = run(Format::Rtf, "export.rtf.font.face=Evil};{\\x\n", plain("a"));
    EXPECT_NE(font.find("{\\f0\\fnil\\fcharset1 Evilx;}"), std::string::npos) << font;
}
