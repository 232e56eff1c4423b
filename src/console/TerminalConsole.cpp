#include "console/TerminalConsole.h"

#include "console/FileNames.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace console {

namespace {

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
    // With a wake-up key the terminal is read key by key and the line edited here;
    // otherwise the terminal's own line mode does the editing.
    if (wakeChar && inputIsTerminal_)
        return readEdited(initial, wakeChar);
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

IConsole::LineResult TerminalConsole::readEdited(uview initial, char16_t wakeChar)
{
    LineResult r;
    termios saved {};
    if (::tcgetattr(0, &saved) != 0)
        return r;
    termios t = saved;
    t.c_lflag &= ~tcflag_t(ICANON | ECHO);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::tcsetattr(0, TCSANOW, &t);

    // Redraw: back to the start of the input, the new text, blanks over what is left.
    std::u16string line(initial);
    std::string redraw(shown_, '\b');
    redraw += toUtf8(line);
    if (shown_ > line.size()) {
        redraw += std::string(shown_ - line.size(), ' ');
        redraw += std::string(shown_ - line.size(), '\b');
    }
    writeAll(1, redraw);
    shown_ = line.size();

    std::string pending; // bytes of an incomplete UTF-8 character
    for (;;) {
        unsigned char c = 0;
        ssize_t n = ::read(0, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            r.eof = line.empty();
            break;
        }
        if (c == '\r' || c == '\n') {
            writeAll(1, "\r\n");
            shown_ = 0;
            break;
        }
        if (c == wakeChar) {
            r.woke = true;
            break;
        }
        if (c == 0x1b) {
            // An escape sequence: Shift+Tab ("ESC [ Z") wakes backwards, the rest is ignored.
            unsigned char a = 0, b = 0;
            if (::read(0, &a, 1) == 1 && a == '[') {
                while (::read(0, &b, 1) == 1 && !(b >= 0x40 && b <= 0x7e)) {
                }
                if (b == 'Z' && wakeChar == '\t') {
                    r.woke = true;
                    r.shift = true;
                    break;
                }
            }
            continue;
        }
        if (c == 0x7f || c == 0x08) {
            if (!line.empty()) {
                line.pop_back();
                if (!line.empty() && line.back() >= 0xD800 && line.back() <= 0xDBFF)
                    line.pop_back();
                writeAll(1, "\b \b");
                --shown_;
            }
            continue;
        }
        if (c == 0x15) {
            writeAll(1, std::string(shown_, '\b') + std::string(shown_, ' ') + std::string(shown_, '\b'));
            line.clear();
            shown_ = 0;
            continue;
        }
        if (c == 0x04) {
            if (line.empty()) {
                r.eof = true;
                break;
            }
            continue;
        }
        if (c < 32)
            continue;
        pending += char(c);
        std::u16string decoded = fromUtf8(pending);
        bool complete = (c & 0xC0) != 0x80 ? (c < 0x80) : true;
        if ((unsigned char)pending[0] >= 0xC0) {
            size_t need = ((unsigned char)pending[0] >= 0xF0) ? 4 : ((unsigned char)pending[0] >= 0xE0) ? 3 : 2;
            complete = pending.size() >= need;
        }
        if (!complete)
            continue;
        line += decoded;
        writeAll(1, pending);
        shown_ += 1;
        pending.clear();
    }
    ::tcsetattr(0, TCSANOW, &saved);
    r.text = line;
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

} // namespace console
