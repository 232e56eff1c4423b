#include "app/MainFrame.h"
#include "app/Backups.h"
#include "app/SaveModifiedDialog.h"
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/CommandLine.h"
#include "app/FrameShell.h"
#include "app/OptionsCommands.h"
#include "app/RecentFilesMenu.h"
#include "app/SearchCommands.h"
#include "app/TemplateCommands.h"
#include "app/ToolCommands.h"
#include "app/SymbolCommands.h"
#include "app/FileBrowserCommands.h"
#include "filebrowser/widgets/FileDocker.h"
#include "app/CommandWindow.h"

#include "app/commands/AboutDialog.h"
#include "app/commands/Accelerators.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "app/commands/DocumentCommands.h"
#include "app/commands/MenuModel.h"
#include "app/commands/StatusTexts.h"
#include "app/commands/UpdateCheck.h"
#include "documents/hex/CHexView.h"
#include "documents/text/TextView.h"
#include "framework/Placement.h"
#include "language/FontSchemes.h"
#include "language/LanguageTable.h"
#include "ui/KeyMap.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QChildEvent>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScopedValueRollback>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The tab's three icons: unchanged, modified, read-only.
QIcon tabIconImage(int kind)
{
    static QIcon icons[3];
    if (icons[kind].isNull()) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor fill = kind == 0 ? QColor(0xF4, 0xF4, 0xF4) : kind == 1 ? QColor(0xFF, 0xE0, 0x8A) : QColor(0xD8, 0xD8, 0xD8);
        p.setPen(QColor(0x60, 0x60, 0x60));
        p.setBrush(fill);
        QPolygonF page({{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}});
        p.drawPolygon(page);
        p.setPen(QColor(0x90, 0x90, 0x90));
        for (int y = 6; y <= 12; y += 2)
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
        if (kind == 1) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xD0, 0x40, 0x20));
            p.drawEllipse(QPointF(12, 12), 3.2, 3.2);
        } else if (kind == 2) {
            p.setPen(QPen(QColor(0x40, 0x40, 0x90), 1.2));
            p.setBrush(QColor(0x70, 0x70, 0xC0));
            p.drawRect(QRectF(8.5, 10.5, 6, 5));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(9.5, 7.5, 4, 5), 0, 180 * 16);
        }
        icons[kind] = QIcon(pm);
    }
    return icons[qBound(0, kind, 2)];
}

bool readFirstBytes(const QString& path, QByteArray& out, qint64& size, int& error)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a named pipe cannot hang the editor; only regular files open.
    int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return false;
    }
    size = st.st_size;
    out.resize(64);
    qsizetype got = 0;
    while (got < 64) {
        ssize_t n = ::read(fd, out.data() + got, size_t(64 - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    out.resize(got);
    ::close(fd);
    return true;
}

} // namespace

CMainFrame::CMainFrame(AppSettings& settings, LanguageTable& languages, const QStringList& arguments,
                       const QString& workingDirectory, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_languages(languages), m_arguments(arguments),
      m_workingDirectory(arguments.isEmpty() ? QString() : (workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory))
{
    setObjectName("VelmoClass");
    setWindowTitle(texts::str(1, "Velmo"));
    setAcceptDrops(true);
    setUpdatesEnabled(false);   // until the deferred start-up has run

    // Menus, toolbar and keys speak one vocabulary of command ids.
    m_ui = new cmd::CommandUi(this);
    setMenuBar(m_ui->createMenuBar(this));
    addToolBar(m_ui->createToolBar(this));
    m_ui->setSnapshotProvider([this] { return snapshot(); });
    m_ui->setFontKeyReader([this](const QString& key) { return m_settings.ReadString("FONT", key); });
    connect(m_ui, &cmd::CommandUi::command, this, [this](int id, bool accel) { OnCommand(id, accel); });
    m_keys = new cmd::KeyDispatcher(this);
    m_keys->setTarget(this);
    m_keys->install();
    LoadKeyMap();
    connect(m_keys, &cmd::KeyDispatcher::command, this, [this](int id, bool accel) { OnCommand(id, accel); });

    // The recent-files list, read from the registry store.
    m_recent = std::make_unique<RecentFilesMenu>(*m_ui, m_settings);
    m_recent->load();

    // The Language menu: "&Hex" first, then the languages.
    if (QMenu* lang = m_ui->popup("menu_language")) {
        for (const auto& item : m_languages.MenuItems())
            m_ui->addCommand(lang, item.command, item.text);
    }

    // The document area: tabs by default, windows for Cascade and Tile.
    m_area = new QMdiArea(this);
    m_area->setObjectName("MDIClient");
    m_area->setViewMode(QMdiArea::TabbedView);
    m_area->setDocumentMode(true);
    m_area->setTabsClosable(true);
    m_area->setTabsMovable(!m_settings.editorBit(EditorBits::TabsNotDraggable));
    m_area->setTabPosition(m_settings.editorBit(EditorBits::TabsAtBottom) ? QTabWidget::South : QTabWidget::North);
    m_area->setActivationOrder(QMdiArea::CreationOrder);
    setCentralWidget(m_area);
    watchDrops(this);
    watchDrops(m_area->viewport());
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { onActivated(); });
    // The tab strip is made anew each time the area returns to tabs: each one gets the
    // document tab's context menu.
    m_area->installEventFilter(this);
    if (auto* bar = m_area->findChild<QTabBar*>())
        watchTabBar(bar);

    m_status = std::make_unique<cmd::StatusPanes>(statusBar());
    statusBar()->setVisible(true);   // the status bar always starts visible
    m_shell = new CFrameShell(*this);
    m_search = new CSearchCommands(*this);
    m_backups = new CBackups(*this, m_settings.dataFolder + QStringLiteral("/backup"), m_settings.backupInterval);
    m_templates = new CTemplateCommands(*this);
    m_symbols = new CSymbolCommands(*this);
    // The user tools join the Tool menu and the key table.
    m_tools = new CToolCommands(*this);
    m_tools->reload();
    // A key map loaded again (after the Key page) keeps the tools' keys.
    setToolShortcutProvider([this] { return m_tools->accelerators(); });
    m_files = new CFileCommands(*this);
    m_cmdwin = new CCommandWindow(*this);
    // Tools that run in the command window type their lines into it.
    m_tools->setCommandWindowSender([this](const QStringList& lines) { return sendToCommandWindow(lines); });

    // The base font in use.
    selectFontScheme(m_settings.ReadInt("FONT", "CurSel", 1));

    // The clipboard is asked only when it changes, not on every idle refresh.
    auto clipboardChanged = [this] {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        m_clipboardHasText = mime && mime->hasText();
    };
    clipboardChanged();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, clipboardChanged);
    m_ui->setIdleRefresh(true);

    if (m_settings.editorBit(EditorBits::AutoUpdate))
        cmd::autoCheckAtStartup(cmd::intSettingsOf(m_settings), m_settings.editorMask, m_settings.programFolder);

    QTimer::singleShot(0, this, &CMainFrame::deferredStartup);
}

