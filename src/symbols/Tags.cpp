#include "symbols/Tags.h"

#include <array>
#include <utility>

namespace symbols {

namespace {

struct KindInfo {
    const char* name;
    int image;
};

constexpr std::array<KindInfo, kKindCount> kKinds{{
    {"unknown", 1},    {"function", 2},  {"procedure", 2}, {"class", 4},      {"macro", 5},
    {"enum", 6},       {"filename", 0},  {"enumname", 3},  {"member", 7},     {"prototype", 8},
    {"structure", 9},  {"typedef", 16},  {"union", 9},     {"variable", 11},  {"namespace", 17},
    {"method", 2},     {"event", 2},     {"interface", 4}, {"property", 11},  {"program", 4},
    {"constant", 15},  {"label", 15},    {"singleton", 10}, {"mixin", 10},    {"module", 6},
    {"net", 12},       {"port", 13},     {"register", 14}, {"task", 10},      {"cursor", 9},
    {"record", 9},     {"subtype", 9},   {"trigger", 9},   {"set", 9},        {"field", 11},
    {"table", 9},      {"attribute", 10}, {"component", 4}, {"package", 6},   {"entity", 9},
    {"architecture", 9}, {"process", 2},
}};

using Pair = std::pair<char, int>;

int lookup(std::initializer_list<Pair> table, char letter)
{
    for (const Pair& p : table)
        if (p.first == letter)
            return p.second;
    return 0;
}

} // namespace

const char* kindName(int kind)
{
    return kKinds[size_t(kind >= 0 && kind < kKindCount ? kind : 0)].name;
}

int kindImage(int kind)
{
    return kKinds[size_t(kind >= 0 && kind < kKindCount ? kind : 0)].image;
}

LetterGroup letterGroupFor(std::string_view lexer)
{
    static const std::pair<std::string_view, LetterGroup> groups[] = {
        {"csharp", LetterGroup::CSharp}, {"java", LetterGroup::Java},       {"perl", LetterGroup::Perl},
        {"pascal", LetterGroup::Pascal}, {"ruby", LetterGroup::Ruby},       {"sql", LetterGroup::Sql},
        {"vb", LetterGroup::Vb},         {"verilog", LetterGroup::Verilog}, {"vhdl", LetterGroup::Vhdl},
    };
    for (const auto& g : groups)
        if (g.first == lexer)
            return g.second;
    return LetterGroup::Default;
}

int kindForLetter(LetterGroup group, char c)
{
    const bool lower = c >= 'a' && c <= 'z';
    const bool upper = c >= 'A' && c <= 'Z';
    if (!lower && !upper)
        return 0;
    switch (group) {
    case LetterGroup::Default:
        return lower ? lookup({{'c', 3}, {'d', 4}, {'e', 5}, {'f', 1}, {'g', 7}, {'l', 13}, {'m', 8}, {'n', 14},
                               {'p', 9}, {'s', 10}, {'t', 11}, {'u', 12}, {'v', 13}, {'x', 13}}, c)
                     : lookup({{'F', 6}}, c);
    case LetterGroup::CSharp:
        return lower ? lookup({{'c', 3}, {'d', 4}, {'e', 5}, {'f', 8}, {'g', 7}, {'i', 17}, {'l', 13}, {'m', 15},
                               {'n', 14}, {'p', 18}, {'s', 10}, {'t', 11}}, c)
                     : lookup({{'E', 16}, {'F', 6}}, c);
    case LetterGroup::Java:
        return lower ? lookup({{'c', 3}, {'f', 8}, {'i', 17}, {'l', 13}, {'m', 15}, {'p', 14}}, c)
                     : lookup({{'F', 6}}, c);
    case LetterGroup::Perl:
        return lower ? lookup({{'c', 20}, {'l', 21}, {'s', 1}}, c) : lookup({{'F', 6}}, c);
    case LetterGroup::Pascal:
        return lower ? lookup({{'f', 1}, {'p', 2}}, c) : lookup({{'F', 6}}, c);
    case LetterGroup::Ruby:
        return lower ? lookup({{'c', 3}, {'f', 15}, {'m', 23}}, c) : lookup({{'F', 22}}, c);
    case LetterGroup::Sql:
        return lower ? lookup({{'c', 29}, {'d', 9}, {'f', 1}, {'l', 13}, {'p', 2}, {'r', 30}, {'s', 31}, {'t', 35},
                               {'v', 13}}, c)
                     : lookup({{'F', 34}, {'L', 21}, {'P', 24}, {'T', 32}}, c);
    case LetterGroup::Vb:
        return lower ? lookup({{'c', 3}, {'d', 34}, {'f', 1}, {'k', 20}, {'m', 24}, {'s', 2}}, c)
                     : lookup({{'F', 6}}, c);
    case LetterGroup::Verilog:
        return lower ? lookup({{'c', 20}, {'e', 16}, {'f', 1}, {'m', 24}, {'n', 25}, {'p', 26}, {'r', 27}, {'t', 28}}, c)
                     : lookup({{'F', 6}}, c);
    case LetterGroup::Vhdl:
        return lower ? lookup({{'a', 36}, {'c', 20}, {'f', 1}, {'k', 37}, {'l', 38}, {'m', 41}, {'n', 39}, {'o', 40},
                               {'p', 2}, {'s', 25}, {'t', 11}, {'u', 26}, {'v', 13}}, c)
                     : lookup({{'F', 6}}, c);
    }
    return 0;
}

QString forcedLanguageName(std::string_view lexer)
{
    static const std::pair<std::string_view, const char*> names[] = {
        {"cpp", "C++"},          {"csharp", "C#"},      {"assembler", "Asm"}, {"cobol", "Cobol"},
        {"eiffel", "Eiffel"},    {"erlang", "Erlang"},  {"fortran", "Fortran"}, {"java", "Java"},
        {"javascript", "JavaScript"}, {"web", "PHP"},   {"php", "PHP"},       {"phpscript", "PHP"},
        {"lisp", "Lisp"},        {"lua", "Lua"},        {"makefile", "Make"}, {"pascal", "Pascal"},
        {"perl", "Perl"},        {"python", "Python"},  {"plsql", "SQL"},     {"ruby", "Ruby"},
        {"shell", "Sh"},         {"tcl", "Tcl"},        {"verilog", "Verilog"}, {"vim", "Vim"},
        {"yacc", "YACC"},        {"vhdl", "Vhdl"},
    };
    for (const auto& n : names)
        if (n.first == lexer)
            return QString::fromLatin1(n.second);
    return QString();
}

bool forcesLanguage(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return true;
    return name.mid(dot).startsWith(QLatin1String(".tmp"), Qt::CaseInsensitive);
}

QStringList ctagsArguments(const QString& path, std::string_view lexer)
{
    QStringList args;
    const QString language = forcedLanguageName(lexer);
    if (!language.isEmpty() && forcesLanguage(path))
        args << QStringLiteral("--language-force=") + language;
    args << QStringLiteral("-n") << QStringLiteral("--fields=fkns") << QStringLiteral("-f") << QStringLiteral("-")
         << path;
    return args;
}

} // namespace symbols
