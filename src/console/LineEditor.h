#pragma once
// The command window's line editor: the interpreter's line reads are edited here, drawn
// into the screen model from where the read started. Keys in, a finished line out.
#include "console/ScreenModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace console {

struct KeyPress {
    enum Code { Char, Enter, Backspace, Delete, Left, Right, Home, End, Up, Down, Escape, Interrupt };
    Code code = Char;
    char32_t ch = 0; // for Char: the character (control characters included)
    bool shift = false;
};

class LineEditor {
public:
    struct Result {
        bool done = false;        // the read is over
        std::u16string text;      // the whole line, initial text included
        bool woke = false;        // ended by the completion key
        bool shift = false;       // ... with Shift held
        bool interrupted = false; // ended by Ctrl+C (the text is empty)
    };

    static constexpr int HistorySize = 50;

    explicit LineEditor(ScreenModel& model) : model_(model) {}

    // Starts a read at the cursor with `initial` shown as typed. A read that follows one
    // ended by the completion key (`continuing`) redraws over the same place, blanking
    // what is left of the longer previous text.
    void begin(std::u16string initial, char32_t wakeChar, bool continuing);
    bool active() const { return active_; }
    // Ends the read without a result (the reader went away).
    void cancel() { active_ = false; }

    Result key(const KeyPress& k);

    const std::u16string& text() const { return text_; }
    int caret() const { return caret_; }
    const std::vector<std::u16string>& history() const { return history_; }

private:
    void redraw();
    // Row index and column of position `i` of the text.
    std::pair<int, int> place(int i) const;
    void setText(std::u16string t);
    Result finish();

    ScreenModel& model_;
    bool active_ = false;
    std::u16string text_;
    int caret_ = 0;
    int shown_ = 0;          // characters drawn last time
    int64_t startRow_ = 0;   // row number (dropped rows included) where the read started
    int startCol_ = 0;
    char32_t wake_ = 0;
    std::vector<std::u16string> history_;
    int historyPos_ = 0;
};

} // namespace console
