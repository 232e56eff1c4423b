#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {

bool write(const QString& path, const QByteArray& content, QString* error)
{
    auto fail = [&](int err) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(err));
        return false;
    };
    const QByteArray target = QFile::encodeName(path);
    mode_t mode = 0644;
    struct stat st {};
    bool existed = ::stat(target.constData(), &st) == 0;
    if (existed)
        mode = st.st_mode & 07777;
    else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    QByteArray tmpl = target + ".XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return fail(errno);
    auto cleanup = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.constData());
        return fail(err);
    };
    const char* p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return cleanup(errno);
        }
        p += n;
        left -= n;
    }
    if (::fchmod(fd, mode) != 0)
        return cleanup(errno);
    if (existed)
        (void)!::fchown(fd, st.st_uid, st.st_gid);
    if (::fsync(fd) != 0)
        return cleanup(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.constData());
        return fail(err);
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        int err = errno;
        ::unlink(tmpl.constData());
        return fail(err);
    }
    return true;
}

} // namespace atomicfile
