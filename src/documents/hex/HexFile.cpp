#include "documents/hex/HexFile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <cerrno>
#include <algorithm>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hex {

namespace {

int openRetry(const QByteArray& name, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC, mode);
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
    device_ = st.st_dev;
    inode_ = st.st_ino;
    open_ = true;
    return true;
}

void HexFile::openBytes(int64_t size, Reader reader)
{
    close();
    size_ = std::max<int64_t>(size, 0);
    reader_ = std::move(reader);
    open_ = reader_ != nullptr;
    if (!open_)
        size_ = 0;
}

void HexFile::close()
{
    path_.clear();
    size_ = 0;
    device_ = 0;
    inode_ = 0;
    reader_ = nullptr;
    open_ = false;
}

HexFile::WriteResult HexFile::checkUnchanged(QString* error) const
{
    if (!open_ || reader_) {
        if (error)
            *error = systemErrorText(EBADF);
        return WriteResult::Failed;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0) {
        if (error)
            *error = systemErrorText(errno);
        return WriteResult::Failed;
    }
    if (st.st_dev != device_ || st.st_ino != inode_)
        return WriteResult::Replaced;
    return st.st_size == size_ ? WriteResult::Ok : WriteResult::SizeChanged;
}

bool HexFile::read(int64_t offset, uint8_t* buf, size_t n) const
{
    std::memset(buf, 0, n);
    if (!open_ || n == 0 || offset < 0)
        return n == 0;
    if (reader_)
        return reader_(offset, buf, n);
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
    if (!open_ || reader_)
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
    // Another file took the path (written aside and renamed over it): the edits were made
    // on the bytes of the file that was opened and do not belong in this one.
    if (st.st_dev != device_ || st.st_ino != inode_) {
        ::close(fd);
        return WriteResult::Replaced;
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
        if (start < 0 || start > size_ - int64_t(run.size())) {
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

HexFile::WriteResult HexFile::writeCopy(const QString& target, const std::map<int64_t, uint8_t>& bytes,
                                       QString* error) const
{
    auto fail = [&](int err) {
        if (error)
            *error = systemErrorText(err);
        return WriteResult::Failed;
    };
    if (!open_)
        return fail(EBADF);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat src {}, dst {};
    int in = openRetry(QFile::encodeName(path_), O_RDONLY);
    if (in < 0)
        return fail(errno);
    if (::fstat(in, &src) != 0) {
        int err = errno;
        ::close(in);
        return fail(err);
    }
    if (::stat(targetName.constData(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
        ::close(in);
        return write(bytes, error);
    }
    if (src.st_size != size_) {
        ::close(in);
        return WriteResult::SizeChanged;
    }
    // The copy goes through a temporary file renamed over the target, so a failure
    // leaves an existing target as it was; where the target must be rewritten in place
    // its room is reserved first.
    atomicfile::Writer out;
    auto failCopy = [&](int err) {
        ::close(in);
        out.abandon();
        return fail(err);
    };
    if (int err = out.open(target))
        return failCopy(err);
    if (int err = out.reserve(size_))
        return failCopy(err);
    constexpr size_t kBlock = 102400;
    std::string block(kBlock, '\0');
    auto edit = bytes.begin();
    for (int64_t pos = 0; pos < size_;) {
        const size_t want = size_t(std::min<int64_t>(int64_t(kBlock), size_ - pos));
        size_t got = 0;
        while (got < want) {
            ssize_t r = ::pread(in, block.data() + got, want - got, static_cast<off_t>(pos + int64_t(got)));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return failCopy(errno);
            if (r == 0)
                return failCopy(EIO);  // the source shrank while it was copied
            got += size_t(r);
        }
        for (; edit != bytes.end() && edit->first < pos + int64_t(want); ++edit)
            if (edit->first >= pos)
                block[size_t(edit->first - pos)] = char(edit->second);
        if (int err = out.write(block.data(), want))
            return failCopy(err);
        pos += int64_t(want);
    }
    ::close(in);
    if (int err = out.commit())
        return fail(err);
    return WriteResult::Ok;
}

} // namespace hex
