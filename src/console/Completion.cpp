// File-name completion for the console reader.
#include "console/Interpreter.h"

#include "console/FileNames.h"

#include <algorithm>

namespace console {

ustring Interpreter::completeLine(uview typed, bool shift)
{
    if (typed != lastCompletion_ || completions_.empty()) {
        // A new round: the word starts after the last blank outside quotes, or at the
        // last opening quote.
        size_t wordStart = 0;
        bool quoted = false;
        size_t openQuote = ustring::npos;
        for (size_t i = 0; i < typed.size(); ++i) {
            if (typed[i] == '"') {
                quoted = !quoted;
                if (quoted)
                    openQuote = i;
            } else if (!quoted && isBlank(typed[i])) {
                wordStart = i + 1;
            }
        }
        if (quoted && openQuote != ustring::npos)
            wordStart = openQuote;
        ustring before(typed.substr(0, wordStart));
        ustring word = stripQuotes(typed.substr(wordStart));
        ustring native = nativePath(word);
        size_t slash = native.rfind('/');
        // The folder part the user typed is kept in front of each candidate.
        ustring folderPart = slash == ustring::npos ? ustring() : ustring(uview(word).substr(0, slash + 1));
        ustring pattern = (slash == ustring::npos ? native : native.substr(slash + 1)) + u"*";
        static const char16_t* dirCommands[] = {u"cd ", u"rd ", u"md ", u"chdir ", u"rmdir ", u"mkdir "};
        bool dirsOnly = false;
        for (const char16_t* c : dirCommands)
            dirsOnly = dirsOnly || startsWithNoCase(typed, c);
        const std::vector<ustring> entries
            = folderEntries(resolvePath(slash == ustring::npos ? u"." : native.substr(0, slash + 1)),
                            dirsOnly ? Entries::FoldersWithHidden : Entries::All);
        std::vector<ustring> names;
        for (const ustring& e : entries)
            if (wildcardMatch(pattern, e))
                names.push_back(e);
        std::sort(names.begin(), names.end(), [](const ustring& a, const ustring& b) {
            return compareNoCase(a, b) < 0;
        });
        completions_.clear();
        bool wordBlank = std::any_of(word.begin(), word.end(), isBlank);
        for (const auto& n : names) {
            ustring text = folderPart + n;
            if (wordBlank || std::any_of(n.begin(), n.end(), isBlank))
                text = u"\"" + text + u"\"";
            completions_.push_back(before + text);
        }
        completionIndex_ = -1;
        if (completions_.empty())
            return ustring(typed);
    }
    int count = int(completions_.size());
    if (completionIndex_ < 0)
        completionIndex_ = shift ? count - 1 : 0;
    else
        completionIndex_ = (completionIndex_ + (shift ? count - 1 : 1)) % count;
    lastCompletion_ = completions_[size_t(completionIndex_)];
    return lastCompletion_;
}

} // namespace console
