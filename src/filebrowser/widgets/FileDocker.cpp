#include "filebrowser/widgets/FileDocker.h"

#include "filebrowser/Favorites.h"
#include "platform/Seams.h"
#include "platform/Trash.h"
#include "platform/Texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace filebrowser {

// The filter rule over the file-system model, and renaming with its failures reported.
class FileFilterProxy : public QSortFilterProxyModel {
public:
    explicit FileFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {}

    QString filter = QStringLiteral("*.*");
    QString current;
    std::function<void(const QString&)> onError;

    QFileSystemModel* fs() const { return static_cast<QFileSystemModel*>(sourceModel()); }
    void refilter() { invalidateFilter(); }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = QSortFilterProxyModel::flags(index);
        if (index.isValid() && index.column() == 0)
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || !index.isValid())
            return false;
        const QFileInfo info = fs()->fileInfo(mapToSource(index));
        const QString name = value.toString().trimmed();
        if (name == info.fileName())
            return true;
        const QString target = info.absolutePath() + '/' + name;
        if (name.isEmpty() || name.contains('/') || name == QLatin1String(".") || name == QLatin1String("..")
            || QFileInfo::exists(target) || !QDir().rename(info.absoluteFilePath(), target)) {
            if (onError)
                onError(texts::str(2956, "Cannot rename '%1' to '%2'.").arg(info.fileName(), name));
            return false;
        }
        return true;
    }

protected:
    // Folders first, then names without regard to case.
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override
    {
        const bool da = fs()->isDir(a), db = fs()->isDir(b);
        if (da != db)
            return da;
        return QString::compare(fs()->fileName(a), fs()->fileName(b), Qt::CaseInsensitive) < 0;
    }

    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const QModelIndex idx = fs()->index(row, 0, parent);
        const QFileInfo info = fs()->fileInfo(idx);
        const QString path = info.absoluteFilePath();
        // The folders down to the one shown stay, hidden or not, or nothing would show.
        if (!current.isEmpty() && (current == path || current.startsWith(path.endsWith('/') ? path : path + '/')))
            return true;
        return isShown(info.isDir(), info.isHidden(), info.fileName(), filter);
    }
};

namespace {
QIcon stdIcon(QStyle::StandardPixmap p)
{
    return QApplication::style()->standardIcon(p);
}
} // namespace

CFileDocker::CFileDocker(SettingsAccess settings, QWidget* parent) : QWidget(parent), m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("CFileDocker"));
    m_launcher = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };

    m_model = new QFileSystemModel(this);
    m_model->setReadOnly(true);
    m_model->setFilter(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    m_model->setResolveSymlinks(true);
    // Folder and file icons from the style when the desktop has no icon theme.
    // One for the process: the model's reader thread may still ask it while the model goes.
    static QFileIconProvider* icons = new QFileIconProvider;
    m_model->setIconProvider(icons);
    m_proxy = new FileFilterProxy(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->onError = [this](const QString& text) { error(text, seams::MB_OK | seams::MB_ICONERROR); };
    m_proxy->setDynamicSortFilter(true);
    m_proxy->sort(0);

    auto* bar = new QWidget(this);
    buildToolbar(bar);

    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("file_address"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setMaxVisibleItems(20);
    connect(m_address, &QComboBox::activated, this, [this](int i) {
        const QString folder = m_address->itemData(i).toString();
        if (!folder.isEmpty())
            goTo(folder);
    });
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        const QString text = m_address->lineEdit()->text();
        if (QDir::cleanPath(text) != m_current)
            goTyped(text);
    });

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("file_list"));
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("file_details"));
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    m_tree->setSortingEnabled(false);
    m_stack = new QStackedWidget(this);
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_tree)}) {
        v->setModel(m_proxy);
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setEditTriggers(QAbstractItemView::EditKeyPressed);
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        v->installEventFilter(this);
        connect(v, &QAbstractItemView::doubleClicked, this, &CFileDocker::activate);
        connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& pos) {
            const QModelIndex at = v->indexAt(pos);
            if (at.isValid() && !v->selectionModel()->isSelected(at))
                v->setCurrentIndex(at);
            contextMenu()->popup(v->viewport()->mapToGlobal(pos));
        });
        connect(v->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CFileDocker::updateButtons);
        m_stack->addWidget(v);
    }

    m_filterBox = new QComboBox(this);
    m_filterBox->setObjectName(QStringLiteral("file_filter"));
    m_filterBox->setEditable(true);
    m_filterBox->setInsertPolicy(QComboBox::NoInsert);
    connect(m_filterBox, &QComboBox::activated, this, [this](int i) {
        const QString pattern = m_filterBox->itemData(i).toString();
        if (!pattern.isEmpty())
            applyFilter(pattern);
    });
    connect(m_filterBox->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        const QString text = m_filterBox->lineEdit()->text();
        const int i = m_filterBox->findText(text, Qt::MatchExactly);
        applyFilter(i >= 0 ? m_filterBox->itemData(i).toString() : text);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(bar);
    layout->addWidget(m_address);
    layout->addWidget(m_stack, 1);
    layout->addWidget(m_filterBox);

    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString&) { selectPending(); });

    // The saved state.
    const PanelState st = readPanelState(m_settings);
    m_filter = st.filter;
    m_proxy->filter = m_filter;
    m_viewFlags = st.viewFlags;
    setViewMode(st.viewMode);
    reloadSettings();
    QString start = resolveSavedPath(st.path);
    if (!QFileInfo(start).isDir())
        start = desktopFolder();
    showFolder(QDir::cleanPath(start));
}

