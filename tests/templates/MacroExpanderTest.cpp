// Variables, case forms and the caret marker of the macro expander, and the text a template
// becomes at the caret, with the clock fixed at 8 August 2008, 21:58 through the clock seam.
#include "platform/Seams.h"
#include "templates/MacroExpander.h"
#include "templates/TemplateText.h"

#include <gtest/gtest.h>

namespace {

using templates::InsertLayout;
using templates::MacroContext;
using templates::MacroExpander;

struct MacroExpanderTest : ::testing::Test {
    seams::FixedClock clock;
    seams::ScopedClock scope{&clock};
    MacroContext context;

    void SetUp() override
    {
        clock.time = QDateTime(QDate(2008, 8, 8), QTime(21, 58, 7));
        context.path = QStringLiteral("/home/ann/src.d/readme.txt");
        context.line = 42;
    }
    std::string expand(std::string_view text) const { return MacroExpander::expandText(context, text); }
};

TEST_F(MacroExpanderTest, EveryVariable)
{
    EXPECT_EQ(expand("$(FILE)|$(FILENAME)|$(FILE_PATH)|$(FILE_BASE)|$(FILE_EXT)|$(LINE)"),
              "/home/ann/src.d/readme.txt|readme.txt|/home/ann/src.d|readme|txt|42");
    EXPECT_EQ(expand("$(YEAR) $(MONTH) $(MONTH_02) $(MONTHNAME) $(DAY) $(DAY_02)"), "2008 8 08 Aug 8 08");
    EXPECT_EQ(expand("$(HOUR) $(HOUR_02) $(MINUTE) $(DATE) $(DATENAME)"), "21 21 58 2008-08-08 Aug-08-2008");
    clock.time = QDateTime(QDate(2009, 12, 31), QTime(7, 5));
    EXPECT_EQ(expand("$(HOUR) $(HOUR_02) $(MINUTE) $(MONTHNAME) $(DAY_02)"), "7 07 5 Dec 31");
    EXPECT_EQ(expand("$(USER) $(EMAIL) $(COMPANY)"), "YourName YourEmail YourCompany");

    // Paths without a folder, without an extension, of a document without a file.
    context.path = QStringLiteral("/a.b/Makefile");
    EXPECT_EQ(expand("[$(FILE_BASE)][$(FILE_EXT)]"), "[Makefile][]");
    context.path = QStringLiteral("<new>");
    EXPECT_EQ(expand("[$(FILE)][$(FILENAME)][$(FILE_PATH)][$(FILE_EXT)]"), "[<new>][][][]");
}

TEST_F(MacroExpanderTest, CaseFormsAndWhatTheyLeaveAlone)
{
    context.path = QStringLiteral("/src/ab.c");
    context.user = QStringLiteral("Ann Lee");
    EXPECT_EQ(expand("$(UPPER(FILE_BASE))_$(UPPER(FILE_EXT))"), "AB_C");
    EXPECT_EQ(expand("$(LOWER(MONTHNAME)) $(UPPER(DATENAME))"), "aug AUG-08-2008");
    EXPECT_EQ(expand("$(LOWER(USER)) $(UPPER(USER))"), "Ann Lee Ann Lee");
    // Only ASCII letters change.
    context.path = QStringLiteral("/src/\u00e9t\u00e9.c");
    EXPECT_EQ(expand("$(UPPER(FILENAME))"), "\u00e9T\u00e9.C");
}

TEST_F(MacroExpanderTest, WhatIsNotAVariableStaysAsWritten)
{
    EXPECT_EQ(expand("$(UNKNOWN) $(user) $(UPPER(NOPE)) x"), "$(UNKNOWN) $(user) $(UPPER(NOPE)) x");
    EXPECT_EQ(expand("echo $(FILENAME and $("), "echo $(FILENAME and $(");
    EXPECT_EQ(expand("$($(LINE))"), "$(42)");
    EXPECT_EQ(expand("cost: $5 (total)"), "cost: $5 (total)");
    const std::string longName = "$(" + std::string(256, 'A') + ")$(LINE)";
    EXPECT_EQ(expand(longName), "$(" + std::string(256, 'A') + ")42");
    EXPECT_EQ(expand(""), "");
    // A case form whose own parenthesis is missing ends at the line.
    EXPECT_EQ(expand("$(UPPER(FILE_EXT)"), "TXT");
}

TEST_F(MacroExpanderTest, TheCaretMarkerComesFromTheTemplateOnly)
{
    context.path = QStringLiteral("/tmp/a|b.c");
    MacroExpander e(context);
    e.setCaretMarker(true);
    e.expand("x$(FILENAME)y|z|");
    EXPECT_EQ(e.result(), "xa|b.cyz|");
    EXPECT_EQ(e.caretOffset(), 7);
    e.reset();
    e.expand("$(FILENAME)");
    EXPECT_EQ(e.caretOffset(), -1);
    EXPECT_EQ(e.result(), "a|b.c");
}

std::string build(std::string_view content, const InsertLayout& layout, const MacroContext& c, long* caret = nullptr)
{
    MacroExpander e(c);
    const templates::Insertion ins = templates::buildInsertion(content, layout, e);
    if (caret)
        *caret = ins.caret;
    return ins.text;
}

TEST_F(MacroExpanderTest, InsertionIndentsLaterLinesWithTheDocumentsLineEnd)
{
    context.path = QStringLiteral("/src/ab.c");
    const std::string content = "return $(UPPER(FILE_BASE));\r\n\t|\r\n}";
    InsertLayout crlf;
    crlf.indentColumns = 4;
    long caret = -2;
    EXPECT_EQ(build(content, crlf, context, &caret), "return AB;\r\n    \t\r\n    }");
    EXPECT_EQ(caret, long(std::string("return AB;\r\n    \t").size()));

    InsertLayout lf = crlf;
    lf.eol = "\n";
    EXPECT_EQ(build(content, lf, context), "return AB;\n    \t\n    }");
    // Bare CR and LF in the content are line ends too; a trailing one gives a last empty line.
    EXPECT_EQ(build("a\rb\nc\r\n", lf, context), "a\n    b\n    c\n");

    InsertLayout tabs;
    tabs.indentColumns = 10;
    tabs.useTabs = true;
    tabs.tabWidth = 4;
    EXPECT_EQ(build("{\n}", tabs, context, &caret), "{\r\n\t\t  }");
    EXPECT_EQ(caret, -1);
    tabs.tabWidth = 0;   // counts as the default width
    EXPECT_EQ(templates::indentation(10, true, 0), "\t\t  ");
    EXPECT_EQ(templates::indentation(3, false, 0), "   ");
    EXPECT_EQ(build("", tabs, context), "");
}

} // namespace
