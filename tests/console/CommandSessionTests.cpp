// The command window's session without a widget: a real pseudo-terminal, the real
// interpreter on its thread and real programs. Keys in, screen rows out.
#include "console/CommandSession.h"
#include "TestPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

using namespace console;

namespace {

struct SessionTest : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<CommandSession> s;
    std::vector<std::vector<ustring>> opened;

    void start(int completionChar = 9, ustring arguments = {})
    {
        CommandSession::Options o;
        o.environment = Environment::fromProcess();
        o.currentDirectory = dir.path().toStdU16String();
        o.comspec = testpaths::binary("/bin/velmocmd").toStdU16String();
        o.settings.completionChar = completionChar;
        o.arguments = std::move(arguments);
        o.aboutText = u"About line one\r\nAbout line two\r\n";
        o.openFiles = [this](std::vector<ustring> paths) { opened.push_back(std::move(paths)); };
        o.columns = 100;
        o.rows = 30;
        s = std::make_unique<CommandSession>(std::move(o));
        ASSERT_TRUE(s->start());
        ASSERT_TRUE(waitPrompt());
    }

    template <class Pred>
    bool waitFor(Pred pred, int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            s->drain();
            if (pred())
                return true;
            if (t.elapsed() > ms)
                return false;
            QThread::msleep(5);
        }
    }
    bool waitPrompt() { return waitFor([this] { return s->editor().active(); }); }

    QString screen() const
    {
        QStringList out;
        for (const ustring& l : s->model().lines())
            out << QString::fromStdU16String(l);
        return out.join(QLatin1Char('\n'));
    }

    void type(const char16_t* text)
    {
        for (; *text; ++text) {
            KeyPress k;
            k.ch = *text;
            s->key(k);
        }
    }
    void key(KeyPress::Code c, bool shift = false)
    {
        KeyPress k;
        k.code = c;
        k.shift = shift;
        s->key(k);
    }
    // Types a command, ends it with Enter and waits for the next prompt.
    bool run(const char16_t* command)
    {
        type(command);
        key(KeyPress::Enter);
        return waitPrompt();
    }
    QString cursorRowText() const { return QString::fromStdU16String(s->model().rowText(s->model().cursorRow())); }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The pid of a child of ours running `name`, 0 when there is none.
    static int childNamed(const char* name)
    {
        DIR* d = ::opendir("/proc");
        int found = 0;
        while (dirent* e = d ? ::readdir(d) : nullptr) {
            const int pid = std::atoi(e->d_name);
            if (pid <= 0)
                continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string line;
            std::getline(stat, line);
            const size_t open = line.find('('), close = line.rfind(')');
            if (open == std::string::npos || close == std::string::npos)
                continue;
            int ppid = 0;
            char state = 0;
            std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid);
            if (line.substr(open + 1, close - open - 1) == name && ppid == ::getpid() && state != 'Z')
                found = pid;
        }
        if (d)
            ::closedir(d);
        return found;
    }
};

} // namespace

TEST_F(SessionTest, BuiltinsProgramsAndPipesWriteBeforeTheNextPrompt)
{
    start();
    const QString prompt = cursorRowText();
    EXPECT_TRUE(prompt.endsWith(QLatin1Char('>'))) << prompt.toStdString();
    ASSERT_TRUE(run(u"echo hello there"));
    EXPECT_TRUE(screen().contains(QStringLiteral("\nhello there\n"))) << screen().toStdString();
    ASSERT_TRUE(run(u"/bin/echo from a program"));
    ASSERT_TRUE(run(u"echo piped words | tr a-z A-Z"));
    EXPECT_TRUE(screen().contains(QStringLiteral("\nfrom a program\n"))) << screen().toStdString();
    EXPECT_TRUE(screen().contains(QStringLiteral("\nPIPED WORDS \n")) || screen().contains(QStringLiteral("\nPIPED WORDS\n")))
        << screen().toStdString();
    // A program's whole output is on the screen before the prompt that follows it.
    ASSERT_TRUE(run(u"seq 1 3000"));
    const std::vector<ustring> lines = s->model().lines();
    const int cur = s->model().cursorRow();
    ASSERT_GE(cur, 2);
    EXPECT_EQ(lines[size_t(cur - 2)], u"3000");
    EXPECT_EQ(QString::fromStdU16String(lines[size_t(cur)]), prompt);
}