CMainFrame::~CMainFrame()
{
    // A frame may go without being closed: while its widgets are taken down, the document
    // area's activations and the document windows' signals must not reach a frame that is
    // no longer one (its members, the status panes among them, are already gone).
    if (m_area) {
        m_area->disconnect(this);
        for (QMdiSubWindow* sub : m_area->subWindowList()) {
            sub->disconnect(this);
            if (QWidget* child = sub->widget())
                child->disconnect(this);
        }
    }
}

void CMainFrame::restorePlacement()
{
    const framework::WindowPlacement p =
        framework::readPlacement([this](const QString& key, int def) { return m_settings.ReadInt("UISTATE", key, def); });
    if (p.normal.isNull()) {
        resize(960, 680);
        return;
    }
    // A rectangle left on a screen that is gone comes back onto one that is there.
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            screens << screen->availableGeometry();
    setGeometry(framework::pullOntoScreens(p.normal, screens));
}

void CMainFrame::savePlacement()
{
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    const int showCmd = isMaximized() ? framework::ShowMaximized : (isMinimized() ? framework::ShowMinimized : framework::ShowNormal);
    framework::writePlacement({g, showCmd},
                              [this](const QString& key, int value) { m_settings.WriteInt("UISTATE", key, value); });
}

void CMainFrame::deferredStartup()
{
    restorePlacement();
    switch (framework::showModeOf(framework::readPlacement([this](const QString& key, int def) {
                return m_settings.ReadInt("UISTATE", key, def);
            }).showCmd)) {
    case framework::ShowMode::Maximized: showMaximized(); break;
    case framework::ShowMode::Minimized: showMinimized(); break;
    case framework::ShowMode::Normal: show(); break;
    }
    m_shell->restoreLayout();
    raise();
    activateWindow();

    if (m_settings.editorBit(EditorBits::StartWithNewDocument))
        NewDocument();
    restoreAutomaticSession();
    if (!m_arguments.isEmpty() && !m_workingDirectory.isEmpty())
        OpenCommandLine(m_arguments, m_workingDirectory);
    m_workingDirectory.clear();
    m_starting = false;
    setUpdatesEnabled(true);
    refreshStatus();
    m_backups->offerRecovery();
    emit deferredStartupDone();
}

