// Backups of modified documents in a running editor, and their recovery at the next start:
// typing makes a backup, saving or giving up the changes removes it, and what a run left
// behind comes back as modified documents that one Save writes where they belong.
#include "FrameFixture.h"

#include "app/Backups.h"
#include "app/RecoveryDialog.h"

#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

struct BackupFrameTest : FrameFixture {
    void writeIni() override
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nBackupInterval=1\n");
    }

    QString backupRoot() const { return data.filePath("backup"); }

    // The texts of the backups in this run's folder, by file name.
    std::map<QString, QByteArray> backups()
    {
        std::map<QString, QByteArray> out;
        const QString folder = frame->backups()->folder();
        for (const QString& name : QDir(folder).entryList({"*.txt", "*.idx"}, QDir::Files))
            out[name] = read(folder + "/" + name);
        return out;
    }

    // Answers the recovery question when it comes: with `button` ("recover", "discard",
    // "later"); the rows it listed go to `rows`.
    void answerRecovery(const char* button, QStringList* rows)
    {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, button, rows] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<RecoveryDialog*>(w);
                if (!d || !d->isVisible())
                    continue;
                poll->stop();
                poll->deleteLater();
                auto* list = d->findChild<QTreeWidget*>("recoverList");
                for (int i = 0; list && i < list->topLevelItemCount(); ++i)
                    *rows << list->topLevelItem(i)->text(0) + "|" + list->topLevelItem(i)->text(2);
                QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
                return;
            }
        });
        poll->start(10);
    }

    // Copies this run's backups to a folder of their own, as a run killed now would leave them.
    void leaveAsCrashed()
    {
        frame->backups()->flush();
        const QString crashed = backupRoot() + "/1-1";
        QDir().mkpath(crashed);
        const QString folder = frame->backups()->folder();
        for (const QString& name : QDir(folder).entryList({"*.txt", "*.idx"}, QDir::Files))
            QFile::copy(folder + "/" + name, crashed + "/" + name);
    }

    void restart(const char* button, QStringList* rows)
    {
        box.defaultAnswer = seams::IDNO;
        saves.defaultAnswer = seams::IDNO;
        frame->close();
        frame.reset();
        pump();
        answerRecovery(button, rows);
        start();
    }
};

TEST_F(BackupFrameTest, TypingMakesABackupThatSavingAndGivingUpRemove)
{
    start();
    CTextView* v = openAndFocus("a.txt", "abc\r\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_End);
    QTest::keyClicks(v, "XY");
    // Written a second after the last change, off the UI thread.
    ASSERT_TRUE(pumpUntil([&] { return backups().count("doc-1.idx"); }, 5000));
    frame->backups()->flush();
    EXPECT_EQ(backups()["doc-1.txt"], "abcXY\r\n");
    EXPECT_TRUE(backups()["doc-1.idx"].contains("Path=" + files.filePath("a.txt").toUtf8().toPercentEncoding("/")));

    key(v, Qt::Key_S, Qt::ControlModifier);   // Save: the file has the text, the backup goes
    frame->backups()->flush();
    EXPECT_EQ(read(files.filePath("a.txt")), "abcXY\r\n");
    EXPECT_TRUE(backups().empty());

    // Changed again, then closed with "No": the changes were given up, and so is the backup.
    QTest::keyClicks(v, "Z");
    frame->backups()->flush();
    EXPECT_EQ(backups()["doc-1.txt"], "abcXYZ\r\n");
    box.answers.push_back(seams::IDNO);
    frame->activeChild()->closeDocument();
    pump();
    frame->backups()->flush();
    EXPECT_TRUE(backups().empty());
}

TEST_F(BackupFrameTest, LeftBackupsComeBackAndOneSaveWritesThemWhereTheyBelong)
{
    const QByteArray ansi("caf\xe9\r\nna\xefve\r\n");   // not UTF-8: opened as ANSI
    const QString ansiPath = write("ansi.txt", ansi);
    start();
    CTextView* v = openAndFocus("ansi.txt", ansi);
    ASSERT_TRUE(v);
    const int ansiEncoding = v->encoding();
    QTest::keyClicks(v, "1");
    CChildFrame* fresh = frame->NewDocument();
    fresh->textView()->setFocus();
    QTest::keyClicks(fresh->textView(), "new text");
    leaveAsCrashed();

    // Later: nothing opens and nothing is deleted.
    QStringList rows;
    restart("later", &rows);
    ASSERT_EQ(rows.size(), 2);
    for (CChildFrame* c : frame->children())   // the last session's file, as it is on disk
        EXPECT_FALSE(c->isModified()) << c->path().toStdString();
    EXPECT_TRUE(QFileInfo::exists(backupRoot() + "/1-1/doc-1.txt"));

    // The file changes on disk meanwhile: the list says so.
    write("ansi.txt", "other\r\n");
    {
        QFile touched(ansiPath);
        touched.open(QIODevice::ReadWrite);
        touched.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime);
    }
    rows.clear();
    restart("recover", &rows);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows.contains(ansiPath + "|The file changed on disk since."));
    ASSERT_EQ(frame->children().size(), 2);
    EXPECT_FALSE(QFileInfo::exists(backupRoot() + "/1-1"));

    CChildFrame* recovered = nullptr;
    CChildFrame* untitled = nullptr;
    for (CChildFrame* c : frame->children())
        (c->path() == ansiPath ? recovered : untitled) = c;
    ASSERT_TRUE(recovered && untitled);
    EXPECT_TRUE(recovered->isModified());
    EXPECT_TRUE(untitled->isModified());
    EXPECT_EQ(recovered->tabIcon(), 1);   // shown as not saved
    const std::string shown = recovered->textView()->text();
    recovered->textView()->SendScintilla(QsciScintillaBase::SCI_UNDO);
    EXPECT_EQ(recovered->textView()->text(), shown) << "undo never takes the recovered text away";
    EXPECT_TRUE(recovered->isModified());
    EXPECT_EQ(recovered->textView()->encoding(), ansiEncoding);
    EXPECT_EQ(untitled->textView()->text(), "new text");
    // Adopted: the recovered text is this run's backup until it is saved.
    frame->backups()->flush();
    EXPECT_EQ(backups().size(), 4u);

    frame->activateChild(recovered);
    ASSERT_TRUE(recovered->save());
    EXPECT_EQ(read(ansiPath), QByteArray("1caf\xe9\r\nna\xefve\r\n"));
    EXPECT_FALSE(recovered->isModified());

    // Discard deletes what is left.
    leaveAsCrashed();
    rows.clear();
    restart("discard", &rows);
    EXPECT_EQ(rows.size(), 1);
    for (CChildFrame* c : frame->children())
        EXPECT_FALSE(c->isModified()) << c->path().toStdString();
    EXPECT_FALSE(QFileInfo::exists(backupRoot() + "/1-1"));
}

} // namespace
