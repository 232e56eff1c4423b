#include "symbols/CtagsRunner.h"
#include "symbols/TagParser.h"

#include "platform/Process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

extern char** environ;

namespace symbols {

namespace {

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
    return QFile::decodeName(QByteArray::fromStdString(process::findOnPath("ctags")));
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

    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    process::SpawnRequest spawn;
    spawn.program = QFile::encodeName(program).toStdString();
    spawn.argv.push_back("ctags");
    // The language is forced by the document's own name; a copy keeps that file name.
    for (const QString& a : ctagsArguments(request.path, request.lexer))
        spawn.argv.push_back(QFile::encodeName(a).toStdString());
    spawn.argv.back() = QFile::encodeName(target).toStdString();
    for (char** e = environ; e && *e; ++e)
        spawn.envp.emplace_back(*e);
    // The root folder: no options file of a document's folder is read.
    spawn.directory = QDir::rootPath().toStdString();
    spawn.fds[0] = devNull;
    spawn.fds[2] = devNull;   // only standard output is read
    spawn.processGroup = 0;

    TagStream stream(letterGroupFor(request.lexer), request.lowMask, request.highMask,
                     [&outcome](TagRecord& tag) { outcome.tags.push_back(std::move(tag)); });
    const process::ReadResult r = process::runReadingOutput(
        spawn, {bounds.silenceMs, bounds.totalMs}, abortFd, [&stream](std::string_view chunk) { stream.feed(chunk); });
    if (devNull >= 0)
        ::close(devNull);
    stream.finish();
    outcome.timedOut = r.timedOut;
    outcome.ok = r.started && !r.timedOut && !r.aborted && r.exitCode == 0;
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
    worker_ = std::thread([this, request = std::move(request), generation, abortFd, bounds, prepare = prepare_] {
        auto outcome = std::make_shared<CtagsOutcome>(runCtags(request, bounds, abortFd));
        if (prepare)
            prepare(*outcome);
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
