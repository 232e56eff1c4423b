#pragma once
// Builds the menu bar, the context menus and the toolbar from the menu model. Every
// QAction carries its command id (as data and as the object name "cmd_<id>"); choosing
// one emits command(id, false). Keys are not installed on the actions: the key
// dispatcher handles them and the menu texts only show them.
#include "app/commands/Accelerators.h"
#include "app/commands/CommandStates.h"
#include "app/commands/MenuModel.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QToolBar>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>


namespace cmd {

class CommandUi : public QObject {
    Q_OBJECT
public:
    using SnapshotProvider = std::function<UiSnapshot()>;
    using FontKeyReader = std::function<QString(const QString& key)>;   // [FONT] key -> value

    explicit CommandUi(QObject* parent = nullptr);
    ~CommandUi() override;

    // The main menu (made once; the menu bar belongs to parent).
    QMenuBar* createMenuBar(QWidget* parent);
    // The toolbar with its separators, tooltips, icons and the base-font drop-down.
    QToolBar* createToolBar(QWidget* parent);
    // Context menu 4, 7, 8 or 10 (nullptr for another number); states are applied when it opens.
    QMenu* createContextMenu(int menuId, QWidget* parent);

    QMenuBar* menuBar() const { return m_menuBar; }
    QToolBar* toolBar() const { return m_toolBar; }
    // A popup of the main menu by object name ("menu_file", "menu_recent", "menu_window", ...).
    QMenu* popup(const QString& objectName) const;
    QAction* menuAction(int id) const;     // main menu item
    QAction* toolAction(int id) const;     // toolbar button
    QMenu* baseFontMenu() const { return m_fontMenu; }

    // Adds a command item (tools, languages, documents) before `before` or at the end.
    QAction* addCommand(QMenu* menu, int id, const QString& text, QAction* before = nullptr);

    // Menu texts: each main-menu item bound in the table shows its last key after a tab.
    void setShortcutTexts(const std::vector<AccelEntry>& table);

    // The frame's state, asked for when a menu opens and when the loop goes idle.
    void setSnapshotProvider(SnapshotProvider provider) { m_snapshot = std::move(provider); }
    // Reads the [FONT] definitions for the base-font drop-down.
    void setFontKeyReader(FontKeyReader reader) { m_fontReader = std::move(reader); }

    // Applies menu states to every item of a menu and its submenus.
    static void applyMenuStates(QMenu* menu, const UiSnapshot& s);
    void applyToolbarStates(const UiSnapshot& s);
    // Recomputes the toolbar from the provider (the frame calls this when idle).
    void refreshToolbar();
    // Refresh the toolbar each time the event loop is about to wait for events.
    void setIdleRefresh(bool on);

    // The Window menu's document list: the items after the fixed ones are replaced by a
    // separator and one item per path in tab order (837 + n), the active one checked.
    void rebuildDocumentList(const QStringList& paths, int active);
    // Rebuilds the base-font drop-down from [FONT]; "CurSel" is checked.
    void rebuildBaseFontMenu();

signals:
    void command(int id, bool fromAccelerator);

private:
    void fillMenu(QMenu* menu, const std::vector<MenuItem>& items, int top, bool mainMenu);
    QAction* makeAction(QObject* parent, int id, const QString& text);
    void menuAboutToShow(QMenu* menu);

    QPointer<QMenuBar> m_menuBar;
    QPointer<QToolBar> m_toolBar;
    QPointer<QMenu> m_fontMenu;
    std::map<int, QPointer<QAction>> m_menuActions;
    std::map<int, QPointer<QAction>> m_toolActions;
    std::map<QString, QPointer<QMenu>> m_popups;
    int m_windowFixedCount = 0;
    SnapshotProvider m_snapshot;
    FontKeyReader m_fontReader;
    QMetaObject::Connection m_idle;
};

// Label of a document in the Window menu: the file name part of its path, or the path
// itself when it names no file ("<new>").
QString documentListLabel(const QString& path);

} // namespace cmd
