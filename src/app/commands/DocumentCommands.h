#pragma once
// Commands of the frame that need only a little of the active document: the Search MSDN
// lookup word, the Open Selected File rule and the web pages.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

namespace cmd {

// Bytes of the editing component are either ANSI or UTF-8.
QString decodeDocumentBytes(const QByteArray& bytes, bool utf8);

// Search MSDN: the selection when it lies within one line and is shorter than 256 bytes,
// else the word around the caret (1-255 bytes); nothing with neither.
std::optional<QString> lookupWord(const QByteArray& selection, bool selectionOnOneLine,
                                  const QByteArray& wordAtCaret, bool utf8);

// Open Selected File: the selection when it lies within one line and is shorter than 260
// characters; with no selection, a line that starts with "#include", spaces or tabs, and
// a name of 1-259 characters in double or single quotes. A relative name is joined to the
// document's folder. Angle brackets name nothing.
std::optional<QString> selectedFileName(const QByteArray& selection, bool selectionOnOneLine,
                                        const QByteArray& currentLine, bool utf8);
QString resolveAgainstFolder(const QString& name, const QString& documentFolder);
std::optional<QString> fileToOpen(const QByteArray& selection, bool selectionOnOneLine,
                                  const QByteArray& currentLine, const QString& documentFolder, bool utf8);

// Opening addresses: QDesktopServices unless a test installs its own opener.
using UrlOpener = std::function<bool(const QUrl&)>;
void setUrlOpener(UrlOpener opener);   // empty restores the desktop's
bool openUrl(const QUrl& url);

// The help lookup: the configured command with every "$(WORD)" replaced by the word
// (percent-encoded) is opened with the desktop's default handler; without a "$(WORD)" the
// word is appended. With no command configured, or when it cannot be opened,
// "Cannot register vshelp.dll" is shown with an empty caption. Returns whether it opened.
QUrl helpLookupUrl(const QString& commandText, const QString& word);
bool runHelpLookup(QWidget* parent, const QString& commandText, const QString& word);

// The web pages of the Help menu, the tray menu and the About box.
QString webPageAddress(int commandId);   // 820, 821, 823, 824
bool openWebPage(int commandId);

} // namespace cmd
