#pragma once
// The panel's navigation history: a back ring and a forward ring of eight folders each;
// adding to a full ring drops its oldest entry.
#include <QString>
#include <QStringList>

namespace filebrowser {

class History {
public:
    static constexpr int kSize = 8;

    // Going to another folder: the folder being left goes onto the back ring.
    void leave(const QString& folder);
    bool canBack() const { return !m_back.isEmpty(); }
    bool canForward() const { return !m_forward.isEmpty(); }
    // Back to entry `index` of the back ring (0 the newest) from `current`: the entries
    // passed over and `current` go onto the forward ring. Returns the folder to go to, or
    // an empty string when there is no such entry.
    QString back(const QString& current, int index = 0);
    QString forward(const QString& current, int index = 0);
    // The rings, newest first.
    QStringList backList() const { return m_back; }
    QStringList forwardList() const { return m_forward; }

private:
    static void push(QStringList& ring, const QString& folder);
    static QString move(QStringList& from, QStringList& to, const QString& current, int index);

    QStringList m_back, m_forward;   // newest first
};

} // namespace filebrowser
