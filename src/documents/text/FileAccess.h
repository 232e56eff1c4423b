#pragma once
// File-system side of documents: file stamps, the read-only attribute, reading in
// blocks and a writer that never destroys the old file when a save fails.
#include "platform/AtomicFile.h"

#include <QString>
#include <cstdint>
#include <string>

namespace textdoc {

// The outcome of a file operation: ok, or the system's error number.
struct IoResult {
    bool ok = true;
    int error = 0;   // errno value when !ok
    static IoResult failure(int err) { return {false, err ? err : 5 /* EIO */}; }
    explicit operator bool() const { return ok; }
    // The system's text for the error ("Permission denied").
    QString errorText() const;
};

QString systemErrorText(int error);

// A file's last-write time as local DOS date (high 16 bits) and time (low 16 bits),
// 2-second steps; -1 when the file is missing or is a folder. Symbolic links are
// followed.
int32_t fileStamp(const QString& path);

// DOS date and time of a local time (years before 1980 give 1980-01-01 00:00:00).
int32_t dosStamp(int year, int month, int day, int hour, int minute, int second);

// "Read-only file": the owner's write bit of the file (or the link's target) is clear.
bool isFileReadOnly(const QString& path);
// Sets the owner's write bit again. Fails when the file's attributes cannot be read
// or written.
IoResult clearFileReadOnly(const QString& path);

// Reads a file in blocks of kBlockSize bytes; every block but the last is full.
class BlockReader {
public:
    BlockReader() = default;
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    IoResult open(const QString& path);
    // Size of the open file in bytes.
    int64_t size() const { return size_; }
    // Fills `block` with the next block; an empty block means the end of the file.
    IoResult next(std::string& block);
    void close();

private:
    int fd_ = -1;
    int64_t size_ = 0;
};

// Writes a file so that a failure leaves the old one as it was: the bytes go to a
// temporary file in the same folder, which is flushed to disk, given the old file's
// mode and owner and then renamed over it. A symbolic link is followed and its target
// written. Where a rename would change what the user owns (other hard links, an owner
// the new file cannot be given, a sticky folder) or the folder takes no new file, the
// file is written in place; then the new size is reserved first (reserve), so a full
// disk fails before the old contents change.
class SafeFileWriter {
public:
    IoResult open(const QString& path);
    // True when the file is rewritten in place: reserve() with the exact size must come
    // before the first write.
    bool writesInPlace() const { return writer_.inPlace(); }
    IoResult reserve(int64_t size);
    IoResult write(const char* data, size_t n);
    IoResult write(const std::string& s) { return write(s.data(), s.size()); }
    // Flushes, syncs and puts the new file in place.
    IoResult commit();
    void abandon() { writer_.abandon(); }

    // The file actually written (the link target for a symbolic link).
    const std::string& targetPath() const { return writer_.targetPath(); }

private:
    atomicfile::Writer writer_;   // abandons an unfinished write when destroyed
};

} // namespace textdoc
