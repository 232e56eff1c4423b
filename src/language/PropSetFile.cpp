#include "language/PropSetFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// Imports nest; a chain deeper than this is surely a mistake in the files.
constexpr size_t kMaxImportDepth = 64;
constexpr int kExpansionBudget = 100;
constexpr int kFileExpansionRounds = 1000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool MatchWild(std::string_view pattern, std::string_view fileName) {
    if (fileName.size() == pattern.size() && EqualNoCase(pattern, fileName))
        return true;
    if (pattern.empty() || fileName.size() + 1 < pattern.size())
        return false;
    if (pattern.front() == '*') {
        std::string_view tail = pattern.substr(1);
        return EqualNoCase(fileName.substr(fileName.size() - tail.size()), tail);
    }
    if (pattern.back() == '*') {
        std::string_view head = pattern.substr(0, pattern.size() - 1);
        return EqualNoCase(fileName.substr(0, head.size()), head);
    }
    return false;
}

std::string CanonicalOrSame(const std::string& path) {
    std::error_code ec;
    auto canon = std::filesystem::weakly_canonical(std::filesystem::path(path), ec);
    return ec ? path : canon.string();
}

} // namespace

namespace props {

int ToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;   // saturate, keep reading digits
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : -static_cast<int>(value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool MatchesPatternList(std::string_view patterns, std::string_view fileName) {
    size_t start = 0;
    while (true) {
        size_t end = patterns.find(';', start);
        std::string_view one = patterns.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (MatchWild(one, fileName))
            return true;
        if (end == std::string_view::npos)
            return false;
        start = end + 1;
    }
}

uint32_t ColourFromString(std::string_view value) {
    auto digit = [&](size_t pos) -> uint32_t {
        if (pos >= value.size())
            return 0;
        char c = value[pos];
        if (c >= '0' && c <= '9') return uint32_t(c - '0');
        if (c >= 'A' && c <= 'F') return uint32_t(c - 'A' + 10);
        if (c >= 'a' && c <= 'f') return uint32_t(c - 'a' + 10);
        return 0;
    };
    uint32_t r = digit(1) * 16 + digit(2);
    uint32_t g = digit(3) * 16 + digit(4);
    uint32_t b = digit(5) * 16 + digit(6);
    return r | (g << 8) | (b << 16);
}

StyleAndWords StyleAndWords::Parse(std::string_view value) {
    StyleAndWords result;
    result.styleNumber = ToInt(value);
    size_t blank = value.find(' ');
    if (blank != std::string_view::npos)
        result.words = std::string(value.substr(blank + 1));
    return result;
}

bool StyleAndWords::Includes(std::string_view word) const {
    std::string_view rest = words;
    while (!rest.empty()) {
        size_t blank = rest.find(' ');
        std::string_view one = rest.substr(0, blank);
        if (!one.empty() && one == word)
            return true;
        if (blank == std::string_view::npos)
            break;
        rest.remove_prefix(blank + 1);
    }
    return false;
}

} // namespace props

PropSetFile::PropSetFile(bool lowerKeys) : lowerKeys_(lowerKeys) {}

PropSetFile::~PropSetFile() = default;

void PropSetFile::Assign(std::string_view key, std::string_view value) {
    if (key.empty())
        return;
    auto it = props_.find(key);
    if (it != props_.end())
        it->second.assign(value);
    else
        props_.emplace(std::string(key), std::string(value));
}

void PropSetFile::Assign(const char* key, const char* value, long keyLen, long valueLen) {
    if (!key)
        return;
    std::string_view k = keyLen < 0 ? std::string_view(key) : std::string_view(key, size_t(keyLen));
    std::string_view v;
    if (value)
        v = valueLen < 0 ? std::string_view(value) : std::string_view(value, size_t(valueLen));
    Assign(k, v);
}

void PropSetFile::AssignLine(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && IsSpace(line[i]))
        ++i;
    line.remove_prefix(i);
    size_t lf = line.find('\n');
    if (lf != std::string_view::npos)
        line = line.substr(0, lf);
    size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        Assign(line, "1");
    else
        Assign(line.substr(0, eq), line.substr(eq + 1));
}

std::string PropSetFile::Lookup(std::string_view key) const {
    for (const PropSetFile* store = this; store; store = store->parent_) {
        auto it = store->props_.find(key);
        if (it != store->props_.end())
            return it->second;
    }
    return {};
}

std::string PropSetFile::Expand(std::string text, int& budget, std::vector<std::string>& chain) const {
    while (budget > 0) {
        size_t start = text.find("$(");
        if (start == std::string::npos)
            break;
        size_t close = text.find(')', start + 2);
        if (close == std::string::npos)
            break;
        // The innermost reference before that ")" goes first.
        size_t inner = text.rfind("$(", close);
        if (inner == std::string::npos || inner < start)
            inner = start;
        std::string name = text.substr(inner + 2, close - inner - 2);
        std::string value;
        if (std::find(chain.begin(), chain.end(), name) == chain.end())
            value = Lookup(name);
        --budget;
        if (budget >= 0) {
            chain.push_back(name);
            value = Expand(std::move(value), budget, chain);
            chain.pop_back();
        }
        if (text.size() - (close - inner + 1) + value.size() > kMaxExpandedBytes) {
            budget = 0;   // the callers stop as well
            break;
        }
        text.replace(inner, close - inner + 1, value);
    }
    return text;
}

