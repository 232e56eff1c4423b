// The interpreter in-process on a scripted console: the interactive loop, several
// interpreters side by side, Ctrl+C in a batch file, the command hook, exit codes of
// programs, start-up switches, settings from the registry store and completion.
#include "console/Interpreter.h"
#include "platform/Registry.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace console;

namespace {

std::string s8(uview s) { return toUtf8(s); }

struct Session {
    QTemporaryDir dir;
    ScriptedConsole con;
    std::unique_ptr<Interpreter> interp;

    explicit Session(ProcessorSettings settings = {})
    {
        Interpreter::Options o;
        o.console = &con;
        o.environment.set(u"PATH", u"/usr/bin:/bin");
        o.environment.set(u"PROMPT", u"$G");
        o.currentDirectory = fromQ(dir.path());
        o.comspec = testpaths::binary("/bin/velmocmd").toStdU16String();
        o.settings = settings;
        interp = std::make_unique<Interpreter>(std::move(o));
    }
    void file(const char* name, const char* text)
    {
        QFile f(dir.path() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    int run(const char* args = "") { return interp->run(u(args)); }
    std::string output() const { return s8(con.output()); }
};

TEST(InterpreterTest, InteractiveLoopPromptsContinuesBlocksAndEndsOnExit)
{
    Session s;
    for (const char* line : {"set /a 2+3", "echo %UNDEFINED% x", "", "(", "echo a", ")", "exit 4",
                             "echo not reached"})
        s.con.addLine(u(line));
    EXPECT_EQ(s.run(), 4);
    EXPECT_EQ(s.output(), ">set /a 2+3\r\n5\r\n>echo %UNDEFINED% x\r\n%UNDEFINED% x\r\n\r\n>\r\n"
                          ">(\r\nMore? echo a\r\nMore? )\r\na\r\n\r\n>exit 4\r\n");
}

TEST(InterpreterTest, EndOfInputEndsWithZeroAndSyntaxErrorsDoNotStopTheLoop)
{
    Session s;
    s.con.addLine(u"echo a | | b");
    s.con.addLine(u"echo still here");
    EXPECT_EQ(s.run(), 0);
    EXPECT_EQ(s.output(), ">echo a | | b\r\n| was unexpected at this time.\r\n\r\n>echo still here\r\n"
                          "still here\r\n\r\n>");
}

TEST(InterpreterTest, InterpretersKeepTheirOwnEnvironmentAndDirectory)
{
    Session a, b;
    QDir(a.dir.path()).mkdir("sub");
    const std::string processDir = QDir::currentPath().toStdString();
    a.con.addLine(u"set ONLY_IN_A=1");
    a.con.addLine(u"cd sub");
    a.con.addLine(u"echo [%ONLY_IN_A%] %CD%");
    a.run();
    b.con.addLine(u"echo [%ONLY_IN_A%]");
    b.run();
    EXPECT_NE(a.output().find("[1] " + a.dir.path().toStdString() + "/sub"), std::string::npos);
    EXPECT_NE(b.output().find("[%ONLY_IN_A%]"), std::string::npos);
    EXPECT_EQ(std::getenv("ONLY_IN_A"), nullptr);
    EXPECT_EQ(QDir::currentPath().toStdString(), processDir);
}

TEST(InterpreterTest, CtrlCAsksToTerminateTheBatchJob)
{
    {
        Session s;
        s.file("t.bat", "@echo off\r\necho one\r\necho two\r\n");
        s.interp->requestCtrlC();
        s.con.addLine(u"n");
        EXPECT_EQ(s.run("/C t.bat"), 0);
        EXPECT_EQ(s.output(), "Terminate batch job (Y/N)? n\r\none\r\ntwo\r\n");
    }
    {
        Session s;
        s.file("t.bat", "@echo off\r\necho one\r\n");
        s.interp->requestCtrlC();
        s.con.addLine(u"maybe");
        s.con.addLine(u"Y");
        EXPECT_EQ(s.run("/C t.bat"), 255);
        EXPECT_EQ(s.output(), "Terminate batch job (Y/N)? maybe\r\nTerminate batch job (Y/N)? Y\r\n");
    }
}

TEST(InterpreterTest, ProgramExitCodesSetErrorLevelAndTheHiddenVariables)
{
    Session s;
    s.con.addLine(u"sh -c \"exit 10\"");
    s.con.addLine(u"echo %=ExitCode% [%=ExitCodeAscii%] %errorlevel%");
    s.con.addLine(u"sh -c \"exit 65\" && echo not shown");
    s.con.addLine(u"echo %=ExitCode% [%=ExitCodeAscii%]");
    s.con.addLine(u"sh -c \"kill -INT $$\"");
    s.con.addLine(u"echo %errorlevel%");
    s.run();
    const std::string out = s.output();
    EXPECT_NE(out.find("\r\n0000000A [%=ExitCodeAscii%] 10\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n00000041 [A]\r\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("\r\nnot shown\r\n"), std::string::npos) << out;
    // A program ended by Ctrl+C reports the platform's Ctrl+C exit code.
    EXPECT_NE(out.find("^C"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n-1073741510\r\n"), std::string::npos) << out;
}

TEST(InterpreterTest, TheHookSeesExternalCommandsBeforeTheyRun)
{
    Session s;
    std::vector<std::string> seen;
    s.interp->setCommandHook([&](uview name, uview args) {
        seen.push_back(s8(name) + "|" + s8(args));
        return !name.empty() && name[0] == '.';
    });
    s.con.addLine(u".open \"a b.txt\" c.txt");
    s.con.addLine(u".OTHER");
    s.con.addLine(u"echo built-ins are not hooked");
    s.con.addLine(u"nosuch");
    s.run();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], ".open| \"a b.txt\" c.txt");
    EXPECT_EQ(seen[1], ".OTHER|");
    EXPECT_EQ(seen[2], "nosuch|");
    EXPECT_EQ(s.output().find("'.open'"), std::string::npos);
    EXPECT_NE(s.output().find("'nosuch' is not recognized"), std::string::npos);
    EXPECT_EQ(s.interp->errorLevel(), 9009);
}

TEST(InterpreterTest, StartUpSwitches)
{
    {
        Session s;
        EXPECT_EQ(s.run("/?"), 1);
        EXPECT_EQ(s.output().rfind("Starts a new command interpreter.", 0), 0u);
    }
    {
        // /Q: no prompt, echo off; the command after /K runs first.
        Session s;
        s.con.addLine(u"echo");
        EXPECT_EQ(s.run("/Q /K echo first"), 0);
        EXPECT_EQ(s.output(), "first\r\necho\r\nECHO is off.\r\n");
    }
    {
        // Quotes around a /C command are removed unless they name a program with a blank.
        Session s;
        EXPECT_EQ(s.run("/C \"echo \"quoted\" text\""), 0);
        EXPECT_EQ(s.output(), "\"quoted\" text\r\n");
    }
    {
        Session s;
        EXPECT_EQ(s.run("/Y /C echo %ERRORLEVEL%"), 0);
        EXPECT_EQ(s.output(), "%ERRORLEVEL%\r\n");
    }
    {
        Session s;
        EXPECT_EQ(s.run("/C echo a & | b"), 1);
        EXPECT_EQ(s.output(), "| was unexpected at this time.\r\n");
    }
}

TEST(InterpreterTest, AnAbortUndoesEveryRedirectionAndBatchContext)
{
    Session s;
    s.file("t.bat", "@echo off\r\nsetlocal\r\nset INSIDE=1\r\n(echo into file & call :bad) > out.txt 2>&1\r\n"
                    "echo not reached\r\ngoto :eof\r\n:bad\r\necho a | | b\r\n");
    s.con.addLine(u"echo [%INSIDE%] after");
    EXPECT_EQ(s.run("/K t.bat"), 0);
    // The syntax error went into the file, the console got the next prompt's output,
    // and the batch file's local environment was undone.
    EXPECT_EQ(s.output(), "\r\n>echo [%INSIDE%] after\r\n[%INSIDE%] after\r\n\r\n>");
    QFile f(s.dir.path() + "/out.txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("into file \r\n| was unexpected at this time.\r\n"));
}

TEST(InterpreterTest, SetPromptReadsAValueFromTheInput)
{
    Session s;
    s.con.addLine(u"set /p NAME=Name? ");
    s.con.addLine(u"Velmo User");
    s.con.addLine(u"echo [%NAME%]");
    s.con.addLine(u"set /p NAME=Again? ");
    s.con.addLine(u"");
    s.con.addLine(u"echo [%NAME%] %errorlevel%");
    s.run();
    EXPECT_NE(s.output().find("Name? Velmo User\r\n"), std::string::npos) << s.output();
    EXPECT_NE(s.output().find("\r\n[Velmo User]\r\n"), std::string::npos) << s.output();
    // An empty answer keeps the value and fails.
    EXPECT_NE(s.output().find("\r\n[Velmo User] 1\r\n"), std::string::npos) << s.output();
}

TEST(InterpreterTest, FilesThatAreNotProgramsOpenWithTheirAssociation)
{
    Session s;
    QDir(s.dir.path()).mkdir("bin");
    s.file("bin/xdg-open", "#!/bin/sh\necho \"$@\" > opened.txt\nexit 0\n");
    QFile::setPermissions(s.dir.path() + "/bin/xdg-open", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    s.file("notes.txt", "text");
    s.con.addLine(u"set PATH=" + fromQ(s.dir.path()) + u"/bin:/usr/bin:/bin");
    s.con.addLine(u"notes.txt");
    s.con.addLine(u"echo %errorlevel%");
    s.con.addLine(u"set PATH=/usr/bin:/bin");
    s.con.addLine(u"notes.txt");
    s.con.addLine(u"echo %errorlevel%");
    s.run();
    QFile opened(s.dir.path() + "/opened.txt");
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(opened.readAll(), (s.dir.path() + "/notes.txt\n").toUtf8());
    // Without a launcher the association is reported missing.
    EXPECT_NE(s.output().find("\r\n0\r\n"), std::string::npos) << s.output();
    EXPECT_NE(s.output().find("No application is associated with the specified file for this operation.\r\n"
                              "\r\n>echo %errorlevel%\r\n1155\r\n"),
              std::string::npos)
        << s.output();
}

TEST(InterpreterTest, RedirectedInputIsReadLikeAFileWithPromptsAndEcho)
{
    QTemporaryDir dir;
    QFile in(dir.path() + "/in.txt");
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("echo one\r\n(\r\necho two\r\n)\r\nexit 2\r\n");
    in.close();
    int fd = ::open((dir.path() + "/in.txt").toLocal8Bit().constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ScriptedConsole con;
    Interpreter::Options o;
    o.console = &con;
    o.environment.set(u"PROMPT", u"$G");
    o.currentDirectory = fromQ(dir.path());
    o.stdFds = {fd, -1, -1};
    Interpreter interp(std::move(o));
    ::close(fd);
    EXPECT_EQ(interp.run(u""), 2);
    EXPECT_EQ(s8(con.output()), ">echo one\r\none\r\n\r\n>(\r\nMore? echo two\r\nMore? )\r\ntwo\r\n\r\n>exit 2\r\n");
    // With /Q the lines read are not shown and there is no prompt; "More? " still asks
    // for the rest of a statement.
    fd = ::open((dir.path() + "/in.txt").toLocal8Bit().constData(), O_RDONLY);
    ScriptedConsole quiet;
    Interpreter::Options q;
    q.console = &quiet;
    q.currentDirectory = fromQ(dir.path());
    q.stdFds = {fd, -1, -1};
    Interpreter interp2(std::move(q));
    ::close(fd);
    EXPECT_EQ(interp2.run(u"/Q"), 2);
    EXPECT_EQ(s8(quiet.output()), "one\r\nMore? More? two\r\n");
}

TEST(InterpreterTest, UnicodeSwitchWritesFilesAndPipesAsUtf16)
{
    Session s;
    EXPECT_EQ(s.run("/U /C echo h\u00e9> out.txt"), 0);
    QFile f(s.dir.path() + "/out.txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("h\0\xe9\0\r\0\n\0", 8));
    // Without /U the same text is UTF-8.
    Session t;
    t.run("/C echo h\u00e9> out.txt");
    QFile g(t.dir.path() + "/out.txt");
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("h\xc3\xa9\r\n"));
}

TEST(InterpreterTest, SettingsComeFromTheUserRegistryStore)
{
    QTemporaryDir dir;
    registry::setUserStorePath(dir.path() + "/registry.txt");
    const QString key = QStringLiteral("Software\\Microsoft\\Command Processor");
    registry::user().setDword(key, "EnableExtensions", 0);
    registry::user().setString(key, "CompletionChar", "0x9");
    registry::user().setString(key, "DefaultColor", "0x1e");
    ProcessorSettings p = readProcessorSettings();
    registry::setUserStorePath(QString());
    EXPECT_FALSE(p.enableExtensions);
    EXPECT_EQ(p.completionChar, 9);
    EXPECT_EQ(p.defaultColor, 0x1e);

    Session s(p);
    s.con.addLine(u"echo %ERRORLEVEL%");
    s.run();
    EXPECT_NE(s.output().find("\r\n%ERRORLEVEL%\r\n"), std::string::npos);
    EXPECT_EQ(s.con.attribute(), 0x1e);
}

TEST(InterpreterTest, HugeBlocksRunOrAreRefusedWithoutExhaustingTheStack)
{
    auto block = [](int lines) {
        std::string text = "@echo off\r\n(\r\n";
        for (int i = 0; i < lines; ++i)
            text += "set /a n+=1\r\n";
        return text + ")\r\necho n=%n%\r\n";
    };
    {
        Session s;
        s.file("big.bat", block(4000).c_str());
        EXPECT_EQ(s.run("/C big.bat"), 0);
        EXPECT_EQ(s.output(), "n=4000\r\n");
    }
    {
        Session s;
        s.file("huge.bat", block(20000).c_str());
        EXPECT_EQ(s.run("/C huge.bat"), 255);
        EXPECT_EQ(s.output(), "Not enough storage is available to process this command.\r\n");
    }
}

TEST(InterpreterTest, CompletionCyclesThroughMatchingNames)
{
    ProcessorSettings p;
    p.completionChar = 9;
    Session s(p);
    QDir(s.dir.path()).mkdir("folder");
    s.file("file one.txt", "");
    s.file("file2.txt", "");
    EXPECT_EQ(s8(s.interp->complete(u"type fi", false)), "type \"file one.txt\"");
    EXPECT_EQ(s8(s.interp->complete(u"type \"file one.txt\"", false)), "type file2.txt");
    EXPECT_EQ(s8(s.interp->complete(u"type file2.txt", false)), "type \"file one.txt\"");
    EXPECT_EQ(s8(s.interp->complete(u"type \"file one.txt\"", true)), "type file2.txt");
    EXPECT_EQ(s8(s.interp->complete(u"cd f", false)), "cd folder");
    EXPECT_EQ(s8(s.interp->complete(u"type zz", false)), "type zz");
    // Through the console: the wake-up key completes and the read goes on.
    s.con.addLine(u"echo fol\t");
    s.run();
    EXPECT_NE(s.output().find("\r\nfolder\r\n"), std::string::npos) << s.output();
}

} // namespace
