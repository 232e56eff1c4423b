// DIR and VOL.
#include "console/FileNames.h"
#include "console/FileOps.h"
#include "console/Interpreter.h"

#include <QDateTime>

#include <algorithm>
#include <cstdio>
#include <sys/statvfs.h>
#include <unistd.h>

namespace console {

namespace {

struct DirOptions {
    bool attrsGiven = false;
    AttrSelect attrs;
    bool bare = false, separators = true, wideByColumn = false, lowerCase = false, namesRight = true;
    bool pause = false, subfolders = false, wide = false, shortNames = false;
    ustring order; // letters of N E S D G, each optionally after "-"
    char16_t timeField = 'W';
};

// One switch ("/X", "/-X", "/A:HD", "/O-S"); false when it is not one of DIR's.
bool parseDirSwitch(uview sw, DirOptions& o)
{
    bool off = sw.size() >= 2 && sw[1] == '-';
    uview rest = sw.substr(off ? 2 : 1);
    if (rest.empty())
        return false;
    char16_t c = upperChar(rest[0]);
    uview value = rest.substr(1);
    if (!value.empty() && value[0] == ':')
        value.remove_prefix(1);
    switch (c) {
    case 'A':
        o.attrsGiven = !off;
        o.attrs = AttrSelect();
        return off || o.attrs.parse(value);
    case 'O':
        if (off) {
            o.order.clear();
            return true;
        }
        for (char16_t k : value)
            if (k != '-' && ustring(u"NESDG").find(upperChar(k)) == ustring::npos)
                return false;
        o.order = value.empty() ? ustring(u"GN") : upper(value);
        return true;
    case 'T':
        if (value.empty() || value.size() > 1 || ustring(u"CAW").find(upperChar(value[0])) == ustring::npos)
            return off;
        o.timeField = upperChar(value[0]);
        return true;
    default:
        break;
    }
    if (!value.empty())
        return false;
    switch (c) {
    case 'B': o.bare = !off; return true;
    case 'C': o.separators = !off; return true;
    case 'D': o.wideByColumn = !off; return true;
    case 'L': o.lowerCase = !off; return true;
    case 'N': o.namesRight = !off; return true;
    case 'P': o.pause = !off; return true;
    case 'S': o.subfolders = !off; return true;
    case 'W': o.wide = !off; return true;
    case 'X': o.shortNames = !off; return true;
    default: return false;
    }
}

// Switches and names of a text; false (with the bad switch) on an unknown switch.
bool parseDirWords(uview text, DirOptions& o, std::vector<ustring>* names, ustring& bad)
{
    for (const ustring& w : splitWords(text)) {
        if (w[0] != '/') {
            if (names)
                names->push_back(stripQuotes(w));
            continue;
        }
        // "/B/S" holds two switches; a word that is not switches but a full name such
        // as "/home/user" is a name.
        DirOptions trial = o;
        size_t start = 0;
        ustring trialBad;
        while (start < w.size() && trialBad.empty()) {
            size_t next = w.find('/', start + 1);
            uview sw = uview(w).substr(start, next == ustring::npos ? ustring::npos : next - start);
            if (!parseDirSwitch(sw, trial))
                trialBad = ustring(sw.substr(1));
            start = next == ustring::npos ? w.size() : next;
        }
        if (trialBad.empty()) {
            o = trial;
        } else if (!isSwitchWord(w)) {
            if (names)
                names->push_back(stripQuotes(w));
        } else {
            bad = trialBad;
            return false;
        }
    }
    return true;
}

const struct timespec& timeOf(const FileEntry& e, char16_t field)
{
    return field == 'A' ? e.st.st_atim : field == 'C' ? e.st.st_ctim : e.st.st_mtim;
}

int compareTimes(const struct timespec& a, const struct timespec& b)
{
    if (a.tv_sec != b.tv_sec)
        return a.tv_sec < b.tv_sec ? -1 : 1;
    return a.tv_nsec < b.tv_nsec ? -1 : a.tv_nsec > b.tv_nsec ? 1 : 0;
}

ustring extensionOf(uview name)
{
    size_t dot = name.rfind('.');
    return dot == uview::npos || dot == 0 ? ustring() : ustring(name.substr(dot + 1));
}

void sortEntries(std::vector<FileEntry>& entries, const DirOptions& o)
{
    if (o.order.empty())
        return;
    std::stable_sort(entries.begin(), entries.end(), [&](const FileEntry& a, const FileEntry& b) {
        bool reverse = false;
        for (char16_t k : o.order) {
            if (k == '-') {
                reverse = true;
                continue;
            }
            int c = 0;
            switch (k) {
            case 'N': c = compareNoCase(a.name, b.name); break;
            case 'E': c = compareNoCase(extensionOf(a.name), extensionOf(b.name)); break;
            case 'S': {
                long long sa = a.isDir() ? 0 : a.st.st_size, sb = b.isDir() ? 0 : b.st.st_size;
                c = sa < sb ? -1 : sa > sb ? 1 : 0;
                break;
            }
            case 'D': c = compareTimes(timeOf(a, o.timeField), timeOf(b, o.timeField)); break;
            case 'G': c = (a.isDir() == b.isDir()) ? 0 : a.isDir() ? -1 : 1; break;
            default: break;
            }
            if (reverse)
                c = -c;
            reverse = false;
            if (c != 0)
                return c < 0;
        }
        return false;
    });
}

ustring padLeft(uview s, size_t width)
{
    return s.size() >= width ? ustring(s) : ustring(width - s.size(), u' ') + ustring(s);
}

ustring padRight(uview s, size_t width)
{
    return s.size() >= width ? ustring(s) : ustring(s) + ustring(width - s.size(), u' ');
}

ustring linkTarget(const ustring& path)
{
    std::string p = toLocal8(path);
    char buf[4096];
    ssize_t n = ::readlink(p.c_str(), buf, sizeof buf);
    return n > 0 ? fromUtf8(std::string_view(buf, size_t(n))) : ustring();
}

unsigned long long freeBytes(const ustring& folder)
{
    struct statvfs vs {};
    if (::statvfs(toLocal8(folder).c_str(), &vs) != 0)
        return 0;
    return (unsigned long long)vs.f_bavail * vs.f_frsize;
}

// The mount point of the file system holding `path`.
ustring mountPoint(const ustring& path)
{
    std::string p = toLocal8(path);
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0)
        return path;
    while (p.size() > 1) {
        size_t slash = p.rfind('/');
        std::string parent = slash == 0 ? "/" : p.substr(0, slash);
        struct stat ps {};
        if (::stat(parent.c_str(), &ps) != 0 || ps.st_dev != st.st_dev)
            break;
        p = parent;
    }
    return fromUtf8(p);
}

} // namespace

