#include "documents/text/AssistText.h"

#include <algorithm>
#include <cctype>

namespace assist {

namespace {

// Words of the document hold digits too: "item2" completes as a whole.
constexpr std::string_view kDefaultWordCharacters =
    "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool in(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

char lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

bool startsWith(std::string_view text, std::string_view prefix, bool ignoreCase)
{
    if (text.size() < prefix.size())
        return false;
    if (!ignoreCase)
        return text.compare(0, prefix.size(), prefix) == 0;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    return true;
}

std::string_view cutAt(std::string_view entry, std::string_view chars)
{
    const size_t p = entry.find_first_of(chars);
    return p == std::string_view::npos ? entry : entry.substr(0, p);
}

} // namespace

std::vector<std::string> parseApi(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool isWordChar(unsigned char c, std::string_view wordCharacters)
{
    if (c >= 0x80)
        return true;
    return in(char(c), wordCharacters.empty() ? kDefaultWordCharacters : wordCharacters);
}

TipWord findTipWord(std::string_view line, const TipSettings& s)
{
    TipWord tip;
    size_t pos = line.size();
    const std::string_view wc = s.wordCharacters;
    while (true) {
        int depth = 0;
        while (pos > 0) {
            const char c = line[pos - 1];
            if (in(c, s.parametersEnd)) {
                ++depth;
            } else if (in(c, s.parametersStart)) {
                if (depth == 0)
                    break;
                --depth;
            }
            --pos;
        }
        if (pos == 0)
            return tip;
        --pos;   // the parameters-start character
        while (pos > 0 && (line[pos - 1] == ' ' || line[pos - 1] == '\t'))
            --pos;
        if (pos == 0)
            return tip;
        if (isWordChar(static_cast<unsigned char>(line[pos - 1]), wc))
            break;
    }
    size_t start = pos;
    while (start > 0 && isWordChar(static_cast<unsigned char>(line[start - 1]), wc))
        --start;
    tip.found = true;
    tip.start = start;
    tip.word = std::string(line.substr(start, pos - start));
    return tip;
}

std::vector<std::string> tipEntries(const std::vector<std::string>& api, std::string_view word, const TipSettings& s)
{
    std::vector<std::string> out;
    if (word.empty())
        return out;
    for (const std::string& entry : api) {
        const std::string_view name = cutAt(entry, s.parametersStart);
        if (name.size() == entry.size())
            continue;   // no parameter list: not a function
        if (name.size() == word.size() && startsWith(name, word, s.ignoreCase))
            out.push_back(entry);
    }
    return out;
}

std::string tipDefinition(const std::string& first, size_t count, const TipSettings& s)
{
    std::string def = first;
    const bool several = count > 1;
    if (several)
        def.insert(def.begin(), '\001');
    if (s.endDefinition.empty()) {
        if (several)
            def.insert(1, 1, '\002');
        return def;
    }
    const size_t at = def.find(s.endDefinition);
    if (at != std::string::npos && at > 1 && at + s.endDefinition.size() < def.size()) {
        def.insert(at + s.endDefinition.size(), several ? "\n\002" : "\n");
    } else if (several) {
        def += "\n\002";
    }
    return def;
}

std::pair<size_t, size_t> tipHighlight(std::string_view def, std::string_view typed, const TipSettings& s)
{
    // Parameters already typed: separators at brace depth 1.
    int depth = 0;
    int commas = 0;
    for (char c : typed) {
        if (in(c, s.parametersStart))
            ++depth;
        else if (in(c, s.parametersEnd))
            --depth;
        else if (depth == 1 && in(c, s.separators))
            ++commas;
    }
    size_t start = def.find_first_of(s.parametersStart);
    if (start == std::string_view::npos)
        return {0, 0};
    ++start;
    for (; commas > 0 && start < def.size(); ++start) {
        if (in(def[start], s.parametersEnd))
            break;
        if (in(def[start], s.separators))
            --commas;
    }
    if (commas > 0)
        return {0, 0};
    size_t end = start;
    while (end < def.size() && !in(def[end], s.separators) && !in(def[end], s.parametersEnd))
        ++end;
    return {start, end};
}

std::string completionRoot(std::string_view line, std::string_view characters)
{
    size_t start = line.size();
    while (start > 0 && in(line[start - 1], characters))
        --start;
    return std::string(line.substr(start));
}

std::vector<std::string> apiCompletions(const std::vector<std::string>& api, std::string_view root, bool ignoreCase,
                                        std::string_view parametersStart)
{
    std::vector<std::string> out;
    for (const std::string& entry : api) {
        const std::string_view name = cutAt(entry, parametersStart.empty() ? std::string_view("(") : parametersStart);
        if (!name.empty() && startsWith(name, root, ignoreCase))
            out.emplace_back(name);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

WordResult collectWords(std::string_view text, const WordSearch& q)
{
    WordResult r;
    const std::string_view root = q.root;
    if (root.empty())
        return r;
    const std::string_view wc = q.wordCharacters;
    auto word = [&](size_t i) { return isWordChar(static_cast<unsigned char>(text[i]), wc); };
    const char first = root[0];
    const char firstOther = q.ignoreCase ? char(std::isupper(static_cast<unsigned char>(first))
                                                    ? std::tolower(static_cast<unsigned char>(first))
                                                    : std::toupper(static_cast<unsigned char>(first)))
                                         : first;
    for (size_t i = 0; i + root.size() <= text.size(); ++i) {
        if (text[i] != first && text[i] != firstOther)
            continue;
        if (i > 0 && word(i - 1))
            continue;   // not at a word start
        if (!startsWith(text.substr(i), root, q.ignoreCase))
            continue;
        size_t end = i + root.size();
        while (end < text.size() && word(end))
            ++end;
        if (i != q.skipAt && end - i > root.size()) {
            std::string w(text.substr(i, end - i));
            if (std::find(r.words.begin(), r.words.end(), w) == r.words.end()) {
                if (q.singleCandidate && !r.words.empty()) {
                    r.words.clear();
                    r.ambiguous = true;
                    return r;
                }
                r.words.push_back(std::move(w));
            }
        }
        i = end > i ? end - 1 : i;
    }
    std::sort(r.words.begin(), r.words.end());
    return r;
}

std::string closingTagName(std::string_view before)
{
    if (before.size() > 511)
        before = before.substr(before.size() - 511);
    if (before.size() < 3 || before.back() != '>' || before[before.size() - 2] == '/')
        return {};
    size_t i = before.size() - 1;
    while (i > 0) {
        --i;
        if (before[i] == '>')
            return {};
        if (before[i] == '<') {
            size_t end = i + 1;
            while (end < before.size() - 1
                   && (std::isalnum(static_cast<unsigned char>(before[end])) || in(before[end], ":_-.")))
                ++end;
            return std::string(before.substr(i + 1, end - i - 1));
        }
    }
    return {};
}

CommentAction blockCommentAction(std::string_view fromInsertion, std::string_view comment)
{
    if (fromInsertion.empty())
        return CommentAction::Skip;
    if (fromInsertion.substr(0, comment.size()) == comment)
        return CommentAction::Remove;
    return CommentAction::Add;
}

size_t blockCommentRemoval(std::string_view fromInsertion, std::string_view comment)
{
    size_t n = comment.size();
    if (fromInsertion.size() > n && fromInsertion[n] == ' ')
        ++n;
    return n;
}

} // namespace assist
