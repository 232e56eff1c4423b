#include "FrameFixture.h"

#include "app/commands/CommandUi.h"
#include "app/commands/StatusTexts.h"
#include "documents/hex/CHexView.h"

#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

namespace {

struct FrameTest : FrameFixture {};

TEST_F(FrameTest, OpenFileActivatesAnOpenCopyInsteadOfLoadingTwice)
{
    start();
    const QString a = write("a.txt", "alpha\n");
    const QString b = write("b.txt", "beta\n");
    CChildFrame* ca = frame->OpenFile(a);
    CChildFrame* cb = frame->OpenFile(b);
    ASSERT_TRUE(ca && cb);
    EXPECT_EQ(frame->activeChild(), cb);
    // The same file through another spelling of its path, and through a link.
    QFile::link(a, files.filePath("link.txt"));
    EXPECT_EQ(frame->OpenFile(files.path() + "/./a.txt"), ca);
    EXPECT_EQ(frame->activeChild(), ca);
    EXPECT_EQ(frame->OpenFile(files.filePath("link.txt")), ca);
    EXPECT_EQ(frame->children().size(), 2);
    EXPECT_EQ(frame->windowTitle(), "Velmo - [a.txt]");
}

TEST_F(FrameTest, TabsShowTitleIconAndPath)
{
    start();
    CChildFrame* a = frame->OpenFile(write("a.txt", "a"));
    frame->OpenFile(write("b.txt", "b"));
    auto* bar = frame->documentArea()->findChild<QTabBar*>();
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->count(), 2);
    EXPECT_EQ(bar->tabText(0), "a.txt");
    EXPECT_EQ(bar->tabToolTip(0), files.filePath("a.txt"));
    const qint64 unchanged = bar->tabIcon(0).cacheKey();
    EXPECT_EQ(bar->tabIcon(1).cacheKey(), unchanged);
    a->textView()->addText(std::string("x"));
    pump();
    const qint64 modified = bar->tabIcon(0).cacheKey();
    EXPECT_NE(modified, unchanged);
    frame->activateChild(a);
    frame->OnCommand(509);   // read-only: the third icon
    EXPECT_NE(bar->tabIcon(0).cacheKey(), modified);
    EXPECT_NE(bar->tabIcon(0).cacheKey(), unchanged);
    frame->OnCommand(509);
    frame->OnCommand(106);
    EXPECT_EQ(bar->tabIcon(0).cacheKey(), unchanged);
}

TEST_F(FrameTest, AnsiTextShowsItsOwnCharacters)
{
    settings->editorMask = EditorBits::SyntaxHighlight;
    start();
    const QString path = write("ansi.c", "caf\xE9 \x80 \x93q\x94\n");
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c);
    CTextView* v = c->textView();
    EXPECT_EQ(v->encoding(), 0);
    // The component draws UTF-8, whatever language the document got.
    EXPECT_EQ(v->SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE), 65001);
    EXPECT_EQ(QString::fromStdString(v->text()), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D\n"));
    frame->OnCommand(701);   // another language keeps it so
    EXPECT_EQ(v->SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE), 65001);
    v->addText(std::string(""));
    frame->OnCommand(106);
    EXPECT_EQ(read(path), QByteArray("caf\xE9 \x80 \x93q\x94\n"));
}

TEST_F(FrameTest, BinaryTestNeedsSixtyFourBytes)
{
    start();
    QByteArray sixtyFour(64, 'x');
    sixtyFour[62] = 0;
    sixtyFour[63] = 0;
    QByteArray sixtyThree(63, 'x');
    sixtyThree[61] = 0;
    sixtyThree[62] = 0;
    QByteArray single(64, 'x');
    single[10] = 0;   // one zero byte is not enough
    CChildFrame* bin = frame->OpenFile(write("bin.dat", sixtyFour));
    CChildFrame* txt = frame->OpenFile(write("short.dat", sixtyThree));
    CChildFrame* one = frame->OpenFile(write("one.dat", single));
    ASSERT_TRUE(bin && txt && one);
    EXPECT_TRUE(bin->isHex());
    EXPECT_NE(bin->hexView(), nullptr);
    EXPECT_FALSE(txt->isHex());
    EXPECT_FALSE(one->isHex());
    // Open mode 6 forces the hex view.
    CChildFrame* forced = frame->OpenFile(write("forced.txt", "plain text"), 6);
    ASSERT_TRUE(forced);
    EXPECT_TRUE(forced->isHex());
}

