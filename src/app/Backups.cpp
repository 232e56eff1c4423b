#include "app/Backups.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/RecoveryDialog.h"

#include "documents/backup/BackupStore.h"
#include "documents/text/FileAccess.h"
#include "documents/text/TextView.h"
#include "platform/Paths.h"
#include "platform/Seams.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

namespace {

constexpr qint64 kLongestWaitMs = 30000;

qint64 nowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

} // namespace

CBackups::CBackups(CMainFrame& frame, const QString& root, int intervalSeconds)
    : QObject(&frame), m_frame(frame), m_interval(intervalSeconds), m_store(std::make_unique<backup::Store>(root))
{
    if (m_store->open())
        m_writer = std::make_unique<backup::Writer>(m_store->folder());
}

CBackups::~CBackups()
{
    m_writer.reset();   // finishes what is queued
    m_store->close();
}

QString CBackups::folder() const
{
    return m_store->folder();
}

void CBackups::watch(CChildFrame* child)
{
    Watched& w = m_watched[child];
    w.name = QStringLiteral("doc-%1").arg(m_next++);
    w.timer = new QTimer(child);
    w.timer->setSingleShot(true);
    connect(w.timer, &QTimer::timeout, this, [this, child] { writeNow(child); });
    connect(child, &CChildFrame::textChanged, this, &CBackups::changed);
    connect(child, &CChildFrame::stateChanged, this, &CBackups::stateChanged);
    connect(child, &QObject::destroyed, this, [this, child] { forget(child); });
}

void CBackups::changed(CChildFrame* child)
{
    auto it = m_watched.find(child);
    if (it == m_watched.end() || m_interval <= 0 || !m_writer || !child->textView() || !child->isModified())
        return;
    Watched& w = it->second;
    const qint64 now = nowMs();
    if (!w.timer->isActive()) {
        w.firstChange = now;
        const size_t length = size_t(child->textView()->length());
        if (length > (1u << 20))
            m_writer->prepareSpare(length + length / 8 + 4096);
    }
    // Quiet for the interval, but never later than the longest wait after the first change.
    const qint64 due = std::min<qint64>(now + qint64(m_interval) * 1000, w.firstChange + kLongestWaitMs);
    w.timer->start(int(std::max<qint64>(0, due - now)));
}

void CBackups::stateChanged(CChildFrame* child)
{
    auto it = m_watched.find(child);
    if (it == m_watched.end())
        return;
    if (child->isModified()) {
        // Modified without a text change (an encoding chosen, a file changed outside).
        if (!it->second.timer->isActive())
            changed(child);
        return;
    }
    it->second.timer->stop();
    if (it->second.written && m_writer) {
        m_writer->remove(it->second.name);
        it->second.written = false;
    }
}

void CBackups::writeNow(CChildFrame* child)
{
    auto it = m_watched.find(child);
    CTextView* view = child->textView();
    if (it == m_watched.end() || !m_writer || !view || !child->isModified())
        return;
    backup::Entry e;
    e.path = child->path();
    e.title = child->title();
    e.encoding = view->encoding();
    e.eolMode = view->eolMode();
    e.savedEncoding = child->record().savedEncoding;
    e.fileStamp = child->record().fileStamp;
    e.time = seams::clock().now();
    std::string text = m_writer->takeSpare();
    view->copyText(text);
    m_writer->write(it->second.name, std::move(text), backup::indexText(e));
    it->second.written = true;
}

void CBackups::forget(CChildFrame* child)
{
    auto it = m_watched.find(child);
    if (it == m_watched.end())
        return;
    // A document closes only after its changes were saved or given up by the user.
    if (it->second.written && m_writer)
        m_writer->remove(it->second.name);
    m_watched.erase(it);
}

void CBackups::forgetAll()
{
    for (auto& [child, w] : m_watched) {
        w.timer->stop();
        disconnect(child, nullptr, this, nullptr);
        if (w.written && m_writer)
            m_writer->remove(w.name);
    }
    m_watched.clear();
}

void CBackups::flush()
{
    for (auto& [child, w] : m_watched) {
        if (w.timer->isActive()) {
            w.timer->stop();
            writeNow(child);
        }
    }
    if (m_writer)
        m_writer->flush();
}

void CBackups::offerRecovery()
{
    std::vector<backup::Entry> entries = m_store->claimLeftovers();
    if (entries.empty())
        return;
    std::vector<RecoveryDialog::Item> items;
    for (const backup::Entry& e : entries) {
        RecoveryDialog::Item item;
        item.name = paths::hasFile(e.path) ? e.path : e.title;
        item.time = e.time;
        item.changedOnDisk = paths::hasFile(e.path) && textdoc::fileStamp(e.path) != e.fileStamp;
        items.push_back(item);
    }
    RecoveryDialog dialog(items, m_frame.dialogParent());
    dialog.exec();
    switch (dialog.choice()) {
    case RecoveryDialog::Later:
        m_store->releaseClaimed();
        return;
    case RecoveryDialog::Discard:
        m_store->discardClaimed();
        return;
    case RecoveryDialog::Recover:
        break;
    }
    for (const backup::Entry& e : entries) {
        QFile file(e.textFile());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        // The file may be open already (the last session): its window takes the text.
        CChildFrame* child = nullptr;
        if (paths::hasFile(e.path)) {
            for (CChildFrame* c : m_frame.children())
                if (c->textView() && !c->isModified() && paths::sameFile(c->path(), e.path))
                    child = c;
        }
        if (!child)
            child = m_frame.NewDocument();
        if (!child)
            continue;
        child->restoreText(e.path, e.encoding, e.eolMode, e.savedEncoding, bytes.toStdString());
        // The backup becomes this document's own until it is saved or given up.
        auto it = m_watched.find(child);
        if (it != m_watched.end() && m_store->adopt(e, it->second.name))
            it->second.written = true;
    }
    m_store->discardClaimed();
}
