#pragma once
// Moving text between files and a text view: loading in blocks with encoding and
// line-end detection, saving in the view's encoding, reloading, and the in-memory
// changes of encoding and line ends.
#include "documents/text/FileAccess.h"

#include <QString>
#include <cstddef>
#include <cstdint>

class CTextView;

namespace textdoc {

enum class LoadKind {
    Open,     // a new document: undo is not collected and the undo buffer ends empty
    Reload,   // the load is one undo action, so it can be undone
};

// Files larger than this (50 MiB) are never loaded as text; they are shown in hex.
inline constexpr int64_t kMaxTextFileSize = 52428800;

// Loads `path` into the view. openMode 0-4 forces that encoding, anything else
// detects it. Files larger than kMaxTextFileSize are refused (EFBIG). On success the
// caret is at 0, the line-end mode is the file's and the save point is set. A read
// error or a lack of memory (ENOMEM) fails the load: memory for the whole text is made
// sure of before the view changes, so such a failure leaves the view as it was; a read
// error part-way leaves an opened document empty and a reloaded one with the text it
// had. The view's read-only state is kept.
// Saved again without edits, the file gets back exactly the bytes it had, whatever
// they are: malformed UTF-8 stays as its bytes, lone UTF-16 surrogates as their code
// units, and an odd last byte of a UTF-16 file (shown as U+FFFD) is kept aside.
IoResult loadText(CTextView& view, const QString& path, int openMode, LoadKind kind = LoadKind::Open);

// Writes the view's text to `path` in the view's encoding. Only a successful write
// sets the save point; a failed one leaves the old file as it was. For an ANSI
// document, `unmappable` (when given) receives the number of characters the code
// page could not hold and that were written as "?".
IoResult saveText(CTextView& view, const QString& path, size_t* unmappable = nullptr);

// For an ANSI document: the number of characters the code page cannot hold (they
// would be saved as "?"). 0 for the other encodings.
size_t unmappableCharacters(const CTextView& view);

// Loads the file again in the view's encoding, keeping the caret and the first
// visible line where the new text allows.
IoResult reloadText(CTextView& view, const QString& path);

// Encoding commands: returns false when nothing changed. Between the Unicode
// encodings only the label changes. To and from ANSI the text stays as it looks,
// except that characters the code page cannot hold become its replacement "?"
// (one undoable change); a read-only view that would need such a change keeps its
// encoding.
bool changeEncoding(CTextView& view, int encoding);

// Line-end commands: sets the mode and converts every line end. Returns false when
// the mode is already the current one, invalid, or the view is read-only.
bool convertLineEnds(CTextView& view, int eolMode);

} // namespace textdoc
