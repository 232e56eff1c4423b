#include "platform/SqliteDb.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QStringDecoder>

#include <sqlite3.h>

int SqliteRow::columns() const
{
    return sqlite3_column_count(m_stmt);
}

bool SqliteRow::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 SqliteRow::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray SqliteRow::bytes(int column) const
{
    // Ask for the pointer first, then the size, as SQLite wants it.
    const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    const int n = sqlite3_column_bytes(m_stmt, column);
    return p && n > 0 ? QByteArray(p, n) : QByteArray();
}

QString SqliteRow::text(int column) const
{
    const QByteArray raw = bytes(column);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString out = utf8.decode(raw);
    if (!utf8.hasError())
        return out;
    return ansi::toUnicode(std::string_view(raw.constData(), size_t(raw.size())));
}

SqliteDb::~SqliteDb()
{
    close();
}

void SqliteDb::fail(int code, const QString& message)
{
    m_errorCode = code;
    m_error = message;
}

bool SqliteDb::open(const QString& path, int busyTimeoutMs)
{
    close();
    m_path = path;
    m_error.clear();
    m_errorCode = 0;
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close(db);
        m_status = Status::CannotOpen;
        return false;
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    m_db = db;
    // SQLite reads the file only at the first statement: read the schema now, so that a file
    // that is no database is found here, before anything could be written to it.
    if (!exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const int code = m_errorCode;
        const QString message = m_error;
        sqlite3_close(m_db);
        m_db = nullptr;
        fail(code, message);
        m_status = code == SQLITE_NOTADB ? Status::NotADatabase : Status::CannotOpen;
        return false;
    }
    m_status = Status::Open;
    return true;
}

void SqliteDb::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_status = Status::Closed;
}

bool SqliteDb::exec(const QString& sql, const QVariantList& params, const RowHandler& onRow)
{
    if (!m_db) {
        fail(SQLITE_MISUSE, QStringLiteral("no database"));
        return false;
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, &tail);
    if (rc != SQLITE_OK || !stmt) {
        fail(rc == SQLITE_OK ? SQLITE_MISUSE : rc,
             rc == SQLITE_OK ? QStringLiteral("empty statement") : QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_finalize(stmt);
        return false;
    }
    // One statement only: anything after it would be another statement smuggled in.
    // (Blanks, semicolons and comments after it prepare to no statement.)
    const char* const end = text.constData() + text.size();
    while (tail && tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* after = nullptr;
        const int rc2 = sqlite3_prepare_v2(m_db, tail, int(end - tail), &next, &after);
        const bool another = rc2 != SQLITE_OK || next != nullptr || after == tail;
        sqlite3_finalize(next);
        tail = after;
        if (another) {
            sqlite3_finalize(stmt);
            fail(SQLITE_MISUSE, QStringLiteral("more than one statement"));
            return false;
        }
    }
    if (params.size() != sqlite3_bind_parameter_count(stmt)) {
        sqlite3_finalize(stmt);
        fail(SQLITE_RANGE, QStringLiteral("%1 parameters for %2 places").arg(params.size()).arg(sqlite3_bind_parameter_count(stmt)));
        return false;
    }
    for (int i = 0; i < params.size() && rc == SQLITE_OK; ++i) {
        const QVariant& v = params[i];
        switch (v.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(stmt, i + 1);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_text(stmt, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            if (v.isNull()) {
                rc = sqlite3_bind_null(stmt, i + 1);
                break;
            }
            const QByteArray b = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK) {
        fail(rc, QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_finalize(stmt);
        return false;
    }
    SqliteRow row(stmt);
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (onRow && !onRow(row)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        fail(rc, QString::fromUtf8(sqlite3_errmsg(m_db)));
    sqlite3_finalize(stmt);
    return ok;
}

bool SqliteDb::execScript(const QByteArray& sql)
{
    if (!m_db) {
        fail(SQLITE_MISUSE, QStringLiteral("no database"));
        return false;
    }
    auto run = [this](const char* text) {
        char* message = nullptr;
        const int rc = sqlite3_exec(m_db, text, nullptr, nullptr, &message);
        if (rc != SQLITE_OK)
            fail(rc, QString::fromUtf8(message ? message : sqlite3_errstr(rc)));
        sqlite3_free(message);
        return rc == SQLITE_OK;
    };
    if (!run("BEGIN"))
        return false;
    if (!run(sql.constData())) {
        const int code = m_errorCode;
        const QString message = m_error;
        run("ROLLBACK");
        fail(code, message);
        return false;
    }
    return run("COMMIT");
}

qint64 SqliteDb::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int SqliteDb::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

QStringList SqliteDb::tables()
{
    QStringList out;
    exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"), {},
         [&out](const SqliteRow& r) {
             out << QString::fromUtf8(r.bytes(0));
             return true;
         });
    return out;
}

QString SqliteDb::quoteIdentifier(const QString& name)
{
    QString out = name;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

bool SqliteDb::isPlainIdentifier(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}
