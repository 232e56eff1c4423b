// Whole exported files compared byte for byte with the files under golden/. After a
// deliberate change of the output, VELMO_UPDATE_GOLDEN=1 rewrites them (read the diff).
#include "ExportSupport.h"
#include "TestPaths.h"

#include <QDir>

using namespace exporttest;
using exporting::Format;

namespace {

// The C scheme of the golden files: keywords, comments, numbers, strings and operators
// each with their own look; identifiers (11) have no definition at all.
constexpr const char* kCScheme =
    "style.*.32=font:Courier New,size:10\n"
    "style.cpp.0=fore:#808080\n"
    "style.cpp.1=fore:#007F00,italics\n"
    "style.cpp.4=fore:#007F7F\n"
    "style.cpp.5=fore:#00007F,bold\n"
    "style.cpp.6=fore:#7F007F,back:#FFFFE0\n"
    "style.cpp.10=bold\n";

Doc cFile()
{
    Doc d;
    d.add("int", 5).add(" ", 0).add("main", 11).add("(", 10).add("void", 5).add(")", 10).add(" ", 0)
        .add("{", 10).add("\n", 0);
    d.add("\t", 0).add("return", 5).add(" ", 0).add("0", 4).add(";", 10).add(" ", 0)
        .add("/* a<b & {c}\\ ^~ */", 1).add("\n", 0);
    d.add("\t", 0).add("puts", 11).add("(", 10).add("\"50% (x)\"", 6).add(")", 10).add(";", 10).add("\n", 0);
    d.add("}", 10).add("\n", 0);
    return d;
}

struct Case {
    const char* name;
    Doc doc;
    const char* properties;
};

std::vector<Case> cases()
{
    Doc plainText = plain("Hello, world.\r\nSecond line\r\n");
    plainText.path = "<new>";
    Doc blanks = plain("\tx\r\n  a    b\r\n    \t c\r\nab\tc\r\n");
    blanks.path = "/tmp/blanks.txt";
    Doc utf8 = plain("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xE2\x9C\x93 \xF0\x9D\x84\x9E\n");
    utf8.path = "/tmp/utf8.txt";
    Doc empty;
    empty.path = "/tmp/empty.txt";
    return {
        {"plain", plainText, kScheme},
        {"cfile", cFile(), kCScheme},
        {"blanks", blanks, kScheme},
        {"utf8", utf8, kScheme},
        {"empty", empty, kScheme},
    };
}

const char* extension(Format f)
{
    switch (f) {
    case Format::Html: return "html";
    case Format::Rtf: return "rtf";
    case Format::Pdf: return "pdf";
    case Format::Latex: return "tex";
    }
    return "";
}

} // namespace

TEST(ExportGolden, EveryFormatWritesTheKnownBytes)
{
    const QDir golden(testpaths::source("/tests/language/export/golden"));
    const bool update = qEnvironmentVariableIntValue("VELMO_UPDATE_GOLDEN") == 1;
    for (const Case& c : cases()) {
        for (Format f : {Format::Html, Format::Rtf, Format::Pdf, Format::Latex}) {
            const std::string out = run(f, c.properties, c.doc);
            const QString file = golden.filePath(QString("%1.%2").arg(c.name, extension(f)));
            if (update) {
                ASSERT_TRUE(writeBytes(file, out));
                continue;
            }
            EXPECT_EQ(out, readBytes(file)) << file.toStdString();
        }
    }
}

// Text formats end their lines with CR LF only; PDF is binary and keeps its own LF.
TEST(ExportGolden, TextFormatsUseCrLfThroughout)
{
    for (const Case& c : cases()) {
        for (Format f : {Format::Html, Format::Rtf, Format::Latex}) {
            const std::string out = run(f, c.properties, c.doc);
            for (size_t i = 0; i < out.size(); ++i) {
                if (out[i] == '\n') {
                    ASSERT_TRUE(i > 0 && out[i - 1] == '\r') << c.name << "." << extension(f) << " at " << i;
                }
                if (out[i] == '\r') {
                    ASSERT_TRUE(i + 1 < out.size() && out[i + 1] == '\n') << c.name << "." << extension(f) << " at " << i;
                }
            }
        }
    }
}

// Every golden PDF is sound for an outside reader and gives its text back; the
// cross-reference table points at each object.
TEST(ExportGolden, EveryPdfPassesTheCheckAndGivesItsTextBack)
{
    QTemporaryDir dir;
    for (const Case& c : cases()) {
        const std::string pdf = run(Format::Pdf, c.properties, c.doc);
        const std::string text = checkedPdfText(pdf, dir.path());
        // pdftotext ends every page with a form feed and lays out blanks its own way.
        std::string expected, got;
        for (char ch : c.doc.text)
            if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n')
                expected += ch;
        for (char ch : text)
            if (ch != ' ' && ch != '\f' && ch != '\n')
                got += ch;
        if (std::string_view(c.name) == "utf8")
            expected = "Gr\xC3\xBC\xC3\x9F" "e\xE2\x82\xAC??";   // check mark and clef have no glyph
        EXPECT_EQ(got, expected) << c.name;

        const size_t xref = pdf.rfind("xref\n0 ");
        ASSERT_NE(xref, std::string::npos);
        const size_t startxref = pdf.rfind("startxref\n");
        EXPECT_EQ(std::stoul(pdf.substr(startxref + 10)), xref) << c.name;
        const int objects = std::stoi(pdf.substr(xref + 7));
        size_t entry = pdf.find('\n', xref + 7) + 1 + 20;   // past the free entry
        for (int number = 1; number < objects; ++number, entry += 20) {
            const size_t offset = std::stoul(pdf.substr(entry, 10));
            EXPECT_EQ(pdf.compare(offset, std::to_string(number).size() + 6, std::to_string(number) + " 0 obj"), 0)
                << c.name << " object " << number;
        }
    }
}
