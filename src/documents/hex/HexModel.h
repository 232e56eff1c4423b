#pragma once
// The hex view without its window: layout numbers, caret and selection, keys and mouse hits,
// the strings of each row, the typed bytes and their undo, and saving them in place.
//
// Only the rows on screen are read from the file (the window buffer). Typed bytes live in an
// overlay keyed by their absolute file offset, so they survive scrolling and resizing and are
// shown over the file's own bytes until they are saved. All sizes and offsets are 64-bit.
#include "documents/hex/HexFile.h"

#include <QRect>
#include <algorithm>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace hex {

enum class Column { Hex, Text };
enum class Key { PageUp, PageDown, Home, End, Up, Down, Left, Right, Delete, F6 };

struct Hit {
    int64_t offset = 0;
    Column column = Column::Hex;
    int nibble = 0;
};

class HexModel {
public:
    static constexpr int kBytesPerRow = 16;
    // Rows the scroll bar can hold before its positions are scaled.
    static constexpr int64_t kMaxBarRows = int64_t(1) << 30;

    HexModel();

    // ---- file -------------------------------------------------------------------------
    // Takes the file's size and shows it from the start with no caret (the first paint puts
    // it on offset 0). Clears the typed bytes and their history. False when the file cannot
    // be opened; the model is then empty and *error holds the system's text.
    bool load(const QString& path, QString* error = nullptr);
    // Shows bytes that do not come from a file on disk, as load() does; see HexFile::openBytes.
    void loadBytes(int64_t size, HexFile::Reader reader);
    bool isLoaded() const { return file_.isOpen(); }
    QString path() const { return file_.path(); }
    int64_t size() const { return file_.size(); }
    // Offsets come close to the largest int64_t, so rows and ends are counted without ever
    // stepping past it.
    int64_t totalRows() const { return size() / kBytesPerRow + (size() % kBytesPerRow != 0 ? 1 : 0); }

    // ---- layout -----------------------------------------------------------------------
    // The grid: average character width and line height of the view's font.
    void setMetrics(int charWidth, int lineHeight);
    void setClientSize(int width, int height);
    int charWidth() const { return w_; }
    int lineHeight() const { return h_; }
    int clientWidth() const { return clientW_; }
    int clientHeight() const { return clientH_; }
    // Rows that fit below the header; at least one even in a tiny window.
    int rowsOnScreen() const { return rows_; }
    // Rows on screen that hold bytes (fewer at the end of the file).
    int shownRows() const;
    // Hexadecimal digits of the offsets: eight, or more when the size needs them.
    int offsetDigits() const;
    int offsetColumnWidth() const { return (offsetDigits() + 2) * w_; }
    QRect hexArea() const;
    QRect textArea() const;
    // Left edge of the two digits of column k (0..15) in the hex area.
    int hexCellX(int k) const { return hexArea().left() + (3 * k + k / 8 + 1) * w_; }
    int textCellX(int k) const { return textArea().left() + k * w_; }

    // ---- scrolling --------------------------------------------------------------------
    int64_t topOffset() const { return topRow_ * kBytesPerRow; }
    int64_t topRow() const { return topRow_; }
    // The last top row: the file's last row then stands at the bottom of the screen.
    int64_t maxTopRow() const;
    void scrollToRow(int64_t row);
    void scrollBy(int64_t rows) { scrollToRow(topRow_ + rows); }
    // Scroll bar positions, scaled down when the rows exceed what a scroll bar can hold.
    int barMaximum() const;
    int barValue() const;
    int barPageStep() const;
    void scrollToBarValue(int value);

    // ---- caret and selection ----------------------------------------------------------
    int64_t anchor() const { return anchor_; }
    int64_t caret() const { return caret_; }
    int nibble() const { return nibble_; }
    Column activeColumn() const { return column_; }
    void setActiveColumn(Column c) { column_ = c; }
    void switchColumn() { column_ = column_ == Column::Hex ? Column::Text : Column::Hex; }
    bool hasSelection() const { return anchor_ != caret_; }
    int64_t selectionStart() const { return std::min(anchor_, caret_); }
    int64_t selectionEnd() const { return std::max(anchor_, caret_); }
    // Sets anchor a and caret b (−1 for b means the end of the file), keeps them inside the
    // file and scrolls the caret's row into view.
    void setSelection(int64_t a, int64_t b);
    // Called when the view paints: a loaded file without a caret gets one on offset 0.
    void notePaint();