CChildFrame* CMainFrame::createChild()
{
    // The document is loaded before it joins the document area, so that its tab is made
    // once with its final title and icon (every tab change lays out the whole tab bar).
    auto* child = new CChildFrame(*this);
    connect(child, &CChildFrame::stateChanged, this, &CMainFrame::onChildState);
    m_backups->watch(child);
    m_symbols->watch(child);
    connect(child, &CChildFrame::statusChanged, this, [this](CChildFrame* c) {
        if (c == activeChild())
            refreshStatus();
    });
    connect(child, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            updateTitle();
            refreshStatus();
        });
    });
    return child;
}

void CMainFrame::attachChild(CChildFrame* child)
{
    auto* sub = new QMdiSubWindow;
    sub->setWidget(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    onChildState(child);
    m_area->addSubWindow(sub);
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates, Qt::WindowStates now) {
        // Maximising a window of the windowed arrangement goes back to tabs.
        if ((now & Qt::WindowMaximized) && m_area->viewMode() == QMdiArea::SubWindowView && !m_starting)
            QTimer::singleShot(0, this, [this] { m_area->setViewMode(QMdiArea::TabbedView); updateTabTips(); });
    });
    showChild(child);
}

QMdiSubWindow* CMainFrame::subWindowOf(CChildFrame* child) const
{
    return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
}

CChildFrame* CMainFrame::activeChild() const
{
    QMdiSubWindow* sub = m_area->currentSubWindow();
    if (!sub)
        sub = m_area->activeSubWindow();
    return sub ? qobject_cast<CChildFrame*>(sub->widget()) : nullptr;
}

QList<CChildFrame*> CMainFrame::children() const
{
    // Creation order follows the tabs: moving a tab moves the window in this list.
    QList<CChildFrame*> out;
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder))
        if (auto* c = qobject_cast<CChildFrame*>(sub->widget()))
            out << c;
    return out;
}

void CMainFrame::activateChild(CChildFrame* child)
{
    if (QMdiSubWindow* sub = subWindowOf(child)) {
        m_area->setActiveSubWindow(sub);
        if (QWidget* v = child->view())
            v->setFocus();
    }
}

void CMainFrame::showChild(CChildFrame* child)
{
    // A new document window is maximised when the option asks for it (tabs always are).
    QMdiSubWindow* sub = subWindowOf(child);
    if (m_settings.editorBit(EditorBits::MaximiseNewDocuments) || m_area->viewMode() == QMdiArea::TabbedView)
        sub->showMaximized();
    else
        sub->show();
    activateChild(child);
    onChildState(child);
}

CChildFrame* CMainFrame::NewDocument()
{
    CChildFrame* child = createChild();
    child->newDocument();
    attachChild(child);
    return child;
}

CChildFrame* CMainFrame::OpenFile(const QString& pathIn, int openMode, bool recent)
{
    const QString path = QFileInfo(pathIn).absoluteFilePath();
    // 1. An open copy is activated; nothing is loaded.
    for (CChildFrame* c : children()) {
        if (paths::sameFile(c->path(), path)) {
            activateChild(c);
            return c;
        }
    }
    // 2-3. The file must open for reading; its size and first bytes choose the view.
    QByteArray head;
    qint64 size = 0;
    int error = 0;
    if (!readFirstBytes(path, head, size, error)) {
        if (!m_starting)
            textdoc::showOpenFailure(this, path, error);
        return nullptr;
    }
    if (size > 0x3200000 || openMode == 6) {
        openMode = 6;
    } else if (openMode == 5 && head.size() == 64) {
        for (int i = 0; i < 63; ++i)
            if (head[i] == 0 && head[i + 1] == 0) {
                openMode = 6;
                break;
            }
    }
    // 4. A new document frame loads the file. One that fails to load is not kept: an
    // empty document under the file's name could later be saved over it.
    CChildFrame* child = createChild();
    if (!child->load(path, openMode, &error)) {
        delete child;
        if (!m_starting)
            textdoc::showOpenFailure(this, path, error);
        return nullptr;
    }
    attachChild(child);
    m_symbols->documentOpened(child);
    // 5. The recent-files list.
    if (recent)
        addToRecent(path);
    return child;
}

void CMainFrame::OpenCommandLine(const QStringList& args, const QString& baseDir)
{
    auto exists = [](const QString& p) { return QFileInfo::exists(p); };
    CommandLineResult r = parseCommandLine(args, baseDir, exists);
    for (const QString& sw : r.invalidSwitches)
        std::fprintf(stderr, "invalid command switch: %s\n", sw.toLocal8Bit().constData());
    for (const CommandLineFile& f : r.files) {
        CChildFrame* child = OpenFile(f.path, 5, true);
        if (child && !child->isHex() && (f.line != -1 || f.column != -1))
            child->placeCaret(f.line, f.column);
    }
}

