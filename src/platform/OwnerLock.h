#pragma once
// A lock that says "this folder belongs to a running process": taken without waiting and
// held for the object's lifetime. The system drops it when the process ends in any way, so
// a lock that can be taken marks what a process left behind.
#include <QString>

class OwnerLock {
public:
    OwnerLock() = default;
    ~OwnerLock();
    OwnerLock(const OwnerLock&) = delete;
    OwnerLock& operator=(const OwnerLock&) = delete;

    // Takes the lock on `path` (made when missing, mode 0600); false when another holder
    // has it or the file cannot be made.
    bool tryAcquire(const QString& path);
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
