#include "search/FindInFilesWorker.h"

#include <QFile>

#include <chrono>
#include <iterator>

namespace search {

namespace {
// How often the owner's thread takes what the search found.
constexpr int kDrainMs = 40;
// How often the search publishes the file it reads.
constexpr auto kProgressEvery = std::chrono::milliseconds(50);
// Lines handed over at a time.
constexpr std::size_t kBatch = 512;
}

class FindInFilesWorker::QueueSink : public FindInFilesSink {
public:
    explicit QueueSink(FindInFilesWorker& w) : m_w(w) {}
    ~QueueSink() override { flush(); }

    void add(FindResultLine line) override
    {
        m_local.push_back(std::move(line));
        if (m_local.size() >= kBatch)
            flush();
    }
    void visiting(std::string_view folder, std::string_view name) override
    {
        const auto now = std::chrono::steady_clock::now();
        if (!m_local.empty())
            flush();
        if (now - m_lastProgress < kProgressEvery)
            return;
        m_lastProgress = now;
        std::lock_guard<std::mutex> lock(m_w.m_mutex);
        m_w.m_current.assign(folder);
        m_w.m_current.append(name);
        m_w.m_currentChanged = true;
    }
    bool stopRequested() override { return m_w.m_abort.load(std::memory_order_relaxed); }

    void flush()
    {
        if (m_local.empty())
            return;
        {
            std::lock_guard<std::mutex> lock(m_w.m_mutex);
            m_w.m_queue.push_back(std::move(m_local));
        }
        m_local = {};
        m_local.reserve(kBatch);
    }

private:
    FindInFilesWorker& m_w;
    std::vector<FindResultLine> m_local;
    std::chrono::steady_clock::time_point m_lastProgress{};
};

FindInFilesWorker::FindInFilesWorker(FindInFilesJob job, QObject* parent) : QObject(parent), m_job(std::move(job))
{
    if (m_job.cannotOpenText.isEmpty())
        m_job.cannotOpenText = cannotOpenFormat();   // texts are looked up on this thread
    m_timer.setInterval(kDrainMs);
    connect(&m_timer, &QTimer::timeout, this, &FindInFilesWorker::drain);
}

FindInFilesWorker::~FindInFilesWorker()
{
    m_abort = true;
    if (m_thread.joinable())
        m_thread.join();
}

void FindInFilesWorker::start()
{
    if (m_started)
        return;
    m_started = true;
    m_timer.start();
    m_thread = std::thread([this] {
        FindInFilesCounts counts;
        {
            QueueSink sink(*this);
            counts = findInFiles(m_job, sink);
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_threadCounts = counts;
            m_threadDone = true;
        }
        // Wakes the owner at once instead of at its next tick.
        QMetaObject::invokeMethod(this, &FindInFilesWorker::drain, Qt::QueuedConnection);
    });
}

void FindInFilesWorker::drain()
{
    if (m_finished)
        return;
    std::vector<std::vector<FindResultLine>> batches;
    QString current;
    bool threadDone;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        batches.swap(m_queue);
        if (m_currentChanged) {
            current = QFile::decodeName(QByteArray(m_current.data(), qsizetype(m_current.size())));
            m_currentChanged = false;
        }
        threadDone = m_threadDone;
        if (threadDone)
            m_counts = m_threadCounts;
    }
    if (!batches.empty()) {
        std::vector<FindResultLine> batch = std::move(batches.front());
        std::size_t total = 0;
        for (const auto& b : batches)
            total += b.size();
        batch.reserve(total);
        for (std::size_t i = 1; i < batches.size(); ++i)
            std::move(batches[i].begin(), batches[i].end(), std::back_inserter(batch));
        emit linesReady(batch);
    }
    if (threadDone) {
        m_timer.stop();
        m_thread.join();   // the thread has nothing left to do but return
        m_finished = true;
        emit done(finalText(m_job, m_counts));
    } else if (!current.isEmpty()) {
        emit progress(current);
    }
}

} // namespace search
