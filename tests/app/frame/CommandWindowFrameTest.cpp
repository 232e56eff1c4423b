// The command window in a real main frame: Alt+4 shows it, keys typed into it run real
// commands and programs through the interpreter, Ctrl+C stops a sleeping child, ".open"
// opens documents, lines sent by tools are typed in order, and EXIT asks the window to
// close with its save prompts.
#include "FrameFixture.h"

#include "app/CommandWindow.h"
#include "app/FrameShell.h"
#include "console/CommandSession.h"
#include "console/widgets/CmdView.h"
#include "framework/widgets/PanelHost.h"
#include "TestPaths.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>

#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace {

// Whether a child of ours runs `name`.
bool childRunning(const std::string& name)
{
    bool found = false;
    DIR* d = ::opendir("/proc");
    while (dirent* e = d ? ::readdir(d) : nullptr) {
        if (std::atoi(e->d_name) <= 0)
            continue;
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        char state = 0;
        int ppid = 0;
        std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid);
        found = found || (line.substr(open + 1, close - open - 1) == name && ppid == ::getpid() && state != 'Z');
    }
    if (d)
        ::closedir(d);
    return found;
}

struct CommandWindowTest : FrameFixture {
    CCmdView* view = nullptr;

    void SetUp() override
    {
        FrameFixture::SetUp();
        // The built sides of pipes run through the built interpreter program.
        qputenv("COMSPEC", testpaths::binary("/bin/velmocmd").toLocal8Bit());
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        qunsetenv("COMSPEC");
    }

    console::CommandSession* session() const { return frame->commandWindow()->session(); }
    bool atPrompt() const { return session() && session()->editor().active(); }

    // The user shows the pane with its key and clicks into it.
    void openPane()
    {
        frame->show();
        key(frame->activeChild() ? static_cast<QWidget*>(frame->activeChild()) : frame.get(), Qt::Key_4, Qt::AltModifier);
        view = frame->commandWindow()->view();
        ASSERT_TRUE(view->isVisible());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        ASSERT_TRUE(pumpUntil([this] { return atPrompt(); }, 10000));
    }
    QString screen() const
    {
        QStringList out;
        for (const std::u16string& l : session()->model().lines())
            out << QString::fromStdU16String(l);
        return out.join(QLatin1Char('\n'));
    }
    bool typeLine(const QString& text)
    {
        QTest::keyClicks(view, text);
        QTest::keyClick(view, Qt::Key_Return);
        return pumpUntil([this] { return atPrompt(); }, 10000);
    }
    bool shows(const QString& line) { return pumpUntil([&] { return screen().contains(QLatin1Char('\n') + line + QLatin1Char('\n')); }); }
};

} // namespace

TEST_F(CommandWindowTest, TypedCommandsProgramsPipesAndDir)
{
    write(QStringLiteral("in-the-folder.txt"), "x");
    start({files.filePath(QStringLiteral("in-the-folder.txt"))});
    openPane();
    // The first file's folder is the interpreter's folder and VMINITPATH.
    ASSERT_TRUE(typeLine(QStringLiteral("echo %VMINITPATH%")));
    EXPECT_TRUE(shows(files.path() + QLatin1Char('/'))) << screen().toStdString();
    ASSERT_TRUE(typeLine(QStringLiteral("echo hello")));
    EXPECT_TRUE(shows(QStringLiteral("hello")));
    ASSERT_TRUE(typeLine(QStringLiteral("/bin/echo external")));
    EXPECT_TRUE(shows(QStringLiteral("external")));
    ASSERT_TRUE(typeLine(QStringLiteral("echo abc| tr a-z A-Z")));
    EXPECT_TRUE(shows(QStringLiteral("ABC")));
    ASSERT_TRUE(typeLine(QStringLiteral("dir")));
    EXPECT_TRUE(screen().contains(QStringLiteral("in-the-folder.txt")));
    // The editor's own folder is not the interpreter's business.
    ASSERT_TRUE(typeLine(QStringLiteral("cd ..")));
    EXPECT_NE(QDir::currentPath(), QDir(files.path() + QStringLiteral("/..")).absolutePath());

    // Copy a selection with Ctrl+C, paste it back as typed input.
    const int row = session()->model().cursorRow();
    QApplication::clipboard()->clear();
    QTest::keyClicks(view, QStringLiteral("echo copied"));
    pump();
    const int y = (row - view->verticalScrollBar()->value()) * view->cellHeight() + view->cellHeight() / 2;
    const int promptCols = int(screen().split(QLatin1Char('\n'))[row].indexOf(QLatin1Char('>'))) + 1;
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(promptCols * view->cellWidth(), y));
    QTest::mouseMove(view->viewport(), QPoint((promptCols + 11) * view->cellWidth(), y));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint((promptCols + 11) * view->cellWidth(), y));
    key(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("echo copied"));
    EXPECT_TRUE(atPrompt()); // the copy did not interrupt the line
    key(view, Qt::Key_Escape);
    key(view, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(shows(QStringLiteral("copied")));
}

