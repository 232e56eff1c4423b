#pragma once
// The console of velmocmd: the process's terminal. Lines come from standard input in
// the terminal's own line mode; output goes to standard output.
#include "console/Console.h"

namespace console {

class TerminalConsole : public IConsole {
public:
    TerminalConsole();
    LineResult readLine(uview initial, char16_t wakeChar) override;
    std::optional<char16_t> readKey() override;
    void write(uview text) override;
    bool isConsole() const override { return true; }
    ustring title() const override { return title_; }
    void setTitle(uview title) override;
    int attribute() const override { return attr_; }
    void setAttribute(int attr) override;
    void fillAttribute(int attr) override;
    void clearScreen() override;
    int nativeHandle(int stdHandle) const override { return stdHandle; }
    int terminalDescriptor() const override { return inputIsTerminal_ ? 0 : -1; }
    bool sharesProcessGroup() const override { return true; }

private:
    LineResult readEdited(uview initial, char16_t wakeChar);

    bool outputIsTerminal_ = false;
    // Characters of the line being edited that are on the screen (for redrawing after
    // a completion).
    size_t shown_ = 0;
    bool inputIsTerminal_ = false;
    ustring title_;
    int attr_ = 0x07;
};

} // namespace console
