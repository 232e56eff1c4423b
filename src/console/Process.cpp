#include "console/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace console {

std::vector<ustring> splitArguments(uview s)
{
    std::vector<ustring> args;
    size_t i = 0;
    for (;;) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i >= s.size())
            break;
        ustring arg;
        bool quoted = false;
        while (i < s.size()) {
            char16_t c = s[i];
            if (!quoted && (c == ' ' || c == '\t'))
                break;
            if (c == '\\') {
                size_t n = 0;
                while (i < s.size() && s[i] == '\\') {
                    ++n;
                    ++i;
                }
                if (i < s.size() && s[i] == '"') {
                    arg.append(n / 2, u'\\');
                    if (n % 2) {
                        arg += u'"';
                        ++i;
                    }
                } else {
                    arg.append(n, u'\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    arg += u'"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(arg);
    }
    return args;
}

int windowsError(int err)
{
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EACCES: case EPERM: case EISDIR: case EROFS: return 5;
    case ENOMEM: return 8;
    case ENOEXEC: return 193;
    case EEXIST: return 183;
    case ENOTEMPTY: return 145;
    case ENAMETOOLONG: return 206;
    case EPIPE: return 232;
    default: return 31;
    }
}

SpawnResult spawnProcess(const SpawnRequest& r)
{
    SpawnResult result;
    // Everything the child needs is prepared before fork: it may only make plain calls.
    std::vector<char*> argv;
    for (const auto& a : r.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : r.envp)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        result.error = windowsError(errno);
        return result;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        result.error = windowsError(errno);
        ::close(report[0]);
        ::close(report[1]);
        return result;
    }
    if (pid == 0) {
        ::setpgid(0, 0);
        if (r.foregroundTerminal >= 0) {
            struct sigaction ign {};
            ign.sa_handler = SIG_IGN;
            ::sigaction(SIGTTOU, &ign, nullptr);
            ::tcsetpgrp(r.foregroundTerminal, ::getpid());
        }
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        for (int sig : {SIGINT, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU, SIGCHLD})
            ::sigaction(sig, &dfl, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // Move the named descriptors out of the way, then onto their handle numbers.
        int rep = ::fcntl(report[1], F_DUPFD_CLOEXEC, 64);
        int moved[10];
        for (int h = 0; h < 10; ++h)
            moved[h] = r.fds[h] >= 0 ? ::fcntl(r.fds[h], F_DUPFD_CLOEXEC, 64) : -1;
        for (int h = 0; h < 10; ++h) {
            if (moved[h] >= 0)
                ::dup2(moved[h], h);
            else
                ::close(h);
        }
        ::dup3(rep, 10, O_CLOEXEC);
        ::syscall(SYS_close_range, 11u, ~0u, 0u);
        int err = 0;
        if (::chdir(r.directory.c_str()) != 0)
            err = errno;
        if (!err) {
            ::execve(r.program.c_str(), argv.data(), envp.data());
            err = errno;
        }
        ssize_t ignored = ::write(10, &err, sizeof err);
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    ::setpgid(pid, pid);
    int err = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n == ssize_t(sizeof err)) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.error = windowsError(err);
        return result;
    }
    result.pid = pid;
    return result;
}

int waitForChild(int pid, bool* interrupted)
{
    int status = 0;
    for (;;) {
        pid_t w = ::waitpid(pid, &status, 0);
        if (w == pid)
            break;
        if (w < 0 && errno != EINTR)
            return -1;
    }
    if (interrupted)
        *interrupted = false;
    if (WIFSIGNALED(status)) {
        if (WTERMSIG(status) == SIGINT) {
            if (interrupted)
                *interrupted = true;
            return ControlCExit;
        }
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}

} // namespace console
