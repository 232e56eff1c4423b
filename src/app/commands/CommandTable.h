#pragma once
// The editor's command vocabulary: one numeric identifier per command, shared by the
// main menu, the context menus, the toolbar, the accelerator table, the key map and the
// translation files. Identifiers are grouped by menu in hundreds.
#include <QString>
#include <span>
#include <vector>

namespace cmd {

// Where a command is handled: the main frame, the active document frame, or its view.
enum class Route { Frame, Document, View };

// The top-level menu a command belongs to (None: toolbar, context menu or key only).
enum class Menu { None, File, Edit, View, Search, Document, Tool, Language, Window, Help };

enum : int {
    FileNew = 100, FileOpen = 101, FileOpenSelected = 102, FileClose = 103, FileCloseOther = 104,
    FileCloseAll = 105, FileSave = 106, FileSaveAs = 107, FileSaveAll = 108, FileReload = 109,
    FileLoadSession = 110, FileSaveSession = 111, FileExportHtml = 112, FileExportRtf = 113,
    FileExportPdf = 114, FileExportLatex = 115, AppExit = 116, FilePrint = 117,

    EditUndo = 200, EditRedo = 201, EditCut = 202, EditCopy = 203, EditPaste = 204,
    EditDelete = 205, EditSelectAll = 206, EditCopyRtf = 207, EditSwapClipboard = 208,
    EditCutLine = 209, EditCopyLine = 210, EditDuplicate = 211, EditDeleteLine = 212,
    EditMoveUp = 213, EditMoveDown = 214, EditSplitLines = 215, EditJoinLines = 216,
    EditDeleteEmptyLines = 217, EditTrimTrailing = 218, EditLowercase = 219, EditUppercase = 220,
    EditTabsToSpaces = 221, EditSpacesToTabs = 222, EditInsertTemplate = 223, EditAddTemplate = 224,
    EditBlockComment = 225, EditBoxComment = 226, EditStreamComment = 227, EditCallTip = 228,
    EditAutoComplete = 229, EditCompleteWord = 230, EditCopyFileName = 231, EditCopyFilePath = 232,
    EditCopyFullPath = 233, EditTab = 234, EditBackTab = 235,

    ViewMenuBar = 300, ViewToolBar = 301, ViewStatusBar = 302, ViewHideTitle = 303,
    ViewFullScreen = 304, ViewSyntax = 305, ViewWordWrap = 306, ViewLineNumbers = 307,
    ViewWhiteSpace = 308, ViewEndOfLine = 309, ViewIndentGuides = 310, ViewZoomIn = 311,
    ViewZoomOut = 312, ViewDefaultZoom = 313, ViewToggleFold = 314, ViewCollapseAll = 315,
    ViewExpandAll = 316, ViewCollapseLevel1 = 320, ViewExpandLevel1 = 330, ViewBaseFont = 338,

    SearchFind = 400, SearchReplace = 401, SearchFindNext = 402, SearchFindPrevious = 403,
    SearchFindNextWord = 404, SearchFindPrevWord = 405, SearchFindInFiles = 406, SearchGoTo = 407,
    SearchSymbol = 408, SearchMsdn = 409, SearchMatchBrace = 410, SearchSelectToBrace = 411,
    SearchAddMark = 412, SearchClearMarks = 413, SearchToggleBookmark = 414,
    SearchClearBookmarks = 415, SearchNextBookmark = 416, SearchPreviousBookmark = 417,

    DocUseTabs = 500, DocEncodeAnsi = 501, DocEncodeUnicodeBE = 502, DocEncodeUnicode = 503,
    DocEncodeUtf8 = 504, DocEncodeUtf8NoBom = 505, DocEolWindows = 506, DocEolUnix = 507,
    DocEolMac = 508, DocReadOnly = 509, DocClearReadOnly = 510,

    ToolFirst = 600, ToolLast = 679,
    ToolLocateFile = 680, ToolMonitorClipboard = 681, ToolFileProperties = 682,
    ToolOpenByDefaultApp = 683, ToolOpenLanguageConfig = 684, ToolOpenContainingFolder = 685,
    ToolOptions = 686, ToolOptionsTools = 687, ToolOptionsKeys = 688, ToolOptionsFont = 689,
    ToolOptionsFavorites = 690, ToolOptionsDocument = 691, ToolOptionsFileWindow = 692,

    LanguageHex = 700, LanguageFirst = 701, LanguageLast = 781,

    WindowNext = 800, WindowPrevious = 801, WindowAlwaysOnTop = 802, WindowTogglePanel = 803,
    DockFile = 804, DockTemplate = 805, DockSymbol = 806, DockCommand = 807, DockFindResult1 = 808,
    DockFindResult2 = 809, WindowCascade = 810, WindowTileHorizontal = 811,
    WindowTileVertical = 812, WindowArrangeIcons = 813,

    HelpContents = 820, HelpHomePage = 821, HelpCheckUpdate = 822, HelpFeedback = 823,
    HelpDonate = 824, HelpAbout = 825,

    BaseFontFirst = 826, BaseFontLast = 836,     // entry n is 825 + n
    WindowDocFirst = 837, WindowDocLast = 937,   // entry n (0-based) is 837 + n
    RecentFirst = 57616, RecentLast = 57631,     // recent file i (0-based) is 57616 + i
};

// One fixed command of the vocabulary.
struct CommandInfo {
    int id;
    const char* symbol;   // symbolic name, as the key-map and translation tools know it
    const char* label;    // English menu text (with its mnemonic)
    const char* keys;     // default keys, comma separated ("" for none)
    Route route;
    Menu menu;
    const char* prompt;   // English help string: status-bar text, "\n", tooltip
};

// Every fixed command, in menu order within each group.
std::span<const CommandInfo> commands();
// The fixed command with this id, or nullptr (tools, languages, fonts, documents, recent files).
const CommandInfo* find(int id);

// Route of any id, including the dynamic ranges (all of those go to the main frame).
Route routeOf(int id);

// Translated menu text of a fixed command (no shortcut text).
QString label(int id);
// Translated help string of a command, split at its first line break.
QString statusPrompt(int id);   // before the "\n"
QString tooltip(int id);        // after the "\n"

} // namespace cmd