// The state is written by the frame as it closes (saveState): the settings it writes to may
// be gone by the time the panel itself is destroyed.
CFileDocker::~CFileDocker() = default;

void CFileDocker::saveState()
{
    if (!m_settings.write)
        return;
    PanelState st;
    st.path = m_current.isEmpty() ? QString() : savedPathFor(m_current);
    st.filter = m_filter;
    st.viewMode = m_viewMode;
    st.viewFlags = m_viewFlags;
    writePanelState(m_settings, st);
}

void CFileDocker::buildToolbar(QWidget* bar)
{
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    auto add = [&](int id, QStyle::StandardPixmap icon, const QString& tip, const char* name) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(stdIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        row->addWidget(b);
        m_buttons.insert(id, b);
        return b;
    };
    QToolButton* back = add(IdBack, QStyle::SP_ArrowBack, texts::str(1020, "Back"), "file_back");
    m_backMenu = new QMenu(back);
    back->setMenu(m_backMenu);
    back->setPopupMode(QToolButton::MenuButtonPopup);
    connect(m_backMenu, &QMenu::aboutToShow, this, [this] { fillHistoryMenu(m_backMenu, true); });
    connect(back, &QToolButton::clicked, this, [this] { goBack(0); });

    QToolButton* fwd = add(IdForward, QStyle::SP_ArrowForward, texts::str(1021, "Forward"), "file_forward");
    m_forwardMenu = new QMenu(fwd);
    fwd->setMenu(m_forwardMenu);
    fwd->setPopupMode(QToolButton::MenuButtonPopup);
    connect(m_forwardMenu, &QMenu::aboutToShow, this, [this] { fillHistoryMenu(m_forwardMenu, false); });
    connect(fwd, &QToolButton::clicked, this, [this] { goForward(0); });

    connect(add(IdUp, QStyle::SP_FileDialogToParent, texts::str(1022, "Up"), "file_up"), &QToolButton::clicked, this,
            &CFileDocker::goUp);
    connect(add(IdDelete, QStyle::SP_TrashIcon, texts::str(1023, "Delete current selected files/folders"), "file_delete"),
            &QToolButton::clicked, this, &CFileDocker::deleteSelected);
    connect(add(IdNewFolder, QStyle::SP_FileDialogNewFolder, texts::str(1024, "New folder"), "file_new_folder"),
            &QToolButton::clicked, this, &CFileDocker::newFolder);

    QToolButton* views = add(IdViewType, QStyle::SP_FileDialogDetailedView, texts::str(1025, "Change view type"),
                             "file_view_type");
    auto* viewMenu = new QMenu(views);
    const std::pair<int, QString> modes[] = {{1, texts::str(2957, "Icons")}, {3, texts::str(2958, "List")},
                                             {4, texts::str(2959, "Details")}};
    for (const auto& [mode, label] : modes) {
        QAction* a = viewMenu->addAction(label);
        a->setCheckable(true);
        a->setData(mode);
        connect(a, &QAction::triggered, this, [this, m = mode] { setViewMode(m); });
    }
    connect(viewMenu, &QMenu::aboutToShow, this, [this, viewMenu] {
        for (QAction* a : viewMenu->actions())
            a->setChecked(a->data().toInt() == (m_viewMode == 2 ? 3 : m_viewMode));
    });
    views->setMenu(viewMenu);
    views->setPopupMode(QToolButton::InstantPopup);

    QToolButton* favs = add(IdFavorites, QStyle::SP_DirLinkIcon, texts::str(1026, "Folder favorites"), "file_favorites");
    m_favMenu = new QMenu(favs);
    m_favMenu->setObjectName(QStringLiteral("file_favorites_menu"));
    connect(m_favMenu, &QMenu::aboutToShow, this, &CFileDocker::fillFavoritesMenu);
    favs->setMenu(m_favMenu);
    favs->setPopupMode(QToolButton::InstantPopup);

    connect(add(IdAddFavorite, QStyle::SP_DialogSaveButton, texts::str(1027, "Add current folder to favorites"),
                "file_add_favorite"),
            &QToolButton::clicked, this, &CFileDocker::addCurrentToFavorites);
    connect(add(IdOptions, QStyle::SP_FileDialogInfoView, texts::str(1028, "Options setting"), "file_options"),
            &QToolButton::clicked, this, [this] { emit commandRequested(CmdOptionsFileWindow); });
    row->addStretch(1);
}

