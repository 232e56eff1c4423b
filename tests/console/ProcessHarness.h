#pragma once
// Real processes for the console tests: velmocmd (or a shell) on a pseudo-terminal, a
// child with its input and output on pipes or files, and a look at the process table.
// The generous limits below only keep a broken build from hanging the suite.
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include "TestPaths.h"

namespace console::test {

constexpr auto HangGuard = std::chrono::seconds(20);

inline std::string velmocmdPath() { return testpaths::binary("/bin/velmocmd").toStdString(); }

// One line of /proc/<pid>/stat and the command line.
struct ProcessInfo {
    int pid = 0;
    std::string name;
    char state = '?';
    int parent = 0;
    int group = 0;
    int session = 0;
    int terminalGroup = 0; // the foreground group of its terminal
    std::vector<std::string> argv;
};

inline std::vector<ProcessInfo> processes()
{
    std::vector<ProcessInfo> list;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& e : entries) {
        bool numeric = false;
        int pid = e.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat("/proc/" + e + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        QByteArray line = stat.readAll();
        int open = line.indexOf('(');
        int close = line.lastIndexOf(')');
        if (open < 0 || close < 0)
            continue;
        // state ppid pgrp session tty_nr tpgid
        QList<QByteArray> f = line.mid(close + 2).split(' ');
        if (f.size() < 6)
            continue;
        ProcessInfo p;
        p.pid = pid;
        p.name = line.mid(open + 1, close - open - 1).toStdString();
        p.state = f[0].isEmpty() ? '?' : f[0][0];
        p.parent = f[1].toInt();
        p.group = f[2].toInt();
        p.session = f[3].toInt();
        p.terminalGroup = f[5].toInt();
        QFile cmd("/proc/" + e + "/cmdline");
        if (cmd.open(QIODevice::ReadOnly))
            for (const QByteArray& a : cmd.readAll().split('\0'))
                if (!a.isEmpty())
                    p.argv.push_back(a.toStdString());
        list.push_back(p);
    }
    return list;
}

// Waits until a process matches; nothing when none did.
inline std::optional<ProcessInfo> waitForProcess(const std::function<bool(const ProcessInfo&)>& match)
{
    auto deadline = std::chrono::steady_clock::now() + HangGuard;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& p : processes())
            if (match(p))
                return p;
        ::usleep(20000);
    }
    return std::nullopt;
}

// A process started with exactly these arguments (a unique one tells it apart).
inline std::function<bool(const ProcessInfo&)> withArguments(std::vector<std::string> argv)
{
    return [argv](const ProcessInfo& p) { return p.argv == argv; };
}

// Ends every process started with exactly these arguments (left over after a failure).
inline void killAll(const std::vector<std::string>& argv)
{
    for (const auto& p : processes())
        if (p.argv == argv)
            ::kill(p.pid, SIGKILL);
}

// Reads from `fd` into `seen` until `marker` appears after `from`, the other side
// closes, or the guard runs out. Returns the position just after the marker, npos when
// it did not appear.
inline size_t readUntil(int fd, std::string& seen, size_t from, const std::string& marker)
{
    auto deadline = std::chrono::steady_clock::now() + HangGuard;
    while (seen.find(marker, from) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) {
            char buf[4096];
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            seen.append(buf, size_t(n));
        }
    }
    size_t at = seen.find(marker, from);
    return at == std::string::npos ? at : at + marker.size();
}

// Waits for a child; the status, or -1 when it did not end in time (it is then killed).
inline int waitWithGuard(pid_t pid)
{
    auto deadline = std::chrono::steady_clock::now() + HangGuard;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid)
            return status;
        ::usleep(20000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// A program on a new pseudo-terminal of 24 rows and 80 columns.
class Terminal {
public:
    Terminal(const QString& dir, std::vector<std::string> argv,
             std::vector<std::pair<std::string, std::string>> env = {})
    {
        std::string cwd = dir.toStdString();
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        winsize size{24, 80, 0, 0};
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            if (::chdir(cwd.c_str()) != 0)
                _exit(126);
            for (const auto& [name, value] : env)
                ::setenv(name.c_str(), value.c_str(), 1);
            ::execv(args[0], args.data());
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
    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void type(const std::string& keys) { ASSERT_EQ(::write(fd_, keys.data(), keys.size()), ssize_t(keys.size())); }
    // The output up to and including `marker` since the last call, without CRs (the
    // terminal adds them to line ends on its own); everything seen when it never came.
    std::string readUntil(const std::string& marker)
    {
        size_t at = test::readUntil(fd_, seen_, consumed_, marker);
        size_t end = at == std::string::npos ? seen_.size() : at;
        std::string part = seen_.substr(consumed_, end - consumed_);
        consumed_ = end;
        part.erase(std::remove(part.begin(), part.end(), '\r'), part.end());
        return part;
    }
    // The terminal's foreground process group.
    int foregroundGroup() const { return ::tcgetpgrp(fd_); }
    // Waits until a process named `name` runs in the terminal's foreground group (so
    // that a typed Ctrl+C goes to it).
    bool waitForForeground(const std::string& name)
    {
        return waitForProcess([&](const ProcessInfo& p) {
                   return p.name == name && p.group == foregroundGroup() && p.session == pid_;
               })
            .has_value();
    }
    // The exit code; -1 when it did not end normally or in time.
    int wait()
    {
        int status = waitWithGuard(pid_);
        pid_ = -1;
        return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    std::string seen_;
    size_t consumed_ = 0;
};

} // namespace console::test
