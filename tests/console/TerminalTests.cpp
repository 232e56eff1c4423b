// velmocmd on a real terminal (a pseudo-terminal): typing, completion with the
// configured wake-up key, Ctrl+C reaching the running program, EXIT's code.
#include "ProcessHarness.h"
#include "platform/Registry.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using console::test::Terminal;

namespace {

TEST(TerminalTest, TypingCompletionCtrlCAndExit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    registry::Store store(dir.path() + "/config/velmo/registry.txt");
    ASSERT_TRUE(store.setDword("Software\\Microsoft\\Command Processor", "CompletionChar", 9));
    QFile f(dir.path() + "/findme.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    Terminal t(dir.path(), {console::test::velmocmdPath()},
               {{"XDG_CONFIG_HOME", (dir.path() + "/config").toStdString()}, {"PROMPT", "$G"},
                {"PATH", "/usr/bin:/bin"}});
    if (!t.started())
        GTEST_SKIP() << "no pseudo-terminal available";
    t.readUntil(">");
    t.type("echo hello\r");
    EXPECT_NE(t.readUntil(">").find("\nhello\n"), std::string::npos);

    t.type("echo fi\t\r");
    std::string completed = t.readUntil(">");
        // The typed word is replaced on the screen and the command runs with the full name.
    EXPECT_NE(completed.find("echo fi\b\b\b\b\b\b\becho findme.txt\n"), std::string::npos) << completed;
    EXPECT_NE(completed.find("\nfindme.txt\n"), std::string::npos) << completed;

    t.type("sleep 30\r");
    ASSERT_TRUE(t.waitForForeground("sleep"));
    t.type("\x03");
    t.readUntil(">");
    t.type("echo %errorlevel%\r");
    std::string after = t.readUntil(">");
    EXPECT_NE(after.find("\n-1073741510\n"), std::string::npos) << after;

    t.type("exit 6\r");
    EXPECT_EQ(t.wait(), 6);
}

} // namespace
