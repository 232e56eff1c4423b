#pragma once
// The process-wide search record shared by every search dialog and search command: the
// option word, the texts, and what find in files fills in. Also the preparation of a text
// for the editing component (UTF-8 bytes, then the backslash escapes).
#include <QPointer>
#include <QObject>
#include <QString>

#include <string>

namespace search {

// Bits of the option word ("SearchMask" in [SEARCH]).
namespace Mask {
enum : unsigned {
    WholeWord = 0x001,
    MatchCase = 0x002,
    RegExp = 0x004,
    Forward = 0x008,          // clear: search backward ("Search up")
    Escapes = 0x010,          // "Allow '\' expressions"
    Wrap = 0x020,             // wrap around at the document end
    MatchSelected = 0x040,    // the selection is the match the last search selected
    Subfolders = 0x080,
    RangeMask = 0x300,
    RangeCurrent = 0x000,
    RangeSelection = 0x100,
    RangeAllOpen = 0x200,
    ResultWindow2 = 0x400,    // clear: "Find Result 1"
};
}

// Texts keep at most this many characters.
constexpr int kMaxText = 255;

struct SearchOptions {
    QPointer<QObject> owner;   // window owning the messages of the search in progress
    unsigned flags = 0;
    QString findText;
    QString replaceText;
    int occurrenceCount = 0;   // find in files
    int fileCount = 0;
    QString fileFilter;
    QString folder;

    bool has(unsigned bit) const { return (flags & bit) != 0; }
    void set(unsigned bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }
    unsigned range() const { return flags & Mask::RangeMask; }
    void setFindText(const QString& t) { findText = t.left(kMaxText); }
    void setReplaceText(const QString& t) { replaceText = t.left(kMaxText); }
};

// Cuts a text at `max` characters without splitting a surrogate pair.
QString clampText(const QString& text, int max = kMaxText);

// Backslash escapes, processed on bytes. Plain search: \a \b \f \n \r \t \v, one to three
// octal digits, \x with one or two hex digits, any other character stands for itself.
// Regular expressions: only \0 followed by two octal digits is converted. A zero byte
// produced by an escape ends the text. Escaped values 0x80-0xFF stand for the characters
// U+0080-U+00FF and come out as their UTF-8 bytes (the document holds UTF-8).
std::string processEscapes(const std::string& bytes, bool regExp);

// The bytes handed to the editing component: the UTF-8 form of `text`, escapes processed
// when `flags` asks for them.
std::string prepareText(const QString& text, unsigned flags);

// The editing component's search flags for an option word.
int componentFlags(unsigned flags);

} // namespace search
