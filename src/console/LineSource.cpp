#include "console/LineSource.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace console {

LineSource LineSource::fromString(ustring text)
{
    LineSource s;
    s.mode_ = Mode::String;
    s.text_ = std::move(text);
    return s;
}

LineSource LineSource::fromConsole(IConsole* console)
{
    LineSource s;
    s.mode_ = Mode::Console;
    s.console_ = console;
    return s;
}

LineSource LineSource::fromFile(std::string path, int64_t offset)
{
    LineSource s;
    s.mode_ = Mode::File;
    s.path_ = std::move(path);
    s.pos_ = offset;
    return s;
}

LineSource LineSource::fromDescriptor(int fd)
{
    LineSource s;
    s.mode_ = Mode::File;
    s.fd_ = fd;
    return s;
}

LineSource::Read LineSource::readLine(ustring& out, bool continuation)
{
    out.clear();
    switch (mode_) {
    case Mode::String:
        return readString(out);
    case Mode::Console: {
        if (prompt)
            prompt(continuation);
        ustring typed;
        for (;;) {
            IConsole::LineResult r = console_->readLine(typed, completionChar);
            if (r.eof)
                return Read::Eof;
            if (r.woke && complete) {
                typed = complete(r.text, r.shift);
                continue;
            }
            if (r.woke) {
                typed = r.text;
                continue;
            }
            out = r.text;
            break;
        }
        if (out.size() + 1 > MaxLine)
            return Read::TooLong;
        out += u'\n';
        return Read::Line;
    }
    case Mode::File:
        if (fd_ >= 0) {
            if (prompt)
                prompt(continuation);
            return readDescriptor(out);
        }
        return readFile(out);
    }
    return Read::Eof;
}

LineSource::Read LineSource::readString(ustring& out)
{
    if (size_t(pos_) >= text_.size())
        return Read::Eof;
    size_t start = size_t(pos_);
    size_t nl = text_.find(u'\n', start);
    size_t end = nl == ustring::npos ? text_.size() : nl + 1;
    if (end - start > MaxLine) {
        pos_ = int64_t(end);
        return Read::TooLong;
    }
    out = text_.substr(start, end - start);
    pos_ = int64_t(end);
    return Read::Line;
}

// The bytes of one line are text of the console output code page, UTF-8 here. The line
// ends at a newline or Ctrl+Z; Ctrl+Z becomes a newline.
LineSource::Read LineSource::finishBytes(const std::string& bytes, bool sawEnd, ustring& out)
{
    std::string line = bytes;
    if (sawEnd && !line.empty() && line.back() == 26)
        line.back() = '\n';
    out = decodeText(line);
    if (out.size() > MaxLine || (!sawEnd && out.size() >= MaxLine))
        return Read::TooLong;
    return Read::Line;
}

LineSource::Read LineSource::readFile(ustring& out)
{
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        openFailed = true;
        return Read::Eof;
    }
    std::string bytes;
    bool sawEnd = false;
    char buf[4096];
    off_t at = off_t(pos_);
    // Read until a line end; a line may not exceed the limit, so stop reading well past it.
    while (!sawEnd && bytes.size() < MaxLine * 4 + 4) {
        ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            bytes += buf[i];
            if (buf[i] == '\n' || buf[i] == 26) {
                sawEnd = true;
                break;
            }
        }
        at += n;
    }
    if (bytes.empty()) {
        ::close(fd);
        return Read::Eof;
    }
    pos_ += int64_t(bytes.size());
    Read r = finishBytes(bytes, sawEnd, out);
    // A line that is too long is dropped whole: its rest is not read as another line.
    while (r == Read::TooLong && !sawEnd) {
        ssize_t n = ::pread(fd, buf, sizeof buf, off_t(pos_));
        if (n <= 0)
            break;
        ssize_t i = 0;
        while (i < n && !sawEnd) {
            char c = buf[i++];
            sawEnd = c == '\n' || c == 26;
        }
        pos_ += i;
    }
    ::close(fd);
    return r;
}

LineSource::Read LineSource::readDescriptor(ustring& out)
{
    std::string bytes;
    Read r = readBytes(fd_, bytes, true, interrupted);
    if (r == Read::Eof)
        return r;
    if (r == Read::TooLong) {
        out = decodeText(bytes);
        return r;
    }
    return finishBytes(bytes, !bytes.empty() && (bytes.back() == '\n' || bytes.back() == 26), out);
}

LineSource::Read LineSource::readBytes(int fd, std::string& bytes, bool ctrlZEnds,
                                       const std::function<bool()>& interrupted)
{
    bytes.clear();
    auto isEnd = [ctrlZEnds](unsigned char c) { return c == '\n' || (ctrlZEnds && c == 26); };
    // Characters are counted by their first bytes (UTF-8); the last character the limit
    // allows is taken whole.
    auto isLead = [](unsigned char c) { return (c & 0xC0) != 0x80; };
    auto following = [](unsigned char c) { return c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0; };
    size_t chars = 0;
    int tail = 0;
    bool tooLong = false; // past the limit: the rest of the line is read and dropped
    size_t dropped = 0;
    const bool seekable = ::lseek(fd, 0, SEEK_CUR) >= 0;
    char buf[MaxLine];
    for (;;) {
        if (tooLong && dropped >= sizeof buf) {
            dropped = 0;
            if (interrupted && interrupted())
                return Read::TooLong;
        }
        ssize_t n = ::read(fd, buf, seekable ? sizeof buf : 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return tooLong ? Read::TooLong : bytes.empty() ? Read::Eof : Read::Line;
        ssize_t used = 0;
        bool end = false;
        while (used < n && !end) {
            unsigned char c = static_cast<unsigned char>(buf[used++]);
            if (tooLong) {
                end = isEnd(c);
                ++dropped;
                continue;
            }
            bytes += char(c);
            if (tail > 0) {
                --tail;
            } else if (isLead(c)) {
                ++chars;
                if (isEnd(c))
                    end = true;
                else if (chars == MaxLine)
                    tail = following(c);
            }
            if (!end && chars == MaxLine && tail == 0)
                tooLong = true;
        }
        if (used < n)
            ::lseek(fd, off_t(used - n), SEEK_CUR);
        if (end)
            return tooLong ? Read::TooLong : Read::Line;
    }
}

} // namespace console
