#pragma once
// What the Tool page of the options dialog works on: its own copy of the tools, the
// selected row, the fields shown for it and which controls are enabled. The page's widgets
// only show this model and hand the user's edits to it; Apply writes the copy back.
#include "tools/ToolStore.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tools {

class ToolPageModel {
public:
    // The page creates at most this many tools.
    static constexpr int MaxTools = 30;

    // Which controls are enabled, worked out after every selection change and check-box click.
    struct Enabling {
        bool newTool = false, deleteTool = false, moveUp = false, moveDown = false;
        bool fields = false;       // Name, Command, Initial Directory, their "..." and ">" buttons
        bool wait = false, commandWindow = false, needsFile = false, batch = false;   // 103, 104, 106, 109
        bool autoExpand = false;   // 105: only while "Execute in command window" is ticked
        bool fileOptions = false;  // 107, 108 and the file filter: only while 106 is ticked
        bool operator==(const Enabling&) const = default;
    };

    // Fills the copy from the store (or from rows) and selects the first row.
    void load(ToolStore& store);
    void load(std::vector<ToolRecord> rows);

    int count() const { return int(m_rows.size()); }
    const std::vector<ToolRecord>& rows() const { return m_rows; }
    QStringList names() const;

    // -1: no row selected.
    int selected() const { return m_selected; }
    void select(int row);
    // The selected row's fields; empty texts with no selection.
    QString name() const;
    QString command() const;   // whole, "?" and all
    QString dir() const;
    QString filters() const;
    // The check boxes: the selected row's flags, or 0x03 (command window, needs a file) with
    // no row selected.
    int shownFlags() const;
    bool flag(int bit) const { return (shownFlags() & bit) != 0; }

    // Edits of the selected row (nothing happens with no row selected). Renaming shows at
    // once in the list.
    void setName(const QString& name);
    void setCommand(const QString& command);
    void setDir(const QString& dir);
    void setFilters(const QString& filters);
    void setFlag(int bit, bool on);

    // New appends "<New Tool>" with flags 0x05 and selects it (false at the limit). Delete
    // removes the selected row and selects the first. Move Up/Down swap with the neighbour
    // and keep the row selected.
    bool newTool();
    bool deleteTool();
    bool moveUp();
    bool moveDown();

    Enabling enabling() const;
    // Something was edited since the load or the last Apply (the dialog's Apply button).
    bool changed() const { return m_changed; }

    // Writes the rows to the store in one transaction and reads them back (they get new
    // IDs). On failure the table is unchanged, the page keeps its edits and error() says why.
    bool apply(ToolStore& store);
    const QString& error() const { return m_error; }

    // The variables the ">" button offers for the command (menu items 1000-1005).
    static const QStringList& variables();
    // Inserts variable `index` into `text` in place of [selStart, selEnd); returns the new
    // caret position.
    static int insertVariable(QString& text, int selStart, int selEnd, int index);

private:
    ToolRecord* current();
    const ToolRecord* current() const;
    void edit(QString ToolRecord::*field, const QString& value);

    std::vector<ToolRecord> m_rows;
    int m_selected = -1;
    bool m_changed = false;
    QString m_error;
};

} // namespace tools
