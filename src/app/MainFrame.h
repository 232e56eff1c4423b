#pragma once
// The main frame: menus, toolbar, status bar and the document area holding the document
// frames. Every file is opened through OpenFile; commands arrive through OnCommand.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class AppSettings;
class CBackups;
class CChildFrame;
class CFrameShell;
class CSearchCommands;
class CTemplateCommands;
class CToolCommands;
class CSymbolCommands;
class CFileCommands;
class CCommandWindow;
class LanguageTable;
class RecentFiles;
class RecentFilesMenu;
class QMdiArea;
class QMdiSubWindow;
class QUrl;
class QMenu;
class QTabBar;
namespace cmd {
class CommandUi;
class KeyDispatcher;
class StatusPanes;
struct UiSnapshot;
struct AccelEntry;
}

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `arguments` are the process arguments after the program name, opened by the deferred
    // start-up relative to `workingDirectory`.
    CMainFrame(AppSettings& settings, LanguageTable& languages, const QStringList& arguments = {},
               const QString& workingDirectory = QString(), QWidget* parent = nullptr);
    ~CMainFrame() override;

    AppSettings& settings() { return m_settings; }
    const AppSettings& settings() const { return m_settings; }
    LanguageTable& languages() { return m_languages; }

    // True from construction until the deferred start-up has finished.
    bool starting() const { return m_starting; }

    // Opens a file (open modes 0-4 an encoding, 5 automatic, 6 hex view) or activates the
    // document that already shows it. Returns the document, or nullptr.
    CChildFrame* OpenFile(const QString& path, int openMode = 5, bool addToRecent = true);
    CChildFrame* NewDocument();
    // Runs a command as the menu (fromAccelerator false) or a key (true) would.
    void OnCommand(int id, bool fromAccelerator = false);

    // Parses a command line (without the program name) with `baseDir` for relative names.
    void OpenCommandLine(const QStringList& args, const QString& baseDir);
    // The open-files request: a command-line string of file names, queued to the frame.
    Q_INVOKABLE void OpenFilesRequest(const QString& commandLine);
    // A second start handed over its directory and command line (with program name).
    void ReceiveHandOver(const QString& directory, const QString& commandLine);
    // False while the frame is closing: a second start then goes on on its own.
    bool AcceptsHandOver() const { return !m_closing && !m_closePrompting; }
    // Dropped files: opened in order until the first folder.
    void DropFiles(const QList<QUrl>& urls);
    // Makes dropped files on `widget` open as documents.
    void watchDrops(QWidget* widget);

    CChildFrame* activeChild() const;
    QList<CChildFrame*> children() const;   // in tab order
    void activateChild(CChildFrame* child);
    QMdiArea* documentArea() const { return m_area; }
    cmd::CommandUi* commandUi() const { return m_ui; }
    cmd::StatusPanes* statusPanes() const { return m_status.get(); }
    CFrameShell* shell() const { return m_shell; }
    CSearchCommands* searchCommands() const { return m_search; }
    CBackups* backups() const { return m_backups; }
    CTemplateCommands* templateCommands() const { return m_templates; }
    CSymbolCommands* symbolCommands() const { return m_symbols; }
    CToolCommands* toolCommands() const { return m_tools; }
    CFileCommands* fileCommands() const { return m_files; }
    CCommandWindow* commandWindow() const { return m_cmdwin; }
    // Types each line into the command window's console followed by Enter (lines sent
    // while a command runs wait their turn); false when no interpreter can take them.
    bool sendToCommandWindow(const QStringList& lines);
    // The process arguments after the program name, as given at construction.
    const QStringList& startArguments() const { return m_arguments; }

    // For document frames.
    std::string fontScheme() const;
    QFont schemeFont() const;
    QStringList fileFilters() const;
    QString saveFolder() const;
    QWidget* dialogParent() { return this; }
    void addToRecent(const QString& path);

    // Sessions: the open documents with their view state and bookmarks.
    bool SaveSession(const QString& path);
    // False when the file cannot be read or is not a session file.
    bool LoadSession(const QString& path);
    // "session.xml" in the data folder, written at exit and read at start.
    QString sessionFile() const;
    // The recent-files list and its size (2-16, stored as [EDITOR] "MRUSize").
    const RecentFiles& recentFiles() const;
    void SetRecentSize(int n);

    // The state the menus and the toolbar are computed from.
    cmd::UiSnapshot snapshot() const;
    void refreshStatus();

    // Saves the modified documents, in tab order. With `prompt` the user is asked first
    // (Yes saves them, No saves nothing, Cancel stops); without it every one is saved. False
    // when the caller must not go on: cancelled, or a document was not saved.
    bool saveModified(bool prompt);

    // File > Exit, the window's close button and the termination signals all end here.
    void requestExit();

    // Opens context menu 4 (text view), 7 (document tab) or 8 (toolbar area) at a screen
    // position without waiting; its commands are dispatched like the main menu's.
    QMenu* showContextMenu(int menuId, const QPoint& globalPos);
    // The toolbar area's menu (8), asked for by the window on a right click there.
    QMenu* createPopupMenu() override;

    // The key map: keymap.key of the data folder (or the built-in keys), then the shortcuts
    // the provider adds (the user tools); rebuilds the key dispatcher's table and the menu
    // texts. Called at start and after the key map or the tools change.
    void LoadKeyMap();
    void setToolShortcutProvider(std::function<std::vector<cmd::AccelEntry>()> provider);
    QString keyMapFile() const;
    cmd::KeyDispatcher* keyDispatcher() const { return m_keys; }

