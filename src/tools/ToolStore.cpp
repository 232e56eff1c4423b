#include "tools/ToolStore.h"

#include "tools/ShippedTools.h"   // generated from dist/tools.sql

namespace tools {

namespace {
// A row of "SELECT ID, Name, Command, Dir, Shortcut, Filters, Flags".
ToolRecord recordFrom(const SqliteRow& r)
{
    ToolRecord t;
    t.id = r.integer(0);
    t.name = r.text(1);
    t.command = r.text(2);
    t.dir = r.text(3);
    t.shortcut = r.text(4);
    t.filters = r.text(5);
    t.flags = int(r.integer(6));
    return t;
}
} // namespace

const char* ToolStore::createStatement()
{
    return "CREATE TABLE tools(ID INTEGER PRIMARY KEY AUTOINCREMENT, Name text, Command text, Dir text, "
           "Shortcut text, Filters text, Flags integer DEFAULT 0)";
}

const char* ToolStore::shippedToolsSql()
{
    return kShippedToolsSql;
}

bool ToolStore::open(const QString& path)
{
    m_error.clear();
    if (!m_db.open(path)) {
        m_error = m_db.lastError();
        return false;
    }
    for (const QString& t : m_db.tables())
        if (t.compare(QLatin1String("tools"), Qt::CaseInsensitive) == 0)
            return true;
    // The table and its first tools arrive together or not at all.
    QByteArray script = QByteArray(createStatement()) + ";\n" + shippedToolsSql();
    if (!m_db.execScript(script))
        m_error = m_db.lastError();   // the menu then stays without tools
    return true;
}

bool ToolStore::run(const QString& sql, const QVariantList& params, const SqliteDb::RowHandler& onRow)
{
    if (!m_db.isOpen()) {
        m_error = QStringLiteral("velmo.db is not open");
        return false;
    }
    if (m_db.exec(sql, params, onRow))
        return true;
    m_error = m_db.lastError();
    return false;
}

std::vector<ToolRecord> ToolStore::load(int limit)
{
    std::vector<ToolRecord> out;
    m_error.clear();
    const bool ok = run(QStringLiteral("SELECT ID, Name, Command, Dir, Shortcut, Filters, Flags FROM tools ORDER BY ID"),
                        {}, [&](const SqliteRow& r) {
                            if (int(out.size()) >= limit)
                                return false;
                            out.push_back(recordFrom(r));
                            return true;
                        });
    if (!ok)
        out.clear();
    return out;
}

std::optional<ToolRecord> ToolStore::read(qint64 id)
{
    std::optional<ToolRecord> out;
    run(QStringLiteral("SELECT ID, Name, Command, Dir, Shortcut, Filters, Flags FROM tools WHERE ID=?"), {id},
        [&](const SqliteRow& r) {
            out = recordFrom(r);
            return false;
        });
    return out;
}

bool ToolStore::replaceAll(const std::vector<ToolRecord>& rows)
{
    m_error.clear();
    if (!run(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool ok = run(QStringLiteral("DELETE FROM tools"));
    for (size_t i = 0; ok && i < rows.size(); ++i) {
        const ToolRecord& t = rows[i];
        ok = run(QStringLiteral("INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES (?,?,?,?,?,?)"),
                 {t.name, t.command, t.dir, t.shortcut, t.filters, t.flags});
    }
    return commitOrRollBack(ok);
}

bool ToolStore::commitOrRollBack(bool ok)
{
    if (ok && run(QStringLiteral("COMMIT")))
        return true;
    const QString error = m_error;   // the first failure is the one to report
    m_db.exec(QStringLiteral("ROLLBACK"));
    m_error = error;
    return false;
}

bool ToolStore::setShortcuts(const std::vector<std::pair<qint64, QString>>& values,
                             const std::function<bool()>& beforeCommit)
{
    m_error.clear();
    if (!run(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool ok = true;
    for (size_t i = 0; ok && i < values.size(); ++i)
        ok = run(QStringLiteral("UPDATE tools SET Shortcut=? WHERE ID=?"), {values[i].second, values[i].first});
    if (ok && beforeCommit && !beforeCommit()) {
        m_db.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return commitOrRollBack(ok);
}

} // namespace tools
