#include "FrameFixture.h"

#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QKeyEvent>
#include "documents/hex/CHexView.h"

#include <cstdio>

namespace {

struct FrameCommandsTest : FrameFixture {
    void writeIni() override
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=512\n[FONT]\n1=font:Courier New,size:10,back:#CCE8CF\n"
                "2=font:Lucida Console,size:14,back:#FFFFFF\n4=font:ignored\nCurSel=1\n");
    }
};

TEST_F(FrameCommandsTest, ChoosingABaseFontRestylesEveryDocument)
{
    start();
    CChildFrame* a = frame->OpenFile(write("a.c", "int a;"));
    CChildFrame* b = frame->OpenFile(write("b.py", "b = 1"));
    ASSERT_TRUE(a && b);
    auto size32 = [](CChildFrame* c) {
        return int(c->textView()->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 32UL));
    };
    EXPECT_EQ(size32(a), 10);
    frame->OnCommand(827);   // base font 2
    EXPECT_EQ(size32(a), 14);
    EXPECT_EQ(size32(b), 14);
    EXPECT_EQ(settings->ReadInt("FONT", "CurSel", 0), 2);
    // The drop-down offers keys 1 and 2 only: the list ends at the first missing number.
    QMenu* fonts = frame->commandUi()->baseFontMenu();
    ASSERT_TRUE(fonts);
    int entries = 0;
    for (QAction* act : fonts->actions())
        if (act->data().toInt() >= 826 && act->data().toInt() <= 835)
            ++entries;
    EXPECT_EQ(entries, 2);
}

TEST_F(FrameCommandsTest, MonitorClipboardInsertsCopiedTextAtTheCaret)
{
    start();
    CChildFrame* c = frame->OpenFile(write("m.txt", "hello world"));
    ASSERT_TRUE(c);
    frame->OnCommand(681);
    EXPECT_TRUE(c->monitorClipboard());
    CTextView* v = c->textView();
    v->setSel(0, 5);
    frame->OnCommand(203);   // Copy inside the same document
    pump(20);
    v->setSel(v->length(), v->length());
    QApplication::clipboard()->setText("!");
    pump(20);
    EXPECT_EQ(v->text(), "hellohello world!");
    v->undo();
    EXPECT_EQ(v->text(), "hellohello world");
    frame->OnCommand(681);
    QApplication::clipboard()->setText("ignored");
    pump(20);
    EXPECT_EQ(v->text(), "hellohello world");
}

TEST_F(FrameCommandsTest, CopyAndPasteReachAFocusedEditField)
{
    start();
    QLineEdit edit(frame.get());
    edit.setText("panel text");
    edit.show();
    edit.setFocus();
    edit.selectAll();
    pump(20);
    if (QApplication::focusWidget() != &edit)
        GTEST_SKIP() << "no focus on this platform";
    frame->OnCommand(203);
    EXPECT_EQ(QApplication::clipboard()->text(), "panel text");
    edit.clear();
    frame->OnCommand(204);
    EXPECT_EQ(edit.text(), "panel text");
}

TEST_F(FrameCommandsTest, TileAndCascadeUseWindowsAndMaximisingReturnsToTabs)
{
    start();
    frame->resize(800, 600);
    frame->OpenFile(write("1.txt", "1"));
    frame->OpenFile(write("2.txt", "2"));
    frame->OnCommand(812);   // side by side
    pump(20);
    QList<QMdiSubWindow*> subs = frame->documentArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 2);
    EXPECT_EQ(frame->documentArea()->viewMode(), QMdiArea::SubWindowView);
    EXPECT_EQ(subs[0]->geometry().top(), subs[1]->geometry().top());
    EXPECT_LT(subs[0]->geometry().left(), subs[1]->geometry().left());
    frame->OnCommand(811);   // one above the other
    pump(20);
    EXPECT_EQ(subs[0]->geometry().left(), subs[1]->geometry().left());
    EXPECT_LT(subs[0]->geometry().top(), subs[1]->geometry().top());
    subs[1]->showMaximized();
    pump(20);
    EXPECT_EQ(frame->documentArea()->viewMode(), QMdiArea::TabbedView);
}