signals:
    void deferredStartupDone();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deferredStartup();
    bool handleFrameCommand(int id, bool fromAccelerator);
    CChildFrame* createChild();
    void attachChild(CChildFrame* child);
    void showChild(CChildFrame* child);
    QMdiSubWindow* subWindowOf(CChildFrame* child) const;
    void onChildState(CChildFrame* child);
    void onActivated();
    void updateTitle();
    void updateTabTips();
    void selectFontScheme(int number);
    void cycleDocument(int step);
    void tile(Qt::Orientation direction);
    void openDialog();
    bool closeAllDocuments();
    void restorePlacement();
    void savePlacement();
    void editCommand(int id);
    void openSelectedFile();
    void searchLookup();
    void watchTabBar(QTabBar* bar);
    void saveSessionCommand();
    void loadSessionCommand();
    void writeAutomaticSession();
    void restoreAutomaticSession();
    void openRecent(int id);

    AppSettings& m_settings;
    LanguageTable& m_languages;
    QStringList m_arguments;
    QString m_workingDirectory;
    bool m_starting = true;
    bool m_closing = false;
    bool m_closePrompting = false;   // the save prompts of a close are up
    bool m_savePrompting = false;    // saveModified is asking or saving
    QList<QStringList> m_pendingHandOvers;   // (directory, command line) held during them
    bool m_clipboardHasText = false;
    QMdiArea* m_area = nullptr;
    cmd::CommandUi* m_ui = nullptr;
    cmd::KeyDispatcher* m_keys = nullptr;
    std::function<std::vector<cmd::AccelEntry>()> m_toolShortcuts;
    std::unique_ptr<cmd::StatusPanes> m_status;
    CFrameShell* m_shell = nullptr;   // panels, window modes, tray
    CSearchCommands* m_search = nullptr;   // search dialogs, commands and result views
    CBackups* m_backups = nullptr;          // backups of modified documents
    CTemplateCommands* m_templates = nullptr;   // template panel, Insert and Add Template
    CSymbolCommands* m_symbols = nullptr;  // the symbol panel and the symbol search
    CToolCommands* m_tools = nullptr;      // the user tools: Tool menu items, keys, running
    CFileCommands* m_files = nullptr;      // the file panel and File Properties
    CCommandWindow* m_cmdwin = nullptr;    // the command window in the bottom panel
    std::string m_fontScheme;
    QPointer<CChildFrame> m_lastActive;
    std::unique_ptr<RecentFilesMenu> m_recent;
    bool m_keepBrokenSession = false;   // session.xml could not be read at start
};
