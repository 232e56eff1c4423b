#include "FrameFixture.h"

#include "app/CommandLine.h"

namespace {

auto noFiles = [](const QString&) { return false; };

TEST(CommandLine, LineSwitchAppliesToTheFilesAfterIt)
{
    CommandLineResult r = parseCommandLine({"a.txt", "-line:9,5", "b.txt", "-LINE:3", "/abs/c.txt", "/x", "/lorem", "\\y", "\\\\srv\\share"},
                                           "/base", noFiles);
    ASSERT_EQ(r.files.size(), 4u);
    EXPECT_EQ(r.files[0].path, "/base/a.txt");
    EXPECT_EQ(r.files[0].line, -1);
    EXPECT_EQ(r.files[1].line, 9);
    EXPECT_EQ(r.files[1].column, 5);
    EXPECT_EQ(r.files[2].path, "/abs/c.txt");   // holds a further "/": a file
    EXPECT_EQ(r.files[2].line, 3);              // the column is kept from before
    EXPECT_EQ(r.files[2].column, 5);
    EXPECT_EQ(r.files[3].path, "/base/\\\\srv\\share");   // two backslashes: a file
    EXPECT_EQ(r.invalidSwitches, QStringList({"/x", "\\y"}));   // /lorem is ignored silently
}

TEST(CommandLine, SlashNamesAreSwitchesOnlyWhenNothingExists)
{
    auto exists = [](const QString& p) { return p == "/etc"; };
    EXPECT_TRUE(isSwitch("/x", exists));
    EXPECT_FALSE(isSwitch("/etc", exists));
    EXPECT_FALSE(isSwitch("/home/u/a.txt", exists));
    EXPECT_TRUE(isSwitch("-line:1", exists));
    CommandLineResult r = parseCommandLine({"-line:abc", "f", "-line:7,", "g"}, "/b", noFiles);
    EXPECT_EQ(r.files[0].line, -1);   // no number: both unchanged
    EXPECT_EQ(r.files[1].line, 7);
    EXPECT_EQ(r.files[1].column, -1);
}

struct CommandLineFrameTest : FrameFixture {};

TEST_F(CommandLineFrameTest, CaretLandsOnTheGivenLineAndCharacter)
{
    QByteArray text;
    for (int i = 0; i < 12; ++i)
        text += "line " + QByteArray::number(i) + " \xC3\xA9" "abcdef\n";   // a two-byte character early on
    write("a.txt", text);
    write("b.txt", text);
    write("c.txt", text);
    write("d.txt", "short\nx\n");
    start({"-line:9,5", "a.txt", "b.txt", "-line:0,1", "c.txt", "-line:1,99", "d.txt"});
    ASSERT_EQ(frame->children().size(), 4);
    for (int i = 0; i < 2; ++i) {
        CTextView* v = frame->children()[i]->textView();
        const long pos = v->currentPos();
        EXPECT_EQ(v->lineFromPosition(pos), 9);
        const long start = long(v->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 9UL));
        EXPECT_EQ(v->countCharacters(start, pos), 4);   // the fifth character: "line 9 é" -> at "9"
    }
    EXPECT_EQ(frame->children()[2]->textView()->currentPos(), 0);
    CTextView* d = frame->children()[3]->textView();
    EXPECT_EQ(d->currentPos(), 7);   // stops at the end of the second line
}

} // namespace