void CMainFrame::OpenFilesRequest(const QString& commandLine)
{
    for (const QString& name : paths::splitCommandLine(commandLine, false))
        if (!name.isEmpty())
            OpenFile(QDir::isRelativePath(name) ? QDir::current().filePath(name) : name, 5, true);
}

void CMainFrame::ReceiveHandOver(const QString& directory, const QString& commandLine)
{
    // One accepted just before a close began waits for the prompts to be answered; one
    // that arrives after the close went through brings the frame back for its files.
    if (m_closePrompting) {
        m_pendingHandOvers.append({directory, commandLine});
        return;
    }
    m_closing = false;
    if (!commandLine.isEmpty()) {
        QStringList args = paths::splitCommandLine(commandLine, true);
        args.removeFirst();
        OpenCommandLine(args, directory);
    }
    if (isMinimized())
        showNormal();
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void CMainFrame::OnCommand(int id, bool fromAccelerator)
{
    // The main frame first, then the active document frame, then its view.
    if (handleFrameCommand(id, fromAccelerator))
        return;
    if (CChildFrame* child = activeChild())
        child->onCommand(id, fromAccelerator);
}

bool CMainFrame::handleFrameCommand(int id, bool fromAccelerator)
{
    switch (id) {
    case cmd::FileNew: NewDocument(); return true;
    case cmd::FileOpen: openDialog(); return true;
    case cmd::FileOpenSelected: openSelectedFile(); return true;
    case cmd::FileCloseOther: {
        CChildFrame* keep = activeChild();
        for (CChildFrame* c : children())
            if (c != keep)
                c->closeDocument();
        return true;
    }
    case cmd::FileCloseAll: closeAllDocuments(); return true;
    case cmd::FileLoadSession: loadSessionCommand(); return true;
    case cmd::FileSaveSession: saveSessionCommand(); return true;
    case cmd::FileSaveAll: saveModified(false); return true;
    case cmd::AppExit: requestExit(); return true;
    case cmd::FilePrint: return true;   // printing is not offered
    case cmd::EditCut: case cmd::EditCopy: case cmd::EditPaste: editCommand(id); return true;
    case cmd::ViewMenuBar: menuBar()->setVisible(!menuBar()->isVisible()); return true;
    case cmd::ViewToolBar: if (m_ui->toolBar()) m_ui->toolBar()->setVisible(!m_ui->toolBar()->isVisible()); return true;
    case cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        m_settings.WriteInt("EDITOR", "StatusBarVisible", statusBar()->isVisible() ? 1 : 0);
        return true;
    case cmd::ViewHideTitle: case cmd::ViewFullScreen: case cmd::WindowAlwaysOnTop: case cmd::WindowTogglePanel:
    case cmd::DockFile: case cmd::DockTemplate: case cmd::DockSymbol:
    case cmd::DockCommand: case cmd::DockFindResult1: case cmd::DockFindResult2:
        return m_shell->onCommand(id, fromAccelerator);
    case cmd::SearchMsdn: searchLookup(); return true;
    case cmd::SearchFind: case cmd::SearchReplace: case cmd::SearchFindNext: case cmd::SearchFindPrevious:
    case cmd::SearchFindNextWord: case cmd::SearchFindPrevWord: case cmd::SearchAddMark:
    case cmd::SearchFindInFiles:
        return m_search->onCommand(id);
    case cmd::EditInsertTemplate: case cmd::EditAddTemplate: return m_templates->onCommand(id);
    case cmd::SearchSymbol: return m_symbols->onCommand(id);
    case cmd::ToolLocateFile: case cmd::ToolFileProperties: return m_files->onCommand(id);
    case cmd::ToolOpenLanguageConfig:
        OpenFile(m_settings.Folder(AppSettings::PropertiesFolder) + "/root.properties", 5, true);
        return true;
    case cmd::WindowNext: cycleDocument(+1); return true;
    case cmd::WindowPrevious: cycleDocument(-1); return true;
    case cmd::WindowCascade:
        m_area->setViewMode(QMdiArea::SubWindowView);
        m_area->cascadeSubWindows();
        return true;
    case cmd::WindowTileHorizontal: tile(Qt::Vertical); return true;   // windows one above the other
    case cmd::WindowTileVertical: tile(Qt::Horizontal); return true;   // windows side by side
    case cmd::WindowArrangeIcons:
        m_area->setViewMode(QMdiArea::SubWindowView);
        m_area->tileSubWindows();
        return true;
    case cmd::HelpContents: case cmd::HelpHomePage: case cmd::HelpFeedback: case cmd::HelpDonate:
        cmd::openWebPage(id);
        return true;
    case cmd::HelpCheckUpdate:
        cmd::CheckForUpdate(cmd::intSettingsOf(m_settings), true, false, m_settings.programFolder);
        return true;
    case cmd::ToolOptions: case cmd::ToolOptionsTools: case cmd::ToolOptionsKeys: case cmd::ToolOptionsFont:
    case cmd::ToolOptionsFavorites: case cmd::ToolOptionsDocument: case cmd::ToolOptionsFileWindow:
        runOptionsDialog(*this, id);
        return true;
    case cmd::HelpAbout: {
        cmd::CAboutDialog about(this);
        about.exec();
        return true;
    }
    default: break;
    }
    if (RecentFilesMenu::isRecentCommand(id)) {
        openRecent(id);
        return true;
    }
    if (id >= cmd::BaseFontFirst && id < cmd::BaseFontLast) {   // entries 1-10 are offered
        selectFontScheme(id - (cmd::BaseFontFirst - 1));
        return true;
    }
    if (id >= cmd::WindowDocFirst && id <= cmd::WindowDocLast) {
        QList<CChildFrame*> list = children();
        if (id - cmd::WindowDocFirst < list.size())
            activateChild(list[id - cmd::WindowDocFirst]);
        return true;
    }
    if (id >= cmd::LanguageHex && id <= cmd::LanguageLast) {
        if (CChildFrame* c = activeChild()) {
            c->chooseLanguage(id);
            refreshStatus();
        }
        return true;
    }
    if (id >= cmd::ToolFirst && id <= cmd::ToolLast)
        return m_tools->onCommand(id);
    Q_UNUSED(fromAccelerator);
    return false;
}

void CMainFrame::editCommand(int id)
{
    // Cut, Copy and Paste go to whatever has the focus, so that they work in panels too;
    // with the focus on nothing that edits, they go to the active document.
    QWidget* w = QApplication::focusWidget();
    const bool edits = qobject_cast<QsciScintillaBase*>(w) || qobject_cast<CHexView*>(w) || qobject_cast<QLineEdit*>(w)
                       || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w);
    if (!edits)
        if (CChildFrame* c = activeChild())
            w = c->view();
    if (auto* sci = qobject_cast<QsciScintillaBase*>(w)) {
        sci->SendScintilla(id == cmd::EditCut ? QsciScintillaBase::SCI_CUT
                           : id == cmd::EditCopy ? QsciScintillaBase::SCI_COPY : QsciScintillaBase::SCI_PASTE);
        return;
    }
    if (auto* hex = qobject_cast<CHexView*>(w)) {
        hex->command(id);
        return;
    }
    const char* slot = id == cmd::EditCut ? "cut" : id == cmd::EditCopy ? "copy" : "paste";
    if (w && (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)))
        QMetaObject::invokeMethod(w, slot);
}

