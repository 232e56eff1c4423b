#include "console/ScreenModel.h"

#include <algorithm>

namespace console {

ScreenModel::ScreenModel(int columns, int rows, int scrollBack)
    : columns_(std::max(1, columns)), rows_(std::max(1, rows)), scrollBack_(std::max(rows, scrollBack))
{
    lines_.emplace_back();
}

void ScreenModel::resize(int columns, int rows)
{
    columns_ = std::max(1, columns);
    rows_ = std::max(1, rows);
    scrollBack_ = std::max(scrollBack_, rows_);
    cursorCol_ = std::min(cursorCol_, columns_ - 1);
    pendingWrap_ = false;
    ++revision_;
}

int ScreenModel::screenTop() const { return std::max(0, rowCount() - rows_); }

void ScreenModel::ensureRow(int index)
{
    while (rowCount() <= index)
        lines_.emplace_back();
}

void ScreenModel::trim()
{
    while (rowCount() > scrollBack_) {
        lines_.pop_front();
        ++dropped_;
        --cursorRow_;
    }
    cursorRow_ = std::max(0, cursorRow_);
}

void ScreenModel::setCursorOnScreen(int row, int column)
{
    // The screen is the last rows; a position below the rows held adds rows.
    int top = screenTop();
    if (rowCount() < rows_)
        top = 0;
    setCursor(top + std::clamp(row, 0, rows_ - 1), column);
}

void ScreenModel::setCursor(int row, int column)
{
    ensureRow(std::max(0, row));
    cursorRow_ = std::max(0, row);
    cursorCol_ = std::clamp(column, 0, columns_ - 1);
    pendingWrap_ = false;
    trim();
    ++revision_;
}

void ScreenModel::fillAttribute(uint8_t attr)
{
    for (auto& line : lines_)
        for (Cell& c : line)
            c.attr = attr;
    attr_ = defaultAttr_ = attr;
    ++revision_;
}

void ScreenModel::setCell(int row, int column, Cell cell)
{
    if (row < 0 || column < 0)
        return;
    ensureRow(row);
    auto& line = lines_[size_t(row)];
    if (int(line.size()) <= column)
        line.resize(size_t(column) + 1, Cell{U' ', defaultAttr_});
    line[size_t(column)] = cell;
    ++revision_;
}

void ScreenModel::put(char32_t ch)
{
    if (pendingWrap_) {
        pendingWrap_ = false;
        cursorCol_ = 0;
        lineFeed();
    }
    ensureRow(cursorRow_);
    auto& line = lines_[size_t(cursorRow_)];
    if (int(line.size()) <= cursorCol_)
        line.resize(size_t(cursorCol_) + 1, Cell{U' ', defaultAttr_});
    line[size_t(cursorCol_)] = Cell{ch, attr_};
    if (cursorCol_ + 1 >= columns_)
        pendingWrap_ = true;
    else
        ++cursorCol_;
    ++revision_;
}

void ScreenModel::lineFeed()
{
    pendingWrap_ = false;
    ++cursorRow_;
    ensureRow(cursorRow_);
    trim();
    ++revision_;
}

void ScreenModel::backspace()
{
    if (pendingWrap_)
        pendingWrap_ = false;
    else if (cursorCol_ > 0)
        --cursorCol_;
    ++revision_;
}

void ScreenModel::tab()
{
    int next = std::min(columns_ - 1, (cursorCol_ / 8 + 1) * 8);
    pendingWrap_ = false;
    cursorCol_ = next;
    ++revision_;
}

void ScreenModel::eraseInLine(int mode)
{
    ensureRow(cursorRow_);
    auto& line = lines_[size_t(cursorRow_)];
    const Cell blank{U' ', attr_};
    if (mode == 0) {
        if (int(line.size()) > cursorCol_)
            line.resize(size_t(cursorCol_));
    } else if (mode == 1) {
        if (int(line.size()) <= cursorCol_)
            line.resize(size_t(cursorCol_) + 1, blank);
        std::fill(line.begin(), line.begin() + cursorCol_ + 1, blank);
    } else {
        line.clear();
    }
    ++revision_;
}

void ScreenModel::eraseInDisplay(int mode)
{
    ensureRow(cursorRow_);
    const int top = screenTop();
    if (mode == 0) {
        eraseInLine(0);
        while (rowCount() > cursorRow_ + 1)
            lines_.pop_back();
    } else if (mode == 1) {
        for (int r = top; r < cursorRow_; ++r)
            lines_[size_t(r)].clear();
        eraseInLine(1);
    } else if (mode == 2) {
        for (int r = top; r < rowCount(); ++r)
            lines_[size_t(r)].clear();
    } else if (mode == 3) {
        // The scroll-back goes; the visible screen stays where it is.
        for (int r = 0; r < top; ++r)
            lines_.pop_front();
        dropped_ += top;
        cursorRow_ = std::max(0, cursorRow_ - top);
    }
    ++revision_;
}

std::u16string ScreenModel::rowText(int index) const
{
    std::u16string out;
    if (index < 0 || index >= rowCount())
        return out;
    for (const Cell& c : lines_[size_t(index)]) {
        if (c.ch >= 0x10000) {
            char32_t v = c.ch - 0x10000;
            out += char16_t(0xD800 + (v >> 10));
            out += char16_t(0xDC00 + (v & 0x3FF));
        } else {
            out += char16_t(c.ch);
        }
    }
    while (!out.empty() && out.back() == u' ')
        out.pop_back();
    return out;
}

std::vector<std::u16string> ScreenModel::lines() const
{
    std::vector<std::u16string> out;
    out.reserve(lines_.size());
    for (int i = 0; i < rowCount(); ++i)
        out.push_back(rowText(i));
    return out;
}

std::u16string ScreenModel::text(int row1, int col1, int row2, int col2) const
{
    std::u16string out;
    for (int r = std::max(0, row1); r <= row2 && r < rowCount(); ++r) {
        std::u16string t = rowText(r);
        int from = r == row1 ? col1 : 0;
        int to = r == row2 ? col2 : int(t.size());
        from = std::clamp(from, 0, int(t.size()));
        to = std::clamp(to, from, int(t.size()));
        std::u16string part = t.substr(size_t(from), size_t(to - from));
        if (r != row1)
            out += u'\n';
        out += part;
    }
    return out;
}

} // namespace console
