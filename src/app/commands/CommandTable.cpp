#include "app/commands/CommandTable.h"

#include "platform/Texts.h"

#include <algorithm>
#include <array>

namespace cmd {
namespace {

constexpr Route F = Route::Frame;
constexpr Route D = Route::Document;
constexpr Route V = Route::View;
using M = Menu;

// The help strings share the command's number in the string table: the text before the
// line break is the status-bar prompt, the text after it the toolbar tooltip.
constexpr CommandInfo kCommands[] = {
    {100, "ID_FILE_NEW", "&New", "Ctrl+N", F, M::File, "Create a new document\nNew"},
    {101, "ID_FILE_OPEN", "&Open...", "Ctrl+O", F, M::File, "Open an existing document\nOpen"},
    {102, "ID_FILE_OPEN_SELECTED", "Open Selected File", "Alt+O", V, M::File,
     "Open the file named by the selection or the #include line\nOpen Selected File"},
    {103, "ID_FILE_CLOSE", "&Close", "Ctrl+W", D, M::File, "Close the active document\nClose"},
    {104, "ID_FILE_CLOSE_OTHER", "Close O&ther", "", F, M::File,
     "Close every document except the active one\nClose Other"},
    {105, "ID_FILE_CLOSE_ALL", "Close &All", "Ctrl+Shift+W", F, M::File, "Close all documents\nClose All"},
    {106, "ID_FILE_SAVE", "&Save", "Ctrl+S", D, M::File, "Save the active document\nSave"},
    {107, "ID_FILE_SAVE_AS", "Save &As...", "", D, M::File,
     "Save the active document with a new name\nSave As"},
    {108, "ID_FILE_SAVE_ALL", "Save A&ll", "", F, M::File, "Save all modified documents\nSave All"},
    {109, "ID_FILE_RELOAD", "&Reload from Disk", "", D, M::File,
     "Read the active document again from its file\nReload from Disk"},
    {110, "ID_FILE_LOAD_SESSION", "&Load Session", "", F, M::File,
     "Open the documents of a saved session\nLoad Session"},
    {111, "ID_FILE_SAVE_SESSION", "Sa&ve Session", "", F, M::File,
     "Save the list of open documents as a session\nSave Session"},
    {112, "ID_FILE_EXPORT_HTML", "Export as &HTML...", "", V, M::File,
     "Export the coloured text as HTML\nExport as HTML"},
    {113, "ID_FILE_EXPORT_RTF", "&RTF...", "", V, M::File, "Export the coloured text as RTF\nExport as RTF"},
    {114, "ID_FILE_EXPORT_PDF", "&PDF...", "", V, M::File, "Export the coloured text as PDF\nExport as PDF"},
    {115, "ID_FILE_EXPORT_LATEX", "&LaTeX...", "", V, M::File,
     "Export the coloured text as LaTeX\nExport as LaTeX"},
    {116, "ID_APP_EXIT", "E&xit", "", F, M::File, "Quit the editor\nExit"},
    {117, "ID_FILE_PRINT", "&Print", "Ctrl+P", V, M::None, "Print the active document\nPrint"},

    {200, "ID_EDIT_UNDO", "&Undo", "Ctrl+Z", V, M::Edit, "Undo the last action\nUndo"},
    {201, "ID_EDIT_REDO", "&Redo", "Ctrl+Y", V, M::Edit, "Redo the previously undone action\nRedo"},
    {202, "ID_EDIT_CUT", "Cu&t", "Ctrl+X", F, M::Edit, "Cut the selection to the clipboard\nCut"},
    {203, "ID_EDIT_COPY", "&Copy", "Ctrl+C", F, M::Edit, "Copy the selection to the clipboard\nCopy"},
    {204, "ID_EDIT_PASTE", "&Paste", "Ctrl+V", F, M::Edit, "Insert the clipboard contents\nPaste"},
    {205, "ID_EDIT_DELETE", "&Delete", "", V, M::Edit, "Delete the selection\nDelete"},
    {206, "ID_EDIT_SELECT_ALL", "Select &All", "Ctrl+A", V, M::Edit, "Select the whole document\nSelect All"},
    {207, "ID_EDIT_COPY_RTF", "Copy as RTF", "Ctrl+Shift+C", V, M::Edit,
     "Copy the selection to the clipboard as coloured RTF\nCopy as RTF"},
    {208, "ID_EDIT_SWAP_CLIPBOARD", "Swap with Clipboard", "", V, M::Edit,
     "Exchange the selection with the clipboard text\nSwap with Clipboard"},
    {209, "ID_EDIT_CUT_LINE", "Cut &Line", "Ctrl+L", V, M::Edit, "Cut the current line\nCut Line"},
    {210, "ID_EDIT_COPY_LINE", "Cop&y Line", "Ctrl+Shift+T", V, M::Edit, "Copy the current line\nCopy Line"},
    {211, "ID_EDIT_DUPLICATE", "&Duplicate", "Ctrl+D", V, M::Edit,
     "Duplicate the selection or the current line\nDuplicate"},
    {212, "ID_EDIT_DELETE_LINE", "Delete &Line", "Ctrl+Shift+L", V, M::Edit,
     "Delete the current line\nDelete Line"},
    {213, "ID_EDIT_MOVE_UP", "Move &Up Line", "Ctrl+Up", V, M::Edit, "Move the current line up\nMove Up Line"},
    {214, "ID_EDIT_MOVE_DOWN", "Move &Down Line", "Ctrl+Down", V, M::Edit,
     "Move the current line down\nMove Down Line"},
    {215, "ID_EDIT_SPLIT_LINES", "&Split Lines", "", V, M::Edit,
     "Split the selected lines at the window width\nSplit Lines"},
    {216, "ID_EDIT_JOIN_LINES", "&Join Lines", "", V, M::Edit, "Join the selected lines\nJoin Lines"},
    {217, "ID_EDIT_DELETE_EMPTY_LINES", "Delete Empty Line", "", V, M::Edit,
     "Delete the empty lines of the document\nDelete Empty Line"},
    {218, "ID_EDIT_TRIM_TRAILING", "Trim Trailing Space", "", V, M::Edit,
     "Remove the spaces and tabs at the end of every line\nTrim Trailing Space"},
    {219, "ID_EDIT_LOWERCASE", "to &Lowercase", "Ctrl+U", V, M::Edit,
     "Convert the selection to lower case\nto Lowercase"},
    {220, "ID_EDIT_UPPERCASE", "to &Uppercase", "Ctrl+Shift+U", V, M::Edit,
     "Convert the selection to upper case\nto Uppercase"},
    {221, "ID_EDIT_TABS_TO_SPACES", "Tabs to Spaces", "", V, M::Edit,
     "Replace the tabs by spaces\nTabs to Spaces"},
    {222, "ID_EDIT_SPACES_TO_TABS", "Spaces to Tabs", "", V, M::Edit,
     "Replace leading spaces by tabs\nSpaces to Tabs"},
    {223, "ID_EDIT_INSERT_TEMPLATE", "Insert Template", "Alt+I", V, M::Edit,
     "Choose a template to insert at the caret\nInsert Template"},
    {224, "ID_EDIT_ADD_TEMPLATE", "Add Template", "", V, M::Edit,
     "Make a new template from the selection\nAdd Template"},
    {225, "ID_EDIT_BLOCK_COMMENT", "&Block Comment or Uncomment", "Ctrl+Q", V, M::Edit,
     "Comment or uncomment the selected lines\nBlock Comment or Uncomment"},
    {226, "ID_EDIT_BOX_COMMENT", "Bo&x Comment", "Ctrl+Shift+B", V, M::Edit,
     "Put a box comment around the selected lines\nBox Comment"},
    {227, "ID_EDIT_STREAM_COMMENT", "&Stream Comment", "Ctrl+Shift+Q", V, M::Edit,
     "Put a stream comment around the selection\nStream Comment"},
    {228, "ID_EDIT_CALLTIP", "Show Call&tip", "Ctrl+Shift+Space", V, M::Edit,
     "Show the call tip of the function at the caret\nShow Calltip"},
    {229, "ID_EDIT_AUTO_COMPLETE", "A&uto Complete", "Ctrl+I", V, M::Edit,
     "Complete the word from the language's word list\nAuto Complete"},
    {230, "ID_EDIT_COMPLETE_WORD", "Complete &Word", "Ctrl+Enter", V, M::Edit,
     "Complete the word from the words of the document\nComplete Word"},
    {231, "ID_EDIT_COPY_FILE_NAME", "Copy File &Name", "", D, M::None,
     "Copy the file name to the clipboard\nCopy File Name"},
    {232, "ID_EDIT_COPY_FILE_PATH", "Copy File &Path", "", D, M::None,
     "Copy the file's folder to the clipboard\nCopy File Path"},
    {233, "ID_EDIT_COPY_FULL_PATH", "Copy Full File &Path", "", D, M::None,
     "Copy the full path of the file to the clipboard\nCopy Full File Path"},
    {234, "ID_EDIT_TAB", "Tab", "", V, M::None, "Insert a tab or indent the selected lines\nTab"},
    {235, "ID_EDIT_BACKTAB", "Back Tab", "", V, M::None, "Remove one level of indentation\nBack Tab"},

    {300, "ID_VIEW_MENUBAR", "&Menu Bar", "", F, M::View, "Show or hide the menu bar\nMenu Bar"},
    {301, "ID_VIEW_TOOLBAR", "Tool Bar", "", F, M::View, "Show or hide the toolbar\nTool Bar"},
    {302, "ID_VIEW_STATUS_BAR", "Status Bar", "", F, M::View, "Show or hide the status bar\nStatus Bar"},
    {303, "ID_VIEW_HIDE_TITLE", "&Hide Title", "Shift+F11", F, M::View,
     "Hide the window caption and the taskbar\nHide Title"},
    {304, "ID_VIEW_FULL_SCREEN", "&Full Screen", "F11", F, M::View,
     "Let the documents fill the screen\nFull Screen"},
    {305, "ID_VIEW_SYNTAX", "Syntax &Highlight", "", V, M::View,
     "Colour the text by its language\nSyntax Highlight"},
    {306, "ID_VIEW_WORD_WRAP", "Word W&rap", "", V, M::View, "Wrap long lines\nWord Wrap"},
    {307, "ID_VIEW_LINE_NUMBERS", "Show Line &Numbers", "", V, M::View,
     "Show the line numbers\nShow Line Numbers"},
    {308, "ID_VIEW_WHITE_SPACE", "Show White&Space", "", V, M::View,
     "Show spaces and tabs\nShow White Space"},
    {309, "ID_VIEW_END_OF_LINE", "Show End Of &Line", "", V, M::View,
     "Show the line ends\nShow End Of Line"},
    {310, "ID_VIEW_INDENT_GUIDES", "Show &Indentation Guides", "", V, M::View,
     "Show the indentation guides\nShow Indentation Guides"},
    {311, "ID_VIEW_ZOOM_IN", "Zoom In", "", V, M::View, "Make the text larger\nZoom In"},
    {312, "ID_VIEW_ZOOM_OUT", "Zoom Out", "", V, M::View, "Make the text smaller\nZoom Out"},
    {313, "ID_VIEW_DEFAULT_ZOOM", "Default Zoom", "", V, M::View,
     "Show the text at its initial size\nDefault Zoom"},
    {314, "ID_VIEW_TOGGLE_FOLD", "C&ollapse/Expand", "Ctrl+Insert", V, M::View,
     "Collapse or expand the fold at the caret\nCollapse/Expand"},
    {315, "ID_VIEW_COLLAPSE_ALL", "C&ollapse All", "Ctrl+0", V, M::View, "Collapse every fold\nCollapse All"},
    {316, "ID_VIEW_EXPAND_ALL", "E&xpand All", "Ctrl+Shift+0", V, M::View, "Expand every fold\nExpand All"},
    {320, "ID_VIEW_COLLAPSE_1", "&1", "", V, M::View, "Collapse the folds of level 1\nCollapse Level 1"},
    {321, "ID_VIEW_COLLAPSE_2", "&2", "", V, M::View, "Collapse the folds of level 2\nCollapse Level 2"},
    {322, "ID_VIEW_COLLAPSE_3", "&3", "", V, M::View, "Collapse the folds of level 3\nCollapse Level 3"},
    {323, "ID_VIEW_COLLAPSE_4", "&4", "", V, M::View, "Collapse the folds of level 4\nCollapse Level 4"},
    {324, "ID_VIEW_COLLAPSE_5", "&5", "", V, M::View, "Collapse the folds of level 5\nCollapse Level 5"},
    {325, "ID_VIEW_COLLAPSE_6", "&6", "", V, M::View, "Collapse the folds of level 6\nCollapse Level 6"},
    {326, "ID_VIEW_COLLAPSE_7", "&7", "", V, M::View, "Collapse the folds of level 7\nCollapse Level 7"},
    {327, "ID_VIEW_COLLAPSE_8", "&8", "", V, M::View, "Collapse the folds of level 8\nCollapse Level 8"},
    {330, "ID_VIEW_EXPAND_1", "&1", "", V, M::View, "Expand the folds of level 1\nExpand Level 1"},
    {331, "ID_VIEW_EXPAND_2", "&2", "", V, M::View, "Expand the folds of level 2\nExpand Level 2"},
    {332, "ID_VIEW_EXPAND_3", "&3", "", V, M::View, "Expand the folds of level 3\nExpand Level 3"},
    {333, "ID_VIEW_EXPAND_4", "&4", "", V, M::View, "Expand the folds of level 4\nExpand Level 4"},
    {334, "ID_VIEW_EXPAND_5", "&5", "", V, M::View, "Expand the folds of level 5\nExpand Level 5"},
    {335, "ID_VIEW_EXPAND_6", "&6", "", V, M::View, "Expand the folds of level 6\nExpand Level 6"},
    {336, "ID_VIEW_EXPAND_7", "&7", "", V, M::View, "Expand the folds of level 7\nExpand Level 7"},
    {337, "ID_VIEW_EXPAND_8", "&8", "", V, M::View, "Expand the folds of level 8\nExpand Level 8"},
    {338, "ID_VIEW_BASE_FONT", "Set Font", "", F, M::None, "Choose the base font\nSet Font"},

    {400, "ID_SEARCH_FIND", "&Find...", "Ctrl+F", F, M::Search, "Find text in the document\nFind"},
    {401, "ID_SEARCH_REPLACE", "&Replace...", "Ctrl+R,Ctrl+H", F, M::Search,
     "Find and replace text in the document\nReplace"},
    {402, "ID_SEARCH_FIND_NEXT", "Find &Next", "F3", V, M::Search, "Find the next occurrence\nFind Next"},
    {403, "ID_SEARCH_FIND_PREVIOUS", "Find &Previous", "Shift+F3", V, M::Search,
     "Find the previous occurrence\nFind Previous"},
    {404, "ID_SEARCH_FIND_NEXT_WORD", "Find N&ext Word", "Ctrl+F3", V, M::Search,
     "Find the next occurrence of the word at the caret\nFind Next Word"},
    {405, "ID_SEARCH_FIND_PREV_WORD", "Find P&rev Word", "Ctrl+Shift+F3", V, M::Search,
     "Find the previous occurrence of the word at the caret\nFind Prev Word"},
    {406, "ID_SEARCH_FIND_IN_FILES", "Find &in Files...", "Ctrl+Shift+F", F, M::Search,
     "Find text in the files of a folder\nFind in Files"},
    {407, "ID_SEARCH_GOTO", "&Go to...", "Ctrl+G", V, M::Search, "Go to a line\nGo to"},
    {408, "ID_SEARCH_SYMBOL", "Search &Symbol...", "F6", V, M::Search,
     "Find a symbol of the document\nSearch Symbol"},
    {409, "ID_SEARCH_MSDN", "Search &MSDN", "F1", F, M::Search,
     "Look up the word at the caret in the help\nSearch MSDN"},
    {410, "ID_SEARCH_MATCH_BRACE", "Match &Brace", "Ctrl+]", V, M::Search,
     "Go to the matching brace\nMatch Brace"},
    {411, "ID_SEARCH_SELECT_TO_BRACE", "&Select to Brace", "Ctrl+Shift+]", V, M::Search,
     "Select to the matching brace\nSelect to Brace"},
    {412, "ID_SEARCH_ADD_MARK", "Add Mark", "Ctrl+M", V, M::Search,
     "Mark every occurrence of the selection\nAdd Mark"},
    {413, "ID_SEARCH_CLEAR_MARKS", "Clear All Mark", "Ctrl+Shift+M", V, M::Search,
     "Remove every mark\nClear All Mark"},
    {414, "ID_SEARCH_TOGGLE_BOOKMARK", "Toggle &BookMark", "Ctrl+F2", V, M::Search,
     "Set or remove the bookmark of the current line\nToggle BookMark"},
    {415, "ID_SEARCH_CLEAR_BOOKMARKS", "&Clear All BookMarks", "Ctrl+Shift+F2", V, M::Search,
     "Remove every bookmark\nClear All BookMarks"},
    {416, "ID_SEARCH_NEXT_BOOKMARK", "Next BookMark", "F2", V, M::Search,
     "Go to the next bookmark\nNext BookMark"},
    {417, "ID_SEARCH_PREVIOUS_BOOKMARK", "&Previous BookMark", "Shift+F2", V, M::Search,
     "Go to the previous bookmark\nPrevious BookMark"},

    {500, "ID_DOC_USE_TABS", "Use &Tabs", "", V, M::Document, "Indent with tabs\nUse Tabs"},
    {501, "ID_DOC_ENCODE_ANSI", "Encode in &ANSI", "", V, M::Document,
     "Save the document in the ANSI code page\nEncode in ANSI"},
    {502, "ID_DOC_ENCODE_UNICODE_BE", "Encode in Unicode &big endian", "", V, M::Document,
     "Save the document as UTF-16 big endian\nEncode in Unicode big endian"},
    {503, "ID_DOC_ENCODE_UNICODE", "Encode in U&nicode", "", V, M::Document,
     "Save the document as UTF-16 little endian\nEncode in Unicode"},
    {504, "ID_DOC_ENCODE_UTF8", "Encode in &UTF-8", "", V, M::Document,
     "Save the document as UTF-8 with a byte-order mark\nEncode in UTF-8"},
    {505, "ID_DOC_ENCODE_UTF8_NOBOM", "Encode in UTF-8 no &bom", "", V, M::Document,
     "Save the document as UTF-8 without a byte-order mark\nEncode in UTF-8 no bom"},
    {506, "ID_DOC_EOL_WINDOWS", "Convert to &Windows Format", "", V, M::Document,
     "End lines with CR LF\nConvert to Windows Format"},
    {507, "ID_DOC_EOL_UNIX", "Convert to &Unix Format", "", V, M::Document,
     "End lines with LF\nConvert to Unix Format"},
    {508, "ID_DOC_EOL_MAC", "Convert to &Mac Format", "", V, M::Document,
     "End lines with CR\nConvert to Mac Format"},
    {509, "ID_DOC_READ_ONLY", "&Read Only", "", D, M::Document,
     "Protect the document from changes\nRead Only"},
    {510, "ID_DOC_CLEAR_READ_ONLY", "&Clear ReadOnly Attribute", "", D, M::Document,
     "Make the file writable\nClear ReadOnly Attribute"},

    {680, "ID_TOOL_LOCATE_FILE", "&Locate File", "F4", D, M::Tool,
     "Show the document's folder in the file browser\nLocate File"},
    {681, "ID_TOOL_MONITOR_CLIPBOARD", "&Monitor Clipborad", "", V, M::Tool,
     "Insert every text copied to the clipboard\nMonitor Clipboard"},
    {682, "ID_TOOL_FILE_PROPERTIES", "File &Properties", "Alt+Enter", V, M::Tool,
     "Show the properties and check sums of the file\nFile Properties"},
    {683, "ID_TOOL_OPEN_DEFAULT_APP", "&Open by Default App", "", D, M::Tool,
     "Open the file with the program the desktop associates with it\nOpen by Default App"},
    {684, "ID_TOOL_OPEN_LANGUAGE_CONFIG", "Open Main Language &Config File", "", F, M::Tool,
     "Open the main language configuration file\nOpen Main Language Config File"},
    {685, "ID_TOOL_OPEN_FOLDER", "Open Containing Folder", "", D, M::None,
     "Open the folder of the file\nOpen Containing Folder"},
    {686, "ID_TOOL_OPTIONS", "&Options", "", F, M::Tool, "Change the editor's options\nOptions"},
    {687, "ID_TOOL_OPTIONS_TOOLS", "Tool", "", F, M::None, "Edit the user tools\nTool"},
    {688, "ID_TOOL_OPTIONS_KEYS", "Key", "", F, M::None, "Edit the shortcut keys\nKey"},
    {689, "ID_TOOL_OPTIONS_FONT", "Change Font/Color...", "", F, M::None,
     "Change the fonts and colours\nChange Font/Color"},
    {690, "ID_TOOL_OPTIONS_FAVORITES", "Favorite", "", F, M::None, "Edit the favourite folders\nFavorite"},
    {691, "ID_TOOL_OPTIONS_DOCUMENT", "Document", "", F, M::None, "Change the document options\nDocument"},
    {692, "ID_TOOL_OPTIONS_FILE_WINDOW", "File Window", "", F, M::None,
     "Change the file window options\nFile Window"},

    {700, "ID_LANGUAGE_HEX", "&Hex", "", F, M::Language, "Show the document as hexadecimal bytes\nHex"},

    {800, "ID_WINDOW_NEXT", "&Next", "Ctrl+Tab", F, M::Window, "Activate the next document\nNext"},
    {801, "ID_WINDOW_PREVIOUS", "&Previous", "Ctrl+Shift+Tab", F, M::Window,
     "Activate the previous document\nPrevious"},
    {802, "ID_WINDOW_ALWAYS_ON_TOP", "Always on &Top", "", F, M::Window,
     "Keep the window above the others\nAlways on Top"},
    {803, "ID_WINDOW_TOGGLE_PANEL", "Toggle Panel", "F8", F, M::Window,
     "Hide the panels or show them again\nToggle Panel"},
    {804, "ID_DOCK_FILE", "&File", "Alt+1", F, M::Window, "Show or hide the file browser\nFile"},
    {805, "ID_DOCK_TEMPLATE", "&Template", "Alt+2", F, M::Window, "Show or hide the templates\nTemplate"},
    {806, "ID_DOCK_SYMBOL", "&Symbol", "Alt+3", F, M::Window, "Show or hide the symbols\nSymbol"},
    {807, "ID_DOCK_COMMAND", "&Command", "Alt+4", F, M::Window,
     "Show or hide the command window\nCommand"},
    {808, "ID_DOCK_FIND_RESULT1", "&Find Result 1", "Alt+5", F, M::Window,
     "Show or hide the first find result\nFind Result 1"},
    {809, "ID_DOCK_FIND_RESULT2", "&Find Result 2", "Alt+6", F, M::Window,
     "Show or hide the second find result\nFind Result 2"},
    {810, "ID_WINDOW_CASCADE", "&Cascade", "", F, M::Window, "Arrange the windows overlapping\nCascade"},
    {811, "ID_WINDOW_TILE_HORZ", "Tile &Horizontal", "", F, M::Window,
     "Arrange the windows one above the other\nTile Horizontal"},
    {812, "ID_WINDOW_TILE_VERT", "Tile &Vertical", "", F, M::Window,
     "Arrange the windows side by side\nTile Vertical"},
    {813, "ID_WINDOW_ARRANGE", "Arrange &Icons", "", F, M::Window,
     "Arrange the icons of minimised windows\nArrange Icons"},

    {820, "ID_HELP_CONTENTS", "&Contents", "Ctrl+F1", F, M::Help, "Open the help pages\nContents"},
    {821, "ID_HELP_HOMEPAGE", "Velmo &HomePage", "", F, M::Help, "Open the Velmo home page\nVelmo HomePage"},
    {822, "ID_HELP_CHECK_UPDATE", "Check &Update", "", F, M::Help,
     "Look for a newer version\nCheck Update"},
    {823, "ID_HELP_FEEDBACK", "&Feedback and Support", "", F, M::Help,
     "Open the feedback and support page\nFeedback and Support"},
    {824, "ID_HELP_DONATE", "&Donate", "", F, M::Help, "Open the donation page\nDonate"},
    {825, "ID_APP_ABOUT", "&About Velmo...", "", F, M::Help,
     "Show the program's version\nAbout Velmo"},
};

} // namespace

std::span<const CommandInfo> commands()
{
    return kCommands;
}

const CommandInfo* find(int id)
{
    // The table is sorted by id.
    auto it = std::lower_bound(std::begin(kCommands), std::end(kCommands), id,
                               [](const CommandInfo& c, int v) { return c.id < v; });
    if (it == std::end(kCommands) || it->id != id)
        return nullptr;
    return &*it;
}

Route routeOf(int id)
{
    if (const CommandInfo* c = find(id))
        return c->route;
    // Tools, languages, base fonts, the document list and recent files: the main frame.
    return Route::Frame;
}

QString label(int id)
{
    const CommandInfo* c = find(id);
    return texts::menu(id, c ? c->label : "");
}

namespace {
QString helpString(int id)
{
    const CommandInfo* c = find(id);
    return texts::str(id, c ? c->prompt : "");
}
} // namespace

QString statusPrompt(int id)
{
    QString s = helpString(id);
    int nl = s.indexOf(QLatin1Char('\n'));
    return nl < 0 ? s : s.left(nl);
}

QString tooltip(int id)
{
    QString s = helpString(id);
    int nl = s.indexOf(QLatin1Char('\n'));
    return nl < 0 ? QString() : s.mid(nl + 1);
}

} // namespace cmd
