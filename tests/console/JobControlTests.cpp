// Jobs and the terminal: a pipeline is one job that owns the terminal while it runs,
// nested and background interpreters never take the terminal, Ctrl+C reaches a FOR /F
// command and never becomes its data, and line reads stay within the line limit.
#include "ProcessHarness.h"
#include "console/Interpreter.h"
#include "TestPaths.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace console;
using namespace console::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// velmocmd on a terminal of its own, with the prompt ">" and a plain PATH.
class VelmocmdTerminal : public Terminal {
public:
    explicit VelmocmdTerminal(const QString& dir)
        : Terminal(dir, {velmocmdPath()},
                   {{"XDG_CONFIG_HOME", (dir + "/config").toStdString()}, {"PROMPT", "$G"},
                    {"PATH", "/usr/bin:/bin"}})
    {
    }
};

TEST(JobControlTest, APipelineOwnsTheTerminalWhileItRuns)
{
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 1; i <= 200; ++i)
        lines += QByteArray::number(i) + "\n";
    writeFile(dir.path() + "/n.txt", lines);
    VelmocmdTerminal t(dir.path());
    if (!t.started())
        GTEST_SKIP() << "no pseudo-terminal available";
    t.readUntil(">");

    // The left side reads the terminal.
    t.type("sort | cat\r");
    ASSERT_TRUE(t.waitForForeground("sort"));
    t.type("b\ra\r\x04");
    EXPECT_NE(t.readUntil(">").find("a\nb\n"), std::string::npos);

    // A pager on the right side sets up the terminal and reads its keys.
    t.type("type n.txt | more\r");
    EXPECT_NE(t.readUntil("More").find("\n23\n"), std::string::npos);
    t.type("q");
    t.readUntil(">");

    // Ctrl+C reaches every side.
    t.type("sort | cat\r");
    ASSERT_TRUE(t.waitForForeground("sort"));
    t.type("\x03");
    t.readUntil(">");
    t.type("echo still here\r");
    EXPECT_NE(t.readUntil(">").find("\nstill here\n"), std::string::npos);
    t.type("exit 3\r");
    EXPECT_EQ(t.wait(), 3);
}

TEST(JobControlTest, NestedInterpretersLeaveTheTerminalToTheirJob)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/n.txt", "x\n");
    VelmocmdTerminal t(dir.path());
    if (!t.started())
        GTEST_SKIP() << "no pseudo-terminal available";
    t.readUntil(">");
    // The commands of FOR /F and the sides of a pipe that are not programs run in a
    // second interpreter, which starts `ls` from there.
    t.type("for /f %a in ('ls') do @echo [%a]\r");
    EXPECT_NE(t.readUntil(">").find("[n.txt]"), std::string::npos);
    t.type("(ls) | cat\r");
    EXPECT_NE(t.readUntil(">").find("\nn.txt\n"), std::string::npos);
    t.type("echo still here\r");
    EXPECT_NE(t.readUntil(">").find("\nstill here\n"), std::string::npos);
    EXPECT_EQ(t.foregroundGroup(), t.pid());
    t.type("exit 5\r");
    EXPECT_EQ(t.wait(), 5);
}

TEST(JobControlTest, AnInterpreterInTheBackgroundNeverTakesTheTerminal)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/inputrc", "set enable-bracketed-paste off\n");
    Terminal t(dir.path(), {"/bin/bash", "--norc", "--noprofile", "-i"},
               {{"PS1", "$ "}, {"PATH", "/usr/bin:/bin"}, {"VELMOCMD", velmocmdPath()},
                {"INPUTRC", (dir.path() + "/inputrc").toStdString()},
                {"XDG_CONFIG_HOME", (dir.path() + "/config").toStdString()}});
    if (!t.started())
        GTEST_SKIP() << "no pseudo-terminal available";
    t.readUntil("$ ");
    // The shell reads its next line while the interpreter runs a program.
    t.type("\"$VELMOCMD\" /C \"sleep 1 & echo sle^pt\" &\r");
    t.readUntil("slept");
    t.type("echo still here\r");
    std::string out = t.readUntil("$ ");
    EXPECT_NE(out.find("\nstill here\n"), std::string::npos) << out;
    EXPECT_EQ(t.foregroundGroup(), t.pid());
    t.type("exit 4\r");
    EXPECT_EQ(t.wait(), 4);
}

