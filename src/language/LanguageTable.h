#pragma once
// The language list and the two property stores behind it. Built once at start-up
// from root.properties (and its imports) and shared read-only afterwards; the only
// later write to the language store is the global default style under style.*.32.
#include "language/PropSetFile.h"

#include <QString>
#include <string>
#include <string_view>
#include <vector>

struct LanguageEntry {
    std::string name;       // menu text as configured, may hold "&"
    std::string patterns;   // ";"-separated file patterns
    std::string lexer;      // lexer name as configured (may be empty)

    // The pattern list up to its first ";".
    std::string FirstPattern() const;
};

class LanguageTable {
public:
    static constexpr int kHexCommand = 700;
    static constexpr int kFirstLanguageCommand = 701;
    static constexpr int kMaxLanguages = 81;   // commands 701-781
    static constexpr size_t kMaxLookupName = 63;

    LanguageTable();
    ~LanguageTable();
    LanguageTable(const LanguageTable&) = delete;
    LanguageTable& operator=(const LanguageTable&) = delete;

    // Start-up loading: clears the language store, reads root.properties from the
    // given properties folder and builds the language list. Returns false when
    // root.properties could not be opened (the list then holds the built-in "Text").
    bool Load(const QString& propertiesFolder);
    // Rebuilds the list from what the language store holds now.
    void BuildLanguageList();

    PropSetFile& Props() { return langProps_; }
    const PropSetFile& Props() const { return langProps_; }
    const PropSetFile& BaseProps() const { return baseProps_; }

    int Count() const { return int(entries_.size()); }
    // Index out of range gives the first language.
    const LanguageEntry& Entry(int index) const;
    const std::vector<LanguageEntry>& Entries() const { return entries_; }

    // The language of a file: the first whose patterns match the file name (the part
    // after the last "/"); 0 when none matches.
    int FindLanguage(const QString& path) const;
    // The language of a new, unnamed document from the DefaultScheme setting (a
    // sample file name such as "new.txt").
    int LanguageForNewDocument(const QString& defaultScheme) const { return FindLanguage(defaultScheme); }

    // The file name used for file-dependent keys: the given name when there is one,
    // else the language's first pattern (at most 63 characters).
    std::string LookupName(int index, std::string_view fileName = {}) const;

    // Menu items for the Language popup after "&Hex": (command, text) in order.
    struct MenuItem {
        int command;
        QString text;
    };
    std::vector<MenuItem> MenuItems() const;
    static int CommandForIndex(int index) { return kFirstLanguageCommand + index; }
    // -1 for the hex command 700, the language index for 701-781, -2 for others.
    int IndexForCommand(int command) const;

private:
    PropSetFile baseProps_;
    PropSetFile langProps_;
    std::vector<LanguageEntry> entries_;
};

namespace lang {

// File name against a ";"-separated list of wildcard patterns ("*" and "?", letters
// without regard to case, leading blanks of each pattern skipped; "*.*" matches all).
// Both are bytes of the ANSI code page, as the properties files hold them.
bool PathMatchSpec(std::string_view fileName, std::string_view patternList);

} // namespace lang
