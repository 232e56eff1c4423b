#include "platform/Process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace process {

std::vector<std::u16string> splitArguments(std::u16string_view s)
{
    std::vector<std::u16string> args;
    size_t i = 0;
    for (;;) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i >= s.size())
            break;
        std::u16string arg;
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
        if (r.processGroup >= 0)
            ::setpgid(0, r.processGroup);
        if (r.foregroundTerminal >= 0) {
            struct sigaction ign {};
            ign.sa_handler = SIG_IGN;
            ::sigaction(SIGTTOU, &ign, nullptr);
            ::tcsetpgrp(r.foregroundTerminal, ::getpgrp());
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
    // Set from both sides: whichever comes first, the group is right before exec.
    if (r.processGroup >= 0)
        ::setpgid(pid, r.processGroup > 0 ? r.processGroup : pid);
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

int exitCodeOf(int status, bool* interrupted)
{
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
    return exitCodeOf(status, interrupted);
}

// ---- jobs ----

namespace {

// Whether our parent is a shell that keeps jobs on our terminal: it is in our session
// but not in our process group, so it can give the terminal back to us and continue us.
bool parentControlsJobs()
{
    pid_t parent = ::getppid();
    return parent > 1 && ::getsid(parent) == ::getsid(0) && ::getpgid(parent) != ::getpgrp();
}

} // namespace

Job::Job(Mode mode, int terminal) : mode_(mode), terminal_(terminal) {}

Job::~Job() { release(); }

Job::Mode Job::modeFor(int terminal, bool jobControl, bool shares)
{
    // Only the terminal's foreground may hand the terminal on.
    if (terminal >= 0 && jobControl && ::tcgetpgrp(terminal) == ::getpgrp())
        return Mode::Foreground;
    return shares ? Mode::Shared : Mode::Detached;
}

void Job::prepare(SpawnRequest& r)
{
    r.processGroup = mode_ == Mode::Shared ? -1 : group_;
    r.foregroundTerminal = -1;
    if (mode_ == Mode::Foreground) {
        r.foregroundTerminal = terminal_;
        tookTerminal_ = true;
    }
}

void Job::started(int pid)
{
    if (mode_ != Mode::Shared && group_ == 0)
        group_ = pid;
}

int Job::signalTarget(int pid) const
{
    return mode_ == Mode::Shared || group_ == 0 ? pid : -group_;
}

std::vector<int> Job::wait(const std::vector<int>& pids, std::vector<bool>* interrupted)
{
    std::vector<int> codes(pids.size(), -1);
    std::vector<bool> done(pids.size(), false);
    if (interrupted)
        interrupted->assign(pids.size(), false);
    auto record = [&](pid_t w, int status) {
        for (size_t i = 0; i < pids.size(); ++i) {
            if (pids[i] == w && !done[i]) {
                bool intr = false;
                codes[i] = exitCodeOf(status, &intr);
                if (interrupted)
                    (*interrupted)[i] = intr;
                done[i] = true;
            }
        }
    };
    if (mode_ == Mode::Shared) {
        // Our own group: a child stopped for touching the terminal stops us with it, so
        // that the shell we belong to sees the whole job stopped.
        for (size_t i = 0; i < pids.size(); ++i) {
            while (!done[i]) {
                int status = 0;
                pid_t w = ::waitpid(pids[i], &status, WUNTRACED);
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    done[i] = true;
                } else if (WIFSTOPPED(status)) {
                    int sig = WSTOPSIG(status);
                    if ((sig == SIGTTIN || sig == SIGTTOU) && parentControlsJobs())
                        ::raise(SIGSTOP); // this thread stops before going on
                } else {
                    record(w, status);
                }
            }
        }
        return codes;
    }
    // The job's own group: any of its processes may stop.
    const int flags = mode_ == Mode::Foreground ? WUNTRACED : 0;
    auto pending = [&] { return std::find(done.begin(), done.end(), false) != done.end(); };
    while (group_ > 0 && pending()) {
        int status = 0;
        pid_t w = ::waitpid(-group_, &status, flags);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (WIFSTOPPED(status))
            resumeStopped(WSTOPSIG(status));
        else
            record(w, status);
    }
    return codes;
}

// The job stopped: Ctrl+Z was typed, or it touched the terminal when it was not its own.
// The command language cannot resume a job later, so it goes on at once. When our parent
// is a shell that keeps jobs, we stop along with it first and go on when continued.
void Job::resumeStopped(int signal)
{
    const bool terminalStop = signal == SIGTTIN || signal == SIGTTOU;
    const pid_t fg = ::tcgetpgrp(terminal_);
    if (mode_ == Mode::Foreground && terminalStop && fg == ::getpgrp()) {
        // The terminal is ours again (we were continued in the background and then
        // brought back): hand it on.
        ::tcsetpgrp(terminal_, group_);
        tookTerminal_ = true;
        ::kill(-group_, SIGCONT);
        return;
    }
    if (tookTerminal_ && fg == group_)
        ::tcsetpgrp(terminal_, ::getpgrp());
    if (parentControlsJobs())
        ::raise(SIGSTOP); // this thread stops before going on
    // Continued in the background (the shell's "bg"), the terminal is not ours to give.
    if (mode_ == Mode::Foreground && ::tcgetpgrp(terminal_) == ::getpgrp()) {
        ::tcsetpgrp(terminal_, group_);
        tookTerminal_ = true;
    }
    ::kill(-group_, SIGCONT);
}

