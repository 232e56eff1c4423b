// SET /A: precedence, assignments, wrap-around and every error, without a process.
#include "console/SetArithmetic.h"

#include <gtest/gtest.h>

using namespace console;

namespace {

struct Case {
    const char* expr;
    int32_t value;
    int error = 0;
};

TEST(ArithmeticTest, OperatorsPrecedenceAndWrapAround)
{
    const Case cases[] = {
        {"7*3/2", 7},              {"(7*3)/2", 10},          {"10-4-3", 3},
        {"2+3*4", 14},             {"1+2-3+4", 4},           {"-5 % 3", -2},
        {"1<<33", 2},              {"-16>>2", -4},           {"0x7fffffff+1", INT32_MIN},
        {"-2147483647-1", INT32_MIN}, {"~0 & 0xff", 255},    {"6|3^1", 6 | (3 ^ 1)},
        {"-(-(3))", 3},            {"+-~1", 2},              {"017", 15},
        {"\"2 + 3\"", 5},          {"2147483648", INT32_MAX}, {"1,2,3", 3},
        {"65536*65536", 0},        {"-2147483647 - 1 - 1", INT32_MAX},
    };
    for (const auto& c : cases) {
        Environment env;
        ArithmeticResult r = evaluateArithmetic(u(c.expr), env);
        EXPECT_EQ(r.error, 0) << c.expr;
        EXPECT_EQ(r.value, c.value) << c.expr;
    }
}

TEST(ArithmeticTest, VariablesAndAssignments)
{
    Environment env;
    env.set(u"a", u"  \"12\"");
    env.set(u"hex", u"0x10");
    env.set(u"junk", u"abc");
    EXPECT_EQ(evaluateArithmetic(u"a+hex+junk+undefined", env).value, 28);
    EXPECT_EQ(evaluateArithmetic(u"x=y=3", env).value, 3);
    EXPECT_EQ(*env.get(u"x"), u"3");
    EXPECT_EQ(*env.get(u"y"), u"3");
    EXPECT_EQ(evaluateArithmetic(u"x+=2, x*=x, x>>=1, x", env).value, 12);
    EXPECT_EQ(*env.get(u"x"), u"12");
    EXPECT_EQ(evaluateArithmetic(u"low=-2147483647-1, q=low/-1, r=low%-1", env).value, 0);
    EXPECT_EQ(*env.get(u"q"), u"-2147483648");
    // Assigning zero stores "0": the variable stays defined.
    EXPECT_EQ(evaluateArithmetic(u"zero=0", env).value, 0);
    EXPECT_EQ(*env.get(u"zero"), u"0");
}

TEST(ArithmeticTest, ErrorsReportTheirMessageNumbers)
{
    const Case cases[] = {
        {"1/0", 0, 0x23c1},   {"1%0", 0, 0x23c1},  {"08", 0, 0x23c4},  {"0x1G", 0, 0x23c4},
        {"12abc", 0, 0x23c4}, {"(1+2", 0, 0x23bf}, {"1+2)", 0, 0x23bf}, {"1 2", 0, 0x23c0},
        {"5=3", 0, 0x23c2},   {"1<2", 0, 0x2333},  {"1*", 0, 0x23c1},   {"", 0, 0x23c1},
        {"*2", 0, 0x23c1},    {"(1)(2)", 0, 0x23c0},
    };
    for (const auto& c : cases) {
        Environment env;
        EXPECT_EQ(evaluateArithmetic(u(c.expr), env).error, c.error) << c.expr;
    }
    // The stacks are bounded: deep nesting and long operand piles are refused.
    Environment env;
    EXPECT_EQ(evaluateArithmetic(u(std::string(70, '(') + "1"), env).error, 0x23c3);
    EXPECT_EQ(evaluateArithmetic(u(std::string(70, '-') + "1"), env).error, 0x23c3);
    std::string pile;
    for (int i = 0; i < 70; ++i)
        pile += "1+(";
    EXPECT_EQ(evaluateArithmetic(u(pile + "1"), env).error, 0x23c3);
    // Within the limits nesting works.
    EXPECT_EQ(evaluateArithmetic(u(std::string(60, '(') + "1" + std::string(60, ')')), env).value, 1);
}

} // namespace