TEST_F(FrameTest, OpenFailuresAreReportedOnlyAfterStartUp)
{
    const QString missing = files.filePath("missing.txt");
    start({missing});
    EXPECT_TRUE(box.shown.empty());   // start-up is silent
    EXPECT_EQ(frame->OpenFile(missing), nullptr);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith("Open file failure.\n" + missing + "\n\n"));
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(frame->OpenFile(files.path()), nullptr);   // a folder is no document
    // A named pipe with no writer is refused at once instead of hanging the editor.
    const QString fifo = files.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(frame->OpenFile(fifo), nullptr);
    EXPECT_EQ(box.shown.size(), 3u);
    EXPECT_TRUE(frame->children().isEmpty());
}

TEST_F(FrameTest, DroppedFolderEndsTheList)
{
    start();
    const QString first = write("first.txt", "1");
    const QString second = write("second.txt", "2");
    QDir().mkpath(files.filePath("folder"));
    frame->DropFiles({QUrl::fromLocalFile(first), QUrl::fromLocalFile(files.filePath("folder")), QUrl::fromLocalFile(second)});
    EXPECT_EQ(openPaths(), QStringList({first}));
}

TEST_F(FrameTest, NewSaveAsSaveAndReload)
{
    start();
    frame->OnCommand(100);
    CChildFrame* c = frame->activeChild();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->path(), "<new>");
    EXPECT_EQ(frame->windowTitle(), "Velmo - [<new>]");
    c->textView()->addText(std::string("hello\r\nworld"));
    EXPECT_TRUE(c->isModified());
    EXPECT_EQ(c->tabIcon(), 1);

    // Save on a new document goes to Save As; a cancelled dialog saves nothing.
    frame->OnCommand(106);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(c->isModified());
    const QString target = files.filePath("saved.c");
    answerDialog({target});
    frame->OnCommand(107);
    EXPECT_EQ(c->path(), target);
    EXPECT_FALSE(c->isModified());
    EXPECT_EQ(read(target), QByteArray("hello\r\nworld"));
    EXPECT_EQ(frame->windowTitle(), "Velmo - [saved.c]");
    // Save As chose the language again for the new name.
    EXPECT_EQ(c->languageState().realLexer, "cpp");

    c->textView()->addText(std::string("!"));
    frame->OnCommand(106);
    EXPECT_EQ(read(target), QByteArray("hello\r\nworld!"));

    write("saved.c", "changed on disk");
    frame->OnCommand(109);
    EXPECT_EQ(c->textView()->text(), "changed on disk");
}

TEST_F(FrameTest, ClosingAModifiedDocumentAsks)
{
    start();
    CChildFrame* c = frame->OpenFile(write("keep.txt", "abc"));
    ASSERT_TRUE(c);
    c->textView()->addText(std::string("x"));
    box.answers = {seams::IDCANCEL};
    frame->OnCommand(103);
    pump();
    EXPECT_EQ(frame->children().size(), 1);
    EXPECT_EQ(box.shown.back().text, "Save changes to: keep.txt?");
    box.answers = {seams::IDYES};
    frame->OnCommand(103);
    pump();
    EXPECT_TRUE(frame->children().isEmpty());
    EXPECT_EQ(read(files.filePath("keep.txt")), QByteArray("xabc"));
}

TEST_F(FrameTest, ExitStopsWhenTheUserCancels)
{
    start();
    CChildFrame* c = frame->OpenFile(write("e.txt", "abc"));
    c->textView()->addText(std::string("x"));
    saves.answers = {seams::IDCANCEL};
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(frame->children().size(), 1);
    // Save As on a new document cancelled while exiting also stops the exit.
    frame->OnCommand(100);
    frame->activeChild()->textView()->addText(std::string("new text"));
    saves.answers = {seams::IDYES};
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(frame->children().size(), 2);
    // The documents are saved in tab order up to the one that was not.
    EXPECT_EQ(read(files.filePath("e.txt")), QByteArray("xabc"));
    EXPECT_TRUE(frame->children().last()->isModified());
}

