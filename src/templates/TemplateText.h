#pragma once
// The text a template becomes at the caret: its lines re-indented to the caret line's
// indentation, given the document's line end, and expanded.
#include "templates/MacroExpander.h"

#include <string>
#include <string_view>

namespace templates {

struct InsertLayout {
    int indentColumns = 0;   // indentation of the caret line, in columns
    bool useTabs = false;
    int tabWidth = 4;        // 0 counts as DefaultTabWidth
    std::string_view eol = "\r\n";
};

constexpr int DefaultTabWidth = 4;

struct Insertion {
    std::string text;
    long caret = -1;   // byte offset of the caret marker in text, -1 without one
};

// Tabs for whole tab widths and spaces for the rest when tabs are used, else spaces.
std::string indentation(int columns, bool useTabs, int tabWidth);

// Splits `content` at CR, LF and CR LF; the first line keeps its place, later lines get the
// indentation, each line that had a line end gets layout.eol, and everything goes through
// `expander` (reset first, caret marker on).
Insertion buildInsertion(std::string_view content, const InsertLayout& layout, MacroExpander& expander);

} // namespace templates
