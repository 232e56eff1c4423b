#pragma once
// The terminal subset the command window understands, from the bytes its children and
// the interpreter write: UTF-8 text, CR, LF, BS, TAB, SGR colours, erase in line and in
// display, cursor position and the window title. Anything else is skipped.
#include "console/ScreenModel.h"

#include <functional>
#include <string>
#include <string_view>

namespace console {

// The console attribute of an SGR colour index (0-7, ANSI order) and the reverse.
int consoleColour(int ansiIndex);
int ansiColour(int consoleColour);
// The SGR sequence that selects a console attribute.
std::string sgrFor(int attr);

class TerminalParser {
public:
    explicit TerminalParser(ScreenModel& model) : model_(model) {}

    void feed(std::string_view bytes);

    // A private OSC number (7770 and up) with its text; the pane's console marks its
    // requests in the output stream this way, so that they are seen in order.
    std::function<void(int code, std::string_view text)> onPrivate;

private:
    void control(unsigned char c);
    void csi(char final);
    void osc();
    void sgr();

    enum class State { Text, Escape, Charset, Csi, Osc, OscEscape };
    ScreenModel& model_;
    State state_ = State::Text;
    std::string params_;
    std::string osc_;
    std::string utf8_; // bytes of an incomplete character
    int need_ = 0;
    bool bold_ = false; // SGR 1: the foreground colours are the bright ones
};

} // namespace console