QToolButton* CFileDocker::button(int id) const
{
    return m_buttons.value(id);
}

QAbstractItemView* CFileDocker::view() const
{
    return m_viewMode == 4 ? static_cast<QAbstractItemView*>(m_tree) : m_list;
}

void CFileDocker::setViewMode(int mode)
{
    m_viewMode = mode;
    m_list->setViewMode(mode == 1 ? QListView::IconMode : QListView::ListMode);
    m_list->setWrapping(mode == 1);
    m_list->setResizeMode(QListView::Adjust);
    m_stack->setCurrentWidget(view());
}

void CFileDocker::error(const QString& text, unsigned icon)
{
    seams::message(this, text, icon);
}

void CFileDocker::showFolder(const QString& folder)
{
    m_current = folder;
    m_proxy->current = folder;
    m_model->setRootPath(folder);
    m_proxy->refilter();
    const QModelIndex root = m_proxy->mapFromSource(m_model->index(folder));
    m_list->setRootIndex(root);
    m_tree->setRootIndex(root);
    rebuildAddress();
    updateButtons();
    emit folderChanged(folder);
}

bool CFileDocker::goTo(const QString& folderIn)
{
    const QString folder = QDir::cleanPath(folderIn);
    if (!QFileInfo(folder).isDir())
        return false;
    if (folder == m_current)
        return true;
    m_history.leave(m_current);
    showFolder(folder);
    return true;
}

bool CFileDocker::goTyped(const QString& text)
{
    const QString folder = typedFolder(text);
    if (folder.isEmpty()) {
        error(texts::str(2945, "Cannot find path: '%s'.").replace(QLatin1String("%s"), text),
              seams::MB_OK | seams::MB_ICONERROR);
        m_address->setEditText(m_current);
        return false;
    }
    return goTo(folder);
}

