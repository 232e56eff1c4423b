#pragma once
// The template store: one table per template group in velmo.db, each entry a row with its
// ID, a separator flag (Gap), a display name and the template text. Every other table of
// the file belongs to someone else ("tools", SQLite's own "sqlite_*") and is never listed.
#include "platform/SqliteDb.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace templates {

struct TemplateRow {
    qint64 id = 0;
    bool gap = false;   // a separator: shows as an empty line
    QString name;
};

struct TemplateEntry {
    bool gap = false;
    QString name;
    QString content;   // lines separated by CR LF
};

class TemplateStore {
public:
    // Limits of the dialogs (names in characters).
    static constexpr int MaxNameLength = 29;
    static constexpr int MaxGroupNameLength = 63;

    // What the last failing statement was, and SQLite's word on it.
    struct Failure {
        QString statement;
        QString error;
    };

    // Opens velmo.db (created when missing). False when it cannot be opened or is no
    // database; the store then does nothing and the file is left untouched.
    bool open(const QString& path);
    void close() { m_db.close(); }
    bool isOpen() const { return m_db.isOpen(); }
    SqliteDb& db() { return m_db; }

    // Group names in binary order, without the tables that are no groups.
    QStringList groups();
    static bool isGroupTable(const QString& table);

    // Names are trimmed of spaces and tabs; an empty name creates nothing (and is no
    // failure). A name that is not a plain identifier, or names a table that is no group,
    // fails without reaching the database.
    static QString trimGroupName(const QString& name);
    bool createGroup(const QString& name);
    bool dropGroup(const QString& group);

    // The entries in database (ID) order; empty on failure.
    std::vector<TemplateRow> list(const QString& group);
    std::optional<TemplateEntry> read(const QString& group, qint64 id);
    std::optional<QString> content(const QString& group, qint64 id);
    // The new entry's ID, or -1.
    qint64 add(const QString& group, bool gap, const QString& name, const QString& content);
    bool update(const QString& group, qint64 id, bool gap, const QString& name, const QString& content);
    bool remove(const QString& group, qint64 id);

    const Failure& lastFailure() const { return m_failure; }

    // The statement that creates a group's table, with the name as given.
    static QString createStatement(const QString& group);

private:
    bool run(const QString& sql, const QVariantList& params = {}, const SqliteDb::RowHandler& onRow = {});

    SqliteDb m_db;
    Failure m_failure;
};

} // namespace templates
