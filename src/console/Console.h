#pragma once
// The console the interpreter reads and writes: a terminal for velmocmd, the docked
// window inside the editor, or a scripted double in tests.
#include "console/Text.h"

#include <deque>
#include <optional>

namespace console {

class IConsole {
public:
    virtual ~IConsole() = default;

    struct LineResult {
        ustring text;       // the line without its line end
        bool eof = false;   // input is exhausted (text is empty)
        bool woke = false;  // the wake-up character ended the read early
        bool shift = false; // Shift was held with the wake-up character
    };
    // Reads one line. `initial` is shown as already typed; `wakeChar` (a control
    // character, 0 for none) ends the read early so that the caller can complete a word.
    virtual LineResult readLine(uview initial, char16_t wakeChar) = 0;
    // Waits for one key; nothing at end of input.
    virtual std::optional<char16_t> readKey() = 0;
    virtual void write(uview text) = 0;

    virtual bool isConsole() const { return true; }
    virtual ustring title() const = 0;
    virtual void setTitle(uview title) = 0;
    virtual int attribute() const { return 0x07; }
    virtual void setAttribute(int attr) { (void)attr; }
    // Spreads the attribute over the whole screen.
    virtual void fillAttribute(int attr) { (void)attr; }
    virtual void clearScreen() {}
    virtual int cursorColumn() const { return 0; }
    virtual void setCursor(int column, int row) { (void)column; (void)row; }
    // The native descriptor a child process gets for standard handle 0, 1 or 2 when
    // that handle is this console; -1 when the console has none.
    virtual int nativeHandle(int stdHandle) const { (void)stdHandle; return -1; }
    // The terminal descriptor whose foreground a child takes, -1 when there is none.
    virtual int terminalDescriptor() const { return -1; }
    // Whether the console is the terminal of the interpreter's own process: children
    // that are not given the terminal then stay in the interpreter's process group, as
    // part of whatever job the interpreter belongs to.
    virtual bool sharesProcessGroup() const { return false; }
};

// A console fed from a script of lines and keys; it records everything written.
class ScriptedConsole : public IConsole {
public:
    void addLine(uview line) { lines_.push_back(ustring(line)); }
    void addKey(char16_t key) { keys_.push_back(key); }
    LineResult readLine(uview initial, char16_t wakeChar) override;
    std::optional<char16_t> readKey() override;
    void write(uview text) override { output_ += text; }
    ustring title() const override { return title_; }
    void setTitle(uview title) override { title_ = ustring(title); }
    int attribute() const override { return attr_; }
    void setAttribute(int attr) override { attr_ = attr; }
    void fillAttribute(int attr) override { attr_ = attr; }
    void clearScreen() override { output_ += u"\f"; }

    const ustring& output() const { return output_; }
    void clearOutput() { output_.clear(); }
    // Lines handed out so far, with the initial text each read started from.
    const std::vector<ustring>& initialTexts() const { return initials_; }

private:
    std::deque<ustring> lines_;
    std::deque<char16_t> keys_;
    std::vector<ustring> initials_;
    ustring output_;
    ustring title_;
    int attr_ = 0x07;
};

} // namespace console
