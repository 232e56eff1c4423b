#pragma once
// The user tools of the main frame: the Tool menu's tool items (600 + i, above a separator
// and the fixed items) and their keys, both loaded from velmo.db, and running a tool.
#include "app/commands/Accelerators.h"
#include "tools/ToolStore.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

class CMainFrame;
class QAction;
namespace cmd {
struct UiSnapshot;
}
namespace tools {
class ToolPageModel;
}

class CToolCommands : public QObject {
    Q_OBJECT
public:
    // Types lines into the command window; false when they could not be delivered.
    using CommandWindowSender = std::function<bool(const QStringList& lines)>;

    explicit CToolCommands(CMainFrame& frame);

    // Reopens velmo.db, rebuilds the tool items of the Tool menu and puts the tools' keys in
    // place of the old ones, so a key never runs another tool than its item's. A database
    // that cannot be opened is reported ("velmo.db is corrupted") and leaves no tools.
    void reload();
    // The tools' keys as last loaded (commands 600 + i).
    const std::vector<cmd::AccelEntry>& accelerators() const;

    // Commands 600-679; false for others.
    bool onCommand(int id);
    void fillSnapshot(cmd::UiSnapshot& s) const;

    // The main frame hands over the command window here.
    void setCommandWindowSender(CommandWindowSender sender) { m_sender = std::move(sender); }

    // The Tool page's Apply: the tools are written in one transaction and the menu and keys
    // rebuilt; on failure nothing changes and the error is shown. False on failure.
    bool applyPage(tools::ToolPageModel& model);
    // velmo.db in the data folder, and the batch file of the tools.
    QString databasePath() const;
    QString batchPath() const;
    tools::ToolStore& store() { return m_store; }

    // The tools as last loaded, tool i being command 600 + i.
    struct Loaded {
        qint64 id = 0;
        int flags = 0;
        QString filters;
        QString name;
    };
    const std::vector<Loaded>& loaded() const { return m_loaded; }

private:
    void run(size_t index);
    bool send(const QString& toolName, const QStringList& lines, int flags);

    CMainFrame& m_frame;
    tools::ToolStore m_store;
    std::vector<Loaded> m_loaded;
    std::vector<cmd::AccelEntry> m_keys;
    CommandWindowSender m_sender;
};