QString CMainFrame::keyMapFile() const
{
    return m_settings.Folder(AppSettings::DataFolder) + QStringLiteral("/keymap.key");
}

void CMainFrame::setToolShortcutProvider(std::function<std::vector<cmd::AccelEntry>()> provider)
{
    m_toolShortcuts = std::move(provider);
}

void CMainFrame::LoadKeyMap()
{
    m_keys->setTable(keymap::load(keyMapFile(), m_toolShortcuts));
    m_ui->setShortcutTexts(m_keys->table());
}

void CMainFrame::openDialog()
{
    seams::FileDialogRequest req;
    req.title = texts::menu(101, "Open");
    req.filters = fileFilters();
    if (CChildFrame* c = activeChild(); c && c->record().hasFile())
        req.directory = paths::pathPart(c->path(), paths::Folder);
    else
        req.directory = QDir::currentPath();
    req.multiSelect = true;
    // Numbers of their own: 1060, 1066 and 1067 are other texts of the string table.
    req.encodings = {texts::str(2960, "Automatic"), texts::str(2961, "Hex"), texts::str(2962, "ANSI"),
                     texts::str(2963, "UTF-8"), texts::str(2964, "UTF-8 NO BOM"), texts::str(2965, "UTF-16"),
                     texts::str(2966, "UTF-16 Big Endian")};
    req.encodingIndex = qBound(0, m_settings.ReadInt("USER", "EncodeTypeIndex", 0), 6);
    seams::FileDialogResult res = seams::fileDialogs().open(this, req);
    if (!res.accepted)
        return;
    static const int modes[7] = {5, 6, 0, 3, 4, 2, 1};
    const int row = qBound(0, res.encodingIndex, 6);
    m_settings.WriteInt("USER", "EncodeTypeIndex", row);
    for (const QString& f : res.files)
        OpenFile(f, modes[row], true);
}

QStringList CMainFrame::fileFilters() const
{
    QStringList rows = m_settings.ReadSection("FILTER");
    if (rows.isEmpty()) {
        // "All Files (*.*)|*.*|": every "|" separates a description from its pattern.
        const QStringList parts = texts::str(1033, "All Files (*.*)|*.*|").split('|');
        for (int i = 0; i + 1 < parts.size(); i += 2)
            rows << parts[i] + '|' + parts[i + 1];
    }
    return rows;
}

