#pragma once
// The check sums of one file computed on a worker thread. Results come back to the thread
// that owns the job through queued calls; destroying the job aborts the worker and waits
// for it.
#include "documents/properties/FileReport.h"

#include <QObject>

#include <atomic>
#include <thread>

namespace properties {

class ChecksumJob : public QObject {
    Q_OBJECT
public:
    explicit ChecksumJob(QObject* parent = nullptr);
    ~ChecksumJob() override;

    // Starts reading `path`; a job runs once.
    void start(const QString& path);
    // Asks the worker to stop; finished() then reports Aborted.
    void abort() { m_abort = true; }
    bool running() const { return m_running; }

signals:
    void progress(qint64 done, qint64 total);
    void finished(const properties::ChecksumResult& result);

private:
    std::thread m_thread;
    std::atomic_bool m_abort{false};
    bool m_running = false;
};

} // namespace properties
