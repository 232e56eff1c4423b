#pragma once
// One find-in-files search on a thread of its own. The thread puts result lines into a
// queue; the owner's thread drains it in batches on a short timer and hands them on
// through signals, together with the file being read and, at the end, the final text.
// Neither side ever waits for the other while the search runs. Destroying the worker
// aborts the search and joins its thread.
#include "search/FindInFiles.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace search {

class FindInFilesWorker : public QObject {
    Q_OBJECT
public:
    explicit FindInFilesWorker(FindInFilesJob job, QObject* parent = nullptr);
    ~FindInFilesWorker() override;

    void start();
    // Asks the search to stop before its next file; the final text still follows.
    void abort() { m_abort = true; }
    bool running() const { return m_started && !m_finished; }
    bool finished() const { return m_finished; }
    const FindInFilesJob& job() const { return m_job; }
    // The counts; complete once finished() holds.
    const FindInFilesCounts& counts() const { return m_counts; }

signals:
    void linesReady(std::vector<search::FindResultLine>& batch);
    void progress(const QString& path);
    void done(const QString& finalText);

private:
    class QueueSink;
    void drain();

    FindInFilesJob m_job;
    FindInFilesCounts m_counts;
    std::thread m_thread;
    std::atomic<bool> m_abort{false};
    QTimer m_timer;
    bool m_started = false;
    bool m_finished = false;

    // Shared with the thread, under the mutex.
    std::mutex m_mutex;
    std::vector<std::vector<FindResultLine>> m_queue;   // batches
    std::string m_current;
    bool m_currentChanged = false;
    bool m_threadDone = false;
    FindInFilesCounts m_threadCounts;
};

} // namespace search
