#pragma once
// Lexer names in the properties files are the names users know ("java",
// "javascript", "shell"); some of them are not lexers of the editing component. This
// one table maps those to the component's lexer that colours them; every other name
// passes through unchanged. The files and the language entries keep the file's name,
// so keys such as style.java.5 or comment.block.java keep working.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexers {

// The component's lexer for a configured lexer name.
std::string RealLexerName(std::string_view configured);

// The whole table, for tests and diagnostics: (configured name, component lexer).
const std::vector<std::pair<std::string_view, std::string_view>>& AliasTable();

} // namespace lexers
