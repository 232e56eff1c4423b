#include "templates/TemplateText.h"

namespace templates {

std::string indentation(int columns, bool useTabs, int tabWidth)
{
    if (columns <= 0)
        return {};
    if (tabWidth <= 0)
        tabWidth = DefaultTabWidth;
    if (!useTabs)
        return std::string(size_t(columns), ' ');
    return std::string(size_t(columns / tabWidth), '\t') + std::string(size_t(columns % tabWidth), ' ');
}

Insertion buildInsertion(std::string_view content, const InsertLayout& layout, MacroExpander& expander)
{
    expander.reset();
    expander.setCaretMarker(true);
    const std::string indent = indentation(layout.indentColumns, layout.useTabs, layout.tabWidth);
    size_t pos = 0;
    bool first = true;
    while (pos < content.size() || first) {
        size_t end = content.find_first_of("\r\n", pos);
        const bool hasEol = end != std::string_view::npos;
        if (!hasEol)
            end = content.size();
        if (!first)
            expander.append(indent);
        expander.expand(content.substr(pos, end - pos));
        if (!hasEol)
            break;
        expander.append(layout.eol);
        pos = end + ((content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') ? 2 : 1);
        first = false;
    }
    return {expander.result(), expander.caretOffset()};
}

} // namespace templates
