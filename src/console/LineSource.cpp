#include "console/LineSource.h"

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
    ::close(fd);
    if (bytes.empty())
        return Read::Eof;
    pos_ += int64_t(bytes.size());
    return finishBytes(bytes, sawEnd, out);
}

LineSource::Read LineSource::readDescriptor(ustring& out)
{
    std::string bytes;
    bool sawEnd = false;
    char c;
    for (;;) {
        ssize_t n = ::read(fd_, &c, 1);
        if (n <= 0)
            break;
        bytes += c;
        if (c == '\n' || c == 26) {
            sawEnd = true;
            break;
        }
    }
    if (bytes.empty())
        return Read::Eof;
    return finishBytes(bytes, sawEnd, out);
}

} // namespace console
