#include "symbols/CtagsRunner.h"
#include "symbols/TagParser.h"

#include "platform/Process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>


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

void taggerEnvironment(std::vector<std::string>& envp)
{
    // The tagger spends about half its time in the C library's allocator, growing its heap
    // a page at a time; huge pages and a generous top pad halve its processor time and do
    // not change its output. Tunables the user has set come after ours and so win.
    static constexpr std::string_view kKey = "GLIBC_TUNABLES=";
    static constexpr std::string_view kOurs = "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=67108864";
    std::string tunables = std::string(kKey) + std::string(kOurs);
    for (const std::string& e : process::currentEnvironment()) {
        const std::string_view entry(e);
        if (entry.substr(0, kKey.size()) == kKey) {
            if (entry.size() > kKey.size())
                tunables.append(":").append(entry.substr(kKey.size()));
            continue;
        }
        envp.emplace_back(entry);
    }
    envp.push_back(std::move(tunables));
}

QString findCtags()
{
    return QFile::decodeName(QByteArray::fromStdString(process::findOnPath("ctags")));
}

CtagsOutcome runCtags(const CtagsRequest& request, const CtagsBounds& bounds, int abortFd, ITagSink* sink)
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
    taggerEnvironment(spawn.envp);
    // The root folder: no options file of a document's folder is read.
    spawn.directory = QDir::rootPath().toStdString();
    spawn.fds[0] = devNull;
    spawn.fds[2] = devNull;   // only standard output is read
    spawn.processGroup = 0;

    TagStream stream(letterGroupFor(request.lexer), request.lowMask, request.highMask, [&outcome, sink](TagRecord& tag) {
        if (sink)
            sink->AddTag(1, tag);
        else
            outcome.tags.push_back(std::move(tag));
    });
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
    worker_ = std::thread([this, request = std::move(request), generation, abortFd, bounds, make = collector_] {
        std::unique_ptr<TagCollector> collector = make ? make() : nullptr;
        auto outcome = std::make_shared<CtagsOutcome>(runCtags(request, bounds, abortFd, collector.get()));
        if (collector)
            outcome->prepared = collector->finish();
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
