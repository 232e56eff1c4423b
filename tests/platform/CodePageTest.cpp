#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

struct CodePageTest : ::testing::TestWithParam<int> {
    void TearDown() override { ansi::setCodePage(1252); }
};

TEST_P(CodePageTest, EveryByteRoundTrips)
{
    ansi::setCodePage(GetParam());
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    // Through QString.
    QString text = ansi::toUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ansi::fromUnicode(text), QByteArray(all.data(), 256));
    // Through UTF-8, the way documents are held in the editing component.
    std::string utf8;
    ansi::appendUtf8(all, utf8);
    EXPECT_EQ(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), text);
    std::string back;
    EXPECT_EQ(ansi::appendAnsi(utf8, back), 0u);
    EXPECT_EQ(back, all);
}

INSTANTIATE_TEST_SUITE_P(AllPages, CodePageTest,
                         ::testing::Values(874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258));

TEST(CodePage, Windows1252ShowsTypographicCharacters)
{
    ansi::setCodePage(1252);
    EXPECT_EQ(ansi::decodeByte(0x80), u'\u20AC');   // euro sign
    EXPECT_EQ(ansi::decodeByte(0x93), u'\u201C');   // left double quote
    EXPECT_EQ(ansi::decodeByte(0x96), u'\u2013');   // en dash
    EXPECT_EQ(ansi::decodeByte(0x81), u'\u0081');   // undefined, still kept
}

TEST(CodePage, MissingCharactersEncodeAsQuestionMarks)
{
    ansi::setCodePage(1252);
    EXPECT_EQ(ansi::fromUnicode(QString::fromUtf8("a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c")), QByteArray("a?b?c"));
    std::string out;
    EXPECT_EQ(ansi::appendAnsi("x\xE2\x82\xACy\xFFz\xC3", out), 2u);   // euro, a stray byte, a cut sequence
    EXPECT_EQ(out, std::string("x\x80y?z?"));
}

TEST(CodePage, UnknownNumbersSelectWindows1252)
{
    ansi::setCodePage(1251);
    EXPECT_EQ(ansi::codePage(), 1251);
    ansi::setCodePage(437);
    EXPECT_EQ(ansi::codePage(), 1252);
    ansi::setCodePage(1259);
    EXPECT_EQ(ansi::codePage(), 1252);
}

} // namespace