QString CMainFrame::saveFolder() const
{
    return QDir::currentPath();
}

bool CMainFrame::saveModified(bool prompt)
{
    QList<QPointer<CChildFrame>> modified;
    QList<SaveItem> items;
    for (CChildFrame* c : children()) {
        if (!c->isModified())
            continue;
        modified << c;
        const QString& path = c->path();
        SaveItem item;
        if (paths::hasFile(path)) {
            item.name = paths::pathPart(path, paths::FileName);
            item.description = path;
            const QFileInfo info(path);
            if (info.exists())
                item.lastModified = QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        } else {
            item.name = c->title();
            item.description = texts::str(1047, "New");
        }
        items << item;
    }
    if (modified.isEmpty())
        return true;
    // No file check (and no second question) while this one is up.
    const QScopedValueRollback<bool> busy(m_savePrompting, true);
    if (prompt) {
        const int answer = saveModifiedPrompt().ask(dialogParent(), items);
        if (answer == seams::IDNO)
            return true;
        if (answer != seams::IDYES)
            return false;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    bool saved = true;
    for (const QPointer<CChildFrame>& c : modified) {
        if (c && !c->save()) {
            saved = false;
            break;
        }
    }
    if (prompt)
        QGuiApplication::restoreOverrideCursor();
    return saved;
}

bool CMainFrame::closeAllDocuments()
{
    if (!saveModified(true))
        return false;
    m_backups->forgetAll();
    writeAutomaticSession();
    for (CChildFrame* c : children()) {
        if (QMdiSubWindow* sub = subWindowOf(c)) {
            c->setAttribute(Qt::WA_DeleteOnClose);
            // Already asked: close without a second prompt.
            m_area->removeSubWindow(sub);
            sub->deleteLater();
        }
    }
    return true;
}

void CMainFrame::tile(Qt::Orientation direction)
{
    m_area->setViewMode(QMdiArea::SubWindowView);
    const QList<QMdiSubWindow*> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    const QRect area = m_area->viewport()->rect();
    const int n = int(subs.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = subs[i];
        sub->showNormal();
        if (direction == Qt::Vertical) {
            const int h = area.height() / n;
            sub->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        } else {
            const int w = area.width() / n;
            sub->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        }
    }
}

void CMainFrame::cycleDocument(int step)
{
    QList<CChildFrame*> list = children();
    if (list.size() < 2)
        return;
    int at = list.indexOf(activeChild());
    at = (at + step + int(list.size())) % int(list.size());
    activateChild(list[at]);
}

std::string CMainFrame::fontScheme() const
{
    return m_fontScheme;
}

QFont CMainFrame::schemeFont() const
{
    return fonts::SchemeFont(StyleSpec::Parse(m_fontScheme));
}

void CMainFrame::selectFontScheme(int number)
{
    auto reader = [this](int n) { return m_settings.ReadString("FONT", QString::number(n)); };
    m_fontScheme = fonts::SelectedScheme(reader, number);
    if (!m_starting || number != m_settings.ReadInt("FONT", "CurSel", 1))
        m_settings.WriteInt("FONT", "CurSel", number);
    m_ui->rebuildBaseFontMenu();
    for (CChildFrame* c : children())
        c->applyFontScheme();
}

void CMainFrame::onChildState(CChildFrame* child)
{
    // The document window shows its document's title and icon on its tab. Every change of a
    // tab lays out the whole tab bar: change only what changed.
    const QString title = child->title();
    if (child->windowTitle() != title)
        child->setWindowTitle(title);
    const int icon = child->tabIcon();
    QMdiSubWindow* sub = subWindowOf(child);
    if (sub && sub->property("tabIcon").toInt() != icon + 1) {
        sub->setProperty("tabIcon", icon + 1);
        sub->setWindowIcon(tabIconImage(icon));
    }
    updateTabTips();
    if (child == activeChild())
        updateTitle();
}

void CMainFrame::updateTabTips()
{
    auto* bar = m_area->findChild<QTabBar*>();
    if (!bar)
        return;
    const QList<CChildFrame*> kids = children();
    for (int i = 0; i < bar->count() && i < kids.size(); ++i)
        bar->setTabToolTip(i, kids[i]->path());
}

void CMainFrame::onActivated()
{
    CChildFrame* c = activeChild();
    if (c && c != m_lastActive && !m_savePrompting && !m_closePrompting)
        c->postCheckFile();
    if (c && c != m_lastActive && c->view())
        c->view()->setFocus();
    m_lastActive = c;
    if (m_symbols)
        m_symbols->documentActivated(c);
    updateTitle();
    refreshStatus();
}

void CMainFrame::updateTitle()
{
    const QString program = texts::str(1, "Velmo");
    CChildFrame* c = activeChild();
    setWindowTitle(c ? program + " - [" + c->title() + "]" : program);
}

cmd::UiSnapshot CMainFrame::snapshot() const
{
    cmd::UiSnapshot s;
    const QList<CChildFrame*> kids = children();
    CChildFrame* c = activeChild();
    s.documentCount = int(kids.size());
    s.activeDocument = int(kids.indexOf(c));
    for (CChildFrame* k : kids)
        s.documentPaths << k->path();
    s.clipboardHasText = m_clipboardHasText;
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        s.focusedEditHasSelection = edit->hasSelectedText();
    s.menuBarVisible = menuBar()->isVisible();
    s.toolBarVisible = m_ui->toolBar() && m_ui->toolBar()->isVisible();
    s.statusBarVisible = statusBar()->isVisible();
    if (m_shell)
        m_shell->fillSnapshot(s);
    s.searchDialogOpen = m_search && m_search->dialogOpen();
    if (m_tools)
        m_tools->fillSnapshot(s);
    if (!c)
        return s;
    const textdoc::DocumentRecord& rec = c->record();
    s.path = rec.path;
    s.modified = c->isModified();
    s.fileReadOnly = rec.fileReadOnly;
    s.docReadOnly = rec.docReadOnly;
    if (CTextView* v = c->textView()) {
        s.doc = cmd::UiSnapshot::Doc::Text;
        s.hasSelection = v->selectionLength() > 0;
        s.canUndo = v->canUndo();
        s.canRedo = v->SendScintilla(QsciScintillaBase::SCI_CANREDO) != 0;
        s.encoding = v->encoding();
        s.eolMode = v->eolMode();
        s.language = v->languageIndex();
        s.useTabs = v->SendScintilla(QsciScintillaBase::SCI_GETUSETABS) != 0;
        s.viewFlags = int(v->viewFlags());
        s.monitorClipboard = c->monitorClipboard();
    } else if (CHexView* h = c->hexView()) {
        s.doc = cmd::UiSnapshot::Doc::Hex;
        s.canUndo = h->canUndo();
    }
    return s;
}

void CMainFrame::refreshStatus()
{
    cmd::StatusInfo info;
    if (CChildFrame* c = activeChild()) {
        info.hasDocument = true;
        if (CTextView* v = c->textView()) {
            const long pos = v->currentPos();
            info.caretLine = int(v->lineFromPosition(pos));
            info.lineCount = int(v->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT));
            info.caretColumn = int(v->column(pos));
            // The bytes the file holds, not the component's UTF-8 for an ANSI document.
            info.selectionLength = int(v->selectionBytes());
            info.size = v->documentBytes();
            info.encoding = v->encoding();
            info.overtype = v->SendScintilla(QsciScintillaBase::SCI_GETOVERTYPE) != 0;
        } else if (CHexView* h = c->hexView()) {
            info.hex = true;
            info.size = h->fileSize();
            info.hexPosition = h->statusText();
            info.overtype = true;
        }
    }
    m_status->show(info);
}

