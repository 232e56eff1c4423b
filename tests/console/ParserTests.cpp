// Parsing and % substitution: lines in, trees and expanded text out.
#include "TestHost.h"
#include "console/Parser.h"

#include <gtest/gtest.h>

using namespace console;
using console::test::TestHost;

namespace {

std::string s8(uview s) { return toUtf8(s); }

// A compact form of a tree: operators as op(left, right), commands as their trimmed text,
// redirections in brackets.
std::string dump(const ParseNode* n)
{
    if (!n)
        return "-";
    std::string r;
    auto redirs = [&] {
        std::string x;
        for (const auto& d : n->redirections)
            x += " [" + std::to_string(d.handle) + (d.direction == '<' ? "<" : d.append ? ">>" : ">")
                 + s8(d.target) + "]";
        return x;
    };
    switch (n->kind) {
    case KindCommand:
        return s8(trimBlanks(n->text1 + n->text2)) + redirs();
    case KindSeparator: return "&(" + dump(n->left.get()) + ", " + dump(n->right.get()) + ")";
    case KindOr: return "||(" + dump(n->left.get()) + ", " + dump(n->right.get()) + ")";
    case KindAnd: return "&&(" + dump(n->left.get()) + ", " + dump(n->right.get()) + ")";
    case KindPipe: return "|(" + dump(n->left.get()) + ", " + dump(n->right.get()) + ")";
    case KindBlock: return "((" + dump(n->left.get()) + "))" + redirs();
    case KindQuiet: return "@(" + dump(n->left.get()) + ")";
    case KindHelp: return "help(" + s8(n->text1) + ")";
    case KindRem: return "rem(" + s8(n->text2) + ")";
    case KindNot: return "not(" + dump(n->left.get()) + ")";
    case KindErrorLevel: return "errorlevel(" + s8(n->text2) + ")";
    case KindExist: return "exist(" + s8(n->text2) + ")";
    case KindDefined: return "defined(" + s8(n->text2) + ")";
    case KindCmdExtVersion: return "cmdextversion(" + s8(n->text2) + ")";
    case KindStringEqual:
        return std::string(n->flags & 2 ? "i" : "") + "==(" + s8(n->text1) + ", " + s8(n->text2) + ")";
    case KindCompare:
        return std::string(n->flags & 2 ? "i" : "") + "cmp" + std::to_string(n->compareOp) + "("
               + s8(n->text1) + ", " + s8(n->text2) + ")";
    case KindIf:
        r = "if(" + dump(n->condition.get()) + ", " + dump(n->thenBranch.get());
        if (n->hasElse)
            r += ", " + dump(n->elseBranch.get());
        return r + ")";
    case KindFor:
        return "for" + std::to_string(n->forSwitches) + "(" + s8(n->forOptions) + "|%"
               + s8(ustring(1, n->forVariable)) + "|" + s8(n->forSet) + "|" + dump(n->body.get()) + ")";
    }
    return "?";
}

struct Parsed {
    Parser::Result::Status status;
    std::string tree;
    std::string error;
};

Parsed parseText(TestHost& host, std::string_view text)
{
    LineSource src = LineSource::fromString(u(text));
    Parser p(host);
    Parser::Result r = p.parse(src);
    return {r.status, dump(r.node.get()), r.status == Parser::Result::Error ? s8(r.error.text()) : ""};
}

struct TreeCase {
    const char* line;
    const char* tree;
};

TEST(ParserTest, BuildsTreesWithPrecedenceQuotingAndRedirections)
{
    const TreeCase cases[] = {
        {"echo a & echo b && echo c || echo d | sort",
         "&(echo a, ||(&&(echo b, echo c), |(echo d, sort)))"},
        {"a & b & c", "&(a, &(b, c))"},
        {"a | b | c", "|(a, |(b, c))"},
        {"a || b && c | d", "||(a, &&(b, |(c, d)))"},
        {"(a & b) && c", "&&(((&(a, b))), c)"},
        {"dir > a.txt > b.txt", "dir [1>b.txt]"},
        {"echo x 2>nul", "echo x [2>nul]"},
        {"echo x 2> nul", "echo x [2>nul]"},
        {"echo x >&2", "echo x [1>&2]"},
        {"echo x 1>&2", "echo x [1>&2]"},
        {"echo a2>nul", "echo a2 [1>nul]"},
        {"sort < in.txt >> out.txt", "sort [0<in.txt] [1>>out.txt]"},
        {">out.txt echo hi", "echo hi [1>out.txt]"},
        {"(echo a) > f 2>&1", "((echo a)) [1>f] [2>&1]"},
        {"echo ^& text", "echo & text"},
        {"echo \"a & b\" | sort", "|(echo \"a & b\", sort)"},
        {"echo a,b;c=d", "echo a,b;c=d"},
        {"@echo off", "@(echo off)"},
        {"@echo a & echo b", "@(&(echo a, echo b))"},
        {"if a==b echo x", "if(==(a, b), echo x)"},
        {"if a == b echo x", "if(==(a, b), echo x)"},
        {"if \"a b\"==\"a b\" echo x", "if(==(\"a b\", \"a b\"), echo x)"},
        {"if /i A EQU a echo x", "if(icmp1(A, a), echo x)"},
        {"if 3 GEQ 2 echo x", "if(cmp6(3, 2), echo x)"},
        {"if not exist f.txt echo no", "if(not(exist(f.txt)), echo no)"},
        {"if errorlevel 1 echo e", "if(errorlevel(1), echo e)"},
        {"if defined PATH echo d", "if(defined(PATH), echo d)"},
        {"if cmdextversion 1 echo v", "if(cmdextversion(1), echo v)"},
        {"if a==a (echo y) else echo n", "if(==(a, a), ((echo y)), echo n)"},
        {"if a==a echo y else echo n", "if(==(a, a), echo y else echo n)"},
        {"if a==a (echo y) & echo z", "if(==(a, a), &(((echo y)), echo z))"},
        {"for %i in (a b c) do echo %i", "for0(|%i|a b c|echo %i)"},
        {"for /l %i in (5,-2,0) do echo %i", "for1(|%i|5 -2 0|echo %i)"},
        {"for /f \"tokens=1,3* delims=,\" %a in (\"a,b,c\") do echo %a",
         "for8(\"tokens=1,3* delims=,\"|%a|\"a,b,c\"|echo %a)"},
        {"for /r sub %f in (*.txt) do echo %f", "for4(sub|%f|*.txt|echo %f)"},
        {"for /d %d in (*) do @echo %d", "for2(|%d|*|@(echo %d))"},
        {"rem a & b | c", "rem(a & b | c)"},
        {"for /?", "help(FOR)"},
        {"if/?", "help(IF)"},
        {"rem /?", "help(REM)"},
    };
    for (const auto& c : cases) {
        TestHost host;
        Parsed p = parseText(host, std::string(c.line) + "\n");
        EXPECT_EQ(p.status, Parser::Result::Ok) << c.line << ": " << p.error;
        EXPECT_EQ(p.tree, c.tree) << c.line;
    }
}

TEST(ParserTest, LabelsAndEmptyLinesGiveNoStatement)
{
    TestHost host;
    EXPECT_EQ(parseText(host, ":label & echo x\n").status, Parser::Result::Empty);
    EXPECT_EQ(parseText(host, "   \n").status, Parser::Result::Empty);
    EXPECT_EQ(parseText(host, "").status, Parser::Result::Eof);
    // CALL re-parses its text with label skipping off.
    LineSource src = LineSource::fromString(u":sub a b\n");
    Parser p(host);
    Parser::Result r = p.parse(src, false);
    ASSERT_EQ(r.status, Parser::Result::Ok);
    EXPECT_EQ(dump(r.node.get()), ":sub a b");
}

TEST(ParserTest, SyntaxErrorsNameTheOffendingToken)
{
    struct ErrCase {
        const char* line;
        const char* message;
        bool ext = true;
    };
    const ErrCase cases[] = {
        {"| sort", "| was unexpected at this time."},
        {"echo a &&", "The syntax of the command is incorrect."},
        {"echo a & & b", "& was unexpected at this time."},
        {"(echo a", "The syntax of the command is incorrect."},
        {"if a==b", "The syntax of the command is incorrect."},
        {"if ==b echo x", "The syntax of the command is incorrect."},
        {"if a equ a echo x", "equ was unexpected at this time."},
        {"if a EQU a echo x", "EQU was unexpected at this time.", false},
        {"if not not a==a echo x", "not was unexpected at this time."},
        {"for %i on (a) do echo", "on was unexpected at this time."},
        {"for %i in (a) echo x", "echo was unexpected at this time."},
        {"for i in (a) do echo", "i was unexpected at this time."},
        {">x if a==a echo", "if was unexpected at this time."},
        {"echo a << b", "< was unexpected at this time."},
        {"(echo a) b", "b was unexpected at this time."},
        {"echo > ", "The syntax of the command is incorrect."},
    };
    for (const auto& c : cases) {
        TestHost host;
        host.ext = c.ext;
        Parsed p = parseText(host, std::string(c.line) + "\n");
        EXPECT_EQ(p.status, Parser::Result::Error) << c.line;
        EXPECT_EQ(p.error, c.message) << c.line;
    }
}

TEST(ParserTest, BlocksContinueOverLinesWithMorePrompts)
{
    TestHost host;
    Parser p(host);
    ScriptedConsole typed;
    typed.addLine(u"(");
    typed.addLine(u"echo a");
    typed.addLine(u"");
    typed.addLine(u"echo b)");
    typed.addLine(u"echo next");
    LineSource in = LineSource::fromConsole(&typed);
    in.prompt = [&](bool more) { typed.write(more ? u"More? " : u">"); };
    Parser::Result r = p.parse(in);
    ASSERT_EQ(r.status, Parser::Result::Ok) << s8(r.error.text());
    EXPECT_EQ(dump(r.node.get()), "((&(echo a, echo b)))");
    EXPECT_EQ(s8(typed.output()), ">(\r\nMore? echo a\r\nMore? \r\nMore? echo b)\r\n");
    r = p.parse(in);
    EXPECT_EQ(dump(r.node.get()), "echo next");

    // A caret at the end of a line joins the next one.
    ScriptedConsole joined;
    joined.addLine(u"echo one^");
    joined.addLine(u"two");
    LineSource j = LineSource::fromConsole(&joined);
    j.prompt = [&](bool more) { joined.write(more ? u"More? " : u">"); };
    r = p.parse(j);
    EXPECT_EQ(dump(r.node.get()), "echo onetwo");
    EXPECT_EQ(s8(joined.output()), ">echo one^\r\nMore? two\r\n");
}

TEST(ParserTest, LimitsAreRefusedNotTruncated)
{
    TestHost host;
    Parsed p = parseText(host, "echo " + std::string(2100, 'x') + "\n");
    EXPECT_EQ(p.status, Parser::Result::Error);
    EXPECT_EQ(p.error, "The input line is too long.");

    // 4095 characters make a token; one more is refused.
    std::string ok(4095, 'y');
    host.env.set(u"BIG", u(ok.substr(0, 2000)));
    p = parseText(host, "echo %BIG%\n");
    EXPECT_EQ(p.status, Parser::Result::Ok);
    // A substituted line beyond 2049 characters is refused.
    host.env.set(u"BIG2", u(std::string(1500, 'z')));
    p = parseText(host, "echo %BIG%%BIG2%\n");
    EXPECT_EQ(p.error, "The input line is too long.");
    // Nesting is bounded: a deep pile of blocks over many lines is refused, not run.
    std::string deep;
    for (int i = 0; i < 600; ++i)
        deep += "(\n";
    deep += "echo x\n";
    for (int i = 0; i < 600; ++i)
        deep += ")\n";
    p = parseText(host, deep);
    EXPECT_EQ(p.error, "Not enough storage is available to process this command.");
    // A file line without a line end within the limit.
    ustring line;
    LineSource s = LineSource::fromString(u(std::string(3000, 'q')));
    EXPECT_EQ(s.readLine(line, false), LineSource::Read::TooLong);
}

struct ExpandCase {
    const char* in;
    const char* out;
};

std::string expand(TestHost& host, const char* in)
{
    try {
        return s8(expandPercent(u(in), host));
    } catch (const CmdError& e) {
        return "ERROR: " + s8(e.text());
    }
}

TEST(ExpandTest, VariablesAtThePromptAndInBatchFiles)
{
    TestHost host;
    host.env.set(u"PATH", u"C:\\bin;D:\\tools;E:\\x");
    host.env.set(u"name", u"Hello World");
    host.errorLevel = 3;
    const ExpandCase prompt[] = {
        {"echo %name%", "echo Hello World"},
        {"echo %NAME%!", "echo Hello World!"},
        {"echo %UNDEFINED%", "echo %UNDEFINED%"},
        {"echo %UNDEFINED% and %name%", "echo %UNDEFINED% and Hello World"},
        {"for %i in (a b c) do echo %i", "for %i in (a b c) do echo %i"},
        {"echo 100%", "echo 100%"},
        {"echo %CD%", "echo /work/dir"},
        {"echo %ERRORLEVEL%", "echo 3"},
        {"echo %PATH:~0,3%", "echo C:\\"},
        {"echo %PATH:~3%", "echo bin;D:\\tools;E:\\x"},
        {"echo %PATH:~-4%", "echo E:\\x"},
        {"echo %PATH:~100%", "echo "},
        {"echo %PATH:~2,0%", "echo C:\\bin;D:\\tools;E:\\x"},
        {"echo %PATH:~0x2,2%", "echo \\b"},
        {"echo %PATH:*;=%", "echo D:\\tools;E:\\x"},
        {"echo %PATH:;=-%", "echo C:\\bin-D:\\tools-E:\\x"},
        {"echo %name:WORLD=there%", "echo Hello there"},
        {"echo %name:o=%", "echo Hell Wrld"},
        {"echo %name:*zz=x%", "echo Hello World"},
        {"echo %UNDEFINED:~0,2%", "echo "},
        {"echo %name:foo%", "ERROR: foo% was unexpected at this time."},
    };
    for (const auto& c : prompt)
        EXPECT_EQ(expand(host, c.in), c.out) << c.in;

    host.ext = false;
    EXPECT_EQ(expand(host, "echo %ERRORLEVEL%"), "echo %ERRORLEVEL%");
    EXPECT_EQ(expand(host, "echo %PATH:~0,3%"), "echo %PATH:~0,3%");
    host.ext = true;

    host.inBatch = true;
    host.params.params = {u"script.bat", u"one", u"\"two words\"", u"dir\\file.txt", u"", u"", u"", u"", u"", u""};
    host.params.argText = u"one \"two words\" dir\\file.txt";
    host.params.fullPath = u"/work/dir/script.bat";
    const ExpandCase batch[] = {
        {"echo %UNDEFINED%", "echo "},
        {"echo 50%% off", "echo 50% off"},
        {"echo 100% sure", "echo 100 sure"},
        {"echo %1 %2", "echo one \"two words\""},
        {"echo [%5]", "echo []"},
        {"echo %*", "echo one \"two words\" dir\\file.txt"},
        {"echo %~nx3", "echo file.txt"},
        {"echo %~n3", "echo file"},
        {"echo %~x3", "echo .txt"},
        {"echo %~f3", "echo /work/dir/dir/file.txt"},
        {"echo %~dp3", "echo /work/dir/dir/"},
        {"echo %~nx2", "echo two words"},
        {"echo %~f2", "echo /work/dir/two words"},
        {"echo [%~1]", "echo []"},
        {"echo %~nx0", "echo script.bat"},
        {"echo %~dp0", "echo /work/dir/"},
        {"echo %~z1", "ERROR: The following usage of the path operator in batch-parameter\r\n"
                      "substitution is invalid: %~z\r\n\r\nFor valid formats type CALL /? or FOR /?"},
        {"echo %~n", "ERROR: The following usage of the path operator in batch-parameter\r\n"
                     "substitution is invalid: %~n\r\n\r\nFor valid formats type CALL /? or FOR /?"},
        {"echo %name% %PATH:~0,2%", "echo Hello World C:"},
    };
    for (const auto& c : batch)
        EXPECT_EQ(expand(host, c.in), c.out) << c.in;
}

TEST(ExpandTest, SearchModifierFindsFilesInAVariablesFolders)
{
    TestHost host;
    host.inBatch = true;
    host.cwd = u"/";
    host.env.set(u"DIRS", u"/nonexistent;/etc");
    host.params.params[1] = u"hostname";
    host.params.params[2] = u"no-such-file-here";
    EXPECT_EQ(expand(host, "%~$DIRS:1"), "/etc/hostname");
    EXPECT_EQ(expand(host, "%~n$DIRS:1"), "hostname");
    EXPECT_EQ(expand(host, "[%~$DIRS:2]"), "[]");
    EXPECT_EQ(expand(host, "[%~$NOVAR:1]"), "[]");
}

TEST(UnparseTest, TreesGoBackToTextThatParsesTheSame)
{
    const char* lines[] = {
        "echo a & echo b && echo c || echo d | sort",
        "(echo a & echo b) > out.txt 2>&1",
        "if /i a==A (echo y) else echo n",
        "if not errorlevel 2 echo low",
        "for /l %i in (1 1 3) do echo %i",
        "echo ^& ^| \"&|\"",
    };
    for (const char* line : lines) {
        TestHost host;
        LineSource src = LineSource::fromString(u(line) + u"\n");
        Parser p(host);
        auto r1 = p.parse(src);
        ASSERT_EQ(r1.status, Parser::Result::Ok) << line;
        ustring text = unparse(*r1.node, true);
        LineSource again = LineSource::fromString(text + u"\n");
        auto r2 = p.parse(again);
        ASSERT_EQ(r2.status, Parser::Result::Ok) << s8(text);
        EXPECT_EQ(dump(r2.node.get()), dump(r1.node.get())) << line << " -> " << s8(text);
    }
}

} // namespace