struct AutoUpdateTest : FrameFixture {
    void writeIni() override
    {
        // "Auto Update" on; a stub update client in the program folder records its arguments.
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=2097152\n[UPDATE]\nLastUpdate=0\n");
        f.close();
        QFile stub(program.filePath("velmoupd"));
        stub.open(QIODevice::WriteOnly);
        stub.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args.txt\"\n");
        stub.close();
        stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

TEST_F(AutoUpdateTest, RunsTheUpdateClientOncePerDay)
{
    start();
    const int today = int(QDateTime::currentSecsSinceEpoch() / 86400);
    EXPECT_EQ(settings->ReadInt("UPDATE", "LastUpdate", 0), today);
    for (int i = 0; i < 100 && !QFile::exists(program.filePath("args.txt")); ++i)
        pump(20);
    EXPECT_EQ(read(program.filePath("args.txt")), QByteArray("-id:1 velmo -s\n"));
    // The same day again: nothing runs.
    QFile::remove(program.filePath("args.txt"));
    frame.reset();
    start();
    pump(300);
    EXPECT_FALSE(QFile::exists(program.filePath("args.txt")));
}

} // namespace

namespace {

QAction* menuItem(CMainFrame& frame, const char* popupName, int id)
{
    static QAction missing;
    missing.setText("missing");
    QMenu* menu = frame.commandUi()->popup(popupName);
    if (!menu) {
        ADD_FAILURE() << "no menu " << popupName;
        return &missing;
    }
    emit menu->aboutToShow();   // states are computed when a menu opens
    for (QAction* act : menu->actions())
        if (act->data().toInt() == id)
            return act;
    ADD_FAILURE() << "no item " << id << " in " << popupName;
    return &missing;
}

struct MenuStateTest : FrameFixture {};

TEST_F(MenuStateTest, StatesFollowTheActiveDocument)
{
    start();
    // No document: Save, Close and the encodings are off; Find in Files stays on.
    EXPECT_FALSE(menuItem(*frame, "menu_file", 103)->isEnabled());
    EXPECT_FALSE(menuItem(*frame, "menu_document", 503)->isEnabled());
    EXPECT_TRUE(menuItem(*frame, "menu_search", 406)->isEnabled());

    CChildFrame* c = frame->OpenFile(write("s.txt", "abc\r\ndef"));
    ASSERT_TRUE(c);
    EXPECT_TRUE(menuItem(*frame, "menu_file", 103)->isEnabled());
    EXPECT_FALSE(menuItem(*frame, "menu_file", 106)->isEnabled());   // unmodified
    EXPECT_TRUE(menuItem(*frame, "menu_document", 501)->isChecked()); // ANSI
    EXPECT_FALSE(menuItem(*frame, "menu_document", 506)->isEnabled()); // already CR+LF
    EXPECT_FALSE(menuItem(*frame, "menu_document", 510)->isEnabled());
    EXPECT_TRUE(menuItem(*frame, "menu_language", 701)->isChecked());  // plain text
    EXPECT_FALSE(menuItem(*frame, "menu_language", 700)->isChecked());

    c->textView()->addText(std::string("x"));
    EXPECT_TRUE(menuItem(*frame, "menu_file", 106)->isEnabled());
    frame->OnCommand(509);
    EXPECT_TRUE(menuItem(*frame, "menu_document", 509)->isChecked());

    const QString ro = write("ro.txt", "r");
    QFile::setPermissions(ro, QFile::ReadOwner);
    frame->OpenFile(ro);
    EXPECT_FALSE(menuItem(*frame, "menu_document", 509)->isEnabled());
    EXPECT_TRUE(menuItem(*frame, "menu_document", 510)->isEnabled());

    QByteArray bin(80, 0);
    frame->OpenFile(write("b.bin", bin));
    EXPECT_TRUE(menuItem(*frame, "menu_language", 700)->isChecked());
    EXPECT_FALSE(menuItem(*frame, "menu_document", 501)->isEnabled());
}

TEST_F(MenuStateTest, NewDocumentTakesTheDefaultSchemeAndEncoding)
{
    settings->defaultScheme = "new.py";
    settings->defaultEncoding = 3;
    start();
    frame->OnCommand(100);
    CChildFrame* c = frame->activeChild();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->textView()->encoding(), 3);
    EXPECT_EQ(languages->Entry(c->languageIndex()).lexer, "python");
}

