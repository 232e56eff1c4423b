#pragma once
// Backups of documents with unsaved changes, kept in the data folder's "backup" folder so
// that a crash, a killed session or a power cut loses at most the last few seconds.
//
// Each running editor has a folder of its own there ("<pid>-<start time>"), locked for as
// long as it runs; a folder whose lock is free was left by a run that did not end normally.
// A document's backup is two files: "<name>.txt", the text exactly as the editing component
// holds it, and "<name>.idx", a small index (UTF-8 "Key=value" lines) saying whose text it
// is. Both are written atomically, the text first, so a crash while writing leaves the
// previous backup whole.
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class OwnerLock;

namespace backup {

struct Entry {
    QString path;              // the document's path, or a name starting with "<"
    QString title;             // what its tab said
    int encoding = 0;
    int eolMode = 0;
    int savedEncoding = -1;    // the encoding its file was last loaded or saved in
    int32_t fileStamp = -1;    // the file's stamp when the document was loaded or saved
    QDateTime time;            // when the text was taken

    // Where the entry lies (filled in when listing).
    QString folder;
    QString name;
    QString textFile() const { return folder + QLatin1Char('/') + name + QStringLiteral(".txt"); }
};

QByteArray indexText(const Entry& e);
// Reads an index; false when it is not one (a missing or unusable path, a bad number).
bool parseIndex(const QByteArray& bytes, Entry* e);

// The backup folder seen from one run.
class Store {
public:
    explicit Store(QString root);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Makes the backup folder (private to the user) and this run's folder, and locks it.
    bool open();
    QString folder() const { return m_folder; }

    // The entries left by runs that ended without cleaning up, oldest first. Their folders
    // stay locked by this store, so no other run offers them too, until discarded or
    // released. Folders with nothing in them are removed on the way.
    std::vector<Entry> claimLeftovers();
    // Moves a claimed entry into this run's folder under `name`.
    bool adopt(const Entry& e, const QString& name);
    // Deletes the claimed folders with what is left in them.
    void discardClaimed();
    // Lets the claimed folders go untouched (offered again at the next start).
    void releaseClaimed();
    // Removes this run's folder when nothing is left in it (a normal end).
    void close();

private:
    QString m_root;
    QString m_folder;
    std::unique_ptr<OwnerLock> m_lock;
    std::vector<std::pair<QString, std::unique_ptr<OwnerLock>>> m_claimed;
};

// Writes and removes backups in one folder off the calling thread, in the order asked. A
// text still waiting to be written is replaced by a newer one of the same name.
class Writer {
public:
    explicit Writer(QString folder);
    ~Writer();   // finishes the queue, then stops
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void write(const QString& name, std::string text, QByteArray index);
    void remove(const QString& name);
    // A buffer whose text was written, to be filled again: taking a large text into memory
    // that is already there costs a copy, not an allocation. Empty when none is free.
    std::string takeSpare();
    // Makes a spare buffer of at least `bytes` ready on the writer's thread, so that taking
    // a large text for the first time does not wait for the system to hand out new memory.
    void prepareSpare(size_t bytes);
    // Waits until everything asked so far is done.
    void flush();
    // Writes that failed so far (a full disk, a folder gone).
    int failures() const;

private:
    struct Job {
        QString name;
        bool remove = false;
        size_t prepare = 0;   // a spare buffer to make ready, not a file
        std::string text;
        QByteArray index;
    };
    void run();
    void perform(Job& job);

    QString m_folder;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    int m_failures = 0;
    std::string m_spare;
    std::thread m_thread;
};

} // namespace backup
