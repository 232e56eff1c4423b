#pragma once
// The command window's screen: rows of cells (a character and a console attribute), a
// cursor, a title and a bounded scroll-back. It knows no widget; the view paints it and
// the terminal parser and the line editor write into it.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace console {

struct Cell {
    char32_t ch = U' ';
    uint8_t attr = 0xF0; // console attribute: foreground in the low four bits, background above
    bool operator==(const Cell& o) const { return ch == o.ch && attr == o.attr; }
};

class ScreenModel {
public:
    // Rows kept in all, visible screen included.
    static constexpr int DefaultScrollBack = 5000;

    explicit ScreenModel(int columns = 80, int rows = 25, int scrollBack = DefaultScrollBack);

    // The size of the visible screen in cells; rows already written keep their cells.
    void resize(int columns, int rows);
    int columns() const { return columns_; }
    int screenRows() const { return rows_; }

    // Rows held, from the oldest kept; a row's index is `rowNumber - dropped()`.
    int rowCount() const { return int(lines_.size()); }
    const std::vector<Cell>& row(int index) const { return lines_[size_t(index)]; }
    // Rows dropped at the top to keep the scroll-back bounded, since the start.
    int64_t dropped() const { return dropped_; }
    // The first row of the visible screen.
    int screenTop() const;

    // Cursor, as a row index and a column.
    int cursorRow() const { return cursorRow_; }
    int cursorColumn() const { return cursorCol_; }
    // Moves the cursor to a screen position (0-based, from the screen's top left).
    void setCursorOnScreen(int row, int column);
    // Moves the cursor to a row index and column, adding rows as needed.
    void setCursor(int row, int column);

    uint8_t attribute() const { return attr_; }
    void setAttribute(uint8_t attr) { attr_ = attr; }
    uint8_t defaultAttribute() const { return defaultAttr_; }
    // Spreads an attribute over every cell and makes it the default and current one.
    void fillAttribute(uint8_t attr);

    const std::u16string& title() const { return title_; }
    void setTitle(std::u16string title) { title_ = std::move(title); }

    // Output.
    void put(char32_t ch);
    void carriageReturn() { cursorCol_ = 0; pendingWrap_ = false; }
    void lineFeed();
    void backspace();
    void tab();
    // 0: cursor to end, 1: start to cursor, 2: whole line.
    void eraseInLine(int mode);
    // 0: cursor to end, 1: start to cursor, 2: the visible screen, 3: the scroll-back.
    void eraseInDisplay(int mode);
    // Writes a cell without moving the cursor (the line editor draws this way).
    void setCell(int row, int column, Cell cell);

    // The text of a row without trailing blanks.
    std::u16string rowText(int index) const;
    // All rows' text, one line each.
    std::vector<std::u16string> lines() const;
    // Text between two positions (row, column), both inclusive of the first and exclusive
    // of the last, rows joined with line feeds and trailing blanks removed.
    std::u16string text(int row1, int col1, int row2, int col2) const;

    // Grows on every change; the view repaints when it has moved.
    uint64_t revision() const { return revision_; }

private:
    void ensureRow(int index);
    void trim();

    std::deque<std::vector<Cell>> lines_;
    int columns_;
    int rows_;
    int scrollBack_;
    int64_t dropped_ = 0;
    int cursorRow_ = 0;
    int cursorCol_ = 0;
    bool pendingWrap_ = false; // the last column was written; the next character wraps
    uint8_t attr_ = 0xF0;
    uint8_t defaultAttr_ = 0xF0;
    std::u16string title_;
    uint64_t revision_ = 0;
};

} // namespace console
