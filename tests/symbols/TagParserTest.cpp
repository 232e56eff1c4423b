// The tagger's output as bytes: single lines, streams cut anywhere, line ends, malformed
// lines among good ones, and the command line built for a file.
#include "symbols/TagParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace symbols;

namespace {

std::vector<TagRecord> readAll(const std::vector<std::string>& chunks, LetterGroup g = LetterGroup::Default,
                               uint32_t low = ~0u, uint32_t high = ~0u, int* skipped = nullptr)
{
    std::vector<TagRecord> out;
    TagStream s(g, low, high, [&out](TagRecord& t) { out.push_back(t); });
    for (const std::string& c : chunks)
        s.feed(c);
    s.finish();
    if (skipped)
        *skipped = s.skipped();
    return out;
}

} // namespace

TEST(TagParser, LineNumberAddressWithKindLineAndScope)
{
    TagRecord t;
    ASSERT_TRUE(parseTagLine("main\ta.c\t12;\"\tf\tline:12", LetterGroup::Default, t));
    EXPECT_EQ(t.kind, 1);
    EXPECT_STREQ(kindName(t.kind), "function");
    EXPECT_EQ(t.name, "main");
    EXPECT_EQ(t.line, 12);
    EXPECT_FALSE(t.hasScope);
    EXPECT_FALSE(t.hasPattern);

    ASSERT_TRUE(parseTagLine("main\ta.c\t12;\"\tf\tline:12\tclass:Foo", LetterGroup::Default, t));
    EXPECT_TRUE(t.hasScope);
    EXPECT_EQ(t.scope, "Foo");
    // The last of class, struct and union wins; other keys are ignored.
    ASSERT_TRUE(parseTagLine("x\ta.c\t3;\"\tm\tline:3\tstruct:S\tnamespace:N\tunion:U\tfile:", LetterGroup::Default, t));
    EXPECT_EQ(t.scope, "U");
    EXPECT_EQ(t.kind, 8);
}

TEST(TagParser, LinesOverSixteenMillionKeepTheirNumberAndKind)
{
    TagRecord t;
    ASSERT_TRUE(parseTagLine("deep\ta.c\t16777300;\"\tf\tline:16777300", LetterGroup::Default, t));
    EXPECT_EQ(t.line, 16777300);
    EXPECT_EQ(t.kind, 1);
}

TEST(TagParser, PatternAddressMayHoldDollarsAndEscapedSlashes)
{
    TagRecord t;
    ASSERT_TRUE(parseTagLine("f\ta.pl\t/^my $x = \"a\\/b$\"; sub f {$/;\"\ts\tline:7", LetterGroup::Perl, t));
    EXPECT_TRUE(t.hasPattern);
    EXPECT_EQ(t.pattern, "my $x = \"a\\/b$\"; sub f {");
    EXPECT_EQ(t.line, 7);
    EXPECT_EQ(t.kind, 1);   // perl: s is a function
}

TEST(TagParser, KindLettersFollowTheLanguageGroup)
{
    EXPECT_EQ(kindForLetter(letterGroupFor("java"), 'm'), 15);
    EXPECT_EQ(kindForLetter(letterGroupFor("cpp"), 'm'), 8);
    EXPECT_EQ(kindForLetter(letterGroupFor("python"), 'c'), 3);
    EXPECT_EQ(kindForLetter(letterGroupFor("sql"), 'T'), 32);
    EXPECT_EQ(kindForLetter(letterGroupFor("vhdl"), 'm'), 41);
    EXPECT_EQ(kindForLetter(letterGroupFor("cpp"), 'z'), 0);
    EXPECT_EQ(kindForLetter(letterGroupFor("cpp"), '1'), 0);
    // The group is chosen by the exact lexer name.
    EXPECT_EQ(kindForLetter(letterGroupFor("Java"), 'm'), 8);
}

TEST(TagStream, SplitAnywhereGivesTheSameTags)
{
    const std::string out = "alpha\ta.c\t1;\"\tf\tline:1\r\n"
                            "beta\ta.c\t2;\"\tv\tline:2\tclass:K\r\n"
                            "gamma\ta.c\t30;\"\td\tline:30\r\n";
    const auto whole = readAll({out});
    ASSERT_EQ(whole.size(), 3u);
    for (size_t cut = 1; cut < out.size(); ++cut) {
        const auto split = readAll({out.substr(0, cut), out.substr(cut)});
        ASSERT_EQ(split.size(), 3u) << "cut at " << cut;
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(split[i].name, whole[i].name);
            EXPECT_EQ(split[i].line, whole[i].line);
            EXPECT_EQ(split[i].scope, whole[i].scope);
        }
    }
    // One byte at a time, too.
    std::vector<std::string> bytes;
    for (char c : out)
        bytes.emplace_back(1, c);
    EXPECT_EQ(readAll(bytes).size(), 3u);
}

TEST(TagStream, BareLineFeedsMalformedLinesAndLongLines)
{
    int skipped = 0;
    const std::string longName(40000, 'n');
    const auto tags = readAll({"!_TAG_FILE_FORMAT\t2\n"
                               "one\ta.c\t1;\"\tf\tline:1\n"
                               "garbage without tabs\n"
                               "two\ta.c\n"
                               "bad\ta.c\tnot-a-number;\"\tf\n"
                               "\n" +
                               longName + "\ta.c\t5;\"\tf\tline:5\n"
                                          "three\ta.c\t9;\"\tf\tline:9"},   // no line end at all
                              LetterGroup::Default, ~0u, ~0u, &skipped);
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[0].name, "one");
    EXPECT_EQ(tags[1].name.size(), longName.size());
    EXPECT_EQ(tags[2].name, "three");
    EXPECT_EQ(tags[2].line, 9);
    EXPECT_EQ(skipped, 3);
}

TEST(TagStream, MasksChooseTheKindsDelivered)
{
    const std::string out = "f\ta.c\t1;\"\tf\tline:1\nc\ta.c\t2;\"\tc\tline:2\n";
    EXPECT_EQ(readAll({out}, LetterGroup::Default, 1u << 1, 0).size(), 1u);
    EXPECT_EQ(readAll({out}, LetterGroup::Default, 0, ~0u).size(), 0u);
    // Kinds 32-41 sit in the high word: vhdl "a" is attribute (36).
    EXPECT_EQ(readAll({"x\ta.vhd\t1;\"\ta\tline:1\n"}, LetterGroup::Vhdl, 0, 1u << 4).size(), 1u);
}

TEST(CtagsCommandLine, LanguageIsForcedOnlyForNamesWithoutExtensionOrTmp)
{
    EXPECT_EQ(ctagsArguments("/src/Makefile", "makefile"),
              QStringList({"--language-force=Make", "-n", "--fields=fkns", "-f", "-", "/src/Makefile"}));
    EXPECT_EQ(ctagsArguments("/src/a.mk", "makefile"), QStringList({"-n", "--fields=fkns", "-f", "-", "/src/a.mk"}));
    EXPECT_EQ(ctagsArguments("/src/main", "cpp").first(), "--language-force=C++");
    EXPECT_EQ(ctagsArguments("/src/x.TMP1", "python").first(), "--language-force=Python");
    // A dot in a folder name does not give the file an extension.
    EXPECT_EQ(ctagsArguments("/my.dir/Makefile", "makefile").first(), "--language-force=Make");
    // A lexer without a mapping forces nothing.
    EXPECT_EQ(ctagsArguments("/src/notes", "markdown").first(), "-n");
}
