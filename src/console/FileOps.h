#pragma once
// File-system work behind the built-in file commands: entries with the attributes the
// commands select on, copying that never leaves a half file, and tree removal and
// copying that never follow a link into another tree.
#include "console/Text.h"

#include <QDateTime>

#include <functional>
#include <sys/stat.h>
#include <vector>

namespace console {

// Attribute bits as the commands know them. On this system R is the owner's write bit
// clear, H a name starting with ".", A a regular file and D a folder; S is never set.
enum Attr : int {
    AttrReadOnly = 1,
    AttrHidden = 2,
    AttrSystem = 4,
    AttrDirectory = 16,
    AttrArchive = 32,
};

struct FileEntry {
    ustring name;
    struct stat st {};   // the entry itself: a link is not followed
    int attrs = 0;       // a link to a folder counts as a folder
    bool link = false;
    bool isDir() const { return (attrs & AttrDirectory) != 0; }
    // A folder that may be walked into: a real one, not a link to one.
    bool walkable() const { return isDir() && !link; }
};

// The entry at `path`; false when there is none.
bool statEntry(uview path, FileEntry& entry);

// The entries of `folder` whose names match `pattern`, sorted by name without case;
// "." and ".." are included only when `dots` is set (and they match).
std::vector<FileEntry> listFolder(uview folder, uview pattern, bool dots);

// The "/A[:]letters" selection: each letter of D R H A S is required, or refused when
// it follows "-".
struct AttrSelect {
    int want = 0;
    int refuse = 0;
    // False for a letter that is not an attribute.
    bool parse(uview letters);
    bool matches(int attrs) const { return (attrs & want) == want && (attrs & refuse) == 0; }
};

// The platform error number (Windows numbering) for an errno value of a file operation.
int fileError(int err);

// True when both names exist and are one file (same device and inode).
bool sameFile(uview a, uview b);

struct CopySource {
    ustring path;
    bool ascii = false; // text mode: reading stops at the first Ctrl+Z
};
// Copies the sources, one after the other, to `target`. Every source is opened before
// anything is written; the data goes to a new file beside the target, which replaces
// the target only when it is complete, so a failure leaves the target as it was.
// Returns 0 or a platform error, with `failed` naming the file at fault.
int copyFiles(const std::vector<CopySource>& sources, uview target, bool asciiTarget, bool keepTime,
              bool verify, ustring& failed);

// Removes the tree at `path` without following links: a link is removed itself, never
// what it points to. `report` is told about each entry that could not be removed.
bool removeTree(uview path, const std::function<void(const ustring& path, int error)>& report);

// Copies the tree at `from` to the new name `to` (links copied as links). On failure
// whatever was made is removed again and `failed` names the entry at fault.
int copyTree(uview from, uview to, ustring& failed);

// Whether a word can be a switch: "/X" or "/X:..." but not a full name such as
// "/home/user/new", which is a path even when it does not exist yet.
inline bool isSwitchWord(uview w)
{
    return w.size() >= 2 && w[0] == '/' && w.find('/', 1) == uview::npos;
}

// Dates, times and numbers in the user's locale.
namespace localefmt {
enum class Order { MonthDayYear, DayMonthYear, YearMonthDay };
Order dateOrder();
// "mm-dd-yy" and its other orders, for the date prompt.
ustring datePattern();
ustring date(const QDate& d);        // 03/05/2024 in the locale's order and separator
ustring shortTime(const QTime& t);   // 02:07 PM, or 14:07 in a 24-hour locale
ustring longTime(const QTime& t);    // 14:07:05.25
ustring dayName(const QDate& d);     // Tue
ustring grouped(unsigned long long v, bool separators);
} // namespace localefmt

} // namespace console
