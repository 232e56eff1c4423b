#include "../frame/FrameFixture.h"

#include "app/RecentFiles.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "documents/text/Markers.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>

namespace {

using Sci = QsciScintillaBase;

struct SessionFrameTest : FrameFixture {
    QString sessionPath() const { return data.filePath("session.xml"); }

    void menu(int id)
    {
        QAction* a = frame->commandUi()->menuAction(id);
        ASSERT_NE(a, nullptr) << id;
        ASSERT_TRUE(a->isEnabled()) << id;
        a->trigger();
    }

    // Closes the editor the way the user does, and forgets the frame.
    void exitEditor()
    {
        menu(cmd::AppExit);
        pump();
        frame.reset();
        pump();
    }

    QList<QAction*> recentItems() const
    {
        return frame->commandUi()->popup("menu_recent")->actions();
    }

    static std::vector<long> bookmarks(CTextView* v)
    {
        std::vector<long> out;
        for (long l = long(v->SendScintilla(Sci::SCI_MARKERNEXT, 0UL, long(textdoc::kBookmarkMask))); l >= 0;
             l = long(v->SendScintilla(Sci::SCI_MARKERNEXT, (unsigned long)(l + 1), long(textdoc::kBookmarkMask))))
            out.push_back(l);
        return out;
    }

    QByteArray lines(int n)
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b += "line " + QByteArray::number(i) + "\n";
        return b;
    }
};

TEST_F(SessionFrameTest, MarksAndSelectionSurviveAnExitAndAStart)
{
    const QString a = write("a & b.txt", lines(300)), b = write("b.txt", "alpha beta gamma\n");
    start();
    CChildFrame* ca = frame->OpenFile(a, 5, false);
    CChildFrame* cb = frame->OpenFile(b, 5, false);
    ASSERT_TRUE(ca && cb);
    CTextView* va = ca->textView();
    va->SendScintilla(Sci::SCI_MARKERADD, 0UL, long(textdoc::kBookmarkMarker));
    va->SendScintilla(Sci::SCI_MARKERADD, 120UL, long(textdoc::kBookmarkMarker));
    va->setSel(700, 690);
    va->SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, 100UL);
    cb->textView()->setSel(6, 10);
    frame->activateChild(cb);
    exitEditor();

    const QByteArray expected = "<Velmo>\n"
                                "    <session index=\"1\">\n"
                                "        <file firstVisibleLine=\"100\" xOffset=\"0\" startPos=\"700\" endPos=\"690\">"
                                + QFile::encodeName(a).replace("&", "&amp;") + "\n"
                                "            <Mark line=\"0\" />\n"
                                "            <Mark line=\"120\" />\n"
                                "        </file>\n"
                                "        <file firstVisibleLine=\"0\" xOffset=\"0\" startPos=\"6\" endPos=\"10\">"
                                + QFile::encodeName(b) + "</file>\n"
                                "    </session>\n"
                                "</Velmo>\n";
    EXPECT_EQ(read(sessionPath()), expected);

    start();
    ASSERT_EQ(openPaths(), QStringList({a, b}));
    EXPECT_EQ(frame->activeChild(), frame->children()[1]);
    CTextView* ra = frame->children()[0]->textView();
    EXPECT_EQ(ra->anchor(), 700);
    EXPECT_EQ(ra->currentPos(), 690);
    EXPECT_EQ(ra->SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE), 100);
    EXPECT_EQ(bookmarks(ra), std::vector<long>({0, 120}));
    EXPECT_EQ(frame->children()[1]->textView()->anchor(), 6);
    EXPECT_TRUE(frame->recentFiles().entries().isEmpty());   // a restore adds nothing
    EXPECT_TRUE(box.shown.empty());
    exitEditor();
    EXPECT_EQ(read(sessionPath()), expected);
}

