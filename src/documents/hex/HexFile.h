#pragma once
// The bytes behind the hex view: a file read with positioned reads, one screen at a time.
// The file is opened afresh for every read and every save and never mapped, so a file that
// another program truncates or replaces cannot bring the editor down: bytes past its new end
// read as zeros, and a replaced file reads as the new one.
// The file's device and inode are kept from the open: a save never writes into a file that
// has taken the path since.
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

namespace hex {

class HexFile {
public:
    // Opens the file for reading only to take its size, first finishing a save of it that
    // was cut short. On failure returns false and puts
    // the system's text for the error in *error.
    bool open(const QString& path, QString* error = nullptr);
    // Bytes that do not come from a file on disk (generated ones, or sizes no real file
    // reaches): `reader` fills n bytes at an offset and says whether it could. Such bytes
    // have no path and cannot be written.
    using Reader = std::function<bool(int64_t offset, uint8_t* buf, size_t n)>;
    void openBytes(int64_t size, Reader reader);
    void close();

    bool isOpen() const { return open_; }
    const QString& path() const { return path_; }
    // The size taken when the file was opened.
    int64_t size() const { return size_; }

    // Reads n bytes at offset into buf. Bytes that could not be read (a failed or short read,
    // a file that shrank) are zero. Returns true when all n bytes were read.
    bool read(int64_t offset, uint8_t* buf, size_t n) const;

    enum class WriteResult { Ok, SizeChanged, Replaced, Failed };
    // Whether the path still names the file that was opened, with its size at open: Ok,
    // Replaced (another file took the path), SizeChanged or Failed (it cannot be reached).
    WriteResult checkUnchanged(QString* error = nullptr) const;
    // Writes the given bytes (offset -> value) in place and flushes them to the disk, through
    // a journal (see journalPath) so that a save cut short is finished by the next open. The
    // file is never created, truncated or extended: when the path names another file than
    // the one opened, nothing is written and Replaced is returned; when its size on disk is
    // no longer the size taken at open, nothing is written and SizeChanged is returned.
    WriteResult write(const std::map<int64_t, uint8_t>& bytes, QString* error = nullptr) const;

    // Writes the whole file, with the given bytes in place of its own, to another path, in
    // blocks of 102400 bytes, through a temporary file that replaces the target only once it
    // is complete (an existing target that must keep its links or owner is rewritten in
    // place, its room reserved first), so a failed copy leaves an existing target as it was. When `target` is this very
    // file (another name for it included) the bytes are written in place instead, so the file
    // is never truncated under its own copy. The source must still have its size at open.
    WriteResult writeCopy(const QString& target, const std::map<int64_t, uint8_t>& bytes,
                          QString* error = nullptr) const;

private:
    QString path_;
    int64_t size_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    Reader reader_;
    bool open_ = false;
};

// The journal an in-place save writes beside `path` before it changes the file
// (".<name>.vhexjournal"); the next open of a file whose save was cut short finishes it.
std::string journalPath(const QString& path);

// The system's text for an errno value.
QString systemErrorText(int err);

} // namespace hex