void CMainFrame::openSelectedFile()
{
    CChildFrame* c = activeChild();
    CTextView* v = c ? c->textView() : nullptr;
    if (!v)
        return;
    const long a = v->anchor(), p = v->currentPos();
    std::string sel;
    v->textRange(qMin(a, p), qMax(a, p), sel);
    const bool oneLine = v->lineFromPosition(a) == v->lineFromPosition(p);
    const long line = v->lineFromPosition(p);
    const long ls = long(v->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, (unsigned long)line));
    const long le = long(v->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, (unsigned long)line));
    std::string lineText;
    v->textRange(ls, le, lineText);
    // The component holds every document as UTF-8.
    auto name = cmd::fileToOpen(QByteArray::fromStdString(sel), oneLine, QByteArray::fromStdString(lineText),
                                c->record().hasFile() ? paths::pathPart(c->path(), paths::Folder) : QDir::currentPath(),
                                true);
    if (name)
        OpenFile(*name, 5, true);
}

void CMainFrame::searchLookup()
{
    CChildFrame* c = activeChild();
    CTextView* v = c ? c->textView() : nullptr;
    if (!v)
        return;
    const long a = v->anchor(), p = v->currentPos();
    std::string sel, word;
    v->textRange(qMin(a, p), qMax(a, p), sel);
    const long ws = long(v->SendScintilla(QsciScintillaBase::SCI_WORDSTARTPOSITION, (unsigned long)p, 1L));
    const long we = long(v->SendScintilla(QsciScintillaBase::SCI_WORDENDPOSITION, (unsigned long)p, 1L));
    v->textRange(ws, we, word);
    auto w = cmd::lookupWord(QByteArray::fromStdString(sel), v->lineFromPosition(a) == v->lineFromPosition(p),
                             QByteArray::fromStdString(word), true);
    if (!w)
        return;
    const std::string name = c->languageState().lookupName;
    // Not expanded: "$(WORD)" stands for the word, not for a property.
    std::string command = m_languages.Props().LookupForFile("help.command.", name);
    if (command.empty())
        command = m_languages.Props().Lookup("help.command");
    cmd::runHelpLookup(this, QString::fromStdString(command), *w);
}

