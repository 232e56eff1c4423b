#pragma once
// The structure of the main menu, the context menus and the toolbar, as plain data.
#include <QString>
#include <vector>

namespace cmd {

struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    int id = 0;                     // command id (Command)
    const char* text = nullptr;     // popup caption, or a label that differs from the command's
    const char* name = nullptr;     // object name of a popup ("menu_file")
    std::vector<MenuItem> items;    // popup contents

    static MenuItem command(int id, const char* label = nullptr)
    {
        MenuItem m;
        m.id = id;
        m.text = label;
        return m;
    }
    static MenuItem separator()
    {
        MenuItem m;
        m.kind = Kind::Separator;
        return m;
    }
    static MenuItem popup(const char* caption, const char* name, std::vector<MenuItem> items)
    {
        MenuItem m;
        m.kind = Kind::Popup;
        m.text = caption;
        m.name = name;
        m.items = std::move(items);
        return m;
    }
};

// Context menus by resource number.
enum ContextMenu { TextViewMenu = 4, DocumentTabMenu = 7, ToolbarAreaMenu = 8, TrayMenu = 10 };

// The main menu: its top-level popups in order (File, Edit, View, Search, Document, Tool,
// Language, Window, Help).
const std::vector<MenuItem>& mainMenu();
// Context menu 4, 7, 8 or 10; empty for any other number.
const std::vector<MenuItem>& contextMenu(int menuId);
// The toolbar's buttons in order; 0 stands for a separator.
const std::vector<int>& toolbarButtons();

// Translation ids of popup captions, which have no command id: the top-level popup at
// position p is -(p + 1); a popup at position q inside top-level popup p is
// -((p + 1) * 100 + q).
int popupTextId(int topPosition, int subPosition = -1);

} // namespace cmd
