#pragma once
// Favourite folders in [FAVORITE] "1" to "100", and the models behind the Favorite and
// File Window option pages.
#include "filebrowser/BrowserSettings.h"

#include <QString>
#include <QStringList>

namespace filebrowser {

constexpr int kMaxFavorites = 100;

// Keys 1, 2, ... up to the first empty one, at most 100.
QStringList readFavorites(const SettingsAccess& s);

struct AddFavoriteResult {
    enum Kind { Added, Replaced, Duplicate, NoPath } kind = NoPath;
    int key = 0;   // the key written (Added, Replaced) or holding the same path (Duplicate)
};
// Writes `path` at the first empty key; a path already there is not added again; with all
// 100 keys in use it replaces favourite 100. An empty path (a folder with no file-system
// path) is refused.
AddFavoriteResult addFavorite(const SettingsAccess& s, const QString& path);
// The message a result shows ("" for none) and its message-box icon flags.
QString addFavoriteMessage(const AddFavoriteResult& r, const QString& path);
unsigned addFavoriteIcon(const AddFavoriteResult& r);

// "&3 name": the favourites menu's label for favourite `n`.
QString favoriteMenuLabel(int n, const QString& displayName);

// The Favorite page: the list, its selection and the enabled states of its controls.
class FavoritesModel {
public:
    void load(const SettingsAccess& s);
    // Clears the section and writes the rows as keys 1 to n (empty rows left out).
    void apply(const SettingsAccess& s) const;

    const QStringList& rows() const { return m_rows; }
    int selected() const { return m_selected; }
    void select(int row);
    QString selectedPath() const;
    // Typing in the path edit changes the selected row at once.
    void setSelectedPath(const QString& path);
    // Appends `text` (the "<New Favorite Path>" row) and selects it; false when full.
    bool addRow(const QString& text);
    void deleteSelected();
    void moveUp();
    void moveDown();

    bool canAdd() const { return m_rows.size() < kMaxFavorites; }
    bool canDelete() const { return m_selected >= 0; }
    bool canMoveUp() const { return m_selected > 0; }
    bool canMoveDown() const { return m_selected >= 0 && m_selected + 1 < m_rows.size(); }
    bool pathEditable() const { return m_selected >= 0; }

private:
    QStringList m_rows;
    int m_selected = -1;
};

// The File Window page: which list is in force, the two lists and the [FILTER] text.
class FileWindowModel {
public:
    static constexpr int kListLimit = 255;

    void load(const SettingsAccess& s);
    // Writes both lists, makes the chosen one the list in force (EditorMask bit 29) and
    // writes the filter text, one entry per line, as the whole [FILTER] section.
    void apply(const SettingsAccess& s) const;

    bool blackList = false;
    QString whiteList;
    QString blackListText;
    QString filterText;   // entries separated by CR LF, the section read whole

    void setWhiteList(const QString& t) { whiteList = t.left(kListLimit); }
    void setBlackList(const QString& t) { blackListText = t.left(kListLimit); }
};

} // namespace filebrowser