TEST_F(MenuStateTest, OpenDialogUsesFiltersAndRemembersTheEncodingRow)
{
    QFile ini(program.filePath("velmo.ini"));
    ini.open(QIODevice::Append);
    ini.write("[FILTER]\nC files|*.c;*.h\nAll|*.*\n");
    ini.close();
    start();
    const QString a = write("a.c", "int a;");
    const QString b = write("b.c", "int b;");
    answerDialog({a, b}, 1);   // "Hex"
    frame->OnCommand(101);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filters, QStringList({"C files|*.c;*.h", "All|*.*"}));
    EXPECT_EQ(dialogs.requests[0].encodings.value(0), "Automatic");
    EXPECT_EQ(dialogs.requests[0].encodings.size(), 7);
    ASSERT_EQ(frame->children().size(), 2);
    EXPECT_TRUE(frame->children()[0]->isHex());
    EXPECT_EQ(settings->ReadInt("USER", "EncodeTypeIndex", 0), 1);
    dialogs.answers.push_back({});   // cancelled: nothing more opens
    frame->OnCommand(101);
    EXPECT_EQ(dialogs.requests[1].encodingIndex, 1);
    EXPECT_EQ(frame->children().size(), 2);
}

TEST_F(MenuStateTest, OpenFilesRequestArrivesQueued)
{
    start();
    const QString a = write("q a.txt", "1");
    const QString b = write("q2.txt", "2");
    QMetaObject::invokeMethod(frame.get(), "OpenFilesRequest", Qt::QueuedConnection,
                              Q_ARG(QString, "\"" + a + "\" " + b));
    EXPECT_TRUE(frame->children().isEmpty());   // nothing until the loop runs
    pump(20);
    EXPECT_EQ(openPaths(), QStringList({a, b}));
}

} // namespace

namespace {

struct HexFrameTest : FrameFixture {};

TEST_F(HexFrameTest, HexDocumentsSaveInPlaceAndAs)
{
    start();
    QByteArray bytes(70, '\0');
    bytes[0] = 'A';
    const QString path = write("data.bin", bytes);
    CChildFrame* c = frame->OpenFile(path);
    ASSERT_TRUE(c && c->hexView());
    c->hexView()->resize(600, 300);
    pump(20);
    for (char ch : {'4', '2'}) {   // overwrite the first byte
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (ch - '0'), Qt::NoModifier, QString(QChar(ch)));
        QCoreApplication::sendEvent(c->hexView(), &press);
    }
    EXPECT_TRUE(c->isModified());
    EXPECT_EQ(c->tabIcon(), 1);
    const QString copy = files.filePath("copy.bin");
    answerDialog({copy});
    frame->OnCommand(107);
    EXPECT_EQ(c->path(), copy);
    EXPECT_EQ(read(copy).left(1), QByteArray("B"));
    EXPECT_EQ(read(copy).size(), 70);
    EXPECT_EQ(read(path), bytes);   // the original is untouched
    EXPECT_FALSE(c->isModified());
}

} // namespace

namespace {

struct HexReadOnlyTest : FrameFixture {
    // Opens a file that starts with zero bytes, so it shows in hex.
    CChildFrame* openHex(const QString& name, bool fileReadOnly = false)
    {
        QByteArray bytes(80, '\0');
        bytes[0] = 'A';
        const QString path = write(name, bytes);
        if (fileReadOnly)
            QFile::setPermissions(path, QFile::ReadOwner);
        CChildFrame* c = frame->OpenFile(path);
        if (!c || !c->hexView())
            return nullptr;
        c->hexView()->resize(600, 300);
        pump(20);
        return c;
    }
    // Types hex digits through the view's key events.
    static void typeDigits(CChildFrame* c, const char* digits)
    {
        for (; *digits; ++digits) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (*digits - '0'), Qt::NoModifier, QString(QChar(*digits)));
            QCoreApplication::sendEvent(c->hexView(), &press);
        }
    }
    void trigger(int id)
    {
        QAction* item = menuItem(*frame, "menu_document", id);
        ASSERT_TRUE(item->isEnabled()) << id;
        item->trigger();
    }
};

