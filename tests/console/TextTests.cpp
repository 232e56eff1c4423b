// Text helpers that must behave as on the original platform: 32-bit strtol, wildcards,
// case folding, and the interpreter's environment block.
#include "console/Environment.h"
#include "console/Text.h"

#include <gtest/gtest.h>

using namespace console;

TEST(TextTest, Strtol32ReadsLikeA32BitLong)
{
    struct Case {
        const char* in;
        int32_t value;
        size_t end;
    };
    const Case cases[] = {
        {"17", 17, 2},          {"0x1F", 31, 4},       {"021", 17, 3},
        {"08", 0, 1},           {"  -5x", -5, 4},      {"+7", 7, 2},
        {"2147483647", 2147483647, 10},
        {"2147483648", INT32_MAX, 10},
        {"-2147483648", INT32_MIN, 11},
        {"-2147483649", INT32_MIN, 11},
        {"99999999999999999999", INT32_MAX, 20},
        {"0x", 0, 1},           {"abc", 0, 0},         {"", 0, 0},
    };
    for (const auto& c : cases) {
        size_t end = 99;
        EXPECT_EQ(strtol32(u(c.in), &end), c.value) << c.in;
        EXPECT_EQ(end, c.end) << c.in;
    }
    int32_t v = 0;
    EXPECT_TRUE(isWholeNumber(u"0x10", &v));
    EXPECT_EQ(v, 16);
    EXPECT_FALSE(isWholeNumber(u"10a"));
}

TEST(TextTest, WildcardsFollowTheFileNameRules)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.txt", "a.TXT", true},  {"*.txt", "a.txt.bak", false}, {"a?c", "abc", true},
        {"a?c", "ac", false},      {"ab?", "ab", true},           {"*.*", "README", true},
        {"*", "x.y", true},        {"x*", "X", true},             {"*.", "noext", true},
        {"*.", "has.ext", false},  {"a?.txt", "a.txt", true},     {"??", "abc", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(u(c.pattern), u(c.name)), c.match) << c.pattern << " " << c.name;
}

TEST(EnvironmentTest, NamesIgnoreCaseStaySortedAndHiddenEntriesStayInside)
{
    Environment env;
    env.set(u"zeta", u"1");
    env.set(u"Alpha", u"2");
    env.set(u"ALPHA", u"3");
    env.set(u"=ExitCode", u"0000000A");
    env.set(u"\u00e9t\u00e9", u"summer");
    ASSERT_EQ(env.entries().size(), 4u);
    EXPECT_EQ(env.entries()[0].first, u"=ExitCode");
    EXPECT_EQ(env.entries()[1].first, u"Alpha");
    EXPECT_EQ(*env.get(u"alpha"), u"3");
    EXPECT_EQ(*env.get(u"\u00c9T\u00c9"), u"summer");
    env.set(u"ZETA", u"");
    EXPECT_FALSE(env.contains(u"zeta"));
    auto envp = env.toEnvp();
    ASSERT_EQ(envp.size(), 2u);
    EXPECT_EQ(envp[0], "Alpha=3");
}