TEST(JobControlTest, AStoppedJobIsNoticed)
{
    QTemporaryDir dir;
    {
        // Nobody above the interpreter could continue it: Ctrl+Z is passed over.
        VelmocmdTerminal t(dir.path());
        if (!t.started())
            GTEST_SKIP() << "no pseudo-terminal available";
        t.readUntil(">");
        t.type("sleep 30\r");
        ASSERT_TRUE(t.waitForForeground("sleep"));
        t.type("\x1a");
        t.type("\x03");
        t.readUntil(">");
        t.type("echo still here\r");
        EXPECT_NE(t.readUntil(">").find("\nstill here\n"), std::string::npos);
    }
    {
        // Under a shell the interpreter stops with its job, and both go on with "fg".
        writeFile(dir.path() + "/inputrc", "set enable-bracketed-paste off\n");
        Terminal t(dir.path(), {"/bin/bash", "--norc", "--noprofile", "-i"},
                   {{"PS1", "$ "}, {"PROMPT", "$G"}, {"PATH", "/usr/bin:/bin"}, {"VELMOCMD", velmocmdPath()},
                    {"INPUTRC", (dir.path() + "/inputrc").toStdString()},
                    {"XDG_CONFIG_HOME", (dir.path() + "/config").toStdString()}});
        t.readUntil("$ ");
        t.type("\"$VELMOCMD\"\r");
        t.readUntil(">");
        t.type("sleep 30\r");
        ASSERT_TRUE(t.waitForForeground("sleep"));
        t.type("\x1a");
        EXPECT_NE(t.readUntil("$ ").find("Stopped"), std::string::npos);
        t.type("fg\r");
        ASSERT_TRUE(t.waitForForeground("sleep"));
        t.type("\x03");
        t.readUntil(">");
        t.type("exit 2\r");
        t.readUntil("$ ");
        t.type("echo [$?]\r");
        EXPECT_NE(t.readUntil("$ ").find("\n[2]\n"), std::string::npos);
    }
}

TEST(JobControlTest, CtrlCDuringAForFileCommandAsksToTerminateTheBatch)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/t.bat", "@echo off\r\nfor /f %%a in ('sleep 307') do echo [%%a]\r\necho after\r\n");
    VelmocmdTerminal t(dir.path());
    if (!t.started())
        GTEST_SKIP() << "no pseudo-terminal available";
    t.readUntil(">");
    t.type("t.bat\r");
    ASSERT_TRUE(t.waitForForeground("sleep"));
    t.type("\x03");
    std::string asked = t.readUntil("Terminate batch job (Y/N)? ");
    EXPECT_NE(asked.find("Terminate batch job (Y/N)? "), std::string::npos) << asked;
    t.type("n\r");
    std::string rest = t.readUntil(">");
    EXPECT_NE(rest.find("\nafter\n"), std::string::npos) << rest;
    EXPECT_EQ((asked + rest).find("[^C]"), std::string::npos);
    killAll({"sleep", "307"});
}

// ---- the interpreter in-process, on a console that is no terminal (as in the editor) ----

struct Session {
    QTemporaryDir dir;
    ScriptedConsole con;
    std::unique_ptr<Interpreter> interp;

    Session()
    {
        Interpreter::Options o;
        o.console = &con;
        o.environment.set(u"PATH", u"/usr/bin:/bin");
        o.environment.set(u"PROMPT", u"$G");
        o.currentDirectory = fromQ(dir.path());
        o.comspec = testpaths::binary("/bin/velmocmd").toStdU16String();
        interp = std::make_unique<Interpreter>(std::move(o));
    }
    std::string output() const { return toUtf8(con.output()); }
};

