#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {

namespace {

std::string dirOf(const std::string& p)
{
    size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

std::string nameOf(const std::string& p)
{
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The temporary file beside `target` that a save writes first; its last six characters are
// replaced by mkstemp.
std::string tempPattern(const std::string& target)
{
    return dirOf(target) + "/." + nameOf(target).substr(0, 100) + ".vsave-XXXXXX";
}

// A temporary file younger than this may belong to a save that has just created it and not
// yet taken its lock.
constexpr time_t kStaleAfterSeconds = 60;

// Creates the temporary file for `target` and locks it for as long as it is open.
int makeTemp(std::string& templ)
{
    int fd = ::mkostemp(templ.data(), O_CLOEXEC);
    if (fd >= 0)
        ::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

int sweep(const std::string& target)
{
    const std::string folder = dirOf(target);
    const std::string prefix = "." + nameOf(target).substr(0, 100) + ".vsave-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    const int dfd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool pattern = true;
        for (size_t i = prefix.size(); i < name.size(); ++i)
            pattern = pattern && ((name[i] >= 'a' && name[i] <= 'z') || (name[i] >= 'A' && name[i] <= 'Z')
                                  || (name[i] >= '0' && name[i] <= '9'));
        struct stat st {};
        if (!pattern || ::fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != ::geteuid() || st.st_nlink != 1 || now - st.st_mtime < kStaleAfterSeconds)
            continue;
        int fd = ::openat(dfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {}, again {};
        // A save still running holds the lock; the name must still be the file locked.
        if (::fstat(fd, &held) == 0 && held.st_dev == st.st_dev && held.st_ino == st.st_ino
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstatat(dfd, name.c_str(), &again, AT_SYMLINK_NOFOLLOW) == 0
            && again.st_dev == held.st_dev && again.st_ino == held.st_ino && ::unlinkat(dfd, name.c_str(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

} // namespace

int removeStaleTemporaries(const QString& path)
{
    return sweep(QFile::encodeName(path).toStdString());
}

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
    sweep(target.toStdString());
    std::string tmpl = tempPattern(target.toStdString());
    int fd = makeTemp(tmpl);
    if (fd < 0)
        return fail(errno);
    auto cleanup = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
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
        ::unlink(tmpl.c_str());
        return fail(err);
    }
    if (::rename(tmpl.c_str(), target.constData()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return fail(err);
    }
    return true;
}

// --- streaming writer ------------------------------------------------------------------

namespace {

constexpr size_t kBufferSize = 102400;

// Follows symbolic links (also dangling ones) to the path that will really be written.
int resolveLinks(std::string p, std::string& out)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = p;
            return 0;
        }
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        link.resize(size_t(n));
        p = (!link.empty() && link[0] == '/') ? link : dirOf(p) + "/" + link;
    }
    return ELOOP;
}

int writeAll(int fd, const char* data, size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (w == 0)
            return ENOSPC;
        data += w;
        n -= size_t(w);
    }
    return 0;
}

mode_t currentUmask()
{
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

} // namespace

bool mustWriteInPlace(const TargetFacts& f)
{
    if (f.links > 1)
        return true;
    // In a sticky folder only the file's owner, the folder's owner or root may replace it.
    return (f.dirMode & S_ISVTX) && f.euid != 0 && f.uid != f.euid && f.dirUid != f.euid;
}

Writer::~Writer()
{
    abandon();
}

void Writer::abandon()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!inPlace_ && !temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}

int Writer::openInPlace()
{
    inPlace_ = true;
    // Read access too where we have it: reserving room on some file systems reads the file.
    int fd = ::open(target_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode_t(mode_));
    if (fd < 0 && errno == EACCES)
        fd = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, mode_t(mode_));
    if (fd < 0)
        return errno;
    fd_ = fd;
    return 0;
}

int Writer::open(const QString& path)
{
    abandon();
    inPlace_ = false;
    reserved_ = false;
    written_ = 0;
    if (path.isEmpty())
        return ENOENT;
    if (int err = resolveLinks(QFile::encodeName(path).toStdString(), target_))
        return err;

    struct stat st;
    existed_ = ::stat(target_.c_str(), &st) == 0;
    if (existed_) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        // Devices and pipes are no files to save into; a pipe without a reader would hang.
        if (!S_ISREG(st.st_mode))
            return EINVAL;
        // A file whose owner may not write it is refused, even where the folder would
        // let us replace it.
        if (::access(target_.c_str(), W_OK) != 0)
            return errno;
        if (!(st.st_mode & S_IWUSR))
            return EACCES;
        mode_ = st.st_mode & 07777;
        struct stat dir;
        if (::stat(dirOf(target_).c_str(), &dir) != 0)
            return errno;
        TargetFacts facts;
        facts.links = unsigned(st.st_nlink);
        facts.uid = st.st_uid;
        facts.dirMode = dir.st_mode & 07777;
        facts.dirUid = dir.st_uid;
        facts.euid = ::geteuid();
        if (mustWriteInPlace(facts))
            return openInPlace();
    } else {
        if (errno != ENOENT)
            return errno;
        mode_ = 0666 & ~currentUmask();
    }

    sweep(target_);
    std::string templ = tempPattern(target_);
    int fd = makeTemp(templ);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            return openInPlace();   // the folder takes no new file
        return errno;
    }
    fd_ = fd;
    temp_ = templ;
    if (::fchmod(fd_, mode_t(mode_)) != 0) {
        int err = errno;
        abandon();
        return err;
    }
    if (existed_) {
        // The new file must keep the old one's owner and group; where we may not give it
        // them, the old file is rewritten instead.
        struct stat tmp;
        if (::fstat(fd_, &tmp) != 0) {
            int err = errno;
            abandon();
            return err;
        }
        if ((tmp.st_uid != st.st_uid || tmp.st_gid != st.st_gid) && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
            abandon();
            return openInPlace();
        }
    }
    return 0;
}

