#pragma once
// Find in files without any widget: the byte matcher, the scan of one file's bytes into
// numbered lines, and the walk through a folder tree. The walk reads each file with plain
// reads into one reused buffer; it never maps a file, never opens anything but regular
// files and never follows a link to a folder.
#include "search/ResultLine.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// Files larger than this are skipped unless [SEARCH] "MaxFileSize" says otherwise.
constexpr std::int64_t kDefaultMaxFileSize = 0x100000;
// A result shows at most this many bytes of its line.
constexpr std::size_t kMaxLineBytes = 256;

// One literal searched in bytes: byte for byte, or with ASCII letters in either case; with
// whole word, a match must start and end at a change of character class.
class ByteMatcher {
public:
    ByteMatcher(std::string pattern, bool matchCase, bool wholeWord);

    const std::string& pattern() const { return m_pattern; }
    bool empty() const { return m_pattern.empty(); }

    // Calls `hit(pos)` for every match in [data, data+size), overlapping ones included,
    // in order; stops early when `hit` returns false.
    void forEach(const char* data, std::size_t size, const std::function<bool(std::size_t)>& hit) const;
    // The offset of the first match at or after `from`, or npos.
    std::size_t find(const char* data, std::size_t size, std::size_t from = 0) const;

private:
    bool verify(const char* data, std::size_t size, std::size_t pos) const;
    template <class F> void run(const char* data, std::size_t size, std::size_t from, F&& hit) const;

    std::string m_pattern;   // folded to lower case when the case is ignored
    bool m_matchCase;
    bool m_wholeWord;
    std::size_t m_rare1 = 0, m_rare2 = 0;   // the two offsets the quick filter compares
};

// One occurrence inside a file's bytes.
struct ScanHit {
    std::size_t pos;            // offset of the match
    int line;                   // 1-based; only LF starts a new line
    std::string_view lineText;  // from the line's start to its first CR or LF, at most 256 bytes
};

// Scans bytes for every matcher at once (the hits in file order); `hit` returns false to
// stop. `firstLine` is the number of the line the bytes start with. Returns the number of
// occurrences passed to `hit`.
std::size_t scanBytes(std::string_view data, const std::vector<ByteMatcher>& matchers,
                      const std::function<bool(const ScanHit&)>& hit, int firstLine = 1);

// The bytes to search for a file's contents: a UTF-16 file (with its byte-order mark) is
// turned into UTF-8 in `storage`; a UTF-8 mark is dropped; anything else is used as it is.
std::string_view searchableBytes(std::string_view raw, std::string& storage);

// The text of a result line's bytes: UTF-8 when they are UTF-8, otherwise the ANSI code
// page. With `cut` (the line was longer than the bytes), a character cut at the end is dropped.
QString lineToText(std::string_view bytes, bool cut = false);

// What a search is asked to do; the worker keeps its own copy.
struct FindInFilesJob {
    QString findText;
    unsigned flags = 0;          // the SearchMask bits: whole word, match case, subfolders
    QString filter;              // ";"-separated patterns; empty: every file
    QString folder;
    std::int64_t maxFileSize = kDefaultMaxFileSize;   // 0: no limit
    // A file larger than this is read in parts, each ending at a line end, so that a large
    // limit never needs the whole of a large file in memory.
    std::size_t readWindow = std::size_t(64) << 20;
    // The "Cannot open file: %s error:%d" text, looked up before the search leaves the
    // user-interface thread; empty: looked up when needed.
    QString cannotOpenText;
};

struct FindInFilesCounts {
    int occurrences = 0;
    int files = 0;        // files with at least one occurrence
    int searched = 0;     // files read and scanned
    int unreadable = 0;   // files that could not be opened or read
    bool invalidPath = false;
    bool aborted = false;
    double seconds = 0;
};

// Where a search puts what it finds. Called on the searching thread.
class FindInFilesSink {
public:
    virtual ~FindInFilesSink() = default;
    // A result line, or a "Cannot open file" line.
    virtual void add(FindResultLine line) = 0;
    // The next file to be read (its folder with a trailing "/", and its name).
    virtual void visiting(std::string_view folder, std::string_view name) { (void)folder; (void)name; }
    // Asked before each file, and between the results of one file.
    virtual bool stopRequested() { return false; }
};

// The matchers for a find text: its UTF-8 form, and its ANSI form when that differs.
std::vector<ByteMatcher> matchersFor(const QString& findText, unsigned flags);

// Searches the folder tree. An empty find text searches nothing. Returns the counts.
FindInFilesCounts findInFiles(const FindInFilesJob& job, FindInFilesSink& sink);

// The line for a file that cannot be read: "Cannot open file: %s error:%d".
QString cannotOpenFormat();

// The status text when a search ends: the summary, or the invalid-path message.
QString finalText(const FindInFilesJob& job, const FindInFilesCounts& counts);

} // namespace search
