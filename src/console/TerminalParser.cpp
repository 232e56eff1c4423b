#include "console/TerminalParser.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace console {

namespace {

constexpr int kMap[8] = {0, 4, 2, 6, 1, 5, 3, 7}; // ANSI index <-> console colour (self-inverse)

std::vector<int> numbers(const std::string& params)
{
    std::vector<int> out;
    int v = 0;
    bool any = false;
    for (char c : params) {
        if (c >= '0' && c <= '9') {
            v = std::min(v * 10 + (c - '0'), 100000);
            any = true;
        } else if (c == ';') {
            out.push_back(any ? v : -1);
            v = 0;
            any = false;
        }
    }
    out.push_back(any ? v : -1);
    return out;
}

} // namespace

int consoleColour(int ansiIndex) { return kMap[ansiIndex & 7]; }
int ansiColour(int c) { return kMap[c & 7]; }

std::string sgrFor(int attr)
{
    int fg = attr & 15, bg = (attr >> 4) & 15;
    return "\033[0;" + std::to_string(30 + ansiColour(fg) + ((fg & 8) ? 60 : 0)) + ";"
           + std::to_string(40 + ansiColour(bg) + ((bg & 8) ? 60 : 0)) + "m";
}

void TerminalParser::feed(std::string_view bytes)
{
    for (unsigned char c : bytes) {
        switch (state_) {
        case State::Text:
            if (need_ > 0) {
                if ((c & 0xC0) == 0x80) {
                    utf8_ += char(c);
                    if (--need_ == 0) {
                        const auto* b = reinterpret_cast<const unsigned char*>(utf8_.data());
                        char32_t v = utf8_.size() == 2 ? char32_t(((b[0] & 0x1F) << 6) | (b[1] & 0x3F))
                                   : utf8_.size() == 3 ? char32_t(((b[0] & 0x0F) << 12) | ((b[1] & 0x3F) << 6) | (b[2] & 0x3F))
                                                       : char32_t(((b[0] & 0x07) << 18) | ((b[1] & 0x3F) << 12)
                                                                  | ((b[2] & 0x3F) << 6) | (b[3] & 0x3F));
                        model_.put(v);
                        utf8_.clear();
                    }
                    continue;
                }
                // A broken sequence shows as one replacement character.
                model_.put(U'\xFFFD');
                need_ = 0;
                utf8_.clear();
            }
            if (c == 0x1b) {
                state_ = State::Escape;
            } else if (c < 0x20 || c == 0x7f) {
                control(c);
            } else if (c < 0x80) {
                model_.put(char32_t(c));
            } else if (c >= 0xC2 && c <= 0xF4) {
                utf8_.assign(1, char(c));
                need_ = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
            } else {
                model_.put(U'\xFFFD');
            }
            break;
        case State::Escape:
            if (c == '[') {
                state_ = State::Csi;
                params_.clear();
            } else if (c == ']') {
                state_ = State::Osc;
                osc_.clear();
            } else if (c == '(' || c == ')' || c == '*' || c == '+') {
                state_ = State::Charset; // a character set choice: one more character
            } else {
                state_ = State::Text; // a two-character sequence we do not use
            }
            break;
        case State::Charset:
            state_ = State::Text;
            break;
        case State::Csi:
            if (c >= 0x40 && c <= 0x7e) {
                csi(char(c));
                state_ = State::Text;
            } else if (params_.size() < 64) {
                params_ += char(c);
            }
            break;
        case State::Osc:
            if (c == 0x07) {
                osc();
                state_ = State::Text;
            } else if (c == 0x1b) {
                state_ = State::OscEscape;
            } else if (osc_.size() < 4096) {
                osc_ += char(c);
            }
            break;
        case State::OscEscape:
            osc();
            state_ = c == 0x1b ? State::Escape : State::Text;
            break;
        }
    }
}

