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

struct CtagsBounds {
    int silenceMs = 1000;    // no output for this long: the tagger hangs
    int totalMs = 10000;     // the whole run
};

// The tagger's program: "ctags" in an absolute folder of PATH; empty when there is none.
QString findCtags();

// Runs the tagger on the calling thread. `abortFd`, when not -1, is a descriptor that
// becomes readable to stop the run early.
CtagsOutcome runCtags(const CtagsRequest& request, const CtagsBounds& bounds = {}, int abortFd = -1);

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
    // Work done on the worker thread after the run, before the outcome is handed over
    // (arranging a large tree there keeps the UI thread free); used from the next start.
    void setPrepare(std::function<void(CtagsOutcome&)> prepare) { prepare_ = std::move(prepare); }

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
    std::function<void(CtagsOutcome&)> prepare_;
};

} // namespace symbols