int Writer::reserve(int64_t size)
{
    if (fd_ < 0)
        return EBADF;
    if (size > 0) {
        struct stat before;
        const bool known = ::fstat(fd_, &before) == 0;
        int err = ::posix_fallocate(fd_, 0, off_t(size));
        if (err == EOPNOTSUPP || err == ENOSYS || err == EBADF)
            err = 0;   // the file system cannot reserve room: write without it
        if (err != 0) {
            // Leave the old file at its length.
            struct stat after;
            if (known && ::fstat(fd_, &after) == 0 && after.st_size != before.st_size)
                (void)!::ftruncate(fd_, before.st_size);
            return err;
        }
    }
    reserved_ = true;
    return 0;
}

int Writer::flushBuffer()
{
    if (!buffer_.empty())
        if (int err = writeAll(fd_, buffer_.data(), buffer_.size()))
            return err;
    buffer_.clear();
    return 0;
}

int Writer::write(const char* data, size_t n)
{
    if (fd_ < 0)
        return EBADF;
    if (inPlace_ && !reserved_)
        return EINVAL;   // in place, the room must be known to be there first
    written_ += int64_t(n);
    if (buffer_.size() + n < kBufferSize) {
        buffer_.append(data, n);
        return 0;
    }
    if (int err = flushBuffer())
        return err;
    return writeAll(fd_, data, n);
}

int Writer::commit()
{
    if (fd_ < 0)
        return EBADF;
    int err = flushBuffer();
    if (!err && (inPlace_ || reserved_)) {
        // An old, longer file or an over-sized reservation is cut to what was written.
        struct stat st;
        if (::fstat(fd_, &st) != 0)
            err = errno;
        else if (st.st_size != written_ && ::ftruncate(fd_, off_t(written_)) != 0)
            err = errno;
    }
    if (!err && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err) {
        abandon();
        return err;
    }
    if (!inPlace_) {
        if (::rename(temp_.c_str(), target_.c_str()) != 0) {
            err = errno;
            abandon();
            return err;
        }
        temp_.clear();
        int dfd = ::open(dirOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
    }
    return 0;
}

} // namespace atomicfile
