#pragma once
// Tags as the tagger reports them: the record handed to a sink, the kinds with their
// names and images, the kind letters of each language group, and the tagger's command
// line for a file.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>

class QObject;

namespace symbols {

constexpr int kKindCount = 42;

// One tag; passed by reference to a sink and valid only during the call.
struct TagRecord {
    int kind = 0;              // index into the kind table, 0 when unknown
    std::string name;
    std::string scope;         // the last "class", "struct" or "union" field
    bool hasScope = false;
    std::string pattern;       // the search pattern, when the address is one
    bool hasPattern = false;
    int line = 0;              // 1-based; kept apart from the kind
    QObject* document = nullptr;
};

class ITagSink {
public:
    virtual ~ITagSink() = default;
    // `one` is always 1.
    virtual void AddTag(int one, const TagRecord& tag) = 0;
};

// The kind's display name and its image in the symbol images (unknown kinds give 0's).
const char* kindName(int kind);
int kindImage(int kind);
// The images: 0 to kImageCount - 1.
constexpr int kImageCount = 18;
constexpr int kStructureImage = 9;
constexpr int kClassImage = 4;

// The letter tables of one language group, chosen by the document's lexer name.
enum class LetterGroup { Default, CSharp, Java, Perl, Pascal, Ruby, Sql, Vb, Verilog, Vhdl };
LetterGroup letterGroupFor(std::string_view lexer);
// The kind of a letter the tagger wrote; 0 for a letter the group does not list.
int kindForLetter(LetterGroup group, char letter);

// A tag is delivered only when its kind's bit is set: bits 0-31 in `low`, 32-41 in `high`.
inline bool kindSelected(int kind, uint32_t low, uint32_t high)
{
    if (kind < 0 || kind >= kKindCount)
        return false;
    return kind < 32 ? (low >> kind & 1u) != 0 : (high >> (kind - 32) & 1u) != 0;
}

// The tagger's name of the language of a lexer, or an empty string when it has none.
QString forcedLanguageName(std::string_view lexer);
// Whether the language is forced for this file: its name has no "." or its extension
// begins with ".tmp". Only the file name counts, never the folders above it.
bool forcesLanguage(const QString& path);
// The tagger's arguments (without the program name) for `path` with the given lexer.
QStringList ctagsArguments(const QString& path, std::string_view lexer);

} // namespace symbols