TEST(JobControlTest, CtrlCReachesTheCommandOfForFile)
{
    Session s;
    s.con.addLine(u"for /f %a in ('sleep 308') do @echo [%a]");
    s.con.addLine(u"echo after");
    auto done = std::async(std::launch::async, [&] { return s.interp->run(u""); });
    ASSERT_TRUE(waitForProcess(withArguments({"sleep", "308"})));
    s.interp->requestCtrlC();
    bool ended = done.wait_for(HangGuard) == std::future_status::ready;
    killAll({"sleep", "308"});
    EXPECT_TRUE(ended);
    done.wait();
    const std::string out = s.output();
    EXPECT_NE(out.find("^C"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nafter\r\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("[^C]"), std::string::npos) << out;
}

TEST(JobControlTest, ACommandOfForFileEndedByCtrlCGivesNoDataAndStopsTheBatch)
{
    {
        // At the prompt the loop ends; "^C" goes to the console only.
        Session s;
        s.con.addLine(u"for /f %a in ('sh -c \"kill -INT $$\"') do @echo [%a]");
        s.con.addLine(u"echo after");
        s.interp->run(u"");
        const std::string out = s.output();
        EXPECT_EQ(out.find("[^C]"), std::string::npos) << out;
        EXPECT_NE(out.find("^C"), std::string::npos) << out;
        EXPECT_NE(out.find("\r\nafter\r\n"), std::string::npos) << out;
    }
    for (const char* answer : {"n", "y"}) {
        // In a batch file the question comes as for any other command.
        Session s;
        writeFile(s.dir.path() + "/t.bat",
                  "@echo off\r\nfor /f %%a in ('sh -c \"kill -INT $$\"') do echo [%%a]\r\necho after\r\n");
        s.con.addLine(u(answer));
        s.interp->run(u"/C t.bat");
        const std::string out = s.output();
        EXPECT_NE(out.find("Terminate batch job (Y/N)? "), std::string::npos) << out;
        EXPECT_EQ(out.find("[^C]"), std::string::npos) << out;
        EXPECT_EQ(out.find("after") != std::string::npos, answer[0] == 'n') << out;
    }
}

// ---- line reads from redirected input ----

struct Result {
    int status = -1;
    std::string output;
};

// Runs velmocmd with `input` as standard input and both outputs on one pipe. With a
// `marker`, SIGINT is sent once it has appeared.
Result runVelmocmd(const QString& dir, std::vector<std::string> args, int input, const std::string& marker = {})
{
    int out[2];
    Result r;
    if (::pipe(out) != 0)
        return r;
    std::string cwd = dir.toStdString();
    args.insert(args.begin(), velmocmdPath());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        ::dup2(input, 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        if (::chdir(cwd.c_str()) != 0)
            _exit(126);
        ::setenv("PATH", "/usr/bin:/bin", 1);
        ::setenv("XDG_CONFIG_HOME", (cwd + "/config").c_str(), 1);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(out[1]);
    if (!marker.empty() && readUntil(out[0], r.output, 0, marker) != std::string::npos)
        ::kill(pid, SIGINT);
    readUntil(out[0], r.output, r.output.size(), "\x01never printed\x02"); // to the end
    ::close(out[0]);
    r.status = waitWithGuard(pid);
    return r;
}

TEST(JobControlTest, LineReadsKeepToTheLineLimitAndStopAtCtrlC)
{
    QTemporaryDir dir;
    int zero = ::open("/dev/zero", O_RDONLY);
    ASSERT_GE(zero, 0);
    auto endedByCtrlC = [](const Result& r) { return r.status >= 0 && WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGINT; };
    // Endless input without a line end, for SET /P and for the commands themselves:
    // memory stays bounded and Ctrl+C ends the reading.
    Result setp = runVelmocmd(dir.path(), {"/C", "set /p x=q < /dev/zero & echo done"}, zero, "q ");
    EXPECT_TRUE(endedByCtrlC(setp)) << setp.status << setp.output.substr(0, 200);
    Result loop = runVelmocmd(dir.path(), {}, zero, ">");
    EXPECT_TRUE(endedByCtrlC(loop)) << loop.status << loop.output.substr(0, 200);
    EXPECT_NE(loop.output.find("The input line is too long."), std::string::npos) << loop.output.substr(0, 200);
    ::close(zero);

    // A longer line gives SET /P its first 2048 characters.
    QByteArray digits;
    for (int i = 0; i < 300; ++i)
        digits += "0123456789";
    writeFile(dir.path() + "/long.txt", digits + "\n");
    writeFile(dir.path() + "/t.bat", "@echo off\r\nset /p x=< long.txt\r\necho [%x:~2044%]\r\n");
    int none = ::open("/dev/null", O_RDONLY);
    Result cut = runVelmocmd(dir.path(), {"/C", "t.bat"}, none);
    EXPECT_NE(cut.output.find("[4567]"), std::string::npos) << cut.output;

    // A command line that is too long is dropped whole, never run in part, whether it
    // comes from a batch file or from redirected input.
    const QByteArray tooLong = "echo " + QByteArray(9000, 'x') + " & echo TA^IL\r\necho after\r\n";
    writeFile(dir.path() + "/long.bat", "@echo off\r\n" + tooLong);
    writeFile(dir.path() + "/long.txt", tooLong);
    Result batch = runVelmocmd(dir.path(), {"/C", "long.bat"}, none);
    ::close(none);
    int file = ::open((dir.path() + "/long.txt").toLocal8Bit().constData(), O_RDONLY);
    Result input = runVelmocmd(dir.path(), {}, file);
    ::close(file);
    for (const Result& r : {batch, input}) {
        EXPECT_NE(r.output.find("The input line is too long."), std::string::npos);
        EXPECT_EQ(r.output.find("TAIL"), std::string::npos);
    }
    // The batch file ends there, as at any syntax error; the input goes on.
    EXPECT_NE(input.output.find("\nafter\r\n"), std::string::npos);
}

TEST(JobControlTest, RedirectedCommandsLeaveTheFollowingLinesToTheirReaders)
{
    QTemporaryDir dir;
    const QByteArray script = "set /p x=\nhello there\necho [%x%]\n";
    writeFile(dir.path() + "/script.txt", script);
    // A file (read in blocks and set back) and a pipe (read as it comes).
    int file = ::open((dir.path() + "/script.txt").toLocal8Bit().constData(), O_RDONLY);
    ASSERT_GE(file, 0);
    Result fromFile = runVelmocmd(dir.path(), {}, file);
    ::close(file);
    EXPECT_NE(fromFile.output.find("\n[hello there]\r\n"), std::string::npos) << fromFile.output;

    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    ASSERT_EQ(::write(p[1], script.constData(), size_t(script.size())), script.size());
    ::close(p[1]);
    Result fromPipe = runVelmocmd(dir.path(), {}, p[0]);
    ::close(p[0]);
    EXPECT_NE(fromPipe.output.find("\n[hello there]\r\n"), std::string::npos) << fromPipe.output;
}

} // namespace
