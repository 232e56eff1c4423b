#include "console/TerminalConsole.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace console {

namespace {

void writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

// Console colour index (blue 1, green 2, red 4, intensity 8) to an ANSI colour.
int ansiColour(int c)
{
    static const int map[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    return map[c & 7] + ((c & 8) ? 60 : 0);
}

} // namespace

TerminalConsole::TerminalConsole()
{
    outputIsTerminal_ = ::isatty(1);
    inputIsTerminal_ = ::isatty(0);
}

IConsole::LineResult TerminalConsole::readLine(uview initial, char16_t wakeChar)
{
    (void)wakeChar; // the terminal's line mode has no early wake-up: completion is off here
    LineResult r;
    std::string bytes;
    bool any = false;
    char c;
    for (;;) {
        ssize_t n = ::read(0, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        any = true;
        if (c == '\n')
            break;
        if (c != '\r')
            bytes += c;
    }
    if (!any) {
        r.eof = true;
        return r;
    }
    r.text = ustring(initial) + fromUtf8(bytes);
    return r;
}

std::optional<char16_t> TerminalConsole::readKey()
{
    termios saved {};
    bool raw = inputIsTerminal_ && ::tcgetattr(0, &saved) == 0;
    if (raw) {
        termios t = saved;
        t.c_lflag &= ~tcflag_t(ICANON | ECHO);
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        ::tcsetattr(0, TCSANOW, &t);
        ::tcflush(0, TCIFLUSH);
    }
    char c = 0;
    ssize_t n;
    do {
        n = ::read(0, &c, 1);
    } while (n < 0 && errno == EINTR);
    if (raw)
        ::tcsetattr(0, TCSANOW, &saved);
    if (n <= 0)
        return std::nullopt;
    return char16_t(static_cast<unsigned char>(c));
}

void TerminalConsole::write(uview text) { writeAll(1, toUtf8(text)); }

void TerminalConsole::setTitle(uview title)
{
    title_ = ustring(title);
    if (outputIsTerminal_)
        writeAll(1, "\033]0;" + toUtf8(title) + "\007");
}

void TerminalConsole::setAttribute(int attr)
{
    attr_ = attr & 0xFF;
    if (outputIsTerminal_)
        writeAll(1, "\033[" + std::to_string(30 + ansiColour(attr_ & 15)) + ";"
                        + std::to_string(40 + ansiColour(attr_ >> 4)) + "m");
}

void TerminalConsole::fillAttribute(int attr)
{
    setAttribute(attr);
}

void TerminalConsole::clearScreen()
{
    if (outputIsTerminal_)
        writeAll(1, "\033[2J\033[H");
    else
        writeAll(1, "\f");
}

void TerminalConsole::setForegroundGroup(int pgid)
{
    if (inputIsTerminal_)
        ::tcsetpgrp(0, pgid);
}

void TerminalConsole::restoreForeground()
{
    if (inputIsTerminal_)
        ::tcsetpgrp(0, ::getpgrp());
}

} // namespace console
