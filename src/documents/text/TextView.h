#pragma once
// The text view: the editing component holding one document's text, with typed
// wrappers over the component's messages. The text is always held as UTF-8; an
// "ANSI" document is converted from and to the process code page when it is loaded
// and saved, so every byte value shows as its proper character.
#include <Qsci/qsciscintillabase.h>

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
    long firstVisibleLine() const;
    long docLineFromVisible(long visibleLine) const;
    long visibleFromDocLine(long docLine) const;
    long lineFromPosition(long pos) const;
    void ensureVisibleEnforcePolicy(long line);
    void lineScroll(long columns, long lines);
    long countCharacters(long start, long end) const;
    long positionRelative(long pos, long characters) const;

signals:
    void selectionLengthChanged(long length);

private:
    long call(unsigned msg, unsigned long w = 0, long l = 0) const;
    void onUpdateUi(int updated);

    int encoding_ = 0;
    int languageIndex_ = -1;
    long selectionLength_ = 0;
};
