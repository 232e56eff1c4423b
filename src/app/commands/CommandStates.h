#pragma once
// Enabled and checked states of the menu items and toolbar buttons, computed from a plain
// snapshot of the editor's state. The frame fills the snapshot; nothing here touches a
// document.
#include <QString>
#include <QStringList>
#include <vector>

namespace cmd {

struct UiSnapshot {
    enum class Doc { None, Text, Hex };

    // The active document.
    Doc doc = Doc::None;
    bool modified = false;        // modified or changed outside
    bool fileReadOnly = false;    // the file had the read-only attribute
    bool docReadOnly = false;     // the user's read-only toggle
    QString path;                 // "<new>" (any path starting with "<") has no file
    bool hasSelection = false;    // the active view has a non-empty selection
    bool canUndo = false;
    bool canRedo = false;
    int viewFlags = 0;            // bit 0 wrap, 1 syntax, 2 line numbers, 3 white space, 4 line ends, 5 guides
    bool useTabs = false;
    int encoding = 0;             // 0 ANSI, 1 UNICODE BE, 2 UNICODE, 3 UTF-8, 4 UTF-8 NOBOM
    int eolMode = 0;              // 0 CR+LF, 1 CR, 2 LF
    int language = -1;            // language index of a text document
    bool monitorClipboard = false;

    // Outside the document.
    bool clipboardHasText = false;
    bool focusedEditHasSelection = false;   // an edit field outside the documents has the focus and a selection
    int documentCount = 0;
    bool searchDialogOpen = false;          // a Find, Replace or Find in Files dialog is open
    int activeDocument = -1;                // position of the active document in tab order
    QStringList documentPaths;              // every document's path in tab order (Window menu list)

    bool menuBarVisible = true;
    bool toolBarVisible = true;
    bool statusBarVisible = true;
    bool hideTitle = false;
    bool alwaysOnTop = false;

    bool sidePanelVisible = false;
    int sidePanelTab = 0;      // tab identifier shown: 0 file browser, 1 templates, 2 symbols
    bool bottomPanelVisible = false;
    int bottomPanelTab = 0;    // 0 command window, 1 find result 1, 2 find result 2

    struct Tool {
        int flags = 0;         // flag 2: needs an open file
        QString filters;       // ";"-separated file patterns, empty for any file
    };
    std::vector<Tool> tools;   // tool i is command 600 + i
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
    bool operator==(const CommandState&) const = default;
};

// The state of a menu item, computed when its menu opens.
CommandState menuState(const UiSnapshot& s, int id);
// The state of a toolbar button, computed when the event loop is idle.
CommandState toolbarState(const UiSnapshot& s, int id);

// True when the path names a file (not "<new>" and not empty).
bool hasFile(const QString& path);
// File pattern match of a path against a ";"-separated list ("*.c;*.h"), without regard
// to case; a pattern matches the full path or its file name.
bool pathMatchesSpec(const QString& path, const QString& patterns);

} // namespace cmd
