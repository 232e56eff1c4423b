// Saving and switching documents through the menus: encoding changes that must be
// saved, ANSI saves that would lose characters, and files too large for the text view.
#include "FrameFixture.h"

#include "app/commands/CommandUi.h"
#include "documents/hex/CHexView.h"
#include "documents/text/TextFile.h"

#include <QAction>
#include <QMenu>

namespace {

struct FileBytesTest : FrameFixture {
    // Chooses a menu item as the user does.
    void choose(int command)
    {
        QAction* action = frame->commandUi()->menuAction(command);
        if (!action) {   // the Language menu's items are added once the languages are known
            if (QMenu* menu = frame->commandUi()->popup("menu_language"))
                for (QAction* a : menu->actions())
                    if (a->data().toInt() == command)
                        action = a;
        }
        ASSERT_TRUE(action) << command;
        action->trigger();
        pump();
    }
};

TEST_F(FileBytesTest, AnEncodingChangeMustBeSavedOrExplicitlyDiscarded)
{
    start();
    const QString path = write("enc.txt", "plain text\r\n");
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->textView()->encoding(), 0);
    choose(504);   // Encode in UTF-8
    EXPECT_TRUE(c->isModified());
    EXPECT_EQ(c->tabIcon(), 1);

    // Closing asks; cancelling keeps the document, saving writes the conversion.
    box.answers = {seams::IDCANCEL};
    choose(103);
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(box.shown.back().text, "Save changes to: enc.txt?");
    box.answers = {seams::IDYES};
    choose(103);
    EXPECT_TRUE(frame->children().isEmpty());
    EXPECT_EQ(read(path), QByteArray("\xEF\xBB\xBFplain text\r\n"));
}

TEST_F(FileBytesTest, SavingAnAnsiDocumentThatLostCharactersOffersUtf8)
{
    start();
    const QString path = write("arrows.txt", "a\r\n");
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c);
    c->textView()->addText(std::string("\xE2\x86\x92 "));   // "→ " typed into an ANSI document
    box.answers = {seams::IDCANCEL};
    choose(106);
    EXPECT_EQ(read(path), QByteArray("a\r\n"));
    EXPECT_TRUE(c->isModified());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith("arrows.txt holds characters"));

    box.answers = {seams::IDYES};
    choose(106);
    EXPECT_EQ(read(path), QByteArray("\xE2\x86\x92 a\r\n"));
    EXPECT_FALSE(c->isModified());
    EXPECT_EQ(c->textView()->encoding(), 4);   // UTF-8 without mark from now on
}

TEST_F(FileBytesTest, AHexDocumentOverFiftyMebibytesStaysHex)
{
    start();
    const QString path = write("huge.txt", "text at the start\r\n");
    {
        QFile f(path);
        ASSERT_TRUE(f.resize(60 << 20));   // 60 MiB, mostly a hole in the file
    }
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c && c->isHex());
    choose(701);
    EXPECT_TRUE(c->isHex());
    ASSERT_TRUE(c->hexView());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "huge.txt is larger than 50 MiB and can only be shown in the hex view.");
    EXPECT_EQ(box.shown[0].caption, "Velmo");

    // At the limit itself the file still becomes text.
    {
        QFile f(path);
        ASSERT_TRUE(f.resize(textdoc::kMaxTextFileSize));
    }
    choose(701);
    EXPECT_FALSE(c->isHex());
    EXPECT_EQ(c->textView()->length(), textdoc::kMaxTextFileSize);
}

TEST_F(FileBytesTest, SwitchingFromHexToALanguageLooksItUpByItsFirstPattern)
{
    start();
    const QString path = write("plain.c", QByteArray("int x;\0\0 binary", 15));
    CChildFrame* c = frame->OpenFile(path, 6);
    ASSERT_TRUE(c && c->isHex());
    ASSERT_GE(languages->Count(), 2);
    const int index = 1;
    choose(701 + index);
    ASSERT_FALSE(c->isHex());
    EXPECT_EQ(c->languageIndex(), index);
    EXPECT_EQ(c->languageState().lookupName, languages->Entry(index).FirstPattern());
    EXPECT_EQ(c->textView()->text(), std::string("int x;\0\0 binary", 15));
}

} // namespace
