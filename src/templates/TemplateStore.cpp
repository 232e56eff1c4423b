#include "templates/TemplateStore.h"

#include "templates/TemplateTexts.h"

namespace templates {

namespace {

QString q(const QString& group)
{
    return SqliteDb::quoteIdentifier(group);
}

} // namespace

bool TemplateStore::open(const QString& path)
{
    m_failure = {};
    if (m_db.open(path))
        return true;
    m_failure = {QString(), m_db.lastError()};
    return false;
}

bool TemplateStore::run(const QString& sql, const QVariantList& params, const SqliteDb::RowHandler& onRow)
{
    m_failure = {};
    if (!m_db.isOpen())
        return false;   // without a database every action quietly does nothing
    if (m_db.exec(sql, params, onRow))
        return true;
    m_failure = {sql, m_db.lastError()};
    return false;
}

bool TemplateStore::isGroupTable(const QString& table)
{
    return table.compare(QLatin1String("tools"), Qt::CaseInsensitive) != 0
        && !table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

QStringList TemplateStore::groups()
{
    QStringList out;
    run(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"), {},
        [&out](const SqliteRow& r) {
            const QString name = r.text(0);
            if (isGroupTable(name))
                out << name;
            return true;
        });
    return out;
}

QString TemplateStore::trimGroupName(const QString& name)
{
    qsizetype b = 0, e = name.size();
    while (b < e && (name[b] == ' ' || name[b] == '\t'))
        ++b;
    while (e > b && (name[e - 1] == ' ' || name[e - 1] == '\t'))
        --e;
    return name.mid(b, e - b);
}

QString TemplateStore::createStatement(const QString& group)
{
    return QStringLiteral("CREATE TABLE %1(ID INTEGER PRIMARY KEY AUTOINCREMENT, Gap INTEGER DEFAULT 0, "
                          "Name varchar(30), Content text)")
        .arg(group);
}

bool TemplateStore::createGroup(const QString& nameIn)
{
    m_failure = {};
    const QString name = trimGroupName(nameIn);
    if (name.isEmpty() || !m_db.isOpen())
        return false;
    const QString sql = createStatement(name);
    // The name goes into the statement as it stands, so it must be one plain identifier;
    // anything else could carry a statement of its own.
    if (!SqliteDb::isPlainIdentifier(name) || !isGroupTable(name)) {
        m_failure = {sql, texts::str(StrBadGroupName, "not a valid group name")};
        return false;
    }
    return run(sql);
}

bool TemplateStore::dropGroup(const QString& group)
{
    return run(QStringLiteral("drop table %1").arg(q(group)));
}

std::vector<TemplateRow> TemplateStore::list(const QString& group)
{
    std::vector<TemplateRow> out;
    if (!run(QStringLiteral("select ID,Gap,Name from %1").arg(q(group)), {}, [&out](const SqliteRow& r) {
            out.push_back({r.integer(0), r.integer(1) == 1, r.text(2)});
            return true;
        }))
        out.clear();
    return out;
}

std::optional<TemplateEntry> TemplateStore::read(const QString& group, qint64 id)
{
    std::optional<TemplateEntry> out;
    run(QStringLiteral("select Gap,Name,Content from %1 where ID=?").arg(q(group)), {id},
        [&out](const SqliteRow& r) {
            out = TemplateEntry{r.integer(0) == 1, r.text(1), r.text(2)};
            return false;
        });
    return out;
}

std::optional<QString> TemplateStore::content(const QString& group, qint64 id)
{
    std::optional<QString> out;
    run(QStringLiteral("select Content from %1 where ID=?").arg(q(group)), {id}, [&out](const SqliteRow& r) {
        out = r.text(0);
        return false;
    });
    return out;
}

qint64 TemplateStore::add(const QString& group, bool gap, const QString& name, const QString& content)
{
    if (!run(QStringLiteral("insert into %1 (Gap, Name, Content) values (?, ?, ?)").arg(q(group)),
             {gap ? 1 : 0, name, content}))
        return -1;
    return m_db.lastInsertId();
}

bool TemplateStore::update(const QString& group, qint64 id, bool gap, const QString& name, const QString& content)
{
    return run(QStringLiteral("update %1 set Gap = ?, Name=?,Content=? where ID=?").arg(q(group)),
               {gap ? 1 : 0, name, content, id});
}

bool TemplateStore::remove(const QString& group, qint64 id)
{
    return run(QStringLiteral("delete from %1 where ID=?").arg(q(group)), {id});
}

} // namespace templates