void CFileDocker::goBack(int index)
{
    // A folder gone since it was left is passed over.
    for (QString f = m_history.back(m_current, index); !f.isEmpty(); f = m_history.back(m_current, 0)) {
        if (QFileInfo(f).isDir()) {
            showFolder(f);
            return;
        }
    }
    updateButtons();
}

void CFileDocker::goForward(int index)
{
    for (QString f = m_history.forward(m_current, index); !f.isEmpty(); f = m_history.forward(m_current, 0)) {
        if (QFileInfo(f).isDir()) {
            showFolder(f);
            return;
        }
    }
    updateButtons();
}

void CFileDocker::goUp()
{
    QDir d(m_current);
    if (d.cdUp())
        goTo(d.absolutePath());
}

void CFileDocker::fillHistoryMenu(QMenu* menu, bool back)
{
    menu->clear();
    const QStringList list = back ? m_history.backList() : m_history.forwardList();
    for (int i = 0; i < list.size(); ++i) {
        QAction* a = menu->addAction(list[i]);
        a->setData((back ? IdBackFirst : IdForwardFirst) + i);
        connect(a, &QAction::triggered, this, [this, back, i] { back ? goBack(i) : goForward(i); });
    }
}

void CFileDocker::rebuildAddress()
{
    QSignalBlocker block(m_address);
    m_address->clear();
    QStringList seen;
    auto add = [&](const QString& path, QStyle::StandardPixmap icon, int depth) {
        const QString clean = QDir::cleanPath(path);
        if (clean.isEmpty() || seen.contains(clean))
            return;
        seen << clean;
        const QString name = clean == QLatin1String("/") ? clean : QFileInfo(clean).fileName();
        m_address->addItem(stdIcon(icon), QString(depth * 2, ' ') + (depth ? name : clean), clean);
    };
    add(desktopFolder(), QStyle::SP_DesktopIcon, 0);
    add(QDir::homePath(), QStyle::SP_DirHomeIcon, 0);
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && !v.rootPath().startsWith(QLatin1String("/proc"))
            && !v.rootPath().startsWith(QLatin1String("/sys")) && !v.rootPath().startsWith(QLatin1String("/dev"))
            && !v.rootPath().startsWith(QLatin1String("/run")))
            add(v.rootPath(), QStyle::SP_DriveHDIcon, 0);
    const QStringList chain = folderChain(m_current);
    for (int i = 0; i < chain.size(); ++i) {
        if (seen.contains(chain[i]) && chain[i] != m_current)
            continue;
        seen.removeAll(chain[i]);
        add(chain[i], QStyle::SP_DirIcon, i);
    }
    m_address->setCurrentIndex(m_address->findData(m_current));
    m_address->setEditText(m_current);
}

void CFileDocker::applyFilter(const QString& pattern)
{
    m_filter = pattern.trimmed().isEmpty() ? QStringLiteral("*.*") : pattern.trimmed();
    m_proxy->filter = m_filter;
    m_proxy->refilter();
    m_filterBox->setEditText(m_filter);
}

void CFileDocker::rebuildFilterBox()
{
    QSignalBlocker block(m_filterBox);
    m_filterBox->clear();
    for (const FilterEntry& e : m_filters)
        m_filterBox->addItem(e.description, e.pattern);
    m_filterBox->setEditText(m_filter);
}

void CFileDocker::reloadSettings()
{
    m_filters = parseFilters(m_settings.readSection(QStringLiteral("FILTER")));
    rebuildFilterBox();
}

void CFileDocker::fillFavoritesMenu()
{
    m_favMenu->clear();
    const QStringList favs = readFavorites(m_settings);
    for (int i = 0; i < favs.size(); ++i) {
        const QString name = QFileInfo(favs[i]).fileName().isEmpty() ? favs[i] : QFileInfo(favs[i]).fileName();
        QAction* a = m_favMenu->addAction(favoriteMenuLabel(i + 1, name));
        a->setData(IdFavoriteFirst + i);
        a->setToolTip(favs[i]);
        connect(a, &QAction::triggered, this, [this, i] { goFavorite(i + 1); });
    }
    if (!favs.isEmpty())
        m_favMenu->addSeparator();
    QAction* organize = m_favMenu->addAction(texts::str(1053, "Organize Favorites.."));
    organize->setData(int(IdOrganize));
    connect(organize, &QAction::triggered, this, [this] { emit commandRequested(CmdOptionsFavorites); });
}

