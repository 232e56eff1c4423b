#include "documents/text/FileAccess.h"

#include "documents/text/Encoding.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textdoc {
namespace {

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

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

// Follows symbolic links (also dangling ones) to the path that will really be written.
bool resolveLinks(std::string p, std::string& out, int& err)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = p;
            return true;
        }
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = readlink(p.c_str(), link.data(), link.size());
        if (n < 0) {
            err = errno;
            return false;
        }
        link.resize(size_t(n));
        p = (!link.empty() && link[0] == '/') ? link : dirOf(p) + "/" + link;
    }
    err = ELOOP;
    return false;
}

bool writeAll(int fd, const char* data, size_t n, int& err)
{
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (w == 0) {
            err = ENOSPC;
            return false;
        }
        data += w;
        n -= size_t(w);
    }
    return true;
}

mode_t currentUmask()
{
    mode_t m = umask(0);
    umask(m);
    return m;
}

} // namespace

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString IoResult::errorText() const
{
    return ok ? QString() : systemErrorText(error);
}

// --- stamps and attributes -----------------------------------------------------------

int32_t dosStamp(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1980)
        return int32_t((1 << 5) | 1) << 16;   // 1980-01-01 00:00:00
    if (year > 2107)
        year = 2107, month = 12, day = 31, hour = 23, minute = 59, second = 58;
    uint32_t date = uint32_t(((year - 1980) << 9) | (month << 5) | day);
    uint32_t time = uint32_t((hour << 11) | (minute << 5) | (second / 2));
    return int32_t((date << 16) | time);
}

int32_t fileStamp(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || stat(nativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    time_t t = st.st_mtime;
    struct tm lt;
    if (!localtime_r(&t, &lt))
        return -1;
    return dosStamp(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min,
                    lt.tm_sec > 59 ? 59 : lt.tm_sec);
}

bool isFileReadOnly(const QString& path)
{
    struct stat st;
    if (stat(nativePath(path).c_str(), &st) != 0)
        return false;
    return !(st.st_mode & S_IWUSR);
}

IoResult clearFileReadOnly(const QString& path)
{
    std::string p = nativePath(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0)
        return IoResult::failure(errno);
    if (chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
        return IoResult::failure(errno);
    return {};
}

// --- reading -------------------------------------------------------------------------

BlockReader::~BlockReader()
{
    close();
}

IoResult BlockReader::open(const QString& path)
{
    close();
    // Not blocking: a pipe without a writer must not hang the editor.
    int fd = ::open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return IoResult::failure(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        return IoResult::failure(err);
    }
    if (!S_ISREG(st.st_mode)) {
        // Folders, devices and pipes are no text files (a device may never end).
        ::close(fd);
        return IoResult::failure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = int64_t(st.st_size);
    return {};
}

IoResult BlockReader::next(std::string& block)
{
    block.resize(kBlockSize);
    size_t have = 0;
    while (fd_ >= 0 && have < kBlockSize) {
        ssize_t r = ::read(fd_, block.data() + have, kBlockSize - have);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            block.clear();
            return IoResult::failure(err);
        }
        if (r == 0)
            break;
        have += size_t(r);
    }
    block.resize(have);
    return {};
}

void BlockReader::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

// --- writing -------------------------------------------------------------------------

SafeFileWriter::~SafeFileWriter()
{
    abandon();
}

void SafeFileWriter::abandon()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!inPlace_ && !temp_.empty())
        unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}

IoResult SafeFileWriter::open(const QString& path)
{
    abandon();
    inPlace_ = false;
    int err = 0;
    if (path.isEmpty())
        return IoResult::failure(ENOENT);
    if (!resolveLinks(nativePath(path), target_, err))
        return IoResult::failure(err);

    struct stat st;
    existed_ = stat(target_.c_str(), &st) == 0;
    if (existed_) {
        if (S_ISDIR(st.st_mode))
            return IoResult::failure(EISDIR);
        // Devices and pipes are no text files; a pipe without a reader would hang us.
        if (!S_ISREG(st.st_mode))
            return IoResult::failure(EINVAL);
        // A file whose owner may not write it is refused, even where the folder would
        // let us replace it.
        if (access(target_.c_str(), W_OK) != 0)
            return IoResult::failure(errno);
        if (!(st.st_mode & S_IWUSR))
            return IoResult::failure(EACCES);
        mode_ = st.st_mode & 07777;
        uid_ = st.st_uid;
        gid_ = st.st_gid;
    } else {
        if (errno != ENOENT)
            return IoResult::failure(errno);
        mode_ = 0666 & ~currentUmask();
    }

    std::string templ = dirOf(target_) + "/." + nameOf(target_).substr(0, 100) + ".vsave-XXXXXX";
    int fd = mkostemp(templ.data(), O_CLOEXEC);
    if (fd >= 0) {
        fd_ = fd;
        temp_ = templ;
    } else if (errno == EACCES || errno == EPERM) {
        inPlace_ = true;   // the folder takes no new file
    } else {
        return IoResult::failure(errno);
    }
    if (inPlace_) {
        fd = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return IoResult::failure(errno);
        fd_ = fd;
    }
    buffer_.reserve(kBlockSize * 2);
    return {};
}

IoResult SafeFileWriter::flushBuffer()
{
    int err = 0;
    if (!buffer_.empty() && !writeAll(fd_, buffer_.data(), buffer_.size(), err))
        return IoResult::failure(err);
    buffer_.clear();
    return {};
}

IoResult SafeFileWriter::write(const char* data, size_t n)
{
    if (fd_ < 0)
        return IoResult::failure(EBADF);
    if (buffer_.size() + n < kBlockSize) {
        buffer_.append(data, n);
        return {};
    }
    if (IoResult r = flushBuffer(); !r)
        return r;
    int err = 0;
    if (!writeAll(fd_, data, n, err))
        return IoResult::failure(err);
    return {};
}

IoResult SafeFileWriter::commit()
{
    if (fd_ < 0)
        return IoResult::failure(EBADF);
    IoResult r = flushBuffer();
    if (r && fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        r = IoResult::failure(errno);
    if (r && !inPlace_) {
        // Keep the old file's owner where we may, and its mode.
        if (existed_ && (uid_ != geteuid() || gid_ != getegid()))
            (void)!fchown(fd_, uid_, gid_);
        if (fchmod(fd_, mode_) != 0)
            r = IoResult::failure(errno);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && r)
        r = IoResult::failure(errno);
    if (!r) {
        abandon();
        return r;
    }
    if (!inPlace_) {
        if (rename(temp_.c_str(), target_.c_str()) != 0) {
            r = IoResult::failure(errno);
            abandon();
            return r;
        }
        temp_.clear();
        int dfd = ::open(dirOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            fsync(dfd);
            ::close(dfd);
        }
    }
    return r;
}

} // namespace textdoc
