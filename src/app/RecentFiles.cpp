#include "app/RecentFiles.h"

#include "platform/Paths.h"
#include "platform/Registry.h"

#include <QtGlobal>

const QString& RecentFiles::registryKey()
{
    static const QString key = QStringLiteral("Software\\Velmo\\Recent Document List");
    return key;
}

int RecentFiles::clampSize(int n)
{
    return qBound(kMinSize, n, kMaxSize);
}

void RecentFiles::setMaxSize(int n)
{
    m_max = clampSize(n);
    while (m_entries.size() > m_max)
        m_entries.removeLast();
}

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    // Compared as opening compares: names that differ only in letter case are two files.
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
        if (m_entries[i] == path || paths::sameFile(m_entries[i], path))
            m_entries.removeAt(i);
    while (m_entries.size() >= m_max)
        m_entries.removeLast();
    m_entries.prepend(path);
}

void RecentFiles::remove(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

bool RecentFiles::read(const registry::Store& store, int mruSize)
{
    setMaxSize(mruSize);
    const std::optional<quint32> count = store.queryDword(registryKey(), QStringLiteral("DocumentCount"));
    if (!count)
        return false;
    setMaxSize(int(qMin<quint32>(*count, quint32(kMaxSize))));
    clear();
    // From the oldest to the newest, so that "Document1" ends on top.
    for (int i = m_max; i >= 1; --i)
        if (auto path = store.queryString(registryKey(), QStringLiteral("Document%1").arg(i)); path && !path->isEmpty())
            add(*path);
    return true;
}

bool RecentFiles::write(registry::Store& store) const
{
    // One write of the store for the whole list, so a failure never leaves half of it.
    std::vector<std::pair<QString, registry::Value>> values;
    registry::Value count;
    count.type = registry::Type::Dword;
    count.dword = quint32(m_max);
    values.emplace_back(QStringLiteral("DocumentCount"), count);
    for (int i = 0; i < m_entries.size(); ++i) {
        registry::Value path;   // a string value
        path.string = m_entries[i];
        values.emplace_back(QStringLiteral("Document%1").arg(i + 1), path);
    }
    QStringList removed;
    for (int i = int(m_entries.size()) + 1; i <= kMaxSize; ++i)
        removed << QStringLiteral("Document%1").arg(i);
    return store.setValues(registryKey(), values, removed);
}

QString recentMenuLabel(int index, const QString& path)
{
    return QStringLiteral("&%1 %2").arg(index + 1).arg(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
}
