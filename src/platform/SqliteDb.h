#pragma once
// One connection to a SQLite database file. Opening probes the file, so that a file that is
// not a database is known at once and is never written; a busy database is waited for
// briefly. Statements take bound parameters (never text pasted into SQL), and names of
// tables go in through quoteIdentifier.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// One result row, valid during the row callback only.
class SqliteRow {
public:
    explicit SqliteRow(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    int columns() const;
    bool isNull(int column) const;
    qint64 integer(int column) const;
    // The stored bytes of a text or blob value, unchanged.
    QByteArray bytes(int column) const;
    // The value as text: UTF-8 when its bytes are valid UTF-8, else the ANSI code page.
    QString text(int column) const;

private:
    sqlite3_stmt* m_stmt;
};

class SqliteDb {
public:
    enum class Status {
        Closed,
        Open,
        CannotOpen,      // the file cannot be opened or created (folder, permissions...)
        NotADatabase,    // the file exists but holds no database; it is left untouched
    };
    // Called for each row; returning false stops the statement early.
    using RowHandler = std::function<bool(const SqliteRow&)>;

    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens (creating a missing file) and reads the schema once to prove the file is a
    // database. `busyTimeoutMs` is how long a statement waits for another connection's lock.
    bool open(const QString& path, int busyTimeoutMs = 3000);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    Status status() const { return m_status; }
    const QString& path() const { return m_path; }

    // Runs one statement with its "?" parameters bound in order. Parameter types: integers
    // bind as integers, QString as UTF-8 text, QByteArray as text of exactly those bytes, a
    // null QVariant as NULL. False on any error (lastError() tells which).
    bool exec(const QString& sql, const QVariantList& params = {}, const RowHandler& onRow = {});
    // Runs several statements without parameters, in one transaction; all or nothing.
    bool execScript(const QByteArray& sql);

    // SQLite's message and result code for the last failure (also of open()).
    const QString& lastError() const { return m_error; }
    int lastErrorCode() const { return m_errorCode; }
    qint64 lastInsertId() const;
    int changes() const;

    // Names of the tables, in binary name order.
    QStringList tables();

    // "name" with inner double quotes doubled: always a single identifier.
    static QString quoteIdentifier(const QString& name);
    // A plain identifier: [A-Za-z_][A-Za-z0-9_]*.
    static bool isPlainIdentifier(const QString& name);

private:
    void fail(int code, const QString& message);

    sqlite3* m_db = nullptr;
    Status m_status = Status::Closed;
    QString m_path;
    QString m_error;
    int m_errorCode = 0;
};