TEST_F(SessionTest, DirListsTheFolderAndColourChangesTheScreen)
{
    write(QStringLiteral("listed-file.txt"), "x");
    start();
    ASSERT_TRUE(run(u"dir"));
    EXPECT_TRUE(screen().contains(QStringLiteral("listed-file.txt"))) << screen().toStdString();
    ASSERT_TRUE(run(u"color 1e"));
    EXPECT_EQ(s->model().defaultAttribute(), 0x1E);
    EXPECT_EQ(s->model().row(0)[0].attr, 0x1E);
    ASSERT_TRUE(run(u"cls"));
    EXPECT_LE(s->model().cursorRow(), 1);
    EXPECT_FALSE(screen().contains(QStringLiteral("listed-file.txt")));
}

TEST_F(SessionTest, CtrlCReachesTheSleepingChildAndTheProgramGetsTypedKeys)
{
    start();
    type(u"sleep 30");
    key(KeyPress::Enter);
    ASSERT_TRUE(waitFor([this] { return childNamed("sleep") != 0 && s->programRunning(); }));
    EXPECT_FALSE(s->editor().active());
    key(KeyPress::Interrupt);
    ASSERT_TRUE(waitPrompt());
    EXPECT_EQ(childNamed("sleep"), 0);

    // While a program runs, keys go to it through the terminal.
    type(u"head -n 1");
    key(KeyPress::Enter);
    ASSERT_TRUE(waitFor([this] { return childNamed("head") != 0 && s->programRunning(); }));
    type(u"typed for head");
    key(KeyPress::Enter);
    ASSERT_TRUE(waitPrompt());
    EXPECT_EQ(screen().count(QStringLiteral("typed for head")), 2) << screen().toStdString(); // echo and output
}

TEST_F(SessionTest, LinesSentWhileACommandRunsAreQueuedNotLost)
{
    start();
    type(u"head -n 1");
    key(KeyPress::Enter);
    ASSERT_TRUE(waitFor([this] { return childNamed("head") != 0 && s->programRunning(); }));
    // A tool's line arrives while head waits for its input: head does not get it.
    ASSERT_TRUE(s->sendLine(u"echo queued one"));
    ASSERT_TRUE(s->sendLine(u"echo queued two\r"));
    type(u"for head");
    key(KeyPress::Enter);
    ASSERT_TRUE(waitFor([this] { return screen().contains(QStringLiteral("\nqueued two\n")); }));
    ASSERT_TRUE(waitPrompt());
    const QString text = screen();
    EXPECT_LT(text.indexOf(QStringLiteral("\nfor head\n")), text.indexOf(QStringLiteral("\nqueued one\n")));
    EXPECT_LT(text.indexOf(QStringLiteral("\nqueued one\n")), text.indexOf(QStringLiteral("\nqueued two\n")));
    // At the prompt a sent line is typed after what the user has typed.
    type(u"echo half");
    ASSERT_TRUE(s->sendLine(u" and the rest"));
    ASSERT_TRUE(waitFor([this] { return screen().contains(QStringLiteral("\nhalf and the rest\n")); }));

    // Pasted lines run one after the other; an unfinished last line waits at the prompt.
    ASSERT_TRUE(waitPrompt());
    s->paste(u"echo pasted 1\r\necho pasted 2\necho pas");
    ASSERT_TRUE(waitFor([this] { return screen().contains(QStringLiteral("\npasted 2\n")) && s->editor().active(); }));
    EXPECT_EQ(s->editor().text(), u"echo pas");
}

