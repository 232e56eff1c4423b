#include "console/Console.h"

namespace console {

IConsole::LineResult ScriptedConsole::readLine(uview initial, char16_t wakeChar)
{
    initials_.push_back(ustring(initial));
    LineResult r;
    if (lines_.empty()) {
        r.eof = true;
        return r;
    }
    ustring line = lines_.front();
    lines_.pop_front();
    // A scripted line may carry the wake-up character: the read ends there and the
    // rest of the script line is kept for the next read.
    if (wakeChar) {
        size_t w = line.find(wakeChar);
        if (w != ustring::npos) {
            r.text = ustring(initial) + line.substr(0, w);
            r.woke = true;
            if (w + 1 < line.size())
                lines_.push_front(line.substr(w + 1));
            else
                lines_.push_front(u"");
            return r;
        }
    }
    r.text = ustring(initial) + line;
    output_ += line.substr(0) + u"\r\n";
    return r;
}

std::optional<char16_t> ScriptedConsole::readKey()
{
    if (keys_.empty())
        return std::nullopt;
    char16_t k = keys_.front();
    keys_.pop_front();
    return k;
}

} // namespace console
