#pragma once
// Keeps a backup of every text document with unsaved changes, a few seconds after the
// last change (and at least every 30 seconds while typing goes on), and offers what a run
// that did not end normally left behind. The text is taken on the UI thread and written
// by the backup writer's thread.
#include <QObject>
#include <QPointer>

#include <map>
#include <memory>

class CChildFrame;
class CMainFrame;
class QTimer;

namespace backup {
class Store;
class Writer;
}

class CBackups : public QObject {
    Q_OBJECT
public:
    // `intervalSeconds` 0 writes no backups (those left from before are still offered).
    CBackups(CMainFrame& frame, const QString& root, int intervalSeconds);
    ~CBackups() override;

    void watch(CChildFrame* child);
    // Every document was saved or given up by the user (Close All, exit): their backups go,
    // and the documents, about to close, are no longer watched.
    void forgetAll();
    // At start: offers the backups left by runs that ended without cleaning up.
    void offerRecovery();

    // Writes every pending backup now and waits for the writer (tests, and before a
    // planned end).
    void flush();
    QString folder() const;

private:
    struct Watched {
        QString name;
        QTimer* timer = nullptr;
        qint64 firstChange = 0;   // when the oldest change not yet written was made
        bool written = false;
    };
    void changed(CChildFrame* child);
    void stateChanged(CChildFrame* child);
    void writeNow(CChildFrame* child);
    void forget(CChildFrame* child);

    CMainFrame& m_frame;
    int m_interval;
    std::unique_ptr<backup::Store> m_store;
    std::unique_ptr<backup::Writer> m_writer;
    std::map<CChildFrame*, Watched> m_watched;
    int m_next = 1;
};