TEST_F(FrameTest, ReadOnlyFileAndDocument)
{
    start();
    const QString path = write("ro.txt", "locked");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->record().fileReadOnly);
    EXPECT_EQ(c->tabIcon(), 2);
    EXPECT_TRUE(c->textView()->isReadOnly());
    frame->OnCommand(510);   // Clear ReadOnly Attribute
    EXPECT_FALSE(c->record().fileReadOnly);
    EXPECT_FALSE(c->textView()->isReadOnly());
    EXPECT_TRUE(QFileInfo(path).permissions() & QFile::WriteOwner);
    frame->OnCommand(509);   // the user's own toggle
    EXPECT_TRUE(c->textView()->isReadOnly());
    EXPECT_EQ(c->tabIcon(), 2);
}

TEST_F(FrameTest, SaveAsFromAReadOnlyFileGivesAnEditableCopy)
{
    start();
    const QString path = write("locked.txt", "text");
    QFile::setPermissions(path, QFile::ReadOwner);
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c && c->textView()->isReadOnly());
    answerDialog({files.filePath("copy.txt")});
    frame->OnCommand(107);
    EXPECT_EQ(c->path(), files.filePath("copy.txt"));
    EXPECT_FALSE(c->record().fileReadOnly);
    EXPECT_FALSE(c->textView()->isReadOnly());
    EXPECT_EQ(c->tabIcon(), 0);
}

TEST_F(FrameTest, StatusBarShowsPositionSizeEncodingAndMode)
{
    start();
    frame->OpenFile(write("three.txt", "ab\ncd\nef"));
    frame->refreshStatus();
    cmd::StatusPanes* panes = frame->statusPanes();
    EXPECT_EQ(panes->pane(1)->text(), "Ln 1/3  Col 1  Sel 0");
    EXPECT_EQ(panes->pane(2)->text(), "8 Bytes");
    EXPECT_EQ(panes->pane(3)->text(), "ANSI");
    EXPECT_EQ(panes->pane(4)->text(), "INS");
    CTextView* v = frame->activeChild()->textView();
    v->setSel(4, 7);
    pump();
    EXPECT_EQ(panes->pane(1)->text(), "Ln 3/3  Col 2  Sel 3");
    frame->OnCommand(504);   // Encode in UTF-8
    EXPECT_EQ(panes->pane(3)->text(), "UTF-8");

    QByteArray bin(100, 0);
    frame->OpenFile(write("zeros.bin", bin));
    // The hex view's position text follows once it has its size, which a busy machine delays.
    pumpUntil([&] { return panes->pane(1)->text().startsWith("Offset"); });
    EXPECT_EQ(panes->pane(2)->text(), "100 Bytes");
    EXPECT_EQ(panes->pane(3)->text(), "Hex");
    EXPECT_EQ(panes->pane(4)->text(), "OVR");
    EXPECT_TRUE(panes->pane(1)->text().startsWith("Offset 0H 0"));

    saves.answers = {seams::IDNO};   // the encoding change is not saved
    frame->OnCommand(105);   // Close All
    pump();
    EXPECT_EQ(panes->pane(1)->text(), "");
    EXPECT_EQ(panes->pane(3)->text(), "");
}

TEST_F(FrameTest, WindowListAndCycling)
{
    start();
    CChildFrame* a = frame->OpenFile(write("a.txt", "a"));
    frame->OnCommand(800);   // one document: stays
    EXPECT_EQ(frame->activeChild(), a);
    CChildFrame* b = frame->OpenFile(write("b.txt", "b"));
    CChildFrame* c = frame->OpenFile(write("c.txt", "c"));
    EXPECT_EQ(frame->activeChild(), c);
    frame->OnCommand(800, true);
    EXPECT_EQ(frame->activeChild(), a);   // wraps around in tab order
    frame->OnCommand(800, true);
    EXPECT_EQ(frame->activeChild(), b);
    frame->OnCommand(801, true);
    frame->OnCommand(801, true);
    EXPECT_EQ(frame->activeChild(), c);
    frame->OnCommand(838);                // Window menu entry 2
    EXPECT_EQ(frame->activeChild(), b);
    QMenu* window = frame->commandUi()->popup("menu_window");
    ASSERT_TRUE(window);
    emit window->aboutToShow();   // the list is rebuilt when the menu opens
    QStringList labels;
    for (QAction* act : window->actions())
        if (act->data().toInt() >= 837)
            labels << act->text() + (act->isChecked() ? "*" : "");
    EXPECT_EQ(labels.size(), 3);
    EXPECT_TRUE(labels[1].contains("b.txt*"));
    // Cascade switches the document area to windows.
    frame->OnCommand(810);
    EXPECT_EQ(frame->documentArea()->viewMode(), QMdiArea::SubWindowView);
}

