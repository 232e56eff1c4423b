#include "documents/properties/ChecksumJob.h"

#include <QMetaObject>

namespace properties {

ChecksumJob::ChecksumJob(QObject* parent) : QObject(parent) {}

ChecksumJob::~ChecksumJob()
{
    m_abort = true;
    if (m_thread.joinable())
        m_thread.join();
}

void ChecksumJob::start(const QString& path)
{
    if (m_thread.joinable())
        return;
    m_running = true;
    m_thread = std::thread([this, path] {
        std::int64_t reported = -1;
        auto onProgress = [this, &reported](std::int64_t done, std::int64_t total) {
            // About a hundred updates over the file, not one per block.
            const std::int64_t step = total > 100 ? total / 100 : 1;
            if (reported >= 0 && done - reported < step && done < total)
                return;
            reported = done;
            QMetaObject::invokeMethod(this, [this, done, total] { emit progress(done, total); }, Qt::QueuedConnection);
        };
        const ChecksumResult result = computeChecksums(path, &m_abort, onProgress);
        // Queued calls to a job that is gone are dropped with it.
        QMetaObject::invokeMethod(this, [this, result] {
            m_running = false;
            emit finished(result);
        }, Qt::QueuedConnection);
    });
}

} // namespace properties
