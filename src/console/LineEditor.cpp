#include "console/LineEditor.h"

#include <algorithm>

namespace console {

void LineEditor::begin(std::u16string initial, char32_t wakeChar, bool continuing)
{
    if (!continuing || startRow_ < model_.dropped()) {
        startRow_ = model_.dropped() + model_.cursorRow();
        startCol_ = model_.cursorColumn();
        shown_ = 0;
    }
    wake_ = wakeChar;
    active_ = true;
    historyPos_ = int(history_.size());
    setText(std::move(initial));
}

std::pair<int, int> LineEditor::place(int i) const
{
    const int cols = model_.columns();
    const int64_t linear = int64_t(startCol_) + i;
    return {int(startRow_ - model_.dropped() + linear / cols), int(linear % cols)};
}

void LineEditor::setText(std::u16string t)
{
    text_ = std::move(t);
    caret_ = int(text_.size());
    redraw();
}

void LineEditor::redraw()
{
    const uint8_t attr = model_.attribute();
    const int n = int(text_.size());
    for (int i = 0; i < std::max(n, shown_); ++i) {
        auto [r, c] = place(i);
        if (r >= 0)
            model_.setCell(r, c, Cell{i < n ? char32_t(text_[size_t(i)]) : U' ', attr});
    }
    shown_ = n;
    // Rows added at the bottom may have pushed old ones out: the start moves with them.
    auto [r, c] = place(caret_);
    model_.setCursor(std::max(0, r), c);
}

LineEditor::Result LineEditor::finish()
{
    Result res;
    res.done = true;
    res.text = text_;
    active_ = false;
    caret_ = int(text_.size());
    auto [r, c] = place(caret_);
    model_.setCursor(std::max(0, r), c);
    if (c != 0 || text_.empty()) {
        model_.carriageReturn();
        model_.lineFeed();
    }
    shown_ = 0;
    return res;
}

LineEditor::Result LineEditor::key(const KeyPress& k)
{
    Result none;
    if (!active_)
        return none;
    switch (k.code) {
    case KeyPress::Enter: {
        if (!text_.empty() && (history_.empty() || history_.back() != text_)) {
            history_.push_back(text_);
            if (int(history_.size()) > HistorySize)
                history_.erase(history_.begin());
        }
        return finish();
    }
    case KeyPress::Interrupt: {
        // Ctrl+C gives up the line: "^C" after it, and an empty line to the reader.
        caret_ = int(text_.size());
        text_ += u"^C";
        redraw();
        Result res = finish();
        res.text.clear();
        res.interrupted = true;
        return res;
    }
    case KeyPress::Backspace:
        if (caret_ > 0) {
            text_.erase(size_t(caret_ - 1), 1);
            --caret_;
            redraw();
        }
        return none;
    case KeyPress::Delete:
        if (caret_ < int(text_.size())) {
            text_.erase(size_t(caret_), 1);
            redraw();
        }
        return none;
    case KeyPress::Left: caret_ = std::max(0, caret_ - 1); redraw(); return none;
    case KeyPress::Right: caret_ = std::min(int(text_.size()), caret_ + 1); redraw(); return none;
    case KeyPress::Home: caret_ = 0; redraw(); return none;
    case KeyPress::End: caret_ = int(text_.size()); redraw(); return none;
    case KeyPress::Escape: setText(std::u16string()); return none;
    case KeyPress::Up:
        if (historyPos_ > 0) {
            --historyPos_;
            setText(history_[size_t(historyPos_)]);
        }
        return none;
    case KeyPress::Down:
        if (historyPos_ < int(history_.size())) {
            ++historyPos_;
            setText(historyPos_ < int(history_.size()) ? history_[size_t(historyPos_)] : std::u16string());
        }
        return none;
    case KeyPress::Char:
        break;
    }
    if (wake_ != 0 && k.ch == wake_) {
        Result res;
        res.done = true;
        res.text = text_;
        res.woke = true;
        res.shift = k.shift;
        active_ = false; // the next read continues in place
        return res;
    }
    if (k.ch == U'\r' || k.ch == U'\n') {
        KeyPress enter;
        enter.code = KeyPress::Enter;
        return key(enter);
    }
    if (k.ch < 0x20 || k.ch == 0x7f)
        return none;
    std::u16string add;
    if (k.ch >= 0x10000) {
        add += char16_t(0xD800 + ((k.ch - 0x10000) >> 10));
        add += char16_t(0xDC00 + ((k.ch - 0x10000) & 0x3FF));
    } else {
        add += char16_t(k.ch);
    }
    text_.insert(size_t(caret_), add);
    caret_ += int(add.size());
    redraw();
    return none;
}

} // namespace console