void CFileDocker::addCurrentToFavorites()
{
    const AddFavoriteResult r = addFavorite(m_settings, m_current);
    const QString text = addFavoriteMessage(r, m_current);
    if (!text.isEmpty())
        error(text, addFavoriteIcon(r));
}

void CFileDocker::goFavorite(int n)
{
    const QString path = m_settings.read(QStringLiteral("FAVORITE"), QString::number(n));
    if (!goTo(path))
        goTo(desktopFolder());
}

QString CFileDocker::pathOf(const QModelIndex& index) const
{
    return m_model->filePath(m_proxy->mapToSource(index));
}

QModelIndex CFileDocker::indexOf(const QString& path) const
{
    return m_proxy->mapFromSource(m_model->index(QDir::cleanPath(path)));
}

QStringList CFileDocker::shownNames() const
{
    QStringList out;
    const QModelIndex root = view()->rootIndex();
    for (int r = 0; r < m_proxy->rowCount(root); ++r)
        out << m_proxy->index(r, 0, root).data().toString();
    return out;
}

void CFileDocker::activate(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString path = pathOf(index);
    const bool blackList = m_settings.editorMask && (m_settings.editorMask() & kBlackListBit);
    const QString list = m_settings.listInForce ? m_settings.listInForce() : QString();
    switch (doubleClickAction(QFileInfo(path).isDir(), path, blackList, list)) {
    case DoubleClick::EnterFolder: goTo(path); break;
    case DoubleClick::OpenInEditor: emit openRequested(path); break;
    case DoubleClick::OpenWithDesktop: m_launcher(path); break;
    }
}

QModelIndexList CFileDocker::selectedRows() const
{
    QModelIndexList rows;
    for (const QModelIndex& i : view()->selectionModel()->selectedIndexes())
        if (i.column() == 0)
            rows << i;
    return rows;
}

QStringList CFileDocker::selectedPaths() const
{
    QStringList out;
    for (const QModelIndex& i : selectedRows())
        out << pathOf(i);
    return out;
}

void CFileDocker::openSelected()
{
    const QStringList paths = selectedPaths();
    for (const QString& p : paths) {
        if (QFileInfo(p).isDir()) {
            if (paths.size() == 1)
                goTo(p);
        } else {
            emit openRequested(p);
        }
    }
}

void CFileDocker::openSelectedWithDesktop()
{
    for (const QString& p : selectedPaths())
        m_launcher(p);
}

void CFileDocker::deleteSelected()
{
    const QStringList paths = selectedPaths();
    if (paths.isEmpty())
        return;
    QStringList names;
    for (const QString& p : paths)
        names << QFileInfo(p).fileName();
    const QString question = texts::str(2946, "Move '%1' to the trash?").arg(names.join(QStringLiteral("', '")));
    if (seams::message(this, question, seams::MB_YESNO | seams::MB_ICONQUESTION) != seams::IDYES)
        return;
    QStringList failed;
    for (const QString& p : paths)
        if (!platform::moveToTrash(p))
            failed << QFileInfo(p).fileName();
    if (!failed.isEmpty())
        error(texts::str(2947, "Cannot move '%1' to the trash.").arg(failed.join(QStringLiteral("', '"))),
              seams::MB_OK | seams::MB_ICONERROR);
}

void CFileDocker::newFolder()
{
    const QString base = texts::str(2951, "New Folder");
    QString name = base;
    for (int n = 2; QFileInfo::exists(m_current + '/' + name); ++n)
        name = QStringLiteral("%1 (%2)").arg(base).arg(n);
    if (!QDir(m_current).mkdir(name)) {
        error(texts::str(2955, "Cannot create a folder in '%1'.").arg(m_current), seams::MB_OK | seams::MB_ICONERROR);
        return;
    }
    // Named by the user at once, as soon as the view lists it.
    m_pendingSelect = m_current + '/' + name;
    m_pendingSelect.replace(QLatin1String("//"), QLatin1String("/"));
    m_pendingRename = true;
    selectPending();
}

