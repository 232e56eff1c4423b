#pragma once
// One entry of a find result view: the "%s(%d): %s" text, and beside it the file (or the
// name of a document without a file), the 1-based line and, for a document without a
// file, a reference to the open document. The jump uses the stored file and line, so a
// path with "(" in it still reaches its line.
#include <QObject>
#include <QPointer>
#include <QString>

namespace search {

// Entries keep at most this many characters.
constexpr int kMaxResultLine = 511;

struct FindResultLine {
    QString text;              // what the list shows
    QString file;              // empty for a plain line
    int line = 0;              // 1-based; 0 for a plain line
    QPointer<QObject> document;   // a document without a file, while it is open

    bool hasTarget() const { return !file.isEmpty(); }

    // A result: the line text loses its line end (and any other line break becomes a space).
    static FindResultLine result(const QString& file, int line, const QString& lineText,
                                 QObject* document = nullptr);
    // A line that is not a result ("Cannot open file: ..."), shown unchanged.
    static FindResultLine plain(const QString& text);
};

// Reads a shown text back into a file and a 1-based line: the file is everything before
// the first "(", the line the digits after it. False without a "(".
bool parseResultLine(const QString& text, QString* file, int* line);

} // namespace search
