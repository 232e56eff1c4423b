// Child processes: the Windows argument rules, and what a child inherits (only the
// named handles, the given environment and directory, its own process group).
#include "console/Process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace console;

namespace {

std::string joined(const std::vector<ustring>& v)
{
    std::string r;
    for (const auto& a : v)
        r += "[" + toUtf8(a) + "]";
    return r;
}

TEST(ProcessTest, ArgumentsSplitByTheWindowsRules)
{
    struct Case {
        const char* line;
        const char* args;
    };
    const Case cases[] = {
        {"a b  c", "[a][b][c]"},
        {"\"a b\" c", "[a b][c]"},
        {"a\"b c\"d", "[ab cd]"},
        {"a\\\\b", "[a\\\\b]"},
        {"a\\\"b", "[a\"b]"},
        {"a\\\\\"b c\"", "[a\\b c]"},
        {"a\\\\\\\"b", "[a\\\"b]"},
        {"\"a\"\"b\"", "[a\"b]"},
        {"\"\"", "[]"},
        {"  \t ", ""},
        {"\"unterminated arg", "[unterminated arg]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(joined(splitArguments(u(c.line))), c.args) << c.line;
}

struct Child {
    int status = -1;
    std::string output;
};

Child runChild(SpawnRequest req)
{
    int fds[2];
    EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    req.fds[1] = fds[1];
    req.fds[2] = fds[1];
    SpawnResult r = spawnProcess(req);
    ::close(fds[1]);
    Child c;
    if (r.pid < 0) {
        ::close(fds[0]);
        c.status = -r.error;
        return c;
    }
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        c.output.append(buf, size_t(n));
    ::close(fds[0]);
    c.status = waitForChild(r.pid);
    return c;
}

TEST(ProcessTest, ChildGetsOnlyNamedHandlesItsEnvironmentAndDirectory)
{
    QTemporaryDir dir;
    // A descriptor of ours without close-on-exec must still not reach the child.
    int leak = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leak, 0);
    SpawnRequest req;
    req.program = "/bin/sh";
    req.argv = {"sh", "-c", "echo fds; ls /proc/self/fd; echo end; pwd; echo \"[$ONLY]\" \"[$HOME]\"; "
                            "test \"$(ps -o pgid= $$ | tr -d ' ')\" = \"$$\" && echo own-group"};
    req.envp = {"ONLY=yes", "PATH=/usr/bin:/bin"};
    req.directory = dir.path().toStdString();
    Child c = runChild(req);
    ::close(leak);
    EXPECT_EQ(c.status, 0);
    // 1 and 2 are the pipe; 0 was not named, so the directory ls reads takes it.
    EXPECT_EQ(c.output.substr(0, c.output.find("end")), "fds\n0\n1\n2\n");
    EXPECT_NE(c.output.find("\n" + dir.path().toStdString() + "\n"), std::string::npos) << c.output;
    EXPECT_NE(c.output.find("[yes] []"), std::string::npos) << c.output;
    EXPECT_NE(c.output.find("own-group"), std::string::npos) << c.output;
}

TEST(ProcessTest, StartFailuresAndExitCodes)
{
    QTemporaryDir dir;
    SpawnRequest req;
    req.argv = {"x"};
    req.directory = dir.path().toStdString();
    req.program = (dir.path() + "/missing").toStdString();
    EXPECT_EQ(runChild(req).status, -2);

    QFile f(dir.path() + "/noexec");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("echo hi\n");
    f.close();
    req.program = f.fileName().toStdString();
    EXPECT_EQ(runChild(req).status, -5);
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // An executable text file without an interpreter line is not a valid program.
    EXPECT_EQ(runChild(req).status, -193);

    req.program = "/bin/sh";
    req.argv = {"sh", "-c", "exit 300"};
    EXPECT_EQ(runChild(req).status, 300 & 0xFF);
    req.argv = {"sh", "-c", "kill -INT $$"};
    EXPECT_EQ(runChild(req).status, ControlCExit);
    req.directory = "/no/such/folder";
    EXPECT_EQ(runChild(req).status, -2);
}

} // namespace