void Interpreter::printVolume(const ustring& path)
{
    struct statvfs vs {};
    ::statvfs(toLocal8(path).c_str(), &vs);
    unsigned long id = vs.f_fsid;
    char serial[16];
    std::snprintf(serial, sizeof serial, "%04X-%04X", unsigned((id >> 16) & 0xFFFF), unsigned(id & 0xFFFF));
    out(msg::format(msg::VolumeNoLabel, {mountPoint(path)}) + u"\r\n");
    out(msg::format(msg::VolumeSerial, {u(serial)}) + u"\r\n");
}

int Interpreter::cmdVol(ParseNode* n)
{
    std::vector<ustring> words = splitWords(n->text2);
    if (words.size() > 1) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    ustring path = words.empty() ? cwd_ : resolvePath(stripQuotes(words[0]));
    if (!pathExists(path)) {
        platformError(msg::PathNotFound);
        return 1;
    }
    printVolume(path);
    return 0;
}

int Interpreter::cmdDir(ParseNode* n)
{
    DirOptions o;
    ustring bad;
    if (auto dircmd = env_.get(u"DIRCMD")) {
        DirOptions fromEnv;
        if (parseDirWords(*dircmd, fromEnv, nullptr, bad))
            o = fromEnv;
        else
            err(msg::text(msg::DircmdError) + u"\r\n");
    }
    std::vector<ustring> names;
    if (!parseDirWords(n->text2, o, &names, bad)) {
        message(msg::InvalidSwitch, {bad});
        return 1;
    }
    if (names.empty())
        names.push_back(u".");

    int lines = 0;
    auto putLine = [&](uview text) {
        out(ustring(text) + u"\r\n");
        if (o.pause && handles_[1].console && ++lines % 23 == 0) {
            out(msg::text(msg::PressAnyKey));
            if (console_)
                console_->readKey();
            out(u"\r\n");
        }
    };
    int result = 0;
    for (const ustring& name : names) {
        ustring full = resolvePath(name);
        while (full.size() > 1 && full.back() == '/')
            full.pop_back();
        ustring folder, pattern;
        if (!hasWildcards(name) && isDirectory(full)) {
            folder = full;
            pattern = u"*";
        } else {
            size_t slash = full.rfind('/');
            folder = slash == 0 ? u"/" : full.substr(0, slash);
            pattern = full.substr(slash + 1);
        }
        if (!o.bare) {
            printVolume(isDirectory(folder) ? folder : cwd_);
        }
        unsigned long long totalFiles = 0, totalBytes = 0;
        bool any = false;
        // One folder's listing; then its subfolders with /S (links to folders are
        // listed but never walked into).
        std::function<void(const ustring&)> list = [&](const ustring& dir) {
            checkCtrlC();
            std::vector<FileEntry> entries;
            for (FileEntry& e : listFolder(dir, pattern, !o.bare)) {
                bool shown = o.attrsGiven ? o.attrs.matches(e.attrs) : (e.attrs & (AttrHidden | AttrSystem)) == 0;
                if (shown)
                    entries.push_back(std::move(e));
            }
            sortEntries(entries, o);
            auto prefix = [&](uview d) { return d == u"/" ? ustring(u"/") : ustring(d) + u"/"; };
            if (!entries.empty()) {
                any = true;
                unsigned long long files = 0, bytes = 0;
                if (!o.bare) {
                    putLine(u"");
                    putLine(msg::format(msg::DirectoryOf, {dir}));
                    putLine(u"");
                }
                std::vector<ustring> wideNames;
                for (const FileEntry& e : entries) {
                    ustring shownName = o.lowerCase ? lower(e.name) : e.name;
                    if (!e.isDir()) {
                        ++files;
                        if (!e.link)
                            bytes += (unsigned long long)e.st.st_size;
                    }
                    if (o.bare) {
                        putLine(o.subfolders ? prefix(dir) + shownName : shownName);
                        continue;
                    }
                    if (o.wide || o.wideByColumn) {
                        wideNames.push_back(e.isDir() ? u"[" + shownName + u"]" : shownName);
                        continue;
                    }
                    QDateTime when = QDateTime::fromSecsSinceEpoch(timeOf(e, o.timeField).tv_sec);
                    ustring stamp = localefmt::date(when.date()) + u"  " + localefmt::shortTime(when.time());
                    ustring field;
                    if (e.link)
                        field = padRight(e.isDir() ? u"    <SYMLINKD>" : u"    <SYMLINK>", 18);
                    else if (e.isDir())
                        field = padRight(u"    <DIR>", 18);
                    else
                        field = padLeft(localefmt::grouped((unsigned long long)e.st.st_size, o.separators), 18);
                    ustring nameText = shownName;
                    if (e.link)
                        nameText += u" [" + linkTarget(prefix(dir) + e.name) + u"]";
                    ustring shortCol = o.shortNames ? padRight(u"", 13) : ustring();
                    if (o.namesRight)
                        putLine(stamp + field + u" " + shortCol + nameText);
                    else
                        putLine(padRight(nameText, 24) + field + u"  " + stamp);
                }
                if (!wideNames.empty()) {
                    size_t widest = 0;
                    for (const auto& w : wideNames)
                        widest = std::max(widest, w.size());
                    size_t colWidth = widest + 2, cols = std::max<size_t>(1, 80 / colWidth);
                    size_t rows = (wideNames.size() + cols - 1) / cols;
                    for (size_t r = 0; r < rows; ++r) {
                        ustring line;
                        for (size_t c = 0; c < cols; ++c) {
                            size_t i = o.wideByColumn ? c * rows + r : r * cols + c;
                            if (i >= wideNames.size() || (!o.wideByColumn && r * cols + c >= wideNames.size()))
                                break;
                            line += padRight(wideNames[i], colWidth);
                        }
                        while (!line.empty() && line.back() == ' ')
                            line.pop_back();
                        putLine(line);
                    }
                }
                if (!o.bare)
                    putLine(msg::format(msg::FileCount, {padLeft(number((long long)files), 5),
                                                      localefmt::grouped(bytes, o.separators)}));
                totalFiles += files;
                totalBytes += bytes;
            }
            if (!o.subfolders)
                return;
            for (const FileEntry& sub : listFolder(dir, u"", false))
                if (sub.walkable())
                    list(prefix(dir) + sub.name);
        };
        if (isDirectory(folder))
            list(folder);
        if (!any) {
            err(msg::text(msg::DirFileNotFound) + u"\r\n");
            result = 1;
            continue;
        }
        if (o.bare)
            continue;
        if (o.subfolders) {
            putLine(u"");
            putLine(msg::text(msg::TotalListed));
            putLine(msg::format(msg::FileCount, {padLeft(number((long long)totalFiles), 5),
                                              localefmt::grouped(totalBytes, o.separators)}));
        }
        putLine(msg::format(msg::BytesFree, {localefmt::grouped(freeBytes(folder), o.separators)}));
    }
    return result;
}

} // namespace console
