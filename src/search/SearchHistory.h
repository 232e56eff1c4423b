#pragma once
// A most-recently-used list of search texts in the per-user registry store: at most 26
// entries, newest first, one key per list. Values "a" to "z" hold the texts and "MRUList"
// their order. Adding a text already present moves it to the front. The list is read when
// it is opened and written by save(). Two lists open on the same key (two dialogs) never
// undo each other's additions: save() reads the stored list again and applies this list's
// own additions on top of it.
#include <QString>
#include <QStringList>

namespace search {

namespace history {
inline const char* const kFind = "Software\\Velmo\\Find";
inline const char* const kReplace = "Software\\Velmo\\Replace";
inline const char* const kFindType = "Software\\Velmo\\FindType";
inline const char* const kFindWhere = "Software\\Velmo\\FindWhere";
}

class SearchHistory {
public:
    static constexpr int kMaxEntries = 26;
    static constexpr int kMaxEntryLength = 259;

    explicit SearchHistory(QString key);

    // Reads the list again from the store.
    void load();
    // Writes the list to the store; false when the store could not be written.
    bool save();

    void add(const QString& text);
    const QStringList& entries() const { return m_entries; }
    const QString& key() const { return m_key; }

private:
    void addEntry(const QString& text);

    QString m_key;
    QStringList m_entries;
    QStringList m_added;   // this list's additions since it was opened, oldest first
};

} // namespace search
