// The properties store read from real files in a temporary folder.
#include "language/PropSetFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {

class PropsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        base.Assign("PLAT_WIN", "1");
        props.SetParent(&base);
    }
    std::string Folder() const { return QFile::encodeName(dir.path()).toStdString(); }
    std::string Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return QFile::encodeName(f.fileName()).toStdString();
    }
    bool Load(const QByteArray& bytes) { return props.LoadFile(Write("root.properties", bytes), Folder()); }

    QTemporaryDir dir;
    PropSetFile base;
    PropSetFile props;
};

TEST_F(PropsFiles, ByteOrderMarkIsSkippedAndFilesReadAsBytes) {
    ASSERT_TRUE(Load("\xEF\xBB\xBFkey=\xC3\xA9t\xE9\r\nnext=2\n"));
    EXPECT_EQ(props.Lookup("key"), "\xC3\xA9t\xE9");   // no decoding of any kind
    EXPECT_EQ(props.Lookup("next"), "2");
    EXPECT_EQ(props.Size(), 2u);
    EXPECT_FALSE(props.LoadFile(Folder() + "/missing.properties", Folder()));
    EXPECT_EQ(props.Size(), 2u);
}

TEST_F(PropsFiles, ContinuationLinesJoinUnlessTheNextLineIsEmpty) {
    ASSERT_TRUE(Load("a=one\\\n  two\n"
                     "b=x\\\n\nc=3\n"
                     "d=p\\\r\n\r\ne=5\r\n"
                     "f=back\\slash\n"
                     "g=q\\\r\nr\n"));
    EXPECT_EQ(props.Lookup("a"), "one  two");   // leading blanks of the next line kept
    EXPECT_EQ(props.Lookup("b"), "x");          // an empty line ends the value
    EXPECT_EQ(props.Lookup("c"), "3");
    EXPECT_EQ(props.Lookup("d"), "p");
    EXPECT_EQ(props.Lookup("e"), "5");
    EXPECT_EQ(props.Lookup("f"), "back\\slash");
    EXPECT_EQ(props.Lookup("g"), "qr");
}

TEST_F(PropsFiles, AssignmentLinesKeepBlanksCommentsAndBareWords) {
    ASSERT_TRUE(Load("key = value\n"
                     "  # a comment = no\n"
                     "hash=a # not a comment\n"
                     "flagword\n"
                     "empty=\n"
                     "=nokey\n"
                     "\tindented=yes\n"));
    EXPECT_EQ(props.Lookup("key "), " value");
    EXPECT_EQ(props.LookupExpanded("key"), "");
    EXPECT_EQ(props.Lookup("# a comment "), "");
    EXPECT_EQ(props.Lookup("hash"), "a # not a comment");
    EXPECT_EQ(props.Lookup("flagword"), "1");
    EXPECT_EQ(props.Lookup("indented"), "yes");
    EXPECT_EQ(props.All().count("empty"), 1u);
    EXPECT_EQ(props.All().count(""), 0u);
}

TEST_F(PropsFiles, ConditionsHoldUntilAnUnindentedLine) {
    ASSERT_TRUE(Load("defined=1\n"
                     "if PLAT_WIN\n  win=yes\n\t# comment inside\n"
                     "after1=read\n"
                     "if PLAT_NOWHERE\n  nowhere=yes\n  also=no\n"
                     "after2=read\n"
                     "if defined\n  byfile=yes\n"
                     "if  PLAT_WIN\n  doubleblank=yes\n"));
    EXPECT_EQ(props.Lookup("win"), "yes");
    EXPECT_EQ(props.Lookup("after1"), "read");
    EXPECT_EQ(props.Lookup("nowhere"), "");
    EXPECT_EQ(props.Lookup("also"), "");
    EXPECT_EQ(props.Lookup("after2"), "read");
    EXPECT_EQ(props.Lookup("byfile"), "yes");
    EXPECT_EQ(props.Lookup("doubleblank"), "");   // " PLAT_WIN" is not defined
}

TEST_F(PropsFiles, ImportsNestResolveAgainstTheMainFolderAndStopOnCycles) {
    QDir(dir.path()).mkdir("sub");
    Write("one.properties", "one=1\nimport sub/two\nif PLAT_NOWHERE\nimport three\n");
    Write("sub/two.properties", "two=2\nimport three\nimport one\n");   // one is being read: a cycle
    Write("three.properties", "three=3\nimport three\nimport missing\n");
    std::string absolute = Folder() + "/abs";
    Write("abs.properties", "abs=yes\n");
    ASSERT_TRUE(Load(QByteArray("import one\nroot=r\nimport ") + absolute.c_str() + "\nimport one \n"));
    EXPECT_EQ(props.Lookup("one"), "1");
    EXPECT_EQ(props.Lookup("two"), "2");
    EXPECT_EQ(props.Lookup("three"), "3");
    EXPECT_EQ(props.Lookup("root"), "r");
    EXPECT_EQ(props.Lookup("abs"), "yes");
    // Importing again after the first import has finished reads the file again.
    Write("again.properties", "import v1\nx=changed\nimport v1\n");
    Write("v1.properties", "x=orig\n");
    ASSERT_TRUE(props.LoadFile(Folder() + "/again.properties", Folder()));
    EXPECT_EQ(props.Lookup("x"), "orig");
}