void TerminalParser::control(unsigned char c)
{
    switch (c) {
    case '\r': model_.carriageReturn(); break;
    case '\n': model_.lineFeed(); break;
    case '\b': model_.backspace(); break;
    case '\t': model_.tab(); break;
    case '\f':
        model_.eraseInDisplay(3);
        model_.eraseInDisplay(2);
        model_.setCursorOnScreen(0, 0);
        break;
    default: break; // bell and the rest
    }
}

void TerminalParser::csi(char final)
{
    if (!params_.empty() && (params_[0] == '?' || params_[0] == '>' || params_[0] == '='))
        return; // private modes: cursor shape, bracketed paste and the like
    const std::vector<int> n = numbers(params_);
    auto arg = [&](size_t i, int def) { return i < n.size() && n[i] > 0 ? n[i] : def; };
    const int row = model_.cursorRow() - (model_.rowCount() < model_.screenRows() ? 0 : model_.screenTop());
    switch (final) {
    case 'm': sgr(); break;
    case 'K': model_.eraseInLine(std::max(0, n[0])); break;
    case 'J': model_.eraseInDisplay(std::max(0, n[0])); break;
    case 'H': case 'f': model_.setCursorOnScreen(arg(0, 1) - 1, arg(1, 1) - 1); break;
    case 'G': model_.setCursor(model_.cursorRow(), arg(0, 1) - 1); break;
    case 'A': model_.setCursorOnScreen(row - arg(0, 1), model_.cursorColumn()); break;
    case 'B': model_.setCursorOnScreen(row + arg(0, 1), model_.cursorColumn()); break;
    case 'C': model_.setCursor(model_.cursorRow(), model_.cursorColumn() + arg(0, 1)); break;
    case 'D': model_.setCursor(model_.cursorRow(), model_.cursorColumn() - arg(0, 1)); break;
    default: break;
    }
}

void TerminalParser::sgr()
{
    std::vector<int> n = numbers(params_);
    int attr = model_.attribute();
    const int def = model_.defaultAttribute();
    for (size_t i = 0; i < n.size(); ++i) {
        int v = std::max(0, n[i]);
        if (v == 0) {
            attr = def;
            bold_ = false;
        } else if (v == 1) {
            attr |= 0x08;
            bold_ = true;
        } else if (v == 22) {
            attr &= ~0x08;
            bold_ = false;
        }
        else if (v == 7)
            attr = ((attr & 15) << 4) | ((attr >> 4) & 15);
        else if (v >= 30 && v <= 37)
            attr = (attr & 0xF0) | consoleColour(v - 30) | (bold_ ? 8 : 0);
        else if (v >= 90 && v <= 97)
            attr = (attr & 0xF0) | consoleColour(v - 90) | 8;
        else if (v == 39)
            attr = (attr & 0xF0) | (def & 15);
        else if (v >= 40 && v <= 47)
            attr = (attr & 0x0F) | (consoleColour(v - 40) << 4);
        else if (v >= 100 && v <= 107)
            attr = (attr & 0x0F) | ((consoleColour(v - 100) | 8) << 4);
        else if (v == 49)
            attr = (attr & 0x0F) | (def & 0xF0);
        else if (v == 38 || v == 48)
            break; // 256 and true colours are not in the console's palette
    }
    model_.setAttribute(uint8_t(attr));
}

void TerminalParser::osc()
{
    size_t semi = osc_.find(';');
    int code = std::atoi(osc_.substr(0, semi).c_str());
    std::string_view text = semi == std::string::npos ? std::string_view() : std::string_view(osc_).substr(semi + 1);
    if (code == 0 || code == 2) {
        // The title is UTF-8 like the rest of the output.
        ScreenModel scratch(int(text.size()) + 2, 1, 1);
        TerminalParser p(scratch);
        p.feed(text);
        model_.setTitle(scratch.rowText(0));
    } else if (code >= 7770 && onPrivate) {
        onPrivate(code, text);
    }
}

} // namespace console
