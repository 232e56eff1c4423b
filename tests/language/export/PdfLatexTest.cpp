// PDF and LaTeX export: the PDF's objects, wrapping, pages, style commands and characters
// outside its fonts, checked also by qpdf and pdftotext; the LaTeX commands and escapes,
// compiled by pdflatex where it is installed.
#include "ExportSupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace exporttest;
using exporting::Format;

namespace {

constexpr const char* kTwoStyles =
    "style.*.32=font:Courier New,size:10\n"
    "style.cpp.1=fore:#FF0000,bold\n"
    "style.cpp.2=fore:#0000FF,italics\n";

// The content stream of the first page.
std::string firstPage(const std::string& pdf)
{
    const size_t start = pdf.find("stream\n") + 7;
    return pdf.substr(start, pdf.find("ET\nendstream") - start);
}

} // namespace

TEST(PdfExport, EmptyDocumentIsOneEmptyPage)
{
    QTemporaryDir dir;
    const std::string pdf = run(Format::Pdf, kScheme, Doc());
    EXPECT_EQ(pdf.rfind("%PDF-1.3\n%\xC7\xEC\x8F\xA2\n", 0), 0u);
    EXPECT_EQ(count(pdf, " 0 obj\n"), 9u);
    EXPECT_NE(pdf.find("xref\n0 10\n0000000000 65535 f \n"), std::string::npos);
    EXPECT_NE(pdf.find("/Count 1\n"), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont/Helvetica/Encoding/WinAnsiEncoding"), std::string::npos);
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
    checkedPdfText(pdf, dir.path());
}

TEST(PdfExport, CourierLinesWrapAtTheRightMargin)
{
    // 6 points a character between margins at 72 and 540: 78 characters a line.
    QTemporaryDir dir;
    const std::string props = std::string(kScheme) + "export.pdf.font=Courier\n";
    const std::string pdf = run(Format::Pdf, props, plain(std::string(100, 'x')));
    EXPECT_NE(firstPage(pdf).find("(" + std::string(78, 'x') + ")Tj\n0 -12.0 TD\n(" + std::string(22, 'x') + ")Tj"),
              std::string::npos) << firstPage(pdf);
    EXPECT_NE(pdf.find("/BaseFont/Courier-BoldOblique"), std::string::npos);
    const std::string text = checkedPdfText(pdf, dir.path());
    EXPECT_NE(text.find(std::string(78, 'x') + "\n"), std::string::npos) << text;
}

TEST(PdfExport, LongTextsGoOnNewPages)
{
    QTemporaryDir dir;
    std::string text;
    for (int line = 1; line <= 200; ++line)
        text += "line " + std::to_string(line) + "\r\n";
    const std::string pdf = run(Format::Pdf, kScheme, plain(text));
    // 792 - 72 - 7.18 down to 72 + 2.07 at 12 points a line: 54 lines a page.
    EXPECT_NE(pdf.find("/Count 4\n"), std::string::npos);
    const std::string back = checkedPdfText(pdf, dir.path());
    EXPECT_EQ(count(back, "\f"), 4u);
    EXPECT_NE(back.find("line 200"), std::string::npos);
    EXPECT_NE(back.find("line 55"), std::string::npos);
}

TEST(PdfExport, StringsAreEscapedAndPagesSized)
{
    QTemporaryDir dir;
    EXPECT_NE(run(Format::Pdf, kScheme, plain("a(b)\\")).find("(a\\(b\\)\\\\)Tj"), std::string::npos);
    EXPECT_NE(run(Format::Pdf, "export.pdf.pagesize=595,842\n", plain("a")).find("/MediaBox[ 0 0 595 842]"),
              std::string::npos);
    EXPECT_NE(run(Format::Pdf, "export.pdf.pagesize=500\n", plain("a")).find("/MediaBox[ 0 0 500 792]"),
              std::string::npos);
    // Without any style definition the text is black: every colour command has its operands.
    QTemporaryDir bare;
    const std::string unstyled = run(Format::Pdf, "", plain("a"));
    EXPECT_NE(firstPage(unstyled).find("/F1 10 Tf 0 0 0 rg (a)Tj"), std::string::npos) << firstPage(unstyled);
    checkedPdfText(unstyled, bare.path());
    // Absurd sizes are cut to what readers take, and the margins give way to one line.
    const std::string absurd = run(Format::Pdf,
        "export.pdf.pagesize=99999999999,-5\nexport.pdf.margins=90000,90000,3,4\nexport.pdf.magnification=100000\n"
        "style.*.32=size:10\n", plain("huge"));
    EXPECT_NE(absurd.find("/MediaBox[ 0 0 14400 1207]"), std::string::npos) << absurd.substr(0, 2000);
    EXPECT_NE(absurd.find("/F1 1000 Tf"), std::string::npos);
    EXPECT_NE(checkedPdfText(absurd, dir.path()).find("huge"), std::string::npos);
}

TEST(PdfExport, StyleCommandsOnlyWhereTheLookChanges)
{
    // Blanks between two styled words need no commands of their own.
    Doc d;
    d.add("x", 1).add("   ", 0).add("y", 2);
    const std::string page = firstPage(run(Format::Pdf, kTwoStyles, d));
    EXPECT_NE(page.find("/F1 10 Tf 0 0 0 rg /F2 10 Tf 1 0 0 rg (x)Tj\n(   )Tj\n/F3 10 Tf 0 0 1 rg (y)Tj\n"),
              std::string::npos) << page;

    // Blanks that begin a line in the style already in force change nothing either: the
    // next word in another style gets its commands.
    Doc e;
    e.add("a", 1).add("b", 2).add("\n", 0).add("  ", 2).add("c", 1);
    const std::string second = firstPage(run(Format::Pdf, kTwoStyles, e));
    EXPECT_NE(second.find("(  )Tj\n/F2 10 Tf 1 0 0 rg (c)Tj"), std::string::npos) << second;
}

TEST(PdfExport, CharactersOutsideTheFontsBecomeQuestionMarks)
{
    QTemporaryDir dir;
    exporting::ExportReport report;
    // ä and € have WinAnsi bytes; the check mark and the G clef have none.
    const std::string pdf = run(Format::Pdf, kScheme,
        plain("\xC3\xA4\xE2\x82\xAC \xE2\x9C\x93 \xF0\x9D\x84\x9E!"), &report);
    EXPECT_EQ(report.replaced, 2u);
    EXPECT_NE(firstPage(pdf).find("(\xE4\x80 ? ?!)Tj"), std::string::npos);
    EXPECT_NE(checkedPdfText(pdf, dir.path()).find("\xC3\xA4\xE2\x82\xAC ? ?!"), std::string::npos);
}

TEST(LatexExport, EscapesAndBlanks)
{
    const std::string tex = run(Format::Latex, kScheme, plain("50% a<b  c ^~ #$&_{}\\@\tz"));
    EXPECT_NE(tex.find("\\eda{50\\% a$<$b{\\hspace*{1em}} c \\^{}\\~{} \\#\\$\\&\\_\\{\\}{\\textbackslash}$@$"
                       "\\hspace*{2em}z}\r\n} %end tiny"), std::string::npos) << tex;
    Doc d = plain("x");
    d.path = "/tmp/50%_{x}.c";
    EXPECT_NE(run(Format::Latex, "export.tex.title.fullpath=1\n", d).find("Source File: /tmp/50\\%\\_\\{x\\}.c\r\n"),
              std::string::npos);
}

TEST(LatexExport, EveryStyleInTheTextHasItsCommand)
{
    const char* scheme =
        "style.*.32=font:Courier New,size:10\n"
        "style.cpp.5=fore:#FF0000,back:#FFFFFF,bold,italics\n";
    Doc d;
    d.add("int", 5).add(" ", 0).add("x", 11).add("\r\n", 0).add("y", 25);
    const std::string tex = run(Format::Latex, scheme, d);
    EXPECT_NE(tex.find("\\newcommand{\\edf}[1]{\\noindent{\\ttfamily{\\textit{\\textbf{\\textcolor[rgb]{1.0, 0.0, 0.0}"
                       "{\\colorbox[rgb]{1.0, 1.0, 1.0}{#1}}}}}}}\r\n"), std::string::npos) << tex;
    // Styles that name nothing (0, 11, 25) still have a command; 32 is always there.
    for (const char* name : {"a", "l", "bb", "ib"})
        EXPECT_NE(tex.find(std::string("\\newcommand{\\ed") + name + "}[1]"), std::string::npos) << name;
    // A change of style inside a line adds no blank; a line end ends the line.
    EXPECT_NE(tex.find("\\edf{int}%\r\n\\eda{ }%\r\n\\edl{x} \\\\\r\n\\edbb{y}\r\n}"), std::string::npos) << tex;
}

TEST(LatexExport, CompilesWithPdflatex)
{
    const QString pdflatex = QStandardPaths::findExecutable("pdflatex");
    if (pdflatex.isEmpty())
        GTEST_SKIP() << "pdflatex is not installed: the LaTeX output was not compiled";
    QTemporaryDir dir;
    Doc d;
    d.add("int", 5).add(" main() { return a<b && c^2 ~ 50%; } // \\ #$_@", 0).add("\r\n\r\n", 0).add("\tx", 1);
    ASSERT_TRUE(writeBytes(dir.filePath("out.tex"), run(Format::Latex, kTwoStyles, d)));
    const Ran r = runProgram(pdflatex, {"-interaction=nonstopmode", "-halt-on-error", "out.tex"}, dir.path());
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(QFile::exists(dir.filePath("out.pdf")));
}

TEST(ExportFile, AFailedWriteLeavesNoFile)
{
    QTemporaryDir dir;
    // A folder that does not exist, and a "folder" that is a file.
    EXPECT_NE(exporting::writeExportFile(dir.filePath("missing/out.html"), "x"), 0);
    ASSERT_TRUE(writeBytes(dir.filePath("file"), "keep"));
    EXPECT_NE(exporting::writeExportFile(dir.filePath("file/out.html"), "x"), 0);
    // A folder under the target's name is refused and stays a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.pdf"));
    EXPECT_NE(exporting::writeExportFile(dir.filePath("taken.pdf"), "x"), 0);
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.pdf")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"file", "taken.pdf"}));
    // A good write replaces an older file whole.
    ASSERT_TRUE(writeBytes(dir.filePath("old.rtf"), std::string(1000, 'o')));
    EXPECT_EQ(exporting::writeExportFile(dir.filePath("old.rtf"), "new"), 0);
    EXPECT_EQ(readBytes(dir.filePath("old.rtf")), "new");
}
