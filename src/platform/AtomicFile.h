#pragma once
// Writing files so that a failure never leaves a half-written file behind.
//
// `write` replaces a small file in one step: a temporary file in the same folder is
// written, flushed and synced, given the old file's mode, then renamed over the target.
//
// `Writer` streams a file of any size the same way, and keeps what the user owns: where a
// rename would cut other hard links, lose the file's owner or be refused by a sticky
// folder, or where the folder takes no new file, the file is rewritten in place instead,
// with its whole new size reserved on the disk before the first byte changes.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

namespace atomicfile {

// Returns false (and leaves the target untouched) when any step fails; `error` gets the
// system's error text.
//
// Both write the new contents to ".<name>.vsave-XXXXXX" beside the target and hold a lock on
// it until it is in place. Before each save, such files that a save killed part way left for
// the same target are removed: only names of exactly that pattern, plain files of this
// user, not changed for a minute, and not locked by a save still running.
bool write(const QString& path, const QByteArray& content, QString* error = nullptr);

// Removes what killed saves of `path` left behind (see above); returns how many were removed.
int removeStaleTemporaries(const QString& path);

// What the rename decision looks at: the existing file and its folder.
struct TargetFacts {
    unsigned links = 1;     // hard links of the file
    unsigned uid = 0;       // the file's owner
    unsigned dirMode = 0;   // the folder's mode bits
    unsigned dirUid = 0;    // the folder's owner
    unsigned euid = 0;      // who writes
};

// True when an existing file must be rewritten in place rather than replaced by a rename:
// it has other hard links (a rename would leave them with the old text), or it lies in a
// sticky folder that refuses to let this user replace it.
bool mustWriteInPlace(const TargetFacts& facts);

class Writer {
public:
    Writer() = default;
    ~Writer();   // abandons an unfinished write, leaving the old file alone
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Prepares writing `path` (a symbolic link is followed and its target written).
    // Refuses folders, devices and files the owner may not write. Returns 0 or an errno
    // value.
    int open(const QString& path);
    // True when the file is rewritten in place; then reserve() must come before write().
    bool inPlace() const { return inPlace_; }
    // Reserves `size` bytes on the disk for the new contents, so that a disk without room
    // fails here, before the old file changes.
    int reserve(int64_t size);
    int write(const char* data, size_t n);
    int write(const std::string& s) { return write(s.data(), s.size()); }
    // Flushes, syncs and puts the new contents in place (cutting an old, longer file to
    // the new length when writing in place).
    int commit();
    void abandon();

    // The file actually written (the link target for a symbolic link).
    const std::string& targetPath() const { return target_; }

private:
    int flushBuffer();
    int openInPlace();

    int fd_ = -1;
    std::string target_;
    std::string temp_;
    bool inPlace_ = false;
    bool existed_ = false;
    bool reserved_ = false;
    unsigned mode_ = 0;
    int64_t written_ = 0;
    std::string buffer_;
};

} // namespace atomicfile