TEST_F(FrameTest, OpenSelectedFileFollowsIncludeLines)
{
    start();
    write("src/x.h", "int x;\n");
    write("src/y.h", "int y;\n");
    CChildFrame* c = frame->OpenFile(write("src/main.c", "#include <y.h>\n#include \t\"x.h\"\n"));
    ASSERT_TRUE(c);
    frame->OnCommand(102);   // caret on the angle-bracket line: nothing
    EXPECT_EQ(frame->children().size(), 1);
    c->textView()->setSel(20, 20);
    frame->OnCommand(102);
    EXPECT_EQ(frame->activeChild()->path(), files.filePath("src/x.h"));
}

TEST_F(FrameTest, LanguageMenuSwitchesBetweenTextAndHex)
{
    start();
    const QString path = write("switch.c", "int main;\n");
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c && c->textView());
    c->textView()->addText(std::string("/* edit */"));
    box.answers = {seams::IDCANCEL};
    frame->OnCommand(700);   // a modified document asks first; cancel keeps the text view
    EXPECT_FALSE(c->isHex());
    box.answers = {seams::IDYES};
    frame->OnCommand(700);
    EXPECT_TRUE(c->isHex());
    EXPECT_EQ(read(path), QByteArray("/* edit */int main;\n"));
    frame->OnCommand(701);   // back to text, with the first language
    ASSERT_FALSE(c->isHex());
    EXPECT_EQ(c->textView()->languageIndex(), 0);
    // A new document cannot become hex.
    frame->OnCommand(100);
    frame->OnCommand(700);
    EXPECT_FALSE(frame->activeChild()->isHex());
}

TEST_F(FrameTest, Screenshot)
{
    const QByteArray dir = qgetenv("VELMO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set VELMO_SCREENSHOT_DIR to save a picture of the main window";
    settings->editorMask = EditorBits::SyntaxHighlight | EditorBits::LineNumbers | EditorBits::HighlightLine;
    start();
    frame->resize(1100, 720);
    frame->OpenFile(write("demo.py", "# A small sample\nclass Greeter:\n    \"\"\"Says hello.\"\"\"\n"
                                     "    def greet(self, name):\n        return f\"Hello, {name}!\" * 2\n"));
    frame->OpenFile(write("demo.cpp", "// Sample\n#include <vector>\n\nint main(int argc, char** argv)\n{\n"
                                      "    std::vector<int> v{1, 2, 3};\n    return argc > 1 ? 0 : 42; /* done */\n}\n"));
    pump(200);
    frame->grab().save(QString::fromUtf8(dir) + "/mainframe.png");
    frame->OnCommand(801);   // the Python document
    pump(200);
    frame->grab().save(QString::fromUtf8(dir) + "/mainframe-python.png");
}

} // namespace

TEST_F(FrameTest, AFrameDestroyedWithoutClosingLeavesNothingBehindThatUsesIt)
{
    // A frame can go without its close (an embedding program, a failed start): its
    // documents and panels go with it and nothing reaches parts of it already gone.
    start();
    CChildFrame* a = frame->OpenFile(write("a.txt", "alpha\n"));
    frame->OpenFile(write("b.txt", "beta\n"));
    ASSERT_TRUE(a && a->textView());
    frame->show();
    frame->activateWindow();
    a->textView()->setFocus();
    QTest::keyClicks(a->textView(), "x");
    pump();
    frame.reset();
    pump();
    SUCCEED();
}
