#pragma once
// The recent-files list: up to N full paths (N from 2 to 16), the most recent first, kept
// in the registry store under "Software\Velmo\Recent Document List".
#include <QString>
#include <QStringList>

namespace registry {
class Store;
}

class RecentFiles {
public:
    static constexpr int kMinSize = 2;
    static constexpr int kMaxSize = 16;
    static constexpr int kDefaultSize = 12;
    static const QString& registryKey();

    static int clampSize(int n);

    int maxSize() const { return m_max; }
    // Sets the maximum (clamped), dropping the oldest entries beyond it.
    void setMaxSize(int n);
    const QStringList& entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

    // Puts `path` on top. An entry naming the same file (the same text, or the same file on
    // the disk) is removed first; when the list is full the oldest entry goes.
    void add(const QString& path);
    void remove(int index);

    // Reads the list: the maximum is `mruSize`, or "DocumentCount" when the store has it,
    // and the entries "Document1".."DocumentN". Without the key or "DocumentCount" the
    // list stays empty. False when the store has no list.
    bool read(const registry::Store& store, int mruSize);
    // Writes "DocumentCount" (the maximum), "Document1".."DocumentK" and deletes the values
    // after K. False when the store refused a write.
    bool write(registry::Store& store) const;

private:
    int m_max = kDefaultSize;
    QStringList m_entries;
};

// The menu label of entry `index` (0-based): "&%i %s" with the number from 1 and the path,
// each "&" of the path doubled so that it shows as itself.
QString recentMenuLabel(int index, const QString& path);
