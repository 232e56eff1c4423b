#pragma once
// Session files: the open documents with their scroll position, selection and bookmarks, as
// a small XML document read and written with TinyXML.
//
//   <Velmo>
//       <session index="1">
//           <file firstVisibleLine="0" xOffset="0" startPos="3" endPos="7">/home/u/a.txt<Mark line="2" />
//           </file>
//           <file>/home/u/big.bin</file>
//       </session>
//   </Velmo>
//
// The reader is a plain function over bytes; it never trusts what it reads.
#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace session {

struct FileEntry {
    QString path;             // empty when the element holds no path (skipped on load)
    bool textView = true;     // hex documents are written without view state and marks
    // View state; on reading, an attribute the element lacks is left empty.
    std::optional<long> firstVisibleLine, xOffset, startPos, endPos;
    std::vector<long> marks;  // bookmarked lines, ascending
};

struct Session {
    int index = -1;           // the active entry among `files`; -1 for none
    std::vector<FileEntry> files;
};

// The file's bytes: TinyXML's own layout (four-blank indentation, no XML declaration).
QByteArray toBytes(const Session& s);

// Writes the file through a temporary file, synced and renamed into place: a failure or a
// crash leaves the old file whole. `error` gets the system's error text.
bool writeFile(const QString& path, const Session& s, QString* error = nullptr);

// Parses a session; nullopt when the bytes are not a session file (not XML, nested
// absurdly deep, no "Velmo" root or no "session" element).
std::optional<Session> fromBytes(const QByteArray& bytes);

// Reads and parses a file; nullopt when it cannot be read or is not a session file.
std::optional<Session> readFile(const QString& path);

} // namespace session
