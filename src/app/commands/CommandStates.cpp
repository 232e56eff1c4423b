#include "app/commands/CommandStates.h"

#include "platform/Paths.h"

#include "app/commands/CommandTable.h"

#include <QRegularExpression>

namespace cmd {
namespace {

using Doc = UiSnapshot::Doc;

bool inRange(int id, int lo, int hi)
{
    return id >= lo && id <= hi;
}

// The view flag bit behind each of the View menu's checked items.
int viewFlagBit(int id)
{
    switch (id) {
    case ViewWordWrap: return 0;
    case ViewSyntax: return 1;
    case ViewLineNumbers: return 2;
    case ViewWhiteSpace: return 3;
    case ViewEndOfLine: return 4;
    case ViewIndentGuides: return 5;
    default: return -1;
    }
}

// The line-end mode a conversion command produces.
int eolModeOf(int id)
{
    switch (id) {
    case DocEolWindows: return 0;
    case DocEolUnix: return 2;
    case DocEolMac: return 1;
    default: return -1;
    }
}

// Dock Window items are checked while their panel shows their tab.
bool dockChecked(const UiSnapshot& s, int id)
{
    if (inRange(id, DockFile, DockSymbol))
        return s.sidePanelVisible && s.sidePanelTab == id - DockFile;
    if (inRange(id, DockCommand, DockFindResult2))
        return s.bottomPanelVisible && s.bottomPanelTab == id - DockCommand;
    return false;
}

CommandState toolState(const UiSnapshot& s, int id)
{
    CommandState st;
    size_t i = static_cast<size_t>(id - ToolFirst);
    if (i >= s.tools.size())
        return st;
    const UiSnapshot::Tool& t = s.tools[i];
    if (t.flags & 2) {
        st.enabled = s.doc == Doc::Text && hasFile(s.path) &&
                     (t.filters.trimmed().isEmpty() || pathMatchesSpec(s.path, t.filters));
    }
    return st;
}

} // namespace

bool hasFile(const QString& path)
{
    return !path.isEmpty() && !path.startsWith(QLatin1Char('<'));
}

bool pathMatchesSpec(const QString& path, const QString& patterns)
{
    // A tool's filter matches the file name or the whole path.
    QString name = path;
    const int slash = int(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))));
    if (slash >= 0)
        name = path.mid(slash + 1);
    return paths::matchSpec(name, patterns) || paths::matchSpec(path, patterns);
}

