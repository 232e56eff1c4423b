#pragma once
// The text view: the editing component holding one document's text, with typed
// wrappers over the component's messages. The text is always held as UTF-8; an
// "ANSI" document is converted from and to the process code page when it is loaded
// and saved, so every byte value shows as its proper character.
#include <Qsci/qsciscintillabase.h>

#include <QPoint>
#include <string>

// Text-range records of the component's interface.
struct Sci_CharacterRange {
    long cpMin;
    long cpMax;
};

struct Sci_TextRange {
    Sci_CharacterRange chrg;
    char* lpstrText;
};

class CTextAssist;

class CTextView : public QsciScintillaBase {
    Q_OBJECT
public:
    explicit CTextView(QWidget* parent = nullptr);

    // The document's encoding (0-4); setting it never touches the text.
    int encoding() const { return encoding_; }
    void setEncoding(int encoding);

    // Index into the language table; -1 until a language is applied.
    int languageIndex() const { return languageIndex_; }
    void setLanguageIndex(int index) { languageIndex_ = index; }

    // Length of the current selection in the component's bytes (UTF-8, also for
    // ANSI documents). selectionLengthChanged tells when it changes.
    long selectionLength() const;

    // The document's own bytes: an ANSI document holds one byte per character in its
    // file, every other encoding the component's bytes.
    long documentBytes() const;
    long selectionBytes() const;

    // Commands of the view (undo and redo, select all, the view options, zoom and the
    // fold commands). False for a command the view does not handle.
    bool command(int id);

    // The view's own option flags (ViewFlag bits): set when a language is applied,
    // then changed only by the view's commands.
    unsigned viewFlags() const { return viewFlags_; }
    void setViewFlags(unsigned flags) { viewFlags_ = flags; }
    // The zoom the view started with ("Default Zoom").
    int initialZoom() const { return initialZoom_; }
    // The typing assistance (indentation, call tips, completion, braces, comments).
    CTextAssist& assist() const { return *assist_; }

    // --- component messages ---
    long length() const;
    long currentPos() const;
    long anchor() const;
    void setSel(long anchor, long caret);
    void clearAll();
    void addText(const char* text, long length);
    void addText(const std::string& text) { addText(text.data(), long(text.size())); }
    void allocate(long bytes);
    int modEventMask() const;
    void setModEventMask(int mask);
    void beginUndoAction();
    void endUndoAction();
    void setUndoCollection(bool collect);
    bool undoCollection() const;
    void emptyUndoBuffer();
    bool canUndo() const;
    void undo();
    int eolMode() const;
    void setEolMode(int mode);
    void convertEols(int mode);
    void setSavePoint();
    bool isModified() const;   // the save point has been left
    bool isReadOnly() const;
    void setReadOnly(bool readOnly);
    long positionBefore(long pos) const;
    long positionAfter(long pos) const;
    // Bytes [start, end) into `out` (replacing its contents).
    void textRange(long start, long end, std::string& out) const;
    std::string text() const;
    // The whole text into `out`, reusing its memory; when it must grow, it gets room for an
    // eighth more, so a text copied again after some typing needs no new memory.
    void copyText(std::string& out) const;
    long firstVisibleLine() const;
    long docLineFromVisible(long visibleLine) const;
    long visibleFromDocLine(long docLine) const;
    long lineFromPosition(long pos) const;
    void ensureVisibleEnforcePolicy(long line);
    void lineScroll(long columns, long lines);
    long countCharacters(long start, long end) const;
    // The column of pos, tabs expanded (SCI_GETCOLUMN), counted quickly on a very long line.
    long column(long pos) const;
    long positionRelative(long pos, long characters) const;

signals:
    void selectionLengthChanged(long length);
    // Syntax highlighting was switched on again: the document's language is to be
    // applied anew with the view's flags.
    void syntaxHighlightRequested();
    // A view option changed (menu checks and toolbar buttons follow).
    void viewFlagsChanged(unsigned flags);
    // The context menu is wanted at this screen position (after a right click has placed
    // the caret, or for the menu key at the caret).
    void contextMenuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The input method is told about the caret's line only: the component would hand it
    // the whole paragraph, which in a text without blank lines is the whole document, on
    // every key press.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    long call(unsigned msg, unsigned long w = 0, long l = 0) const;
    void onUpdateUi(int updated);
    void toggleViewFlag(unsigned flag);
    void toggleFoldAtCaret();
    void foldAll(bool collapse);
    long ansiLength(long start, long end) const;

    int encoding_ = 0;
    int languageIndex_ = -1;
    long selectionLength_ = 0;
    unsigned viewFlags_ = 0;
    int initialZoom_ = 0;
    CTextAssist* assist_ = nullptr;
    mutable long cachedBytes_ = -1;   // documentBytes() of an ANSI document until the text changes
    mutable long cachedLength_ = -1;
};
