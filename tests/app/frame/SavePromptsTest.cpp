// The questions that keep unsaved changes: closing one document, and the several-documents
// dialog of Close All and of closing the editor.
#include "MarksFixture.h"

#include "app/commands/CommandTable.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

namespace {

struct SavePromptsTest : MarksFixture {
    // Two modified documents: a file and a new one.
    CChildFrame* named = nullptr;
    CChildFrame* fresh = nullptr;
    QString path;
    void twoModified()
    {
        path = write("two.txt", "disk");
        named = frame->OpenFile(path);
        ASSERT_TRUE(named);
        named->textView()->addText(std::string("edit "));
        frame->OnCommand(cmd::FileNew);
        fresh = frame->activeChild();
        fresh->textView()->addText(std::string("fresh"));
    }
};

TEST_F(SavePromptsTest, ExitWithTwoModifiedDocumentsAsksOnce)
{
    start();
    twoModified();
    // Cancel: the editor stays open with both documents as they were.
    saves.answers = {seams::IDCANCEL};
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(saves.shown.size(), 1u);
    ASSERT_EQ(saves.shown[0].size(), 2);
    EXPECT_EQ(saves.shown[0][0].name, "two.txt");
    EXPECT_EQ(saves.shown[0][0].description, path);
    EXPECT_FALSE(saves.shown[0][0].lastModified.isEmpty());
    EXPECT_EQ(saves.shown[0][1].description, "New");
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(frame->children().size(), 2);
    EXPECT_TRUE(named->isModified());
    EXPECT_TRUE(fresh->isModified());
    EXPECT_EQ(read(path), "disk");

    // Yes with the new document's name refused: nothing closes; the file was saved.
    saves.answers = {seams::IDYES};
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(frame->children().size(), 2);
    EXPECT_EQ(read(path), "edit disk");
    EXPECT_TRUE(fresh->isModified());

    // No: everything closes unsaved.
    fresh->textView()->addText(std::string("more "));
    saves.answers = {seams::IDNO};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(saves.shown.size(), 3u);
    EXPECT_EQ(saves.shown[2].size(), 1);
    EXPECT_EQ(read(path), "edit disk");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(SavePromptsTest, CloseAllSavesEveryDocumentOnYes)
{
    start();
    twoModified();
    saves.answers = {seams::IDYES};
    answerDialog({files.filePath("fresh.txt")});
    frame->OnCommand(cmd::FileCloseAll);
    pump();
    EXPECT_TRUE(frame->children().isEmpty());
    EXPECT_EQ(read(path), "edit disk");
    EXPECT_EQ(read(files.filePath("fresh.txt")), "fresh");
    // Nothing modified: no question.
    frame->OpenFile(path);
    frame->OnCommand(cmd::FileCloseAll);
    pump();
    EXPECT_EQ(saves.shown.size(), 1u);
    EXPECT_TRUE(frame->children().isEmpty());
}

TEST_F(SavePromptsTest, ClosingANewDocumentWithACancelledSaveAsKeepsIt)
{
    start();
    frame->OnCommand(cmd::FileNew);
    CTextView* v = frame->activeChild()->textView();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    v->setFocus();
    QTest::keyClicks(v, "unsaved");
    box.answers = {seams::IDYES};
    key(v, Qt::Key_W, Qt::ControlModifier);
    pump();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith("Save changes to: "));
    EXPECT_EQ(dialogs.requests.size(), 1u);
    ASSERT_EQ(frame->children().size(), 1);
    EXPECT_EQ(frame->activeChild()->textView()->text(), "unsaved");
}

TEST_F(SavePromptsTest, TheDialogListsTheItemsAndGivesItsAnswer)
{
    start();
    twoModified();
    setSaveModifiedPrompt(nullptr);   // the real dialog
    QStringList headers, rows;
    QString caption;
    onNextDialog([&](QWidget* w) {
        caption = w->windowTitle();
        auto* list = w->findChild<QTreeWidget*>();
        ASSERT_TRUE(list);
        for (int i = 0; i < list->columnCount(); ++i)
            headers << list->headerItem()->text(i);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0) + "|" + list->topLevelItem(i)->text(1);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(caption, "Save");
    EXPECT_EQ(headers, (QStringList{"Name", "Descritpion", "Last Modified"}));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], "two.txt|" + path);
    EXPECT_TRUE(rows[1].endsWith("|New"));
    EXPECT_EQ(frame->children().size(), 2);

    onNextDialog([](QWidget* w) {
        for (QPushButton* b : w->findChildren<QPushButton*>())
            if (b->text() == "No")
                b->click();
    });
    EXPECT_TRUE(frame->close());
    setSaveModifiedPrompt(&saves);
    EXPECT_EQ(read(path), "disk");
}

} // namespace