TEST_F(PropsFiles, OnlyTheFirst60000BytesAreRead) {
    QByteArray bytes = "first=1\n";
    bytes += "filler=" + QByteArray(int(PropSetFile::kMaxFileBytes) - bytes.size() - 9, 'x') + "\n";
    bytes += "cut=abcdef\n";   // starts 1 byte before the cap
    bytes += QByteArray(10000, '\n') + "late=1\n";
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(props.Lookup("first"), "1");
    EXPECT_EQ(props.Lookup("c"), "1");   // only its first byte is inside the cap
    EXPECT_EQ(props.Lookup("late"), "");
}

TEST_F(PropsFiles, OverlongLineIsCutIntoTwoLogicalLines) {
    // 59,999 characters fill one logical line; the last byte of the file starts the next.
    QByteArray bytes = "long=" + QByteArray(int(PropSetFile::kMaxLineChars) - 5, 'a') + "x";
    ASSERT_EQ(size_t(bytes.size()), PropSetFile::kMaxFileBytes);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(props.Lookup("long").size(), PropSetFile::kMaxLineChars - 5);
    EXPECT_EQ(props.Lookup("x"), "1");
}

TEST(PropsExpansion, InnermostFirstAndCyclesExpandToNothing) {
    PropSetFile base;
    base.Assign("from.parent", "P");
    PropSetFile p;
    p.SetParent(&base);
    p.Assign("a", "$(b)");
    p.Assign("b", "x");
    p.Assign("self", "<$(self)>");
    p.Assign("c1", "$(c2)");
    p.Assign("c2", "$(c1)");
    p.Assign("which", "b");
    p.Assign("nested", "$($(which))");
    p.Assign("open", "$(b");
    p.Assign("mixed", "$(from.parent)-$(a)-$(nothing)-$(b)");
    EXPECT_EQ(p.LookupExpanded("a"), "x");
    EXPECT_EQ(p.LookupExpanded("self"), "<>");
    EXPECT_EQ(p.LookupExpanded("c1"), "");
    EXPECT_EQ(p.LookupExpanded("nested"), "x");
    EXPECT_EQ(p.LookupExpanded("open"), "$(b");
    EXPECT_EQ(p.LookupExpanded("mixed"), "P-x--x");
    EXPECT_EQ(p.Lookup("a"), "$(b)");
}

TEST(PropsExpansion, BudgetOf100StopsRunawayDefinitions) {
    PropSetFile p;
    // d0 -> d1 -> ... -> d150: each level costs one expansion.
    for (int i = 0; i < 150; ++i)
        p.Assign("d" + std::to_string(i), "$(d" + std::to_string(i + 1) + ")");
    p.Assign("d150", "end");
    std::string value = p.LookupExpanded("d0");
    EXPECT_NE(value, "end");
    EXPECT_EQ(value.rfind("$(d", 0), 0u);   // an unexpanded reference is left over
    // Doubling definitions: 2^20 references without a budget.
    p.Assign("w0", "w");
    for (int i = 1; i <= 20; ++i)
        p.Assign("w" + std::to_string(i), "$(w" + std::to_string(i - 1) + ")$(w" + std::to_string(i - 1) + ")");
    EXPECT_LT(p.LookupExpanded("w20").size(), 1000u);
}

TEST(PropsInt, LeadingIntegerSaturatesAndDefaultsWhenEmpty) {
    PropSetFile p;
    p.Assign("n", " 42abc");
    p.Assign("neg", "-7");
    p.Assign("word", "yes");
    p.Assign("big", "99999999999999999999");
    p.Assign("small", "-99999999999999999999");
    p.Assign("via", "$(n)");
    p.Assign("empty", "");
    EXPECT_EQ(p.LookupInt("n", 5), 42);
    EXPECT_EQ(p.LookupInt("neg", 5), -7);
    EXPECT_EQ(p.LookupInt("word", 5), 0);
    EXPECT_EQ(p.LookupInt("big", 5), INT_MAX);
    EXPECT_EQ(p.LookupInt("small", 5), INT_MIN);
    EXPECT_EQ(p.LookupInt("via", 5), 42);
    EXPECT_EQ(p.LookupInt("empty", 5), 5);
    EXPECT_EQ(p.LookupInt("undefined", -3), -3);
}