TEST_F(CommandWindowTest, CtrlCStopsASleepingChild)
{
    start();
    openPane();
    QTest::keyClicks(view, QStringLiteral("sleep 30"));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([this] { return childRunning("sleep") && session()->programRunning(); }));
    EXPECT_FALSE(atPrompt());
    key(view, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([this] { return atPrompt(); }, 10000));
    EXPECT_FALSE(childRunning("sleep"));
    ASSERT_TRUE(typeLine(QStringLiteral("echo after")));
    EXPECT_TRUE(shows(QStringLiteral("after")));
}

TEST_F(CommandWindowTest, OpenWithQuotedNamesOpensDocuments)
{
    write(QStringLiteral("name with blank.txt"), "one");
    write(QStringLiteral("plain.txt"), "two");
    start();
    openPane();
    ASSERT_TRUE(typeLine(QStringLiteral("cd \"%1\"").arg(files.path())));
    ASSERT_TRUE(typeLine(QStringLiteral(".open \"name with blank.txt\" plain.txt")));
    ASSERT_TRUE(pumpUntil([this] { return frame->children().size() >= 2; }));
    QStringList names;
    for (CChildFrame* c : frame->children())
        names << QFileInfo(c->path()).fileName();
    EXPECT_TRUE(names.contains(QStringLiteral("name with blank.txt")));
    EXPECT_TRUE(names.contains(QStringLiteral("plain.txt")));
    const int before = int(frame->children().size());
    ASSERT_TRUE(typeLine(QStringLiteral(".nothing at all")));
    pump(50);
    EXPECT_EQ(frame->children().size(), before);
    EXPECT_FALSE(screen().contains(QStringLiteral("not recognized")));
}

TEST_F(CommandWindowTest, LinesSentByToolsRunInOrderAndWaitForARunningCommand)
{
    start();
    // Sending starts the interpreter even when the pane has not been shown.
    ASSERT_TRUE(frame->sendToCommandWindow({QStringLiteral("echo first"), QStringLiteral("echo second")}));
    ASSERT_TRUE(pumpUntil([this] { return screen().contains(QStringLiteral("\nsecond\n")); }));
    EXPECT_LT(screen().indexOf(QStringLiteral("\nfirst\n")), screen().indexOf(QStringLiteral("\nsecond\n")));
    openPane();
    // A batch file sent by its quoted path while a program waits for input.
    const QString bat = write(QStringLiteral("tool dir/batch.bat"), "@echo from batch\r\n");
    QTest::keyClicks(view, QStringLiteral("head -n 1"));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([this] { return childRunning("head") && session()->programRunning(); }));
    ASSERT_TRUE(frame->sendToCommandWindow({QLatin1Char('"') + bat + QLatin1Char('"')}));
    QTest::keyClicks(view, QStringLiteral("to head"));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(shows(QStringLiteral("from batch"))) << screen().toStdString();
    EXPECT_LT(screen().indexOf(QStringLiteral("\nto head\n")), screen().indexOf(QStringLiteral("\nfrom batch\n")));
}

TEST_F(CommandWindowTest, ExitAsksTheWindowToCloseAndALaterStartIsFresh)
{
    start();
    frame->NewDocument();
    frame->activeChild()->textView()->addText(std::string("unsaved"));
    openPane();
    ASSERT_TRUE(typeLine(QStringLiteral("set MARK=old")));
    box.answers = {seams::IDCANCEL};
    saves.answers = {seams::IDCANCEL};
    QTest::keyClicks(view, QStringLiteral("exit"));
    QTest::keyClick(view, Qt::Key_Return);
    // The save question comes up; Cancel keeps the editor and its document.
    ASSERT_TRUE(pumpUntil([this] { return !box.shown.empty() || !saves.shown.empty(); }));
    pump(50);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->children().size(), 1);
    // The next key in the pane starts a new interpreter without the old one's variables.
    key(view, Qt::Key_Space);
    ASSERT_TRUE(pumpUntil([this] { return atPrompt(); }, 10000));
    ASSERT_TRUE(typeLine(QStringLiteral("echo [%MARK%]")));
    EXPECT_TRUE(shows(QStringLiteral("[%MARK%]"))) << screen().toStdString();
}
