#pragma once
// Where the interpreter's next line comes from: a fixed string (the command after /C or
// /K), the console, or a file (a batch file, or redirected standard input).
#include "console/Console.h"

#include <cstdint>
#include <functional>
#include <string>

namespace console {

class LineSource {
public:
    enum class Mode { String, Console, File };
    enum class Read { Line, Eof, TooLong };

    // A line holds at most this many characters, its line end included.
    static constexpr size_t MaxLine = 2048;

    static LineSource fromString(ustring text);
    static LineSource fromConsole(IConsole* console);
    // A batch file, read from `offset`; the file is opened and closed around each read.
    static LineSource fromFile(std::string path, int64_t offset);
    // An open descriptor that cannot be positioned (redirected standard input).
    static LineSource fromDescriptor(int fd);

    Mode mode() const { return mode_; }
    bool isStandardInput() const { return fd_ >= 0; }
    int64_t position() const { return pos_; }

    // Reads one physical line, its newline included when it had one. Before reading
    // from the console or standard input, `prompt(continuation)` is called.
    Read readLine(ustring& out, bool continuation);

    // Reads the bytes of one line from a descriptor, its line end (a newline, or Ctrl+Z
    // too when `ctrlZEnds`) included, keeping no more than the line limit. A longer line
    // gives TooLong with its first part; the rest of it is read and dropped, until its
    // end or until `interrupted` says so (it is asked between blocks). Eof when nothing
    // was read. A descriptor that can be positioned is read in blocks and set back to
    // just after the line end, so that what follows stays for the next reader; any other
    // is read byte by byte for that reason.
    static Read readBytes(int fd, std::string& bytes, bool ctrlZEnds,
                          const std::function<bool()>& interrupted = {});

    std::function<void(bool continuation)> prompt;
    // Console reads: the wake-up character and the completion callback that receives
    // the text typed so far and returns the text to continue from.
    char16_t completionChar = 0;
    std::function<ustring(uview typed, bool shift)> complete;
    // Asked while the rest of a too long line from a descriptor is dropped: true stops.
    std::function<bool()> interrupted;
    // Set when a batch file could not be opened at all.
    bool openFailed = false;

private:
    Read readString(ustring& out);
    Read readFile(ustring& out);
    Read readDescriptor(ustring& out);
    Read finishBytes(const std::string& bytes, bool sawEnd, ustring& out);

    Mode mode_ = Mode::String;
    ustring text_;
    IConsole* console_ = nullptr;
    std::string path_;
    int fd_ = -1;
    int64_t pos_ = 0;
};

} // namespace console
