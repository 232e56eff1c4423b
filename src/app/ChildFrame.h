#pragma once
// A document frame: one document record and the one view that shows it (a text view on
// the editing component, or the hex view). It lives in the main frame's document area.
#include "documents/text/Document.h"
#include "language/LanguageStyler.h"

#include <QWidget>

#include <string>

class CMainFrame;
class CTextView;
class CHexView;
class QVBoxLayout;

class CChildFrame : public QWidget {
    Q_OBJECT
public:
    explicit CChildFrame(CMainFrame& frame);
    ~CChildFrame() override;

    textdoc::DocumentRecord& record() { return m_doc; }
    const textdoc::DocumentRecord& record() const { return m_doc; }
    const QString& path() const { return m_doc.path; }

    bool isHex() const { return m_doc.isHex; }
    CTextView* textView() const { return m_text; }
    CHexView* hexView() const { return m_hex; }
    QWidget* view() const;

    // A new, empty document with the default language and encoding.
    void newDocument();
    // Loads a file: open modes 0-4 force an encoding, 5 detects it, 6 uses the hex view.
    // No message is shown here; `error` gets the system's error code on failure.
    bool load(const QString& path, int openMode, int* error = nullptr);

    // Save (106); a document without a file goes to Save As.
    bool save();
    // Save As (107): asks for a name; false when cancelled or when writing failed.
    bool saveAs();
    // Reload from Disk (109).
    bool reload();

    bool isModified() const;
    QString title() const;
    int tabIcon() const;

    // Asks about unsaved changes (Yes saves, No discards, Cancel keeps the document).
    bool querySave();

    // Whether the file changed on disk since it was loaded or saved. Unless `silent`,
    // asks whether to reload a changed file and reports a vanished one in the status bar.
    // Ignored (false) while the document is closing or a check is already running.
    bool checkFile(bool silent);
    // Queues one check (when the document or the main frame is activated).
    void postCheckFile();
    // Close (103): closes the document's window after asking.
    bool closeDocument();

    // Commands routed to the document (and on to its view). False when not handled.
    bool onCommand(int id, bool fromAccelerator);

    // Language: applies language `index` (text view); re-applies it on a view with text.
    void applyLanguage(int index, bool reapply);
    int languageIndex() const;
    const LanguageState& languageState() const { return m_language; }
    // Language menu: 700 switches to the hex view, 701+ to a language (and to the text
    // view when the document is in the hex view).
    bool chooseLanguage(int command);
    // Re-applies the styles after the base font changed.
    void applyFontScheme();

    // A document brought back from a backup: `text` as the view held it, shown as modified
    // under `path` (a file's path or a name starting with "<").
    void restoreText(const QString& path, int encoding, int eolMode, int savedEncoding, const std::string& text);

    // Puts the caret at zero-based line `line` and character `column` (command line).
    void placeCaret(int line, int column);

    // Monitor Clipboard (681): new clipboard text is inserted at the caret.
    void setMonitorClipboard(bool on);
    bool monitorClipboard() const { return m_monitorClipboard; }

    // Refreshes title and tab icon and tells the main frame.
    void updateState();

signals:
    void stateChanged(CChildFrame* child);
    void statusChanged(CChildFrame* child);
    // The text changed (typing, a command, undo).
    void textChanged(CChildFrame* child);
    // The document and its file agree again: a save, Save As or reload succeeded.
    void saved(CChildFrame* child);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setView(QWidget* view);
    CTextView* createTextView();
    CHexView* createHexView();
    LanguageInputs languageInputs() const;
    bool loadHex(const QString& path, int* error);
    void clipboardChanged();

    CMainFrame& m_frame;
    textdoc::DocumentRecord m_doc;
    QVBoxLayout* m_layout = nullptr;
    CTextView* m_text = nullptr;
    CHexView* m_hex = nullptr;
    LanguageState m_language;
    bool m_closing = false;
    bool m_checking = false;       // a file check (and its question) is running
    bool m_checkPosted = false;
    bool m_monitorClipboard = false;
    QMetaObject::Connection m_clipboardConnection;
};