TEST_F(SessionTest, CompletionKeyCyclesThroughNames)
{
    write(QStringLiteral("alpha one.txt"), "");
    write(QStringLiteral("alpha2.txt"), "");
    QDir(dir.path()).mkdir(QStringLiteral("alphadir"));
    start(9);
    type(u"type al");
    type(u"\t");
    ASSERT_TRUE(waitFor([this] { return s->editor().active() && s->editor().text() != u"type al"; }));
    EXPECT_EQ(s->editor().text(), u"type \"alpha one.txt\"");
    type(u"\t");
    ASSERT_TRUE(waitFor([this] { return s->editor().active() && s->editor().text() == u"type alpha2.txt"; }));
    // The rest of the longer text shown before is blanked.
    EXPECT_EQ(cursorRowText().section(QLatin1Char('>'), -1), QStringLiteral("type alpha2.txt"));
    KeyPress back;
    back.ch = U'\t';
    back.shift = true;
    s->key(back);
    ASSERT_TRUE(waitFor([this] { return s->editor().active() && s->editor().text() == u"type \"alpha one.txt\""; }));
    key(KeyPress::Escape);
    type(u"cd al\t");
    ASSERT_TRUE(waitFor([this] { return s->editor().active() && s->editor().text() == u"cd alphadir"; }));
}

TEST_F(SessionTest, PeriodCommandsBelongToTheWindow)
{
    start();
    ASSERT_TRUE(run(u"md sub"));
    ASSERT_TRUE(run(u"cd sub"));
    ASSERT_TRUE(run(u".open \"name with blank.txt\" plain.txt"));
    ASSERT_TRUE(run(u".OPEN ..\\up.txt"));
    ASSERT_EQ(opened.size(), 2u);
    const ustring sub = QDir(dir.filePath(QStringLiteral("sub"))).absolutePath().toStdU16String();
    ASSERT_EQ(opened[0].size(), 2u);
    EXPECT_EQ(opened[0][0], sub + u"/name with blank.txt");
    EXPECT_EQ(opened[0][1], sub + u"/plain.txt");
    EXPECT_EQ(QDir::cleanPath(QString::fromStdU16String(opened[1][0])), dir.filePath(QStringLiteral("up.txt")));
    const int before = s->model().cursorRow();
    ASSERT_TRUE(run(u".unknown word"));
    EXPECT_EQ(s->model().cursorRow(), before + 2); // nothing printed, not even "not recognized"
    ASSERT_TRUE(run(u".about"));
    EXPECT_TRUE(screen().contains(QStringLiteral("\nAbout line one\nAbout line two\n"))) << screen().toStdString();
}

TEST_F(SessionTest, ExitEndsTheSessionAndStopHangsUpTheJob)
{
    start();
    ASSERT_TRUE(run(u"set MINE=1"));
    type(u"exit 3");
    key(KeyPress::Enter);
    ASSERT_TRUE(waitFor([this] { return s->ended(); }));
    EXPECT_EQ(s->exitCode(), 3);
    EXPECT_FALSE(s->sendLine(u"echo nobody"));
    // The editor's own environment was never touched.
    EXPECT_TRUE(qgetenv("MINE").isEmpty());

    start();
    type(u"sleep 30");
    key(KeyPress::Enter);
    int pid = 0;
    ASSERT_TRUE(waitFor([&pid] { return (pid = childNamed("sleep")) != 0; }));
    s->stop();
    EXPECT_FALSE(s->running());
    EXPECT_EQ(childNamed("sleep"), 0);
}

TEST_F(SessionTest, StartupBatchRunsBeforeThePrompt)
{
    write(QStringLiteral("initcmd.bat"), "@set FROMINIT=yes\r\n@echo init ran\r\n");
    start(9, (u"/K \"" + dir.filePath(QStringLiteral("initcmd.bat")).toStdU16String() + u"\""));
    EXPECT_TRUE(screen().contains(QStringLiteral("init ran"))) << screen().toStdString();
    ASSERT_TRUE(run(u"echo %FROMINIT%"));
    EXPECT_TRUE(screen().contains(QStringLiteral("\nyes\n"))) << screen().toStdString();
}
