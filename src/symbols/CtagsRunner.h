#pragma once
// Runs the tagger on one file and collects its tags. The tagger is found on the PATH
// (never in the current folder), runs in a process group of its own with only its
// standard output read, and is killed when it falls silent for too long or runs past
// the overall bound. CtagsJob does the run on a worker thread and hands the outcome to
// the thread that owns the job.
#include "symbols/Tags.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace symbols {

struct CtagsRequest {
    QString path;            // the document's file
    std::string lexer;       // the lexer name of the document's language
    // The document's current text when it differs from its file: the tags then come from
    // a temporary copy, so that they match what is on screen.
    std::optional<std::string> text;
    uint32_t lowMask = ~0u;
    uint32_t highMask = ~0u;
};

struct CtagsOutcome {
    std::vector<TagRecord> tags;
    bool ok = false;         // false: not started, killed, or ended with an error
    bool timedOut = false;
    std::shared_ptr<void> prepared;   // what the job's prepare step made of the tags
};

// Takes a run's tags on the worker thread as the tagger's output is read, and arranges them
// there; what finish() returns is handed over as the outcome's `prepared`.
class TagCollector : public ITagSink {
public:
    virtual std::shared_ptr<void> finish() = 0;
};

struct CtagsBounds {
    int silenceMs = 1000;    // no output for this long: the tagger hangs
    int totalMs = 10000;     // the whole run
};

// The tagger's environment: this process's, with the allocator tuned for its many small
// allocations (what the user's GLIBC_TUNABLES sets is kept and takes precedence).
void taggerEnvironment(std::vector<std::string>& envp);

// The tagger's program: "ctags" in an absolute folder of PATH; empty when there is none.
QString findCtags();

// Runs the tagger on the calling thread. `abortFd`, when not -1, is a descriptor that
// becomes readable to stop the run early. The tags go to `sink` as they are read, or,
// without one, into the outcome's `tags`.
CtagsOutcome runCtags(const CtagsRequest& request, const CtagsBounds& bounds = {}, int abortFd = -1,
                      ITagSink* sink = nullptr);

class CtagsJob : public QObject {
    Q_OBJECT
public:
    explicit CtagsJob(QObject* parent = nullptr);
    ~CtagsJob() override;   // stops a run in progress and waits for its thread

    // Starts a run; one still in progress is stopped and its outcome dropped.
    void start(CtagsRequest request);
    void abort();
    bool running() const { return running_; }

    void setBounds(const CtagsBounds& bounds) { bounds_ = bounds; }
    // The tags are handed to a collector made on the worker thread for each run, as they
    // are read (arranging a large tree there keeps the UI thread free); without one they are
    // gathered in the outcome's `tags`. Used from the next start.
    using CollectorFactory = std::function<std::unique_ptr<TagCollector>()>;
    void setCollector(CollectorFactory make) { collector_ = std::move(make); }

signals:
    // On the job's thread, once per started run that was not stopped.
    void finished(std::shared_ptr<symbols::CtagsOutcome> outcome);

private:
    void join();

    std::thread worker_;
    int abortPipe_[2] = {-1, -1};
    unsigned generation_ = 0;
    bool running_ = false;
    CtagsBounds bounds_;
    CollectorFactory collector_;
};

} // namespace symbols
