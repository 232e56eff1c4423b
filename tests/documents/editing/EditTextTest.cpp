// The text transforms behind the editing commands and the typing assistance.
#include "documents/text/AssistText.h"
#include "documents/text/EditCommands.h"

#include <gtest/gtest.h>

namespace {

struct IndentCase {
    const char* in;
    int width;
    const char* spaces;   // after Tabs to Spaces
    const char* tabs;     // after Spaces to Tabs
};

TEST(EditText, IndentationConversions)
{
    const IndentCase cases[] = {
        {"\t\tx", 4, "        x", "\t\tx"},
        {"a\tb", 4, "a\tb", "a\tb"},
        {"      x", 4, "      x", "\t  x"},
        {" \t x\n\ty\r\n  \tz", 2, "    x\n  y\r\n    z", " \t x\n\ty\r\n\t\tz"},
        {"\t  \t  x", 2, "        x", "\t\t\t  x"},
        {"x\t\n\r\t", 3, "x\t\n\r   ", "x\t\n\r\t"},
        {"        x", 0, "        x", "        x"},
        {"", 4, "", ""},
    };
    for (const IndentCase& c : cases) {
        EXPECT_EQ(editops::tabsToSpaces(c.in, c.width), c.spaces) << c.in;
        EXPECT_EQ(editops::spacesToTabs(c.in, c.width), c.tabs) << c.in;
    }
    EXPECT_EQ(editops::spacesToTabs("  a\n   b\r\n", 2), "\ta\n\t b\r\n");
}

TEST(EditText, ClosingTags)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<div class=\"a\">", "div"},
        {"text <ns:item-1.x>", "ns:item-1.x"},
        {"<br/>", ""},
        {"</p>", ""},
        {"<a>b>", ""},
        {"<!DOCTYPE html>", ""},
        {"a>", ""},
        {"x <b>", "b"},
    };
    for (const auto& [before, name] : cases)
        EXPECT_EQ(assist::closingTagName(before), name) << before;
    // Only the last 511 characters count.
    EXPECT_EQ(assist::closingTagName("<p" + std::string(600, ' ') + ">"), "");
}

TEST(EditText, CallTipWordDefinitionAndParameter)
{
    assist::TipSettings s;
    const std::pair<const char*, const char*> words[] = {
        {"x = max(", "max"},
        {"  f(a, g(b), ", "f"},
        {"f (", "f"},
        {"(1 + (", ""},
        {"no call", ""},
    };
    for (const auto& [line, word] : words)
        EXPECT_EQ(assist::findTipWord(line, s).word, word) << line;
    EXPECT_EQ(assist::findTipWord("x = max(", s).start, 4u);

    const std::vector<std::string> api = assist::parseApi(
        "max(int a, int b) larger\r\nmaximum(x)\nmax(double a, double b)\n\nmax(long a, long b)\nmin(a, b)\n");
    ASSERT_EQ(api.size(), 5u);
    const std::vector<std::string> entries = assist::tipEntries(api, "max", s);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(assist::tipDefinition(entries[0], 3, s), "\001\002max(double a, double b)");
    EXPECT_EQ(assist::tipDefinition("min(a, b)", 1, s), "min(a, b)");
    s.endDefinition = ")";
    EXPECT_EQ(assist::tipDefinition("max(int a, int b) larger", 3, s), "\001max(int a, int b)\n\002 larger");
    EXPECT_EQ(assist::tipDefinition("max(int a, int b) larger", 1, s), "max(int a, int b)\n larger");
    EXPECT_EQ(assist::tipDefinition("max(int a, int b)", 2, s), "\001max(int a, int b)\n\002");
    s.endDefinition.clear();
    s.ignoreCase = true;
    EXPECT_EQ(assist::tipEntries(api, "MAX", s).size(), 3u);

    const std::string def = "max(int a, int b)";
    const std::pair<const char*, std::string> params[] = {
        {"max(", "int a"}, {"max(x, ", " int b"}, {"max(f(1, 2), ", " int b"}, {"max(1, 2, 3", ""},
    };
    for (const auto& [typed, expected] : params) {
        const auto [from, to] = assist::tipHighlight(def, typed, s);
        EXPECT_EQ(def.substr(from, to - from), expected) << typed;
    }
}

TEST(EditText, Completions)
{
    const std::vector<std::string> api = assist::parseApi("strlen(s)\nstrcat(a,b)\nstrcat(a,b,n)\nStrange\nabs(n)\n");
    EXPECT_EQ(assist::apiCompletions(api, "str", false, "("), (std::vector<std::string>{"strcat", "strlen"}));
    EXPECT_EQ(assist::apiCompletions(api, "str", true, "("), (std::vector<std::string>{"Strange", "strcat", "strlen"}));
    EXPECT_EQ(assist::completionRoot("x = obj.st", "abcdefghijklmnopqrstuvwxyz."), "obj.st");

    const std::string text = "alpha alphabet beta alpha_2 xalpha alp";
    assist::WordSearch q;
    q.root = "alp";
    q.skipAt = text.size() - 3;   // the caret's own word
    EXPECT_EQ(assist::collectWords(text, q).words, (std::vector<std::string>{"alpha", "alpha_2", "alphabet"}));
    q.singleCandidate = true;
    const assist::WordResult two = assist::collectWords(text, q);
    EXPECT_TRUE(two.ambiguous);
    EXPECT_TRUE(two.words.empty());
    q.root = "be";
    EXPECT_EQ(assist::collectWords(text, q).words, (std::vector<std::string>{"beta"}));
    q.root = "ALP";
    q.singleCandidate = false;
    EXPECT_TRUE(assist::collectWords(text, q).words.empty());
    q.ignoreCase = true;
    EXPECT_EQ(assist::collectWords(text, q).words.size(), 3u);
    // Characters of several bytes belong to words.
    q.root = "caf";
    q.ignoreCase = false;
    EXPECT_EQ(assist::collectWords("caf\xc3\xa9 x", q).words, (std::vector<std::string>{"caf\xc3\xa9"}));
}

TEST(EditText, BlockCommentDecisions)
{
    using A = assist::CommentAction;
    EXPECT_EQ(assist::blockCommentAction("", "//"), A::Skip);
    EXPECT_EQ(assist::blockCommentAction("// x", "//"), A::Remove);
    EXPECT_EQ(assist::blockCommentAction("x // y", "//"), A::Add);
    EXPECT_EQ(assist::blockCommentRemoval("// x", "//"), 3u);
    EXPECT_EQ(assist::blockCommentRemoval("//x", "//"), 2u);
    EXPECT_EQ(assist::blockCommentRemoval("//", "//"), 2u);
}

} // namespace
