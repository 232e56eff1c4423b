#pragma once
// The document record a document frame holds, and the document operations the
// frame's commands perform on it: new, load, save, save as, reload, the encoding and
// line-end commands and the two read-only commands. Failures are shown through the
// message-box seam with the system's error text.
#include "documents/text/FileAccess.h"
#include "platform/Paths.h"

#include <QString>
#include <cstdint>

class CTextView;
class QWidget;

namespace textdoc {

// Path of a document that has never been saved. Any path starting with "<" means
// the document has no file.
inline constexpr const char* kNewDocumentPath = "<new>";

struct DocumentRecord {
    QString path = QString::fromLatin1(kNewDocumentPath);
    int32_t fileStamp = -1;       // see fileStamp(); -1 for no file
    bool isHex = false;           // the view is the hex view
    bool fileReadOnly = false;    // the file's owner write bit was clear when loaded
    bool docReadOnly = false;     // the user's "Read Only" toggle
    bool changedOutside = false;  // the file changed or vanished and the text was kept
    // The encoding the text had when it was last loaded or saved (-1 for none): once the
    // encoding differs, the file no longer holds what a save would write.
    int savedEncoding = -1;

    bool hasFile() const { return paths::hasFile(path); }
    // Window title and prompt name: the full path, or just the file name. The path
    // parts themselves come from paths::pathPart.
    QString title(bool showFullPath) const;
};

// Modified: the view left its save point, the file changed outside, or (text views) the
// encoding was changed since the last load or save.
bool isModified(const DocumentRecord& doc, bool viewModified);
bool isModified(const DocumentRecord& doc, const CTextView& view);
// Tab icon: 2 read-only (document or file), 1 save point left, else 0.
int tabIcon(const DocumentRecord& doc, bool viewModified);
int tabIcon(const DocumentRecord& doc, const CTextView& view);

// "Open file failure.\n<path>\n\n<error>" (1034) and "Save file failure..." (1036).
QString openFailureText(const QString& path, int error);
QString saveFailureText(const QString& path, int error);
void showOpenFailure(QWidget* parent, const QString& path, int error);
void showSaveFailure(QWidget* parent, const QString& path, int error);
// The question asked before an ANSI document loses characters to "?" (string 2100).
QString lossyAnsiSaveText(const QString& path);

// New document (command 100): path "<new>", the given default encoding (0-4; any
// other value means ANSI), CR+LF line ends, empty and unmodified.
void newDocument(DocumentRecord& doc, CTextView& view, int defaultEncoding);

// Load into a fresh text view (open modes 0-4 force an encoding, 5 detects it): stores
// the path and file stamp, loads the text, then applies the read-only attribute. No
// message is shown; the caller reports a failure with showOpenFailure.
IoResult loadDocument(DocumentRecord& doc, CTextView& view, const QString& path, int openMode);

// After a load, save or reload: the file stamp is read again and the document no longer
// counts as changed outside.
void syncWithDisk(DocumentRecord& doc);

// Save (command 106) to the document's own path. A document without a file returns
// false at once: the caller goes to Save As. On failure message 1036 is shown and the
// document stays as it was (modified, same stamp, changed-outside kept).
// An ANSI document holding characters its code page lacks asks first (string 2100):
// Yes saves it as UTF-8 without mark, No saves it with "?" in their place, Cancel
// writes nothing and returns false.
bool saveDocument(DocumentRecord& doc, CTextView& view, QWidget* parent);

// The writing half of Save As (command 107), after the dialog gave `newPath`. On
// success the path, stamp and changed-outside flag are updated; on failure message
// 1036 is shown and the document keeps its path. ANSI documents ask as Save does.
bool saveDocumentAs(DocumentRecord& doc, CTextView& view, const QString& newPath, QWidget* parent);

// Reload from disk (command 109) in the current encoding; the reload can be undone.
// On failure message 1034 is shown and the text stays.
bool reloadDocument(DocumentRecord& doc, CTextView& view, QWidget* parent);

// Document menu commands 501-510 on a text document.
enum DocumentCommand : int {
    CmdEncodeAnsi = 501, CmdEncodeUnicodeBE = 502, CmdEncodeUnicode = 503,
    CmdEncodeUtf8 = 504, CmdEncodeUtf8NoBom = 505,
    CmdEolWindows = 506, CmdEolUnix = 507, CmdEolMac = 508,
    CmdReadOnly = 509, CmdClearReadOnlyAttribute = 510,
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

// Menu state of commands 501-510 for a text document.
CommandState documentCommandState(const DocumentRecord& doc, const CTextView& view, int command);
// Runs one of 501-510; returns true when something changed. The caller refreshes
// the tab icon (tabIcon) and the status bar afterwards.
bool runDocumentCommand(DocumentRecord& doc, CTextView& view, int command);

// 509: toggles the document's read-only state (refused while the file is read-only).
bool toggleDocumentReadOnly(DocumentRecord& doc, CTextView& view);
// 510: gives the file back its owner write bit; nothing happens when the attributes
// cannot be read or written.
bool clearReadOnlyAttribute(DocumentRecord& doc, CTextView& view);

} // namespace textdoc
