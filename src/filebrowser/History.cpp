#include "filebrowser/History.h"

namespace filebrowser {

void History::push(QStringList& ring, const QString& folder)
{
    if (folder.isEmpty())
        return;
    ring.prepend(folder);
    while (ring.size() > kSize)
        ring.removeLast();
}

void History::leave(const QString& folder)
{
    push(m_back, folder);
}

QString History::move(QStringList& from, QStringList& to, const QString& current, int index)
{
    if (index < 0 || index >= from.size())
        return {};
    push(to, current);
    for (int i = 0; i < index; ++i)
        push(to, from.takeFirst());
    return from.takeFirst();
}

QString History::back(const QString& current, int index)
{
    return move(m_back, m_forward, current, index);
}

QString History::forward(const QString& current, int index)
{
    return move(m_forward, m_back, current, index);
}

} // namespace filebrowser