CommandState menuState(const UiSnapshot& s, int id)
{
    const bool doc = s.doc != Doc::None;
    const bool text = s.doc == Doc::Text;
    CommandState st;

    // File
    switch (id) {
    case FileOpenSelected: case FileClose: case FileCloseOther: case FileCloseAll:
    case FileSaveAs: case FileSaveAll: case FilePrint:
        st.enabled = doc;
        return st;
    case FileSave: case FileReload:
        st.enabled = doc && s.modified;
        return st;
    case FileExportHtml: case FileExportRtf: case FileExportPdf: case FileExportLatex:
        st.enabled = text;
        return st;
    default: break;
    }

    // Edit
    if (inRange(id, EditUndo, EditBackTab)) {
        switch (id) {
        case EditUndo: st.enabled = doc && s.canUndo; break;
        case EditRedo: st.enabled = doc && s.canRedo; break;
        case EditCut: case EditCopy: case EditDelete: case EditCopyRtf: case EditLowercase:
        case EditUppercase: case EditAddTemplate:
            st.enabled = doc && s.hasSelection;
            break;
        case EditPaste: st.enabled = s.clipboardHasText; break;
        case EditSwapClipboard: st.enabled = doc && s.hasSelection && s.clipboardHasText; break;
        default: st.enabled = doc; break;
        }
        return st;
    }

    // View
    if (id == ViewMenuBar) { st.checked = s.menuBarVisible; return st; }
    if (id == ViewToolBar) { st.checked = s.toolBarVisible; return st; }
    if (id == ViewStatusBar) { st.checked = s.statusBarVisible; return st; }
    if (id == ViewHideTitle) { st.checked = s.hideTitle; return st; }
    if (inRange(id, ViewSyntax, ViewExpandAll)) {
        st.enabled = text;
        int bit = viewFlagBit(id);
        if (bit >= 0)
            st.checked = text && (s.viewFlags >> bit & 1);
        return st;
    }

    if (inRange(id, ViewCollapseLevel1, ViewCollapseLevel1 + 7) || inRange(id, ViewExpandLevel1, ViewExpandLevel1 + 7)) {
        st.enabled = text;
        return st;
    }

    // Search
    if (id == SearchGoTo) {
        st.enabled = text;
        return st;
    }
    if (inRange(id, SearchFind, SearchPreviousBookmark)) {
        if (id == SearchFindInFiles)
            st.enabled = true;
        else if (id <= SearchGoTo)
            st.enabled = doc;
        else
            st.enabled = text;
        return st;
    }

    // Document
    if (inRange(id, DocUseTabs, DocEolMac)) {
        st.enabled = text;
        if (id == DocUseTabs)
            st.checked = text && s.useTabs;
        else if (inRange(id, DocEncodeAnsi, DocEncodeUtf8NoBom))
            st.checked = text && s.encoding == id - DocEncodeAnsi;
        else if (text && eolModeOf(id) == s.eolMode)
            st.enabled = false;
        return st;
    }
    if (id == DocReadOnly) {
        st.enabled = doc && !s.fileReadOnly;
        st.checked = doc && s.docReadOnly;
        return st;
    }
    if (id == DocClearReadOnly) {
        st.enabled = doc && s.fileReadOnly;
        return st;
    }

    // Tool
    if (inRange(id, ToolFirst, ToolLast))
        return toolState(s, id);
    switch (id) {
    case ToolLocateFile:   // a document without a file has nothing to show or open
    case ToolOpenByDefaultApp:
    case ToolOpenContainingFolder:
        st.enabled = doc && hasFile(s.path);
        return st;
    case ToolMonitorClipboard:
        st.enabled = text;
        st.checked = text && s.monitorClipboard;
        return st;
    case ToolFileProperties:
        st.enabled = text;
        return st;
    default: break;
    }

    // Language
    if (id == LanguageHex) {
        st.enabled = doc;
        st.checked = s.doc == Doc::Hex;
        return st;
    }
    if (inRange(id, LanguageFirst, LanguageLast)) {
        st.enabled = doc;
        st.checked = text && s.language == id - LanguageFirst;
        return st;
    }

    // Window
    switch (id) {
    case WindowNext: case WindowPrevious: case WindowCascade: case WindowTileHorizontal:
    case WindowTileVertical: case WindowArrangeIcons:
        st.enabled = doc;
        return st;
    case WindowAlwaysOnTop:
        st.checked = s.alwaysOnTop;
        return st;
    default: break;
    }
    if (inRange(id, DockFile, DockFindResult2)) {
        st.checked = dockChecked(s, id);
        return st;
    }
    if (inRange(id, WindowDocFirst, WindowDocLast)) {
        st.checked = id - WindowDocFirst == s.activeDocument;
        return st;
    }
    return st;
}

CommandState toolbarState(const UiSnapshot& s, int id)
{
    const bool doc = s.doc != Doc::None;
    const bool text = s.doc == Doc::Text;
    CommandState st;
    switch (id) {
    case DockFile: case DockTemplate: case DockSymbol:
    case DockCommand: case DockFindResult1: case DockFindResult2:
        st.checked = dockChecked(s, id);
        break;
    case FileSave:
        st.enabled = doc && s.modified;
        break;
    case EditCut: case EditCopy: case EditDelete:
        st.enabled = text ? s.hasSelection : s.focusedEditHasSelection;
        break;
    case EditPaste:
        st.enabled = doc && s.clipboardHasText;
        break;
    case EditUndo:
        st.enabled = doc && s.canUndo;
        break;
    case EditRedo:
        st.enabled = doc && s.canRedo;
        break;
    case FileSaveAll: case ViewZoomIn: case ViewZoomOut: case SearchFind: case SearchReplace:
        st.enabled = s.documentCount > 0;
        if (id == SearchFind || id == SearchReplace)
            st.enabled = st.enabled && !s.searchDialogOpen;
        break;
    case SearchFindInFiles:
        st.enabled = !s.searchDialogOpen;
        break;
    case ViewWordWrap: case ViewEndOfLine:
        st.enabled = text;
        st.checked = text && (s.viewFlags >> viewFlagBit(id) & 1);
        break;
    default:
        break;
    }
    return st;
}

} // namespace cmd
