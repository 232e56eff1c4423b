#pragma once
// The key/value store of the language configuration. Keys and values are byte strings
// exactly as read from the properties files; a lookup that misses here continues in
// the parent store.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class PropSetFile {
public:
    // Every file is read up to this many bytes; the rest is ignored.
    static constexpr size_t kMaxFileBytes = 60000;
    // A logical line holds at most this many characters.
    static constexpr size_t kMaxLineChars = 59999;
    // Expansion stops before a replacement would make the text longer than this, leaving
    // the remaining references as they are: a value that refers to itself among other text
    // would otherwise grow by its own length in every round.
    static constexpr size_t kMaxExpandedBytes = size_t(1) << 18;

    explicit PropSetFile(bool lowerKeys = false);
    virtual ~PropSetFile();
    PropSetFile(const PropSetFile&) = delete;
    PropSetFile& operator=(const PropSetFile&) = delete;

    void SetParent(const PropSetFile* parent) { parent_ = parent; }
    const PropSetFile* Parent() const { return parent_; }

    // len -1 means "up to the end of the string".
    void Assign(std::string_view key, std::string_view value);
    void Assign(const char* key, const char* value, long keyLen = -1, long valueLen = -1);
    void AssignLine(std::string_view line);

    std::string Lookup(std::string_view key) const;
    std::string LookupExpanded(std::string_view key) const;
    int LookupInt(std::string_view key, int defaultValue = 0) const;
    std::string LookupForFile(std::string_view prefix, std::string_view fileName) const;
    std::string LookupForFileExpanded(std::string_view prefix, std::string_view fileName) const;

    // Reads one file (path in the file system's encoding); imports resolve against
    // importFolder. Returns false when the file cannot be opened.
    bool LoadFile(const std::string& path, const std::string& importFolder);
    // Reads properties from memory as if they were a file's bytes (imports included).
    void ReadFromMemory(std::string_view data, const std::string& importFolder);

    void Clear();
    size_t Size() const { return props_.size(); }
    const std::map<std::string, std::string, std::less<>>& All() const { return props_; }

private:
    void ReadBytes(std::string_view data, const std::string& importFolder);
    void ParseLine(std::string_view line, bool& condition, const std::string& importFolder);
    std::string Expand(std::string text, int& budget, std::vector<std::string>& chain) const;
    std::string LookupForFileFrom(const PropSetFile& origin, std::string_view prefix,
                                  std::string_view fileName) const;

    bool lowerKeys_;
    std::map<std::string, std::string, std::less<>> props_;
    const PropSetFile* parent_ = nullptr;
    // Files being read right now (the import chain), so a cyclic import stops.
    std::vector<std::string> reading_;
};

namespace props {

// The leading decimal integer as atoi reads it, saturating instead of overflowing.
int ToInt(std::string_view text);

// True when fileName matches one ";"-separated pattern of the list, with the store's
// rule: exact, "*suffix" or "prefix*", letters compared without regard to case.
bool MatchesPatternList(std::string_view patterns, std::string_view fileName);

// "#RRGGBB" as a colour with red in the low byte; the first character is skipped
// unexamined, missing or non-hex digits count as 0.
uint32_t ColourFromString(std::string_view value);

// The value of statement.indent., statement.end., block.start. and block.end.:
// a style number, a blank, and a blank-separated word list.
struct StyleAndWords {
    int styleNumber = 0;
    std::string words;

    static StyleAndWords Parse(std::string_view value);
    bool IsEmpty() const { return words.empty(); }
    bool IsSingleChar() const { return words.size() == 1; }
    // True when word is one of the blank-separated words.
    bool Includes(std::string_view word) const;
};

} // namespace props
