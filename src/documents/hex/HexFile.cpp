#include "documents/hex/HexFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hex {

namespace {

int openRetry(const QByteArray& name, int flags)
{
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

QString systemErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool HexFile::open(const QString& path, QString* error)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    int fd = openRetry(name, O_RDONLY);
    if (fd < 0) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    ::close(fd);
    if (err) {
        if (error)
            *error = systemErrorText(err);
        return false;
    }
    path_ = path;
    size_ = st.st_size;
    open_ = true;
    return true;
}

void HexFile::close()
{
    path_.clear();
    size_ = 0;
    open_ = false;
}

bool HexFile::read(int64_t offset, uint8_t* buf, size_t n) const
{
    std::memset(buf, 0, n);
    if (!open_ || n == 0 || offset < 0)
        return n == 0;
    int fd = openRetry(QFile::encodeName(path_), O_RDONLY);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(fd, buf + done, n - done, static_cast<off_t>(offset + int64_t(done)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += size_t(r);
    }
    ::close(fd);
    return done == n;
}

HexFile::WriteResult HexFile::write(const std::map<int64_t, uint8_t>& bytes, QString* error) const
{
    auto fail = [&](int err) {
        if (error)
            *error = systemErrorText(err);
        return WriteResult::Failed;
    };
    if (!open_)
        return fail(EBADF);
    int fd = openRetry(QFile::encodeName(path_), O_WRONLY);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (st.st_size != size_) {
        ::close(fd);
        return WriteResult::SizeChanged;
    }
    // Runs of neighbouring bytes go out in one write each.
    std::string run;
    auto it = bytes.begin();
    while (it != bytes.end()) {
        const int64_t start = it->first;
        run.clear();
        while (it != bytes.end() && it->first == start + int64_t(run.size())) {
            run.push_back(char(it->second));
            ++it;
        }
        if (start < 0 || start + int64_t(run.size()) > size_) {
            ::close(fd);
            return fail(EINVAL);
        }
        size_t done = 0;
        while (done < run.size()) {
            ssize_t w = ::pwrite(fd, run.data() + done, run.size() - done, static_cast<off_t>(start + int64_t(done)));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                int err = w < 0 ? errno : EIO;
                ::close(fd);
                return fail(err);
            }
            done += size_t(w);
        }
    }
    if (::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (::close(fd) != 0)
        return fail(errno);
    return WriteResult::Ok;
}

} // namespace hex