std::string PropSetFile::LookupExpanded(std::string_view key) const {
    int budget = kExpansionBudget;
    std::vector<std::string> chain{std::string(key)};
    return Expand(Lookup(key), budget, chain);
}

int PropSetFile::LookupInt(std::string_view key, int defaultValue) const {
    std::string value = LookupExpanded(key);
    return value.empty() ? defaultValue : props::ToInt(value);
}

std::string PropSetFile::LookupForFileFrom(const PropSetFile& origin, std::string_view prefix,
                                           std::string_view fileName) const {
    for (auto it = props_.lower_bound(prefix); it != props_.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, prefix.size(), prefix) != 0)
            break;
        std::string_view rest = std::string_view(key).substr(prefix.size());
        std::string patterns;
        size_t close = rest.find(')');
        if (rest.substr(0, 2) == "$(" && close != std::string_view::npos)
            patterns = origin.LookupExpanded(rest.substr(2, close - 2));
        else
            patterns = std::string(rest);
        if (props::MatchesPatternList(patterns, fileName))
            return it->second;
        if (rest.empty())
            return it->second;
    }
    return parent_ ? parent_->LookupForFileFrom(origin, prefix, fileName) : std::string();
}

std::string PropSetFile::LookupForFile(std::string_view prefix, std::string_view fileName) const {
    return LookupForFileFrom(*this, prefix, fileName);
}

std::string PropSetFile::LookupForFileExpanded(std::string_view prefix, std::string_view fileName) const {
    std::string text = LookupForFile(prefix, fileName);
    for (int round = 0; round < kFileExpansionRounds; ++round) {
        size_t start = text.find("$(");
        if (start == std::string::npos)
            break;
        size_t close = text.find(')', start + 2);
        if (close == std::string::npos)
            break;
        std::string_view name = std::string_view(text).substr(start + 2, close - start - 2);
        std::string value = name == prefix ? std::string() : LookupForFile(name, fileName);
        if (text.size() - (close - start + 1) + value.size() > kMaxExpandedBytes)
            break;
        text.replace(start, close - start + 1, value);
    }
    return text;
}

void PropSetFile::Clear() { props_.clear(); }

bool PropSetFile::LoadFile(const std::string& path, const std::string& importFolder) {
    std::string canonical = CanonicalOrSame(path);
    if (std::find(reading_.begin(), reading_.end(), canonical) != reading_.end())
        return true;   // already being read further up the import chain
    if (reading_.size() >= kMaxImportDepth)
        return false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::string data(kMaxFileBytes, '\0');
    size_t got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    data.resize(got);
    reading_.push_back(canonical);
    ReadFromMemory(data, importFolder);
    reading_.pop_back();
    return true;
}

void PropSetFile::ReadFromMemory(std::string_view data, const std::string& importFolder) {
    if (data.size() > kMaxFileBytes)
        data = data.substr(0, kMaxFileBytes);
    if (data.size() >= 3 && data.substr(0, 3) == "\xEF\xBB\xBF")
        data.remove_prefix(3);
    ReadBytes(data, importFolder);
}

void PropSetFile::ReadBytes(std::string_view data, const std::string& importFolder) {
    bool condition = true;
    std::string line;
    line.reserve(256);
    bool continuation = true;
    auto isBreak = [&](size_t pos) { return pos < data.size() && (data[pos] == '\r' || data[pos] == '\n'); };
    size_t i = 0;
    while (i < data.size()) {
        char c = data[i];
        if (c == '\r' || c == '\n') {
            if (continuation) {
                ++i;
                continue;
            }
            ++i;
            if (c == '\r' && i < data.size() && data[i] == '\n')
                ++i;
            ParseLine(line, condition, importFolder);
            line.clear();
            continuation = true;
            continue;
        }
        if (c == '\\' && isBreak(i + 1)) {
            ++i;   // drop the backslash; i is at the line break
            size_t next = (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ? i + 2 : i + 1;
            continuation = !isBreak(next);
            continue;
        }
        if (line.size() >= kMaxLineChars) {
            ParseLine(line, condition, importFolder);
            line.clear();
        }
        line.push_back(c);
        continuation = false;
        ++i;
    }
    if (!line.empty())
        ParseLine(line, condition, importFolder);
}

void PropSetFile::ParseLine(std::string_view rawLine, bool& condition, const std::string& importFolder) {
    std::string lowered;
    std::string_view line = rawLine;
    if (lowerKeys_) {
        lowered.assign(rawLine);
        for (char& ch : lowered) {
            if (ch == '=')
                break;
            ch = LowerAscii(ch);
        }
        line = lowered;
    }
    if (line.empty() || !IsBlank(line.front()))
        condition = true;
    if (line.substr(0, 3) == "if ") {
        condition = LookupInt(line.substr(3), 0) != 0;
        return;
    }
    if (line.substr(0, 7) == "import " && !importFolder.empty()) {
        std::string name(line.substr(7));
        name += ".properties";
        std::string path = name.front() == '/' ? name : importFolder + "/" + name;
        LoadFile(path, importFolder);
        return;
    }
    if (!condition)
        return;
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '#')
        return;
    AssignLine(line);
}