TEST_F(HexReadOnlyTest, ReadOnlyToggleStopsAndAllowsTyping)
{
    start();
    CChildFrame* c = openHex("toggle.bin");
    ASSERT_TRUE(c);
    EXPECT_FALSE(menuItem(*frame, "menu_document", 510)->isEnabled());

    trigger(509);
    EXPECT_TRUE(menuItem(*frame, "menu_document", 509)->isChecked());
    EXPECT_TRUE(c->hexView()->isReadOnly());
    EXPECT_EQ(c->tabIcon(), 2);
    typeDigits(c, "42");
    EXPECT_FALSE(c->isModified());
    EXPECT_EQ(c->hexView()->model().byteAt(0), 'A');

    trigger(509);
    EXPECT_FALSE(menuItem(*frame, "menu_document", 509)->isChecked());
    EXPECT_FALSE(c->hexView()->isReadOnly());
    EXPECT_EQ(c->tabIcon(), 0);
    typeDigits(c, "42");
    EXPECT_TRUE(c->isModified());
    EXPECT_EQ(c->tabIcon(), 1);

    // The toggle holds when the document is read from disk again in hex.
    trigger(509);
    menuItem(*frame, "menu_file", cmd::FileReload)->trigger();
    ASSERT_TRUE(c->hexView());
    EXPECT_TRUE(c->hexView()->isReadOnly());
}

TEST_F(HexReadOnlyTest, ClearingTheAttributeMakesTheFileAndViewWritable)
{
    start();
    CChildFrame* c = openHex("locked.bin", true);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->hexView()->isReadOnly());
    EXPECT_FALSE(menuItem(*frame, "menu_document", 509)->isEnabled());

    trigger(510);
    EXPECT_TRUE(QFileInfo(c->path()).permissions() & QFile::WriteOwner);
    EXPECT_FALSE(c->hexView()->isReadOnly());
    EXPECT_FALSE(menuItem(*frame, "menu_document", 510)->isEnabled());
    EXPECT_TRUE(menuItem(*frame, "menu_document", 509)->isEnabled());
    EXPECT_EQ(c->tabIcon(), 0);
    typeDigits(c, "42");
    menuItem(*frame, "menu_file", cmd::FileSave)->trigger();
    EXPECT_EQ(read(c->path()).left(1), QByteArray("B"));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(HexReadOnlyTest, SaveAsFromAReadOnlyFileGivesAWritableCopy)
{
    start();
    CChildFrame* c = openHex("source.bin", true);
    ASSERT_TRUE(c);
    const QString copy = files.filePath("copy.bin");
    answerDialog({copy});
    menuItem(*frame, "menu_file", cmd::FileSaveAs)->trigger();
    ASSERT_EQ(c->path(), copy);
    EXPECT_FALSE(c->hexView()->isReadOnly());
    EXPECT_EQ(c->tabIcon(), 0);
    EXPECT_TRUE(menuItem(*frame, "menu_document", 509)->isEnabled());
    typeDigits(c, "43");
    EXPECT_TRUE(c->isModified());
    menuItem(*frame, "menu_file", cmd::FileSave)->trigger();
    EXPECT_EQ(read(copy).left(1), QByteArray("C"));
}

TEST_F(HexReadOnlyTest, SaveIntoAFileRenamedOverThePathIsRefusedAndReported)
{
    start();
    CChildFrame* c = openHex("swapped.bin");
    ASSERT_TRUE(c);
    typeDigits(c, "42");
    // Another program writes the new contents aside and renames them over the path.
    const QByteArray fresh(80, 'z');
    const QString aside = write("swapped.bin.tmp", fresh);
    ASSERT_EQ(std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(c->path()).constData()), 0);

    menuItem(*frame, "menu_file", cmd::FileSave)->trigger();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(c->path()));
    EXPECT_EQ(read(c->path()), fresh);
    EXPECT_TRUE(c->isModified());
}

} // namespace