void CFileDocker::renameSelected()
{
    const QModelIndexList rows = selectedRows();
    if (rows.size() == 1)
        view()->edit(rows.first());
}

void CFileDocker::copySelectedPaths()
{
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty())
        QApplication::clipboard()->setText(paths.join('\n'));
}

QMenu* CFileDocker::contextMenu()
{
    if (!m_context) {
        m_context = new QMenu(this);
        m_context->setObjectName(QStringLiteral("file_context_menu"));
        auto add = [this](int text, const char* english, void (CFileDocker::*slot)(), const char* name) {
            QAction* a = m_context->addAction(texts::str(text, english));
            a->setObjectName(QString::fromLatin1(name));
            connect(a, &QAction::triggered, this, slot);
            return a;
        };
        add(2948, "&Open", &CFileDocker::openSelected, "file_open");
        add(2949, "Open with &Default Program", &CFileDocker::openSelectedWithDesktop, "file_open_desktop");
        m_context->addSeparator();
        add(2950, "&Delete", &CFileDocker::deleteSelected, "file_ctx_delete");
        add(2952, "Re&name", &CFileDocker::renameSelected, "file_rename");
        add(2953, "&Copy Path", &CFileDocker::copySelectedPaths, "file_copy_path");
        m_context->addSeparator();
        add(2951, "New Folder", &CFileDocker::newFolder, "file_ctx_new_folder");
        connect(m_context, &QMenu::aboutToShow, this, [this] {
            const int n = int(selectedRows().size());
            for (QAction* a : m_context->actions()) {
                const QString name = a->objectName();
                if (name == QLatin1String("file_rename"))
                    a->setEnabled(n == 1);
                else if (!name.isEmpty() && name != QLatin1String("file_ctx_new_folder"))
                    a->setEnabled(n > 0);
            }
        });
    }
    return m_context;
}

void CFileDocker::locate(const QString& file)
{
    const QFileInfo info(file);
    if (!goTyped(info.absolutePath()))
        return;
    m_pendingSelect = QDir::cleanPath(info.absoluteFilePath());
    m_pendingRename = false;
    selectPending();
}

void CFileDocker::selectPending()
{
    if (m_pendingSelect.isEmpty())
        return;
    const QModelIndex idx = indexOf(m_pendingSelect);
    if (!idx.isValid() || idx.parent() != view()->rootIndex())
        return;   // not listed yet: again when the folder has been read
    m_pendingSelect.clear();
    view()->setCurrentIndex(idx);
    view()->selectionModel()->select(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view()->scrollTo(idx);
    view()->setFocus();
    if (m_pendingRename) {
        m_pendingRename = false;
        view()->edit(idx);
    }
}

void CFileDocker::updateButtons()
{
    if (QToolButton* b = button(IdBack))
        b->setEnabled(m_history.canBack());
    if (QToolButton* b = button(IdForward))
        b->setEnabled(m_history.canForward());
    if (QToolButton* b = button(IdUp))
        b->setEnabled(!QDir(m_current).isRoot());
    if (QToolButton* b = button(IdDelete))
        b->setEnabled(!selectedRows().isEmpty());
}

bool CFileDocker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_list || watched == m_tree)) {
        auto* k = static_cast<QKeyEvent*>(event);
        auto* v = static_cast<QAbstractItemView*>(watched);
        {   // keys of an open name editor go to the editor, not here
            if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::NoModifier) {
                deleteSelected();
                return true;
            }
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier) {
                activate(v->currentIndex());
                return true;
            }
            if (k->key() == Qt::Key_Backspace && k->modifiers() == Qt::NoModifier) {
                goUp();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace filebrowser
