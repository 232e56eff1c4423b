#pragma once
// An exclusive lock on "<file>.lock" held for the lifetime of the object, so that one
// read-modify-write of a file shared by running instances is not interleaved with another.
// When the lock file cannot be made (a missing or read-only folder) the holder goes on
// unlocked.
#include <QString>

class FileLock {
public:
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
