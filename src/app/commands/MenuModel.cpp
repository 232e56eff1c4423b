#include "app/commands/MenuModel.h"

#include "app/commands/CommandTable.h"

namespace cmd {
namespace {

MenuItem C(int id, const char* label = nullptr)
{
    return MenuItem::command(id, label);
}
MenuItem S()
{
    return MenuItem::separator();
}

std::vector<MenuItem> range(int first, int last)
{
    std::vector<MenuItem> v;
    for (int id = first; id <= last; ++id)
        v.push_back(C(id));
    return v;
}

std::vector<MenuItem> buildMainMenu()
{
    std::vector<MenuItem> menu;
    menu.push_back(MenuItem::popup("&File", "menu_file", {
        C(FileNew), C(FileOpen), C(FileOpenSelected), C(FileReload), S(),
        C(FileClose), C(FileCloseOther), C(FileCloseAll), S(),
        C(FileSave), C(FileSaveAs), C(FileSaveAll), S(),
        C(FileLoadSession), C(FileSaveSession), S(),
        MenuItem::popup("&Export", "menu_export", range(FileExportHtml, FileExportLatex)), S(),
        // Filled by the recent-files list; one disabled "(empty)" item when it has none.
        MenuItem::popup("&Recent Files", "menu_recent", {}), S(),
        C(AppExit),
    }));
    menu.push_back(MenuItem::popup("&Edit", "menu_edit", {
        C(EditUndo), C(EditRedo), S(),
        C(EditCut), C(EditCopy), C(EditPaste), C(EditDelete), C(EditSelectAll), S(),
        C(EditCopyRtf), C(EditSwapClipboard), S(),
        C(EditCutLine), C(EditCopyLine), C(EditDuplicate), C(EditDeleteLine), C(EditMoveUp),
        C(EditMoveDown), C(EditSplitLines), C(EditJoinLines), S(),
        C(EditDeleteEmptyLines), C(EditTrimTrailing), S(),
        C(EditLowercase), C(EditUppercase), S(),
        C(EditTabsToSpaces), C(EditSpacesToTabs), S(),
        C(EditInsertTemplate), C(EditAddTemplate), S(),
        C(EditBlockComment), C(EditBoxComment), C(EditStreamComment), S(),
        C(EditCallTip), C(EditAutoComplete), C(EditCompleteWord),
    }));
    menu.push_back(MenuItem::popup("&View", "menu_view", {
        C(ViewMenuBar), C(ViewToolBar), C(ViewStatusBar), S(),
        C(ViewHideTitle), C(ViewFullScreen), S(),
        C(ViewSyntax), C(ViewWordWrap), C(ViewLineNumbers), C(ViewWhiteSpace), C(ViewEndOfLine),
        C(ViewIndentGuides), S(),
        C(ViewZoomIn), C(ViewZoomOut), C(ViewDefaultZoom), S(),
        C(ViewToggleFold), C(ViewCollapseAll), C(ViewExpandAll),
        MenuItem::popup("Collapse Level", "menu_collapse_level", range(ViewCollapseLevel1, ViewCollapseLevel1 + 7)),
        MenuItem::popup("Expand Level", "menu_expand_level", range(ViewExpandLevel1, ViewExpandLevel1 + 7)),
    }));
    menu.push_back(MenuItem::popup("&Search", "menu_search", {
        C(SearchFind), C(SearchReplace), C(SearchFindNext), C(SearchFindPrevious),
        C(SearchFindNextWord), C(SearchFindPrevWord), S(),
        C(SearchFindInFiles), S(),
        C(SearchGoTo), C(SearchSymbol), C(SearchMsdn), S(),
        C(SearchMatchBrace), C(SearchSelectToBrace), S(),
        C(SearchAddMark), C(SearchClearMarks), S(),
        C(SearchToggleBookmark), C(SearchClearBookmarks), C(SearchNextBookmark),
        C(SearchPreviousBookmark),
    }));
    menu.push_back(MenuItem::popup("&Document", "menu_document", {
        C(DocUseTabs), S(),
        C(DocEncodeAnsi), C(DocEncodeUnicodeBE), C(DocEncodeUnicode), C(DocEncodeUtf8),
        C(DocEncodeUtf8NoBom), S(),
        C(DocEolWindows), C(DocEolUnix), C(DocEolMac), S(),
        C(DocReadOnly), C(DocClearReadOnly),
    }));
    // User tools (600-679) go at the top, followed by a separator.
    menu.push_back(MenuItem::popup("&Tool", "menu_tool", {
        C(ToolLocateFile), C(ToolMonitorClipboard), C(ToolFileProperties),
        C(ToolOpenByDefaultApp), C(ToolOpenLanguageConfig), S(),
        C(ToolOptions),
    }));
    // The languages (701-781) are appended after "&Hex".
    menu.push_back(MenuItem::popup("&Language", "menu_language", {C(LanguageHex)}));
    // The document list (837 + n) is appended after a separator.
    menu.push_back(MenuItem::popup("&Window", "menu_window", {
        C(WindowNext), C(WindowPrevious), S(),
        C(WindowAlwaysOnTop), C(WindowTogglePanel),
        MenuItem::popup("&Dock Window", "menu_dock_window", range(DockFile, DockFindResult2)), S(),
        C(WindowCascade), C(WindowTileHorizontal), C(WindowTileVertical), C(WindowArrangeIcons),
    }));
    menu.push_back(MenuItem::popup("&Help", "menu_help", {
        C(HelpContents), C(HelpHomePage), S(),
        C(HelpCheckUpdate), C(HelpFeedback), C(HelpDonate), S(),
        C(HelpAbout),
    }));
    return menu;
}

} // namespace

const std::vector<MenuItem>& mainMenu()
{
    static const std::vector<MenuItem> m = buildMainMenu();
    return m;
}

const std::vector<MenuItem>& contextMenu(int menuId)
{
    static const std::vector<MenuItem> textView = {
        C(EditCut), C(EditCopy), C(EditPaste), C(EditDuplicate), C(EditDelete), S(),
        C(FileOpenSelected), S(),
        C(SearchToggleBookmark), C(SearchAddMark), C(SearchClearMarks), S(),
        C(EditCopyFileName), C(EditCopyFilePath), C(EditCopyFullPath), S(),
        C(EditLowercase), C(EditUppercase), S(),
        C(EditDeleteEmptyLines), C(EditTrimTrailing), C(EditTabsToSpaces), C(EditSpacesToTabs), S(),
        C(EditAddTemplate), S(),
        C(ToolFileProperties),
    };
    static const std::vector<MenuItem> documentTab = {
        C(FileClose), C(FileCloseOther), C(FileCloseAll), S(),
        C(ToolOpenContainingFolder), S(),
        C(FileSave), C(FileSaveAs),
    };
    static const std::vector<MenuItem> toolbarArea = {
        C(ViewMenuBar), C(ViewToolBar, "&Tool Bar"),
    };
    static const std::vector<MenuItem> tray = {
        C(HelpContents), C(HelpHomePage), C(HelpCheckUpdate), C(HelpFeedback), C(HelpDonate),
        C(HelpAbout), S(),
        C(AppExit),
    };
    static const std::vector<MenuItem> none;
    switch (menuId) {
    case TextViewMenu: return textView;
    case DocumentTabMenu: return documentTab;
    case ToolbarAreaMenu: return toolbarArea;
    case TrayMenu: return tray;
    default: return none;
    }
}

const std::vector<int>& toolbarButtons()
{
    static const std::vector<int> buttons = {
        FileNew, FileOpen, FileSave, FileSaveAll, FilePrint, 0,
        EditUndo, EditRedo, 0,
        EditCut, EditCopy, EditPaste, EditDelete, 0,
        SearchFind, SearchReplace, SearchFindInFiles, 0,
        ViewBaseFont, ViewZoomIn, ViewZoomOut, 0,
        ViewWordWrap, ViewEndOfLine, 0,
        DockFile, DockTemplate, DockSymbol, DockCommand, DockFindResult1, DockFindResult2, 0,
        ToolOptions, ViewFullScreen, HelpContents,
    };
    return buttons;
}

int popupTextId(int top, int sub)
{
    if (sub < 0)
        return -(top + 1);
    return -((top + 1) * 100 + sub);
}

} // namespace cmd