bool CMainFrame::sendToCommandWindow(const QStringList& lines)
{
    return m_cmdwin && m_cmdwin->sendToCommandWindow(lines);
}

void CMainFrame::requestExit()
{
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    // Every modified document is asked about first; a cancel keeps the editor open, and so
    // does a hand-over that came in while the prompts were up.
    m_closePrompting = true;
    const bool closed = closeAllDocuments();
    m_closePrompting = false;
    if (!closed || !m_pendingHandOvers.isEmpty()) {
        event->ignore();
        const QList<QStringList> pending = std::exchange(m_pendingHandOvers, {});
        for (const QStringList& h : pending)
            ReceiveHandOver(h[0], h[1]);
        return;
    }
    m_closing = true;
    m_search->stopFindInFiles();
    m_cmdwin->shutdown();
    m_shell->saveLayout();
    m_templates->saveState();
    if (m_files->docker())
        m_files->docker()->saveState();
    savePlacement();
    event->accept();
    QTimer::singleShot(0, this, [this] {
        if (m_closing)
            QApplication::quit();
    });
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        DropFiles(event->mimeData()->urls());
        event->acceptProposedAction();
    }
}

void CMainFrame::DropFiles(const QList<QUrl>& urls)
{
    // Names are opened in order; the first folder ends the list.
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isDir())
            break;
        OpenFile(path, 5, true);
    }
}

void CMainFrame::watchTabBar(QTabBar* bar)
{
    if (bar->property("velmoTabMenu").toBool())
        return;
    bar->setProperty("velmoTabMenu", true);
    bar->installEventFilter(this);
}

QMenu* CMainFrame::showContextMenu(int menuId, const QPoint& globalPos)
{
    QMenu* menu = m_ui->createContextMenu(menuId, this);
    if (!menu)
        return nullptr;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (menuId == cmd::TextViewMenu) {
        // The way back to a hidden menu bar or toolbar.
        const bool menuBarHidden = menuBar()->isHidden();
        const bool toolBarHidden = !m_ui->toolBar() || m_ui->toolBar()->isHidden();
        if (menuBarHidden || toolBarHidden) {
            menu->addSeparator();
            if (menuBarHidden)
                m_ui->addCommand(menu, cmd::ViewMenuBar, texts::str(1030, "Show Menubar"));
            if (toolBarHidden)
                m_ui->addCommand(menu, cmd::ViewToolBar, texts::str(1031, "Show Toolbar"));
        }
    }
    menu->popup(globalPos);
    return menu;
}

QMenu* CMainFrame::createPopupMenu()
{
    return m_ui->createContextMenu(cmd::ToolbarAreaMenu, this);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area) {
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)
            if (auto* bar = qobject_cast<QTabBar*>(static_cast<QChildEvent*>(event)->child()))
                watchTabBar(bar);
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ContextMenu) {
        if (auto* bar = qobject_cast<QTabBar*>(watched)) {
            // The menu acts on the document whose tab was clicked.
            auto* e = static_cast<QContextMenuEvent*>(event);
            const int tab = bar->tabAt(e->pos());
            if (tab < 0)
                return false;
            const QList<QMdiSubWindow*> subs = m_area->subWindowList(QMdiArea::CreationOrder);
            if (tab < subs.size())
                if (auto* child = qobject_cast<CChildFrame*>(subs[tab]->widget()))
                    activateChild(child);
            showContextMenu(cmd::DocumentTabMenu, e->globalPos());
            return true;
        }
    }
    // Files dropped anywhere on the frame, the document area or a document open as files
    // (the editing component would otherwise insert their names as text).
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (e->mimeData()->hasUrls()) {
            e->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* e = static_cast<QDropEvent*>(event);
        if (e->mimeData()->hasUrls()) {
            DropFiles(e->mimeData()->urls());
            e->acceptProposedAction();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::watchDrops(QWidget* widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the editor: has the active document's file changed meanwhile?
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_starting && !m_closing
        && !m_savePrompting && !m_closePrompting)
        if (CChildFrame* c = activeChild())
            c->postCheckFile();
}
