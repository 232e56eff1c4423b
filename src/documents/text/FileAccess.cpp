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

namespace {
IoResult result(int err)
{
    return err ? IoResult::failure(err) : IoResult{};
}
} // namespace

IoResult SafeFileWriter::open(const QString& path)
{
    return result(writer_.open(path));
}

IoResult SafeFileWriter::reserve(int64_t size)
{
    return result(writer_.reserve(size));
}

IoResult SafeFileWriter::write(const char* data, size_t n)
{
    return result(writer_.write(data, n));
}

IoResult SafeFileWriter::commit()
{
    return result(writer_.commit());
}

} // namespace textdoc
