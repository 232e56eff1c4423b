#pragma once
// The Edit menu's line and text commands of a text view. The text transforms are plain
// functions over bytes; runEditCommand applies a command to a view as one undo step.
#include <string>
#include <string_view>

class CTextView;

namespace editops {

// Every tab in a line's leading run of spaces and tabs becomes `width` spaces, whatever
// column it stood at; tabs after other text stay. One pass over the text.
std::string tabsToSpaces(std::string_view text, int width);

// After a line's leading tabs, every complete group of `width` spaces becomes a tab; a
// shorter rest stays. Width 0 leaves the text as it is. One pass over the text.
std::string spacesToTabs(std::string_view text, int width);

// The length of the run of spaces and tabs that ends the line `line` (no line end).
size_t trailingBlankLength(std::string_view line);

// True for a line (without its line end) holding only spaces and tabs.
bool isBlankLine(std::string_view line);

} // namespace editops

namespace editcmd {

// Runs one of the view's editing commands (delete, swap with clipboard, the line
// commands, case, indentation conversion, tab and back-tab, Use Tabs). False for a
// command this does not handle.
bool runEditCommand(CTextView& view, int id);

} // namespace editcmd
