#pragma once
// The file panel of the side panel: a toolbar, the address box, the folder view over the
// file-system model and the filter box. It decides which items are shown and what a
// double click does; opening a document is left to whoever listens to openRequested.
#include "filebrowser/BrowserSettings.h"
#include "filebrowser/FileRules.h"
#include "filebrowser/History.h"

#include <QModelIndex>
#include <QWidget>

#include <functional>

class QAbstractItemView;
class QComboBox;
class QFileSystemModel;
class QListView;
class QMenu;
class QStackedWidget;
class QToolButton;
class QTreeView;

namespace filebrowser {

class FileFilterProxy;

class CFileDocker : public QWidget {
    Q_OBJECT
public:
    // Toolbar buttons and the commands of the favourites menu.
    enum {
        IdFavoriteFirst = 200, IdOrganize = 112, IdBack = 103, IdUp = 104, IdDelete = 105, IdNewFolder = 106,
        IdViewType = 107, IdForward = 109, IdFavorites = 110, IdAddFavorite = 111, IdOptions = 113,
        IdBackFirst = 300, IdForwardFirst = 350
    };
    // Commands of the options dialog on its Favorite and File Window pages.
    enum { CmdOptionsFavorites = 690, CmdOptionsFileWindow = 692 };

    // Reads the panel's state ([USER]) and the filter entries, and shows the saved folder.
    explicit CFileDocker(SettingsAccess settings, QWidget* parent = nullptr);
    // Saves the state.
    ~CFileDocker() override;
    void saveState();

    QString currentFolder() const { return m_current; }
    // Goes to an existing folder (the folder left goes onto the back ring); false when it
    // is not one.
    bool goTo(const QString& folder);
    // A path typed into the address box: "Cannot find path: '%s'." when it names no folder.
    bool goTyped(const QString& text);
    void goBack(int index = 0);
    void goForward(int index = 0);
    void goUp();
    const History& history() const { return m_history; }

    // The filter in force (patterns separated by ";").
    QString filter() const { return m_filter; }
    void applyFilter(const QString& pattern);
    // Reads the filter entries and the list in force again (after the options changed).
    void reloadSettings();

    void addCurrentToFavorites();
    void goFavorite(int n);
    QMenu* favoritesMenu() const { return m_favMenu; }

    // Goes to the file's folder, selects the file and scrolls it into view.
    void locate(const QString& file);

    // The double click on an item of the view.
    void activate(const QModelIndex& index);
    // The commands of the context menu on the selection.
    void openSelected();
    void openSelectedWithDesktop();
    void deleteSelected();
    void newFolder();
    void renameSelected();
    void copySelectedPaths();
    QStringList selectedPaths() const;
    QMenu* contextMenu();

    int viewMode() const { return m_viewMode; }
    void setViewMode(int mode);
    QAbstractItemView* view() const;
    QComboBox* addressBox() const { return m_address; }
    QComboBox* filterBox() const { return m_filterBox; }
    QToolButton* button(int id) const;
    QFileSystemModel* fileModel() const { return m_model; }
    // The shown item for a path (invalid when it is not shown).
    QModelIndex indexOf(const QString& path) const;
    // The shown names of the current folder (those loaded so far).
    QStringList shownNames() const;

    // Starts a file the desktop's way; the default asks the desktop services.
    void setLauncher(std::function<bool(const QString& path)> launcher) { m_launcher = std::move(launcher); }

signals:
    // A file to open as a document in the editor.
    void openRequested(const QString& path);
    // A command for the main frame (the options dialog on one of its pages).
    void commandRequested(int id);
    void folderChanged(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar(QWidget* bar);
    void showFolder(const QString& folder);
    void rebuildAddress();
    void rebuildFilterBox();
    void fillHistoryMenu(QMenu* menu, bool back);
    void fillFavoritesMenu();
    void updateButtons();
    void selectPending();
    void error(const QString& text, unsigned icon);
    QString pathOf(const QModelIndex& index) const;
    QModelIndexList selectedRows() const;

    SettingsAccess m_settings;
    History m_history;
    QString m_current;
    QString m_filter = QStringLiteral("*.*");
    int m_viewMode = 3;
    int m_viewFlags = 4;
    QList<FilterEntry> m_filters;
    QString m_pendingSelect;
    bool m_pendingRename = false;

    QFileSystemModel* m_model;
    FileFilterProxy* m_proxy;
    QStackedWidget* m_stack;
    QListView* m_list;
    QTreeView* m_tree;
    QComboBox* m_address;
    QComboBox* m_filterBox;
    QMenu* m_favMenu;
    QMenu* m_backMenu;
    QMenu* m_forwardMenu;
    QMenu* m_context = nullptr;
    QHash<int, QToolButton*> m_buttons;
    std::function<bool(const QString&)> m_launcher;
};

} // namespace filebrowser
