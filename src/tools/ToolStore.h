#pragma once
// The user tools: the "tools" table of velmo.db, one row per tool in menu order (ID order).
// The table is created, with the shipped tools in it, when the file lacks it; a table that
// exists is never filled again, so a user who removed every tool keeps an empty menu.
#include "platform/SqliteDb.h"

#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tools {

// Flag bits of a tool.
enum ToolFlags : int {
    InCommandWindow = 0x01,   // the command goes to the command window
    NeedsFile = 0x02,         // a document with a file must be active; filters apply
    AutoExpand = 0x04,        // show the command window after sending to it
    SaveWithoutAsking = 0x08, // a modified document is saved without the question
    ReloadAfter = 0x10,       // after a separate process, reload a changed file silently
    AsBatchFile = 0x20,       // the command is written to batch.bat, which the window runs
    WaitForEnd = 0x40,        // wait for a separate process to end
};

struct ToolRecord {
    qint64 id = 0;
    QString name;
    QString command;   // may hold several lines, %NAME% and $(...) references
    QString dir;       // empty, a folder (may hold %NAME%) or "$(FILE_PATH)"
    QString shortcut;  // comma-separated key numbers; empty for none
    QString filters;   // "*.c;*.h"; empty for every file
    int flags = 0;
    bool operator==(const ToolRecord&) const = default;
};

// Command ids 600-679 hold the tools: at most this many are loaded.
constexpr int MaxLoadedTools = 80;

class ToolStore {
public:

    // Opens velmo.db (created when missing) and creates the tools table, with the shipped
    // tools, when it is missing. False when the file cannot be opened or is no database.
    bool open(const QString& path);
    void close() { m_db.close(); }
    bool isOpen() const { return m_db.isOpen(); }
    SqliteDb& db() { return m_db; }

    // The tools in menu order, at most `limit`; empty when the table cannot be read.
    std::vector<ToolRecord> load(int limit = MaxLoadedTools);
    // One tool read afresh by its ID.
    std::optional<ToolRecord> read(qint64 id);
    // Replaces every tool by `rows` in list order, in one transaction: on any failure the
    // table is left as it was and false is returned (lastError() tells why). The rows get
    // new IDs.
    bool replaceAll(const std::vector<ToolRecord>& rows);
    // Sets the Shortcut column of the tools with the given IDs, in one transaction.
    // `beforeCommit` runs last inside it: when it returns false (or a statement fails)
    // nothing is stored. A missing ID changes nothing.
    bool setShortcuts(const std::vector<std::pair<qint64, QString>>& values,
                      const std::function<bool()>& beforeCommit = {});

    const QString& lastError() const { return m_error; }

    // The statement that creates the table, and the shipped tools' SQL.
    static const char* createStatement();
    static const char* shippedToolsSql();

private:
    bool run(const QString& sql, const QVariantList& params = {}, const SqliteDb::RowHandler& onRow = {});
    // Commits the open transaction when `ok`; otherwise, or when the commit fails, rolls it back.
    bool commitOrRollBack(bool ok);

    SqliteDb m_db;
    QString m_error;
};

} // namespace tools
