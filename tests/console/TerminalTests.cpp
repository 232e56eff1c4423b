// velmocmd on a real terminal (a pseudo-terminal): typing, completion with the
// configured wake-up key, Ctrl+C reaching the running program, EXIT's code.
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Terminal {
public:
    explicit Terminal(const QString& dir)
    {
        std::string cwd = dir.toStdString();
        std::string config = (dir + "/config").toStdString();
        pid_ = forkpty(&fd_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (::chdir(cwd.c_str()) != 0)
                _exit(126);
            ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            ::setenv("PROMPT", "$G", 1);
            ::setenv("PATH", "/usr/bin:/bin", 1);
            ::execl(VELMO_BINARY_DIR "/bin/velmocmd", "velmocmd", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Terminal()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0)
            ::close(fd_);
    }
    void type(const std::string& keys) { ASSERT_EQ(::write(fd_, keys.data(), keys.size()), ssize_t(keys.size())); }
    // Reads until `marker` has appeared (the generous limit only keeps a broken build
    // from hanging the suite).
    std::string readUntil(const std::string& marker)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen_.find(marker, consumed_) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                char buf[1024];
                ssize_t n = ::read(fd_, buf, sizeof buf);
                if (n <= 0)
                    break;
                seen_.append(buf, size_t(n));
            }
        }
        size_t at = seen_.find(marker, consumed_);
        std::string part = seen_.substr(consumed_, at == std::string::npos ? std::string::npos : at + marker.size() - consumed_);
        consumed_ = at == std::string::npos ? seen_.size() : at + marker.size();
        // The terminal turns line ends into CR LF on its own: compare without CRs.
        part.erase(std::remove(part.begin(), part.end(), '\r'), part.end());
        return part;
    }
    bool started() const { return pid_ > 0; }
    // Waits until a child of velmocmd named `name` runs as the terminal's foreground
    // process group (so that a typed Ctrl+C goes to it).
    bool waitForForegroundChild(const std::string& name)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const QStringList procs = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
            for (const QString& p : procs) {
                QFile stat("/proc/" + p + "/stat");
                if (!stat.open(QIODevice::ReadOnly))
                    continue;
                QByteArray line = stat.readAll();
                int close = line.lastIndexOf(')');
                int open = line.indexOf('(');
                if (open < 0 || close < 0)
                    continue;
                QByteArray comm = line.mid(open + 1, close - open - 1);
                QList<QByteArray> f = line.mid(close + 2).split(' ');
                // state ppid pgrp session tty_nr tpgid
                if (f.size() > 5 && comm == name.c_str() && f[1].toInt() == pid_ && f[2] == f[5])
                    return true;
            }
            ::usleep(20000);
        }
        return false;
    }
    int wait()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    std::string seen_;
    size_t consumed_ = 0;
};

TEST(TerminalTest, TypingCompletionCtrlCAndExit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    registry::Store store(dir.path() + "/config/velmo/registry.txt");
    ASSERT_TRUE(store.setDword("Software\\Microsoft\\Command Processor", "CompletionChar", 9));
    QFile f(dir.path() + "/findme.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    Terminal t(dir.path());
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
    ASSERT_TRUE(t.waitForForegroundChild("sleep"));
    t.type("\x03");
    t.readUntil(">");
    t.type("echo %errorlevel%\r");
    std::string after = t.readUntil(">");
    EXPECT_NE(after.find("\n-1073741510\n"), std::string::npos) << after;

    t.type("exit 6\r");
    EXPECT_EQ(t.wait(), 6);
}

} // namespace