    // ---- keyboard and mouse -----------------------------------------------------------
    void key(Key k, bool shift, bool ctrl);
    // What a point of the client area hits: a byte of the hex or of the text column.
    std::optional<Hit> hitTest(int x, int y) const;
    void mousePress(int x, int y);
    // The mouse is captured once a press turns into a drag; while it is, moves extend the
    // selection and scroll when the pointer leaves the window, and a key only ends it.
    void setCaptured(bool captured) { captured_ = captured; }
    bool isCaptured() const { return captured_; }
    void mouseDrag(int x, int y);
    void doubleClick(int x, int y);
    // Wheel turn in 1/8 degree units as the platform reports them, positive away from the
    // user. Each 120 units scroll two rows.
    void wheel(int delta);

    // ---- editing ----------------------------------------------------------------------
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }
    enum class TypeResult { Ignored, Edited, Beep };
    // One typed character (a UTF-16 code unit): overtypes the caret's byte.
    TypeResult typeChar(char16_t ch);
    bool canUndo() const { return !readOnly_ && !history_.empty(); }
    // Undoes the last byte edit; false when there was none to undo.
    bool undo();
    bool isModified() const;
    // The byte shown at an offset: a typed byte where there is one, else the file's.
    uint8_t byteAt(int64_t offset) const;
    bool isEdited(int64_t offset) const { return overlay_.count(offset) != 0; }
    size_t editCount() const { return overlay_.size(); }

    enum class SaveResult { Ok, SizeChanged, Replaced, Failed };
    // Writes the typed bytes into the file in place. The modified mark clears only when the
    // bytes were written and flushed. A file whose size changed, or another file that took
    // its path, is refused (SizeChanged, Replaced) with the reason in *error.
    SaveResult save(QString* error = nullptr);
    // Writes the file with the typed bytes to another path and goes on with that file (the
    // history stays: its offsets hold in the copy). Saving to the file itself saves in place.
    SaveResult saveAs(const QString& path, QString* error = nullptr);

    // ---- texts ------------------------------------------------------------------------
    // "Offset %XH %d  Sel %d": the anchor's offset and the signed selection length.
    QString statusText() const;
    // Column labels of the header, from the hex area's left edge.
    static QString headerLabels();
    // Bytes of screen row r (0 = first row shown); 0 past the end of the file.
    int rowLength(int r) const;
    QString offsetText(int r) const;
    QString hexText(int r) const;
    QString charText(int r) const;
    static QChar displayChar(uint8_t b) { return (b >= 33 && b <= 125) ? QChar(b) : QLatin1Char('.'); }

private:
    void reset();
    SaveResult saveResult(HexFile::WriteResult result, QString* error) const;
    void reread();
    void clampTop();
    void ensureVisible(int64_t offset);
    void writeByte(int64_t offset, uint8_t value, int kind);

    struct EditRecord {
        int64_t offset;
        int kind;  // 0 high digit typed, 1 low digit typed, 2 character typed
        uint8_t old;
    };

    HexFile file_;
    int w_ = 8, h_ = 16;
    int clientW_ = 0, clientH_ = 0;
    int rows_ = 1;
    int64_t topRow_ = 0;
    int64_t anchor_ = -1, caret_ = -1;
    int nibble_ = 0;
    Column column_ = Column::Hex;
    bool captured_ = false;
    bool readOnly_ = false;
    int wheelRest_ = 0;

    std::vector<uint8_t> buffer_;
    int64_t bufferOffset_ = 0;

    std::map<int64_t, uint8_t> overlay_;
    std::vector<EditRecord> history_;
    // History depth at the last load or save; −1 when that state can no longer be reached.
    int64_t savedDepth_ = 0;
};

} // namespace hex