void Job::release()
{
    if (!tookTerminal_)
        return;
    tookTerminal_ = false;
    // Taken back from the job, or from a group that no longer exists (the job's first
    // process could not start); never from anyone else.
    pid_t fg = ::tcgetpgrp(terminal_);
    if (fg < 0 || fg == ::getpgrp())
        return;
    if (fg == group_ || (::kill(-fg, 0) != 0 && errno == ESRCH))
        ::tcsetpgrp(terminal_, ::getpgrp());
}

} // namespace process

// ---- a child whose output is read, with bounds ----

namespace process {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

void killGroup(int pid)
{
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

std::vector<std::string> currentEnvironment()
{
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e)
        out.emplace_back(*e);
    return out;
}

std::string findOnPath(const std::string& name)
{
    const char* path = ::getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string::npos)
        return {};
    std::string_view rest(path);
    for (;;) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (!dir.empty() && dir[0] == '/') {
            std::string candidate(dir);
            candidate += '/';
            candidate += name;
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            break;
    }
    return {};
}

long long processorTicks(int pid)
{
    char name[64];
    std::snprintf(name, sizeof name, "/proc/%d/stat", pid);
    FILE* f = std::fopen(name, "re");
    if (!f)
        return -1;
    char buf[1024];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    // The fields after the command name (which may hold blanks and parentheses).
    const char* p = std::strrchr(buf, ')');
    if (!p)
        return -1;
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return -1;
    return (long long)(utime + stime);
}

ReadResult runReadingOutput(SpawnRequest request, const ReadBounds& bounds, int abortFd,
                            const std::function<void(std::string_view)>& onOutput)
{
    ReadResult result;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        result.error = windowsError(errno);
        return result;
    }
    request.fds[1] = out[1];
    const SpawnResult spawned = spawnProcess(request);
    ::close(out[1]);
    if (spawned.pid < 0) {
        ::close(out[0]);
        result.error = spawned.error;
        return result;
    }
    result.started = true;
    const int pid = spawned.pid;

    const Clock::time_point total = Clock::now() + std::chrono::milliseconds(bounds.totalMs);
    Clock::time_point silence = Clock::now() + std::chrono::milliseconds(bounds.silenceMs);
    long long ticks = processorTicks(pid);
    // A child that is working (using the processor) is not silent, even without output:
    // a tagger that sorts its tags prints nothing until it has read the whole file.
    auto working = [&] {
        const long long now = processorTicks(pid);
        const bool busy = now > ticks;
        ticks = now;
        if (busy)
            silence = Clock::now() + std::chrono::milliseconds(bounds.silenceMs);
        return busy;
    };
    std::string buffer(65536, '\0');
    bool ended = false;
    while (!ended) {
        if (msLeft(total) == 0) {
            result.timedOut = true;
            break;
        }
        if (msLeft(silence) == 0 && !working()) {
            result.timedOut = true;
            break;
        }
        struct pollfd p[2] = {{out[0], POLLIN, 0}, {abortFd, POLLIN, 0}};
        const int n = ::poll(p, abortFd >= 0 ? 2 : 1, std::min(msLeft(total), msLeft(silence)));
        if (n < 0 && errno != EINTR)
            break;
        if (n <= 0)
            continue;
        if (abortFd >= 0 && (p[1].revents & POLLIN)) {
            result.aborted = true;
            break;
        }
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t got = ::read(out[0], buffer.data(), buffer.size());
            if (got > 0) {
                onOutput(std::string_view(buffer.data(), size_t(got)));
                silence = Clock::now() + std::chrono::milliseconds(bounds.silenceMs);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                ended = true;
            }
        }
    }
    ::close(out[0]);
    if (!ended) {
        killGroup(pid);
        return result;
    }
    // The output has ended; the child gets the silence bound to exit.
    const Clock::time_point exitBy = std::min(total, Clock::now() + std::chrono::milliseconds(bounds.silenceMs));
    int status = 0;
    for (;;) {
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid) {
            ::kill(-pid, SIGKILL);   // anything it left behind in its group
            result.exitCode = exitCodeOf(status);
            return result;
        }
        if (w < 0 && errno != EINTR)
            return result;
        if (msLeft(exitBy) == 0) {
            result.timedOut = true;
            killGroup(pid);
            return result;
        }
        struct pollfd p {abortFd, POLLIN, 0};
        if (::poll(&p, abortFd >= 0 ? 1 : 0, std::min(10, msLeft(exitBy))) > 0) {
            result.aborted = true;
            killGroup(pid);
            return result;
        }
    }
}

} // namespace process
