#include "language/LexerAliases.h"

namespace lexers {

const std::vector<std::pair<std::string_view, std::string_view>>& AliasTable() {
    static const std::vector<std::pair<std::string_view, std::string_view>> table = {
        // C-like languages share the C/C++ lexer; their keyword lists tell them apart.
        {"java", "cpp"},
        {"javascript", "cpp"},
        {"js", "cpp"},
        {"csharp", "cpp"},
        {"typescript", "cpp"},
        {"go", "cpp"},
        {"objc", "cpp"},
        {"idl", "cpp"},
        {"rc", "cpp"},
        {"actionscript", "cpp"},
        {"yacc", "cpp"},
        // Markup with embedded scripts.
        {"web", "hypertext"},
        {"html", "hypertext"},
        {"php", "hypertext"},
        {"asp", "hypertext"},
        // Everything else under its usual name.
        {"assembler", "asm"},
        {"shell", "bash"},
        {"sh", "bash"},
        {"plsql", "sql"},
        {"properties", "props"},
        {"ini", "props"},
    };
    return table;
}

std::string RealLexerName(std::string_view configured) {
    for (const auto& [name, real] : AliasTable())
        if (name == configured)
            return std::string(real);
    return std::string(configured);
}

} // namespace lexers
