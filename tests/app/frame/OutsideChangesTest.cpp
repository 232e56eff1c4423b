// Files changed or removed by another program while their documents are open: the
// question when the editor is activated again, the missing-file status text, and one
// check at a time.
#include "MarksFixture.h"

#include "app/commands/CommandTable.h"

#include <QStatusBar>

#include <ctime>
#include <utime.h>

namespace {

struct OutsideChangesTest : MarksFixture {
    QWidget other;   // another window to switch away to

    static void setModified(const QString& path, time_t when)
    {
        struct utimbuf times{when, when};
        ASSERT_EQ(utime(QFile::encodeName(path).constData(), &times), 0);
    }
    // Another program rewrites the file (its time moves on by `seconds`).
    void rewrite(const QString& path, const QByteArray& bytes, int seconds = 10)
    {
        const time_t before = QFileInfo(path).lastModified().toSecsSinceEpoch();
        write(QFileInfo(path).fileName(), bytes);
        setModified(path, before + seconds);
    }
    // The user switches to another window and back to the editor.
    void switchAwayAndBack()
    {
        other.show();
        other.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
        pump(10);
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        pump(10);
    }
    bool saveEnabled()
    {
        QMenu* menu = frame->commandUi()->popup("menu_file");
        emit menu->aboutToShow();
        for (QAction* a : menu->actions())
            if (a->data().toInt() == cmd::FileSave)
                return a->isEnabled();
        return false;
    }
    size_t reloadQuestions() const
    {
        size_t n = 0;
        for (const seams::ShownMessage& m : box.shown)
            n += m.text.contains("modified outside of this application");
        return n;
    }
};

TEST_F(OutsideChangesTest, ChangedFileIsReloadedOrKept)
{
    start();
    const QString path = write("a.txt", "first");
    setModified(path, time(nullptr) - 100);
    CTextView* v = openAndFocus("a.txt", "first");
    ASSERT_TRUE(v);
    CChildFrame* c = frame->activeChild();
    switchAwayAndBack();
    EXPECT_EQ(reloadQuestions(), 0u);

    // No: the text stays, the document counts as modified, and it is not asked again.
    rewrite(path, "second");
    box.answers.push_back(seams::IDNO);
    switchAwayAndBack();
    ASSERT_EQ(reloadQuestions(), 1u);
    EXPECT_EQ(box.shown.back().text,
              path + "\n\nThe file has been modified outside of this application. Do you want to reload it?");
    EXPECT_EQ(box.shown.back().caption, "Velmo");
    EXPECT_EQ(box.shown.back().flags, unsigned(seams::MB_YESNO | seams::MB_ICONQUESTION));
    EXPECT_EQ(v->text(), "first");
    EXPECT_TRUE(c->isModified());
    EXPECT_TRUE(saveEnabled());
    switchAwayAndBack();
    EXPECT_EQ(reloadQuestions(), 1u);

    // Changed once more: Yes reloads.
    rewrite(path, "third");
    box.answers.push_back(seams::IDYES);
    switchAwayAndBack();
    EXPECT_EQ(reloadQuestions(), 2u);
    EXPECT_EQ(c->textView()->text(), "third");
    EXPECT_FALSE(c->isModified());
}

TEST_F(OutsideChangesTest, UnsavedChangesAreNamedAndKeptOnNo)
{
    start();
    const QString path = write("u.txt", "disk");
    setModified(path, time(nullptr) - 100);
    CTextView* v = openAndFocus("u.txt", "disk");
    ASSERT_TRUE(v);
    key(v, Qt::Key_End);
    QTest::keyClicks(v, " edited");
    rewrite(path, "other");
    box.answers.push_back(seams::IDNO);
    switchAwayAndBack();
    ASSERT_EQ(reloadQuestions(), 1u);
    EXPECT_TRUE(box.shown.back().text.contains("unsaved changes"));
    EXPECT_EQ(v->text(), "disk edited");
    EXPECT_TRUE(frame->activeChild()->isModified());
    // Saving afterwards writes the kept text and ends the changed-outside state.
    key(v, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(read(path), "disk edited");
    EXPECT_FALSE(frame->activeChild()->isModified());
}

TEST_F(OutsideChangesTest, ChangeWithinTheSameTwoSecondsIsNotNoticed)
{
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "UTC");
    tzset();
    start();
    const QString path = write("t.txt", "one");
    const time_t even = 1577836800;   // 2020-01-01 00:00:00 UTC
    setModified(path, even);
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c && c->textView());
    switchAwayAndBack();
    write("t.txt", "two");
    setModified(path, even + 1);
    switchAwayAndBack();
    EXPECT_EQ(reloadQuestions(), 0u);
    setModified(path, even + 2);
    box.answers.push_back(seams::IDNO);
    switchAwayAndBack();
    EXPECT_EQ(reloadQuestions(), 1u);
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
}

TEST_F(OutsideChangesTest, DeletedFileIsReportedInTheStatusBar)
{
    start();
    const QString path = write("d.txt", "keep me");
    CTextView* v = openAndFocus("d.txt", "keep me");
    ASSERT_TRUE(v);
    ASSERT_TRUE(QFile::remove(path));
    switchAwayAndBack();
    EXPECT_EQ(frame->statusBar()->currentMessage(), "File '" + path + "' doesn't exist.");
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(saveEnabled());
    frame->statusBar()->clearMessage();
    switchAwayAndBack();
    EXPECT_FALSE(frame->statusBar()->currentMessage().isEmpty());

    // Saving recreates the file; the message does not come back.
    v->setFocus();
    key(v, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(read(path), "keep me");
    frame->statusBar()->clearMessage();
    switchAwayAndBack();
    EXPECT_TRUE(frame->statusBar()->currentMessage().isEmpty());
    EXPECT_FALSE(frame->activeChild()->isModified());
}

// The question's own activations (and a check asked for while it is up) start no second
// question and no reload.
struct ReenteringBox : seams::IMessageBox {
    CChildFrame* child = nullptr;
    int shown = 0;
    bool nestedResult = true;
    int show(QWidget*, const QString&, const QString&, unsigned) override
    {
        ++shown;
        if (child) {
            nestedResult = child->checkFile(false);
            child->postCheckFile();
            pump(20);
        }
        return seams::IDNO;
    }
};

TEST_F(OutsideChangesTest, OneCheckAtATime)
{
    start();
    const QString path = write("r.txt", "one");
    setModified(path, time(nullptr) - 100);
    CTextView* v = openAndFocus("r.txt", "one");
    ASSERT_TRUE(v);
    ReenteringBox reentering;
    reentering.child = frame->activeChild();
    seams::setMessageBox(&reentering);
    rewrite(path, "two");
    EXPECT_TRUE(reentering.child->checkFile(false));
    pump(20);
    EXPECT_EQ(reentering.shown, 1);
    EXPECT_FALSE(reentering.nestedResult);
    EXPECT_EQ(v->text(), "one");
    seams::setMessageBox(&box);
}

} // namespace