TEST(PropsForFile, PatternKeysBarePrefixAndParentFallback) {
    PropSetFile base;
    base.Assign("keywords.*.py", "from-parent");
    PropSetFile p;
    p.SetParent(&base);
    p.Assign("file.patterns.cpp", "*.cpp;*.h");
    p.Assign("keywords.$(file.patterns.cpp)", "int char");
    p.Assign("keywords.Makefile*", "all clean");
    p.Assign("keywords.exact.txt", "exact");
    EXPECT_EQ(p.LookupForFile("keywords.", "X.CPP"), "int char");
    EXPECT_EQ(p.LookupForFile("keywords.", "a.h"), "int char");
    EXPECT_EQ(p.LookupForFile("keywords.", "x.c"), "");
    EXPECT_EQ(p.LookupForFile("keywords.", "makefile.am"), "all clean");
    EXPECT_EQ(p.LookupForFile("keywords.", "MAKEFILE"), "all clean");
    EXPECT_EQ(p.LookupForFile("keywords.", "EXACT.TXT"), "exact");
    EXPECT_EQ(p.LookupForFile("keywords.", "my.exact.txt"), "");
    EXPECT_EQ(p.LookupForFile("keywords.", "t.py"), "from-parent");
    // The pattern list of a parent key still comes from the store asked first.
    base.Assign("lexer.$(file.patterns.cpp)", "cpp");
    EXPECT_EQ(p.LookupForFile("lexer.", "m.cpp"), "cpp");
    // A bare prefix key wins for every file name.
    p.Assign("keywords.", "bare");
    EXPECT_EQ(p.LookupForFile("keywords.", "X.CPP"), "bare");
    EXPECT_EQ(p.LookupForFile("keywords.", ""), "bare");
    PropSetFile star;
    star.Assign("x.*", "all");
    EXPECT_EQ(star.LookupForFile("x.", "anything.at.all"), "all");
    EXPECT_EQ(star.LookupForFile("x.", ""), "all");
}

TEST(PropsForFile, ExpansionResolvesEachVariableForTheSameFile) {
    PropSetFile p;
    p.Assign("file.patterns.py", "*.py;*.pyw");
    p.Assign("file.patterns.c", "*.c");
    p.Assign("kw.$(file.patterns.py)", "def class");
    p.Assign("kw.$(file.patterns.c)", "int");
    p.Assign("keywords.$(file.patterns.py)", "$(kw.) lambda");
    p.Assign("keywords.$(file.patterns.c)", "$(kw.) $(keywords.) $(plain)");
    p.Assign("plain", "P");
    p.Assign("open.x", "a $(unclosed");
    EXPECT_EQ(p.LookupForFileExpanded("keywords.", "t.pyw"), "def class lambda");
    EXPECT_EQ(p.LookupForFileExpanded("keywords.", "t.c"), "int  P");
    EXPECT_EQ(p.LookupForFileExpanded("open.", "x"), "a $(unclosed");
    p.Assign("loop.$(file.patterns.c)", "$(loop2.)");
    p.Assign("loop2.$(file.patterns.c)", "y$(loop.)");
    EXPECT_LT(p.LookupForFileExpanded("loop.", "t.c").size(), 2000u);
}

TEST(PropsForFile, ExpansionStopsAtTheLengthCap) {
    PropSetFile p;
    // q refers to itself ahead of 16 KB of text: every round would add 16 KB.
    const std::string block(16 * 1024, 'x');
    p.Assign("q", "$(q)" + block);
    p.Assign("r", "$(q)");
    std::string value = p.LookupForFileExpanded("r", "t.c");
    EXPECT_LE(value.size(), PropSetFile::kMaxExpandedBytes);
    EXPECT_GT(value.size(), PropSetFile::kMaxExpandedBytes - block.size() - 8);
    EXPECT_EQ(value.rfind("$(q)", 0), 0u);   // the reference left over
    // The same cap holds for expansion by name, within the budget of 100.
    std::string many;
    for (int i = 0; i < 60; ++i)
        many += "$(b)";
    p.Assign("b", block);
    p.Assign("many", many);
    value = p.LookupExpanded("many");
    EXPECT_LE(value.size(), PropSetFile::kMaxExpandedBytes);
    EXPECT_EQ(value.substr(0, block.size()), block);
}

TEST(PropsValues, ColoursAndStyleAndWords) {
    EXPECT_EQ(props::ColourFromString("#FF8000"), 0x0080FFu);
    EXPECT_EQ(props::ColourFromString("#0000ff"), 0xFF0000u);
    EXPECT_EQ(props::ColourFromString("#F"), 0x0000F0u);       // missing digits are 0
    EXPECT_EQ(props::ColourFromString(std::string_view("#12", 2)), 0x000010u);
    EXPECT_EQ(props::ColourFromString("#GG00zz"), 0u);
    EXPECT_EQ(props::ColourFromString(""), 0u);
    auto sw = props::StyleAndWords::Parse("5 if else  while");
    EXPECT_EQ(sw.styleNumber, 5);
    EXPECT_TRUE(sw.Includes("else"));
    EXPECT_TRUE(sw.Includes("while"));
    EXPECT_FALSE(sw.Includes("el"));
    auto bare = props::StyleAndWords::Parse("10");
    EXPECT_EQ(bare.styleNumber, 10);
    EXPECT_TRUE(bare.IsEmpty());
    auto brace = props::StyleAndWords::Parse("10 {");
    EXPECT_TRUE(brace.IsSingleChar());
}

} // namespace
