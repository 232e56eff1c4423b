#pragma once
// Helpers for the tool tests: tool rows and a trigger that makes inserts of one name fail.
#include "tools/ToolStore.h"

#include <QStringList>

inline tools::ToolRecord tool(const QString& name, const QString& command = QString(), int flags = 0,
                              const QString& filters = QString(), const QString& dir = QString(),
                              const QString& shortcut = QString())
{
    tools::ToolRecord t;
    t.name = name;
    t.command = command;
    t.flags = flags;
    t.filters = filters;
    t.dir = dir;
    t.shortcut = shortcut;
    return t;
}

inline QStringList namesOf(const std::vector<tools::ToolRecord>& rows)
{
    QStringList out;
    for (const auto& r : rows)
        out << r.name;
    return out;
}

// Any insert of a tool named "Broken" fails, as a full disk or a locked file would.
inline bool breakInsertsOfBroken(SqliteDb& db)
{
    return db.exec(QStringLiteral("CREATE TRIGGER no_broken BEFORE INSERT ON tools WHEN NEW.Name='Broken' "
                                  "BEGIN SELECT RAISE(ABORT, 'cannot store Broken'); END"));
}
