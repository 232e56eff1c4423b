#include "documents/hex/HexFile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <cerrno>
#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>
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

// ---- the save journal ---------------------------------------------------------------------
// A save in place first writes every changed run to a journal beside the file
// (".<name>.vhexjournal"), syncs it, then writes the runs into the file, syncs that and
// removes the journal. A save cut short after the journal is complete is finished by the
// next open of the file (the runs are written again: doing so twice changes nothing); a
// journal cut short means the file was not touched yet, and it is thrown away.
// Layout: "VHEXJRN1", device, inode and size of the file, the number of runs, each run as
// offset, length and bytes, then a 64-bit FNV-1a sum of everything before it.

constexpr char kJournalMagic[8] = {'V', 'H', 'E', 'X', 'J', 'R', 'N', '1'};
constexpr size_t kJournalHeader = 8 + 4 * 8;

uint64_t fnv1a(const char* p, size_t n)
{
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) {
        h ^= uint8_t(p[i]);
        h *= 1099511628211ull;
    }
    return h;
}

void putU64(std::string& out, uint64_t v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

bool getU64(const std::string& in, size_t& pos, uint64_t& v)
{
    if (pos > in.size() || in.size() - pos < sizeof v)
        return false;
    std::memcpy(&v, in.data() + pos, sizeof v);
    pos += sizeof v;
    return true;
}

std::string folderOf(const std::string& p)
{
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : p.substr(0, slash);
}

void syncFolder(const std::string& folder)
{
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

bool writeFully(int fd, const char* p, size_t n, off_t at, int* err)
{
    size_t done = 0;
    while (done < n) {
        ssize_t w = ::pwrite(fd, p + done, n - done, at + off_t(done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            *err = w < 0 ? errno : EIO;
            return false;
        }
        done += size_t(w);
    }
    return true;
}

struct Journal {
    uint64_t device = 0, inode = 0, size = 0;
    std::vector<std::pair<int64_t, std::string>> runs;
};

// Reads a whole, intact journal; false for a missing, cut-short or damaged one.
bool readJournal(const std::string& path, Journal& j)
{
    int fd = openRetry(QByteArray::fromStdString(path), O_RDONLY | O_NOFOLLOW);
    if (fd < 0)
        return false;
    std::string in;
    char buf[65536];
    for (;;) {
        ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        in.append(buf, size_t(r));
    }
    ::close(fd);
    if (in.size() < kJournalHeader + 8 || std::memcmp(in.data(), kJournalMagic, 8) != 0)
        return false;
    uint64_t sum = 0;
    std::memcpy(&sum, in.data() + in.size() - 8, 8);
    if (sum != fnv1a(in.data(), in.size() - 8))
        return false;
    in.resize(in.size() - 8);
    size_t pos = 8;
    uint64_t count = 0;
    if (!getU64(in, pos, j.device) || !getU64(in, pos, j.inode) || !getU64(in, pos, j.size) || !getU64(in, pos, count))
        return false;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t offset = 0, len = 0;
        if (!getU64(in, pos, offset) || !getU64(in, pos, len) || len > in.size() - pos || offset > j.size
            || len > j.size - offset)
            return false;
        j.runs.emplace_back(int64_t(offset), in.substr(pos, size_t(len)));
        pos += size_t(len);
    }
    return pos == in.size();
}

// Writes the runs of a journal into the file and syncs it; errno value or 0.
int applyRuns(int fd, const std::vector<std::pair<int64_t, std::string>>& runs)
{
    int err = 0;
    for (const auto& [offset, bytes] : runs)
        if (!writeFully(fd, bytes.data(), bytes.size(), off_t(offset), &err))
            return err;
    return ::fsync(fd) != 0 ? errno : 0;
}

// Finishes or throws away the journal a save cut short left for `path`.
void completeJournal(const QString& path)
{
    const std::string journal = journalPath(path);
    struct stat js {};
    if (::lstat(journal.c_str(), &js) != 0 || !S_ISREG(js.st_mode))
        return;
    Journal j;
    if (!readJournal(journal, j)) {
        ::unlink(journal.c_str());   // cut short before the file was touched
        return;
    }
    int fd = openRetry(QFile::encodeName(path), O_WRONLY);
    if (fd < 0) {
        // The file cannot be written now (or is gone); a journal for a file that no
        // longer exists is of no use.
        if (errno == ENOENT)
            ::unlink(journal.c_str());
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    // Written for another file, or for one that changed size since: it does not apply.
    if (uint64_t(st.st_dev) != j.device || uint64_t(st.st_ino) != j.inode || uint64_t(st.st_size) != j.size) {
        ::close(fd);
        ::unlink(journal.c_str());
        return;
    }
    const int err = applyRuns(fd, j.runs);
    ::close(fd);
    if (err == 0) {
        ::unlink(journal.c_str());
        syncFolder(folderOf(journal));
    }
}

} // namespace

std::string journalPath(const QString& path)
{
    const std::string p = QFile::encodeName(path).toStdString();
    const size_t slash = p.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : p.substr(0, std::max<size_t>(slash, 1));
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    // Long names are shortened and told apart by a sum of the whole name.
    if (name.size() <= 200)
        return folder + "/." + name + ".vhexjournal";
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(fnv1a(name.data(), name.size())));
    return folder + "/." + name.substr(0, 100) + "-" + sum + ".vhexjournal";
}

QString systemErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool HexFile::open(const QString& path, QString* error)
{
    close();
    completeJournal(path);
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
    std::vector<std::pair<int64_t, std::string>> runs;
    auto it = bytes.begin();
    while (it != bytes.end()) {
        const int64_t start = it->first;
        std::string run;
        while (it != bytes.end() && it->first == start + int64_t(run.size())) {
            run.push_back(char(it->second));
            ++it;
        }
        if (start < 0 || start > size_ - int64_t(run.size())) {
            ::close(fd);
            return fail(EINVAL);
        }
        runs.emplace_back(start, std::move(run));
    }
    // The journal first, so that a save cut short is finished by the next open. Where the
    // folder takes no journal the runs are written without one.
    const std::string journal = journalPath(path_);
    std::string record(kJournalMagic, 8);
    putU64(record, uint64_t(st.st_dev));
    putU64(record, uint64_t(st.st_ino));
    putU64(record, uint64_t(size_));
    putU64(record, runs.size());
    for (const auto& [offset, run] : runs) {
        putU64(record, uint64_t(offset));
        putU64(record, run.size());
        record += run;
    }
    putU64(record, fnv1a(record.data(), record.size()));
    bool journaled = false;
    int jfd = openRetry(QByteArray::fromStdString(journal), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600);
    if (jfd >= 0) {
        int err = 0;
        journaled = writeFully(jfd, record.data(), record.size(), 0, &err) && ::fsync(jfd) == 0;
        ::close(jfd);
        if (journaled)
            syncFolder(folderOf(journal));
        else
            ::unlink(journal.c_str());
    }
    if (int err = applyRuns(fd, runs)) {
        ::close(fd);
        // The bytes stay in the journal: the next open writes them.
        return fail(err);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (journaled)
        ::unlink(journal.c_str());
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
