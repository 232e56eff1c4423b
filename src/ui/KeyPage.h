#pragma once
// What the Key options page edits, without its widgets: the command tree of the main menu
// with each command's shortcuts, the chord being captured, adding and removing shortcuts
// with their two refusals, and applying (the key map file, and the tool shortcuts through
// the tool store's sink).
#include <QWidget>   // before the dispatcher's QPointer<QWidget>
#include "app/commands/Accelerators.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace ui {

using cmd::AccelEntry;

class KeyPageModel {
public:
    static constexpr int kMaxShortcuts = 10;
    // Texts of the page's messages.
    enum : int { StrAlreadyUsed = 1057, StrMaximum = 1058 };

    struct Node {
        QString text;          // as the tree shows it: no mnemonic ampersands, cut at a tab
        QString menuText;      // the main-menu text cut at its tab, ampersands kept
        int command = 0;       // 0 for a popup
        int parent = -1;
        std::vector<int> children;
        std::vector<AccelEntry> keys;
    };
    // A user tool of the Tool menu (command 600-679) and its menu text.
    struct Tool {
        int command = 0;
        QString name;
    };

    // Builds the tree from the main menu and a copy of the accelerator table.
    explicit KeyPageModel(const std::vector<AccelEntry>& table, const std::vector<Tool>& tools = {});

    const std::vector<Node>& nodes() const { return m_nodes; }
    // The top-level nodes in order.
    const std::vector<int>& roots() const { return m_roots; }
    // The node of a command, -1 when the tree has none.
    int nodeOf(int command) const;

    // Selecting a node; the list, field and buttons are enabled only for a command.
    void select(int node);
    int selected() const { return m_selected; }
    bool commandSelected() const;
    // The names of the selected command's shortcuts, as the list shows them.
    QStringList currentKeys() const;

    // The hotkey field: a key press is captured as one chord (modifier keys alone are not).
    static std::optional<AccelEntry> chordFromKey(int qtKey, Qt::KeyboardModifiers modifiers);
    void capture(int qtKey, Qt::KeyboardModifiers modifiers);
    void setPending(std::optional<AccelEntry> chord) { m_pending = chord; }
    std::optional<AccelEntry> pending() const { return m_pending; }
    QString pendingName() const;

    // "+": adds the pending chord to the selected command.
    enum class AddResult { Nothing, Added, TooMany, InUse };
    struct Outcome {
        AddResult result = AddResult::Nothing;
        QString message;   // the text of the box for TooMany and InUse
    };
    Outcome add();
    // "-": removes the shortcut at `row` of the list; false when nothing was removed.
    bool remove(int row);

    // True after any change since the tree was built (the dialog's Apply button).
    bool changed() const { return m_changed; }

    // The key map entries in tree order (children before their node), tool commands left
    // out; then the keys of commands the tree does not show (Print, the languages), kept as
    // they were so that applying the page never drops them.
    std::vector<AccelEntry> keyMapEntries() const;
    // Every tool command of the tree with its Shortcut value ("" when it has none left).
    struct ToolShortcut {
        int command = 0;
        QString name;    // the tool's menu text, cut at its tab
        QString value;
    };
    std::vector<ToolShortcut> toolShortcuts() const;

    // Applying: writes the key map file, then hands each tool's shortcuts to `toolSink`
    // (which stores them in the tool table; it returns false and an error text on
    // failure, and the others are still stored). Returns false when the file could not be
    // written; `errors` collects every failure text.
    using ToolSink = std::function<bool(const ToolShortcut&, QString* error)>;
    bool apply(const QString& keyMapPath, const ToolSink& toolSink, QStringList* errors = nullptr);

private:
    void addItems(int parent, const void* items, int top);
    int addNode(Node n, int parent);
    void walk(int node, const std::function<void(const Node&)>& visit) const;
    int findUser(const AccelEntry& chord) const;

    std::vector<Node> m_nodes;
    std::vector<int> m_roots;
    std::vector<AccelEntry> m_table;
    std::vector<AccelEntry> m_outside;   // keys of commands the tree does not show
    std::vector<Tool> m_tools;
    int m_selected = -1;
    std::optional<AccelEntry> m_pending;
    bool m_changed = false;
};

} // namespace ui