TEST_F(SessionFrameTest, NoDocumentsAndTheOptionThatForgetsFiles)
{
    start();
    exitEditor();
    EXPECT_EQ(read(sessionPath()), QByteArray("<Velmo>\n    <session index=\"-1\" />\n</Velmo>\n"));

    // "Remember last open files" off: the session is neither read nor written.
    const QString a = write("a.txt", "a");
    const QByteArray naming = "<Velmo>\n    <session index=\"0\">\n        <file>" + QFile::encodeName(a)
                              + "</file>\n    </session>\n</Velmo>\n";
    QFile f(sessionPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(naming);
    f.close();
    settings->editorMask |= EditorBits::DontRememberFiles;
    start();
    EXPECT_TRUE(frame->children().isEmpty());
    frame->OpenFile(write("b.txt", "b"));
    exitEditor();
    EXPECT_EQ(read(sessionPath()), naming);

    // On: the session opens before the files named on the command line.
    settings->editorMask &= ~EditorBits::DontRememberFiles;
    start({"b.txt"});
    EXPECT_EQ(openPaths(), QStringList({a, files.filePath("b.txt")}));
}

TEST_F(SessionFrameTest, MissingFilesAreSkippedAndTheRightDocumentIsActive)
{
    const QString a = write("a.txt", "a"), c = write("c.txt", "c");
    auto sessionNaming = [&](const QStringList& names, int index) {
        QByteArray x = "<Velmo><session index=\"" + QByteArray::number(index) + "\">";
        for (const QString& n : names)
            x += "<file startPos=\"1\" endPos=\"1\">" + QFile::encodeName(n) + "</file>";
        return x + "</session></Velmo>";
    };
    QFile f(sessionPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sessionNaming({a, files.filePath("gone.txt"), c}, 2));
    f.close();
    start();
    EXPECT_EQ(openPaths(), QStringList({a, c}));
    EXPECT_EQ(frame->activeChild()->path(), c);

    // Loaded later through the menu: still no message box per missing file.
    menu(cmd::FileCloseAll);
    const QString vsn = write("s.vsn", sessionNaming({files.filePath("x.txt"), files.filePath("y.txt"), a}, 2));
    answerDialog({vsn});
    menu(cmd::FileLoadSession);
    EXPECT_EQ(openPaths(), QStringList({a}));
    EXPECT_EQ(frame->activeChild()->path(), a);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(frame->statusBar()->currentMessage().contains("2"));
    ASSERT_FALSE(dialogs.requests.empty());
    EXPECT_EQ(dialogs.requests.back().filters, QStringList({"Velmo session files (*.vsn)|*.vsn"}));
}

TEST_F(SessionFrameTest, AMalformedSessionIsIgnoredAndKeptUntilExit)
{
    const QByteArray broken = "<Velmo><session index=\"0\"><file>/x";
    QFile f(sessionPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(broken);
    f.close();
    start();
    EXPECT_TRUE(frame->children().isEmpty());
    EXPECT_TRUE(frame->statusBar()->currentMessage().contains("session.xml"));
    frame->OpenFile(write("a.txt", "a"));
    menu(cmd::FileCloseAll);
    EXPECT_EQ(read(sessionPath()), broken);
    exitEditor();
    EXPECT_EQ(read(sessionPath()), QByteArray("<Velmo>\n    <session index=\"-1\" />\n</Velmo>\n"));
}

TEST_F(SessionFrameTest, SaveAndLoadSessionThroughTheFileMenu)
{
    start();
    const QString a = write("a.txt", "first\nsecond\n");
    frame->NewDocument();   // an unsaved document before the file: not written, not counted
    frame->OpenFile(a);
    frame->activeChild()->textView()->setSel(2, 8);
    const QString target = files.filePath("mine.vsn");
    answerDialog({target});
    menu(cmd::FileSaveSession);
    ASSERT_FALSE(dialogs.requests.empty());
    const seams::FileDialogRequest& req = dialogs.requests.back();
    EXPECT_EQ(req.fileName, "session.vsn");
    EXPECT_EQ(req.defaultSuffix, "vsn");
    EXPECT_EQ(req.filters, QStringList({"Velmo session files (*.vsn)|*.vsn"}));
    EXPECT_EQ(read(target), "<Velmo>\n    <session index=\"0\">\n        <file firstVisibleLine=\"0\" xOffset=\"0\" "
                            "startPos=\"2\" endPos=\"8\">" + QFile::encodeName(a) + "</file>\n    </session>\n</Velmo>\n");

    box.defaultAnswer = seams::IDNO;   // the new document is not saved
    menu(cmd::FileCloseAll);
    ASSERT_TRUE(frame->children().isEmpty());
    answerDialog({target});
    menu(cmd::FileLoadSession);
    ASSERT_EQ(openPaths(), QStringList({a}));
    EXPECT_EQ(frame->activeChild()->textView()->currentPos(), 8);
}

TEST_F(SessionFrameTest, RecentFilesFollowOpenAndSaveAsAcrossRuns)
{
    start();
    ASSERT_EQ(recentItems().size(), 1);
    EXPECT_EQ(recentItems()[0]->text(), "(empty)");
    EXPECT_FALSE(recentItems()[0]->isEnabled());

    const QString a = write("R&D.txt", "a"), b = write("b.txt", "b");
    answerDialog({a});
    menu(cmd::FileOpen);
    answerDialog({b});
    menu(cmd::FileOpen);
    const QString copy = files.filePath("copy.txt");
    answerDialog({copy});
    menu(cmd::FileSaveAs);
    ASSERT_EQ(frame->recentFiles().entries(), QStringList({copy, b, a}));
    ASSERT_EQ(recentItems().size(), 3);
    EXPECT_EQ(recentItems()[2]->text(), "&3 " + QString(a).replace("&", "&&"));
    EXPECT_EQ(recentItems()[0]->data().toInt(), cmd::RecentFirst);
    exitEditor();

    // A later run reads the list back; the session restore leaves it as it was.
    start();
    EXPECT_EQ(frame->recentFiles().entries(), QStringList({copy, b, a}));
    ASSERT_EQ(recentItems().size(), 3);
    menu(cmd::FileCloseAll);
    // Choosing an entry opens it and moves it up; one that no longer opens leaves the list.
    recentItems()[2]->trigger();
    EXPECT_EQ(frame->activeChild()->path(), a);
    EXPECT_EQ(frame->recentFiles().entries(), QStringList({a, copy, b}));
    QFile::remove(b);
    box.shown.clear();
    recentItems()[2]->trigger();
    EXPECT_EQ(frame->recentFiles().entries(), QStringList({a, copy}));
    EXPECT_EQ(box.shown.size(), 1u);   // the open failure is reported
    EXPECT_EQ(recentItems().size(), 2);

    // The size: clamped to 2-16, stored as "MRUSize", the oldest entries dropped.
    frame->SetRecentSize(1);
    EXPECT_EQ(frame->recentFiles().maxSize(), 2);
    EXPECT_EQ(settings->ReadInt("EDITOR", "MRUSize", 0), 2);
    frame->SetRecentSize(40);
    EXPECT_EQ(frame->recentFiles().maxSize(), 16);
    EXPECT_EQ(settings->ReadInt("EDITOR", "MRUSize", 0), 16);
    EXPECT_EQ(frame->recentFiles().entries(), QStringList({a, copy}));
    EXPECT_EQ(registry::user().queryDword(RecentFiles::registryKey(), "DocumentCount"), 16u);
}

} // namespace
