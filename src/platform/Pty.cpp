#include "platform/Pty.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace pty {

Pair open()
{
    Pair p;
    p.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (p.master < 0) {
        p.error = errno;
        return p;
    }
    char name[128];
    if (::grantpt(p.master) != 0 || ::unlockpt(p.master) != 0 || ::ptsname_r(p.master, name, sizeof name) != 0) {
        p.error = errno;
        close(p);
        return p;
    }
    p.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (p.slave < 0) {
        p.error = errno;
        close(p);
        return p;
    }
    termios t {};
    if (::tcgetattr(p.slave, &t) == 0) {
        t.c_iflag |= ICRNL | IUTF8;
        t.c_iflag &= ~tcflag_t(IXON | IXOFF);
        t.c_oflag |= OPOST | ONLCR;
        t.c_lflag |= ICANON | ECHO | ECHOE | ECHOK;
        t.c_lflag &= ~tcflag_t(ISIG);
        ::tcsetattr(p.slave, TCSANOW, &t);
    }
    setSize(p.master, 80, 25);
    return p;
}

void setSize(int master, int columns, int rows)
{
    if (master < 0 || columns <= 0 || rows <= 0)
        return;
    winsize w {};
    w.ws_col = static_cast<unsigned short>(columns);
    w.ws_row = static_cast<unsigned short>(rows);
    ::ioctl(master, TIOCSWINSZ, &w);
}

void close(Pair& p)
{
    if (p.slave >= 0)
        ::close(p.slave);
    if (p.master >= 0)
        ::close(p.master);
    p.slave = p.master = -1;
}

} // namespace pty
