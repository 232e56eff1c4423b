#include "symbols/CtagsRunner.h"
#include "symbols/TagParser.h"

#include "platform/Process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace symbols {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

// Waits for the child to end, at most until `deadline` (or until the abort descriptor
// fires). True when it ended; `status` then holds its wait status.
bool waitEnded(int pid, Clock::time_point deadline, int abortFd, int& status)
{
    for (;;) {
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid)
            return true;
        if (w < 0 && errno != EINTR)
            return true;   // not ours any more
        const int left = msLeft(deadline);
        if (left == 0)
            return false;
        struct pollfd p {abortFd, POLLIN, 0};
        if (::poll(&p, abortFd >= 0 ? 1 : 0, left < 10 ? left : 10) > 0)
            return false;
    }
}

void killGroup(int pid)
{
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// A name safe for the tagger's output lines: no tab, CR or LF.
QString plainName(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    for (QChar& c : name)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("untitled") : name;
}

} // namespace

QString findCtags()
{
    const QByteArray path = qgetenv("PATH");
    for (const QByteArray& dir : path.split(':')) {
        // Relative entries (and the empty one) name the current folder: never used.
        if (dir.isEmpty() || dir[0] != '/')
            continue;
        const QString candidate = QFile::decodeName(dir) + QStringLiteral("/ctags");
        const QByteArray native = QFile::encodeName(candidate);
        if (::access(native.constData(), X_OK) == 0 && QFileInfo(candidate).isFile())
            return candidate;
    }
    return QString();
}

CtagsOutcome runCtags(const CtagsRequest& request, const CtagsBounds& bounds, int abortFd)
{
    CtagsOutcome outcome;
    const QString program = findCtags();
    if (program.isEmpty() || request.path.isEmpty())
        return outcome;

    // The file to tag: the document's own, or a copy of its current text. A name with a
    // tab or a line end would break the output's lines, so it is tagged through a copy too.
    QString target = request.path;
    std::unique_ptr<QTemporaryDir> copyDir;
    const bool awkwardName = request.path.contains(QLatin1Char('\t')) || request.path.contains(QLatin1Char('\n'))
                             || request.path.contains(QLatin1Char('\r'));
    if (request.text || awkwardName) {
        copyDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velmo-tags-XXXXXX"));
        if (!copyDir->isValid())
            return outcome;
        target = copyDir->filePath(plainName(request.path));
        QFile copy(target);
        if (!copy.open(QIODevice::WriteOnly))
            return outcome;
        if (request.text) {
            if (copy.write(request.text->data(), qint64(request.text->size())) != qint64(request.text->size()))
                return outcome;
        } else {
            QFile original(request.path);
            if (!original.open(QIODevice::ReadOnly) || copy.write(original.readAll()) < 0)
                return outcome;
        }
        copy.close();
    }

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return outcome;
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    process::SpawnRequest spawn;
    spawn.program = QFile::encodeName(program).toStdString();
    spawn.argv.push_back("ctags");
    // The language is forced by the document's own name; the copy keeps its file name.
    for (const QString& a : ctagsArguments(request.path, request.lexer))
        spawn.argv.push_back(QFile::encodeName(a).toStdString());
    spawn.argv.back() = QFile::encodeName(target).toStdString();
    for (char** e = environ; e && *e; ++e)
        spawn.envp.emplace_back(*e);
    // The root folder: no options file of a document's folder is read.
    spawn.directory = QDir::rootPath().toStdString();
    spawn.fds[0] = devNull;
    spawn.fds[1] = out[1];
    spawn.fds[2] = devNull;   // only standard output is read
    spawn.processGroup = 0;
    const process::SpawnResult started = process::spawnProcess(spawn);
    ::close(out[1]);
    if (devNull >= 0)
        ::close(devNull);
    if (started.pid < 0) {
        ::close(out[0]);
        return outcome;
    }

    TagStream stream(letterGroupFor(request.lexer), request.lowMask, request.highMask,
                     [&outcome](TagRecord& tag) { outcome.tags.push_back(std::move(tag)); });
    const Clock::time_point begun = Clock::now();
    const Clock::time_point total = begun + std::chrono::milliseconds(bounds.totalMs);
    Clock::time_point silence = begun + std::chrono::milliseconds(bounds.silenceMs);
    std::string buffer(65536, '\0');
    bool ended = false, aborted = false;
    while (!ended) {
        const int left = std::min(msLeft(total), msLeft(silence));
        if (left == 0) {
            outcome.timedOut = true;
            break;
        }
        struct pollfd p[2] = {{out[0], POLLIN, 0}, {abortFd, POLLIN, 0}};
        const int n = ::poll(p, abortFd >= 0 ? 2 : 1, left);
        if (n < 0 && errno != EINTR)
            break;
        if (n <= 0)
            continue;
        if (abortFd >= 0 && (p[1].revents & POLLIN)) {
            aborted = true;
            break;
        }
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t got = ::read(out[0], buffer.data(), buffer.size());
            if (got > 0) {
                stream.feed(std::string_view(buffer.data(), size_t(got)));
                silence = Clock::now() + std::chrono::milliseconds(bounds.silenceMs);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                ended = true;
            }
        }
    }
    ::close(out[0]);
    stream.finish();

    int status = 0;
    const Clock::time_point exitBound = std::min(total, Clock::now() + std::chrono::milliseconds(bounds.silenceMs));
    if (!ended || !waitEnded(started.pid, exitBound, abortFd, status)) {
        killGroup(started.pid);
        if (!aborted && ended)
            outcome.timedOut = true;
        return outcome;
    }
    ::kill(-started.pid, SIGKILL);   // anything the tagger left behind in its group
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

// ---- the job ----

CtagsJob::CtagsJob(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<std::shared_ptr<symbols::CtagsOutcome>>();
}

CtagsJob::~CtagsJob()
{
    abort();
}

void CtagsJob::join()
{
    if (worker_.joinable()) {
        if (abortPipe_[1] >= 0) {
            const char c = 1;
            ssize_t ignored = ::write(abortPipe_[1], &c, 1);
            (void)ignored;
        }
        worker_.join();
    }
    for (int& fd : abortPipe_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CtagsJob::abort()
{
    ++generation_;
    join();
    running_ = false;
}

void CtagsJob::start(CtagsRequest request)
{
    abort();
    if (::pipe2(abortPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        abortPipe_[0] = abortPipe_[1] = -1;
    }
    running_ = true;
    const unsigned generation = generation_;
    const int abortFd = abortPipe_[0];
    const CtagsBounds bounds = bounds_;
    worker_ = std::thread([this, request = std::move(request), generation, abortFd, bounds] {
        auto outcome = std::make_shared<CtagsOutcome>(runCtags(request, bounds, abortFd));
        // Handed over on the job's thread; dropped there when the run was stopped or the
        // job is gone.
        QMetaObject::invokeMethod(this, [this, outcome, generation] {
            if (generation != generation_)
                return;
            running_ = false;
            join();
            emit finished(outcome);
        }, Qt::QueuedConnection);
    });
}

} // namespace symbols
