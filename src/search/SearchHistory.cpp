#include "search/SearchHistory.h"

#include "platform/Registry.h"

#include <utility>

namespace search {

namespace {
const QString kOrder = QStringLiteral("MRUList");
QString slotName(int i) { return QString(QChar('a' + i)); }
}

SearchHistory::SearchHistory(QString key) : m_key(std::move(key))
{
    load();
}

void SearchHistory::load()
{
    m_entries.clear();
    registry::Store& store = registry::user();
    const QString order = store.queryString(m_key, kOrder).value_or(QString());
    for (QChar slot : order) {
        const int i = slot.unicode() - 'a';
        if (i < 0 || i >= kMaxEntries)
            continue;   // a damaged order string loses only its bad letters
        const auto text = store.queryString(m_key, slotName(i));
        if (!text || text->isEmpty() || m_entries.contains(*text))
            continue;
        m_entries << text->left(kMaxEntryLength);
        if (m_entries.size() == kMaxEntries)
            break;
    }
}

bool SearchHistory::save()
{
    load();
    for (const QString& t : std::as_const(m_added))
        addEntry(t);
    m_added.clear();
    registry::Store& store = registry::user();
    QString order;
    bool ok = true;
    for (int i = 0; i < m_entries.size(); ++i) {
        ok = store.setString(m_key, slotName(i), m_entries[i]) && ok;
        order += slotName(i);
    }
    for (int i = int(m_entries.size()); i < kMaxEntries; ++i)
        if (store.queryString(m_key, slotName(i)))
            store.deleteValue(m_key, slotName(i));
    return store.setString(m_key, kOrder, order) && ok;
}

void SearchHistory::add(const QString& text)
{
    const QString t = text.left(kMaxEntryLength);
    if (t.isEmpty())
        return;
    m_added << t;
    addEntry(t);
}

void SearchHistory::addEntry(const QString& t)
{
    m_entries.removeAll(t);
    m_entries.prepend(t);
    while (m_entries.size() > kMaxEntries)
        m_entries.removeLast();
}

} // namespace search
