#include "symbols/TagParser.h"

#include <charconv>

namespace symbols {

namespace {

bool readNumber(std::string_view s, int& out)
{
    if (s.empty())
        return false;
    int v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < 0)
        return false;
    out = v;
    return true;
}

// The end of a pattern address that starts at s[0] (its delimiter): the index of the
// closing delimiter, or npos. A delimiter after a backslash is part of the pattern, and so
// is any "$" that is not right before the closing delimiter.
size_t patternEnd(std::string_view s)
{
    const char delim = s[0];
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
            continue;
        }
        if (s[i] == delim)
            return i;
    }
    return std::string_view::npos;
}

} // namespace

bool parseTagLine(std::string_view s, LetterGroup group, TagRecord& out)
{
    out = TagRecord();
    if (s.empty() || s[0] == '!')
        return false;
    const size_t tab1 = s.find('\t');
    if (tab1 == 0 || tab1 == std::string_view::npos)
        return false;
    out.name.assign(s.substr(0, tab1));
    const size_t tab2 = s.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos)
        return false;
    std::string_view rest = s.substr(tab2 + 1);
    int addressLine = 0;
    if (!rest.empty() && (rest[0] == '/' || rest[0] == '?')) {
        const size_t end = patternEnd(rest);
        if (end == std::string_view::npos)
            return false;
        std::string_view pattern = rest.substr(1, end - 1);
        if (!pattern.empty() && pattern.front() == '^')
            pattern.remove_prefix(1);
        if (!pattern.empty() && pattern.back() == '$')
            pattern.remove_suffix(1);
        out.pattern.assign(pattern);
        out.hasPattern = true;
        rest.remove_prefix(end + 1);
    } else {
        size_t digits = 0;
        while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
            ++digits;
        if (!readNumber(rest.substr(0, digits), addressLine))
            return false;
        rest.remove_prefix(digits);
    }
    if (rest.substr(0, 2) == ";\"")
        rest.remove_prefix(2);
    if (!rest.empty() && rest[0] != '\t')
        return false;
    out.line = addressLine;
    // The extension fields: key:value, or the kind letter alone.
    while (!rest.empty()) {
        rest.remove_prefix(1);   // the tab
        const size_t next = rest.find('\t');
        const std::string_view field = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
        const size_t colon = field.find(':');
        if (colon == std::string_view::npos) {
            out.kind = field.size() == 1 ? kindForLetter(group, field[0]) : 0;
            continue;
        }
        const std::string_view key = field.substr(0, colon);
        const std::string_view value = field.substr(colon + 1);
        if (key == "line") {
            int n = 0;
            if (readNumber(value, n))
                out.line = n;
        } else if (key == "class" || key == "struct" || key == "union") {
            out.scope.assign(value);
            out.hasScope = true;
        } else if (key == "kind" && value.size() == 1) {
            out.kind = kindForLetter(group, value[0]);
        }
    }
    return true;
}

TagStream::TagStream(LetterGroup group, uint32_t lowMask, uint32_t highMask, Deliver deliver)
    : group_(group), low_(lowMask), high_(highMask), deliver_(std::move(deliver))
{
}

void TagStream::feed(std::string_view chunk)
{
    size_t start = 0;
    for (;;) {
        const size_t lf = chunk.find('\n', start);
        if (lf == std::string_view::npos)
            break;
        std::string_view piece = chunk.substr(start, lf - start);
        if (!carry_.empty()) {
            carry_.append(piece);
            line(carry_);
            carry_.clear();
        } else {
            line(piece);
        }
        start = lf + 1;
    }
    carry_.append(chunk.substr(start));
}

void TagStream::finish()
{
    if (!carry_.empty()) {
        line(carry_);
        carry_.clear();
    }
}

void TagStream::line(std::string_view text)
{
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    if (text.empty() || text[0] == '!')
        return;
    TagRecord tag;
    if (!parseTagLine(text, group_, tag)) {
        ++skipped_;
        return;
    }
    if (!kindSelected(tag.kind, low_, high_))
        return;
    ++delivered_;
    deliver_(tag);
}

} // namespace symbols
