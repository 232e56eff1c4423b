#include "console/FileOps.h"

#include "console/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/time.h>
#include <unistd.h>

namespace console {

namespace {

int attributesOf(const std::string& name, const struct stat& st, bool dirTarget)
{
    int a = 0;
    if (S_ISDIR(st.st_mode) || dirTarget)
        a |= AttrDirectory;
    else if (S_ISREG(st.st_mode))
        a |= AttrArchive;
    if (!(st.st_mode & S_IWUSR) && !S_ISLNK(st.st_mode))
        a |= AttrReadOnly;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        a |= AttrHidden;
    return a;
}

bool fillEntry(const std::string& path, const std::string& name, FileEntry& e)
{
    if (::lstat(path.c_str(), &e.st) != 0)
        return false;
    e.link = S_ISLNK(e.st.st_mode);
    bool dirTarget = false;
    if (e.link) {
        struct stat target {};
        dirTarget = ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    }
    e.attrs = attributesOf(name, e.st, dirTarget);
    e.name = fromUtf8(name);
    return true;
}

std::string baseName(const std::string& p)
{
    size_t s = p.rfind('/');
    return s == std::string::npos ? p : p.substr(s + 1);
}

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

bool statEntry(uview path, FileEntry& entry)
{
    std::string p = toLocal8(path);
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return fillEntry(p, baseName(p), entry);
}

std::vector<FileEntry> listFolder(uview folder, uview pattern, bool dots)
{
    std::vector<FileEntry> r;
    std::string dir = folder.empty() ? std::string(".") : toLocal8(folder);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return r;
    while (dirent* de = ::readdir(d)) {
        std::string name = de->d_name;
        if ((name == "." || name == "..") && !dots)
            continue;
        if (!pattern.empty() && !wildcardMatch(pattern, fromUtf8(name)))
            continue;
        FileEntry e;
        if (fillEntry(dir + "/" + name, name, e))
            r.push_back(std::move(e));
    }
    ::closedir(d);
    std::sort(r.begin(), r.end(), [](const FileEntry& a, const FileEntry& b) {
        int c = compareNoCase(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return r;
}

bool AttrSelect::parse(uview letters)
{
    bool negate = false;
    for (char16_t c : letters) {
        if (c == '-') {
            negate = true;
            continue;
        }
        int bit = 0;
        switch (upperChar(c)) {
        case 'D': bit = AttrDirectory; break;
        case 'R': bit = AttrReadOnly; break;
        case 'H': bit = AttrHidden; break;
        case 'A': bit = AttrArchive; break;
        case 'S': bit = AttrSystem; break;
        default: return false;
        }
        (negate ? refuse : want) |= bit;
        negate = false;
    }
    return true;
}

int fileError(int err)
{
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EACCES: case EPERM: case EISDIR: return 5;
    case EROFS: return 19;
    case ENOMEM: return 8;
    case EEXIST: return 183;
    case ENOTEMPTY: return 145;
    case ENAMETOOLONG: return 206;
    case ENOSPC: case EDQUOT: return 112;
    case EXDEV: return 17;
    case EBUSY: return 32;
    case ELOOP: return 1921;
    case EINVAL: return 87;
    case EFBIG: return 223;
    default: return 31;
    }
}

bool sameFile(uview a, uview b)
{
    struct stat sa {}, sb {};
    return ::stat(toLocal8(a).c_str(), &sa) == 0 && ::stat(toLocal8(b).c_str(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int copyFiles(const std::vector<CopySource>& sources, uview targetIn, bool asciiTarget, bool keepTime,
              bool verify, ustring& failed)
{
    // Every source must be readable before the target is touched.
    std::vector<std::unique_ptr<Fd>> fds;
    struct stat first {};
    for (const auto& s : sources) {
        auto fd = std::make_unique<Fd>(::open(toLocal8(s.path).c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (fd->fd < 0 || ::fstat(fd->fd, &st) != 0) {
            failed = s.path;
            return fileError(errno);
        }
        if (S_ISDIR(st.st_mode)) {
            failed = s.path;
            return 5;
        }
        if (fds.empty())
            first = st;
        fds.push_back(std::move(fd));
    }
    // A link to a file is followed: the file it names gets the new contents.
    std::string target = toLocal8(targetIn);
    if (char* real = ::realpath(target.c_str(), nullptr)) {
        struct stat ts {};
        if (::stat(real, &ts) == 0 && S_ISREG(ts.st_mode))
            target = real;
        std::free(real);
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode) || !(existing.st_mode & S_IWUSR)) {
            failed = fromUtf8(target);
            return 5;
        }
    }
    size_t slash = target.rfind('/');
    std::string tmpl = (slash == std::string::npos ? std::string(".") : target.substr(0, slash))
                       + "/.velmo-copy-XXXXXX";
    Fd out(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (out.fd < 0) {
        failed = fromUtf8(target);
        return errno == ENOENT ? 3 : fileError(errno);
    }
    auto fail = [&](int err, const ustring& name) {
        ::unlink(tmpl.c_str());
        failed = name;
        return fileError(err);
    };
    std::vector<char> buf(102400);
    for (size_t i = 0; i < sources.size(); ++i) {
        for (;;) {
            ssize_t got = ::read(fds[i]->fd, buf.data(), buf.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return fail(errno, sources[i].path);
            if (got == 0)
                break;
            size_t len = size_t(got);
            bool stop = false;
            if (sources[i].ascii) {
                if (const void* z = std::memchr(buf.data(), 0x1A, len)) {
                    len = size_t(static_cast<const char*>(z) - buf.data());
                    stop = true;
                }
            }
            if (!writeAll(out.fd, std::string_view(buf.data(), len)))
                return fail(errno, fromUtf8(target));
            if (stop)
                break;
        }
    }
    if (asciiTarget && !writeAll(out.fd, "\x1A"))
        return fail(errno, fromUtf8(target));
    ::fchmod(out.fd, first.st_mode & 0777);
    if (keepTime) {
        struct timespec times[2] = {first.st_atim, first.st_mtim};
        ::futimens(out.fd, times);
    }
    if ((verify && ::fsync(out.fd) != 0))
        return fail(errno, fromUtf8(target));
    int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0)
        return fail(errno, fromUtf8(target));
    if (::rename(tmpl.c_str(), target.c_str()) != 0)
        return fail(errno, fromUtf8(target));
    return 0;
}

namespace {

using Report = std::function<void(const ustring&, int)>;

bool removeAt(int dirfd, const std::string& name, const std::string& shown, const Report& report)
{
    struct stat st {};
    if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        report(fromUtf8(shown), fileError(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlinkat(dirfd, name.c_str(), 0) != 0) {
            report(fromUtf8(shown), fileError(errno));
            return false;
        }
        return true;
    }
    Fd fd(::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat opened {};
    if (fd.fd < 0 || ::fstat(fd.fd, &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino) {
        report(fromUtf8(shown), fd.fd < 0 ? fileError(errno) : 5);
        return false;
    }
    std::vector<std::string> names;
    {
        int dupFd = ::dup(fd.fd);
        DIR* d = dupFd >= 0 ? ::fdopendir(dupFd) : nullptr;
        if (!d) {
            if (dupFd >= 0)
                ::close(dupFd);
            report(fromUtf8(shown), fileError(errno));
            return false;
        }
        while (dirent* de = ::readdir(d)) {
            std::string n = de->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    bool ok = true;
    for (const auto& n : names)
        ok = removeAt(fd.fd, n, shown + "/" + n, report) && ok;
    if (!ok)
        return false;
    if (::unlinkat(dirfd, name.c_str(), AT_REMOVEDIR) != 0) {
        report(fromUtf8(shown), fileError(errno));
        return false;
    }
    return true;
}

int copyEntry(const std::string& from, const std::string& to, std::string& failed)
{
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) {
        failed = from;
        return fileError(errno);
    }
    if (S_ISLNK(st.st_mode)) {
        std::string target(size_t(st.st_size) + 1, '\0');
        ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0 || ::symlink(target.substr(0, size_t(n)).c_str(), to.c_str()) != 0) {
            failed = n < 0 ? from : to;
            return fileError(errno);
        }
        return 0;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.c_str(), (st.st_mode & 0777) | S_IRWXU) != 0) {
            failed = to;
            return fileError(errno);
        }
        std::vector<std::string> names;
        if (DIR* d = ::opendir(from.c_str())) {
            while (dirent* de = ::readdir(d)) {
                std::string n = de->d_name;
                if (n != "." && n != "..")
                    names.push_back(n);
            }
            ::closedir(d);
        } else {
            failed = from;
            return fileError(errno);
        }
        for (const auto& n : names)
            if (int e = copyEntry(from + "/" + n, to + "/" + n, failed))
                return e;
        ::chmod(to.c_str(), st.st_mode & 07777);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
        return 0;
    }
    if (!S_ISREG(st.st_mode)) {
        failed = from;
        return 5;
    }
    ustring failedName;
    if (int e = copyFiles({{fromUtf8(from), false}}, fromUtf8(to), false, true, false, failedName)) {
        failed = toLocal8(failedName);
        return e;
    }
    return 0;
}

} // namespace

bool removeTree(uview path, const Report& report)
{
    std::string p = toLocal8(path);
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    size_t slash = p.rfind('/');
    std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    Fd dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) {
        report(fromUtf8(p), fileError(errno));
        return false;
    }
    return removeAt(dir.fd, baseName(p), p, report);
}

int copyTree(uview from, uview to, ustring& failed)
{
    std::string f;
    int e = copyEntry(toLocal8(from), toLocal8(to), f);
    if (e) {
        failed = fromUtf8(f);
        removeTree(to, [](const ustring&, int) {});
    }
    return e;
}

namespace localefmt {

namespace {

struct Info {
    Order order = Order::MonthDayYear;
    char16_t dateSep = '/';
    bool twelveHour = true;
    ustring am = u"AM", pm = u"PM";
    ustring group = u",";
};

const Info& info()
{
    static const Info i = [] {
        Info r;
        locale_t loc = ::newlocale(LC_ALL_MASK, "", locale_t(nullptr));
        if (!loc)
            return r;
        std::string dfmt = ::nl_langinfo_l(D_FMT, loc);
        std::string tfmt = ::nl_langinfo_l(T_FMT, loc);
        size_t m = dfmt.find("%m"), d = dfmt.find("%d"), y = dfmt.find_first_of("yY");
        if (m != std::string::npos && d != std::string::npos && y != std::string::npos) {
            if (y < m && y < d)
                r.order = Order::YearMonthDay;
            else if (d < m)
                r.order = Order::DayMonthYear;
        }
        for (size_t k = 0; k + 1 < dfmt.size(); ++k) {
            if (dfmt[k] == '%') {
                ++k;
                continue;
            }
            r.dateSep = char16_t(uchar(dfmt[k]));
            break;
        }
        std::string am = ::nl_langinfo_l(AM_STR, loc), pm = ::nl_langinfo_l(PM_STR, loc);
        std::string sep = ::nl_langinfo_l(THOUSANDS_SEP, loc);
        // The C locale names no hour style of its own: the 12-hour clock is kept there.
        r.twelveHour = !am.empty() && (tfmt.find("%I") != std::string::npos || tfmt.find("%r") != std::string::npos
                                       || tfmt == "%H:%M:%S");
        if (!am.empty())
            r.am = fromUtf8(am);
        if (!pm.empty())
            r.pm = fromUtf8(pm);
        if (!sep.empty())
            r.group = fromUtf8(sep);
        ::freelocale(loc);
        return r;
    }();
    return i;
}

ustring two(int v)
{
    ustring s;
    s += char16_t('0' + (v / 10) % 10);
    s += char16_t('0' + v % 10);
    return s;
}

} // namespace

Order dateOrder() { return info().order; }

ustring datePattern()
{
    switch (info().order) {
    case Order::DayMonthYear: return u"dd-mm-yy";
    case Order::YearMonthDay: return u"yy-mm-dd";
    default: return u"mm-dd-yy";
    }
}

ustring date(const QDate& d)
{
    const Info& i = info();
    ustring y = number(d.year()), s(1, i.dateSep);
    switch (i.order) {
    case Order::DayMonthYear: return two(d.day()) + s + two(d.month()) + s + y;
    case Order::YearMonthDay: return y + s + two(d.month()) + s + two(d.day());
    default: return two(d.month()) + s + two(d.day()) + s + y;
    }
}

ustring shortTime(const QTime& t)
{
    const Info& i = info();
    if (!i.twelveHour)
        return two(t.hour()) + u":" + two(t.minute());
    int h = t.hour() % 12;
    if (h == 0)
        h = 12;
    return two(h) + u":" + two(t.minute()) + u" " + (t.hour() < 12 ? i.am : i.pm);
}

ustring longTime(const QTime& t)
{
    ustring h = number(t.hour());
    if (h.size() < 2)
        h = u" " + h;
    return h + u":" + two(t.minute()) + u":" + two(t.second()) + u"." + two(t.msec() / 10);
}

ustring dayName(const QDate& d)
{
    static const char16_t* names[] = {u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat", u"Sun"};
    int w = d.dayOfWeek();
    return w >= 1 && w <= 7 ? ustring(names[w - 1]) : ustring();
}

ustring grouped(unsigned long long v, bool separators)
{
    ustring digits = number((long long)v);
    if (!separators)
        return digits;
    ustring r;
    int n = int(digits.size());
    for (int k = 0; k < n; ++k) {
        if (k > 0 && (n - k) % 3 == 0)
            r += info().group;
        r += digits[size_t(k)];
    }
    return r;
}

} // namespace localefmt

} // namespace console
