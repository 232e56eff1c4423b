#include "app/FrameShell.h"
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"

#include "app/commands/CommandStates.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "framework/widgets/DocumentAreaInput.h"
#include "framework/widgets/PanelHost.h"
#include "framework/widgets/TrayIcon.h"
#include "framework/widgets/WindowModes.h"
#include "platform/Texts.h"

#include <QMdiArea>
#include <QMenuBar>
#include <QTabBar>

using framework::PanelHost;

namespace {

QStringList tabTitles(std::initializer_list<int> ids)
{
    QStringList out;
    for (int id : ids)
        out << cmd::label(id).remove(QLatin1Char('&'));
    return out;
}

} // namespace

CFrameShell::CFrameShell(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    m_panels = new PanelHost(&frame, tabTitles({cmd::DockFile, cmd::DockTemplate, cmd::DockSymbol}),
                             tabTitles({cmd::DockCommand, cmd::DockFindResult1, cmd::DockFindResult2}));
    m_modes = new framework::WindowModes(&frame, m_panels);

    // Menu 8 on the menu bar and the toolbar.
    if (QMenu* bars = frame.commandUi()->createContextMenu(8, &frame))
        framework::WindowModes::attachBarMenu(bars, {frame.menuBar(), frame.commandUi()->toolBar()});

    // The tray icon with menu 10, while the option asks for it.
    m_tray = new framework::TrayIcon(&frame, frame.commandUi()->createContextMenu(10, &frame), texts::str(1, "Velmo"));
    m_tray->setEnabled(frame.settings().editorBit(EditorBits::MinimiseToTray));

    // Clicks and keys on the document area.
    m_input = new framework::DocumentAreaInput(frame.documentArea());
    m_input->setCaptionButtons(frame.menuBar(), frame.settings().editorBit(EditorBits::CaptionButtons));
    connect(m_input, &framework::DocumentAreaInput::escapeInDocument, this, &CFrameShell::escapeInDocument);
    connect(m_input, &framework::DocumentAreaInput::emptyAreaDoubleClicked, this, [this] {
        switch (framework::areaDoubleClickAction(m_frame.settings().editorMask)) {
        case framework::AreaDoubleClick::OpenDialog: m_frame.OnCommand(cmd::FileOpen); break;
        case framework::AreaDoubleClick::NewDocument: m_frame.OnCommand(cmd::FileNew); break;
        case framework::AreaDoubleClick::Nothing: break;
        }
    });
    connect(m_input, &framework::DocumentAreaInput::tabDoubleClicked, this, [this](int index) {
        const QList<CChildFrame*> kids = m_frame.children();
        if (!m_frame.settings().editorBit(EditorBits::DoubleClickTabCloses) || index < 0 || index >= kids.size())
            return;
        m_frame.activateChild(kids[index]);
        m_frame.OnCommand(cmd::FileClose);
    });
    connect(m_input, &framework::DocumentAreaInput::tabStripSpaceDoubleClicked, this, [this] {
        if (m_frame.settings().editorBit(EditorBits::NewFileOnTabSpaceDoubleClick))
            m_frame.OnCommand(cmd::FileNew);
    });
    connect(m_input, &framework::DocumentAreaInput::closeDocumentRequested, this,
            [this] { m_frame.OnCommand(cmd::FileClose); });
}

bool CFrameShell::onCommand(int id, bool fromAccelerator)
{
    switch (id) {
    case cmd::ViewHideTitle: m_modes->setHideTitle(!m_modes->hideTitle()); return true;
    case cmd::ViewFullScreen: m_modes->setFullScreen(!m_modes->fullScreen()); return true;
    case cmd::WindowAlwaysOnTop: m_modes->setAlwaysOnTop(!m_modes->alwaysOnTop()); return true;
    case cmd::WindowTogglePanel: m_panels->togglePanels(); return true;
    case cmd::DockFile: case cmd::DockTemplate: case cmd::DockSymbol:
    case cmd::DockCommand: case cmd::DockFindResult1: case cmd::DockFindResult2:
        m_panels->dockWindow(id - cmd::DockFile, fromAccelerator);
        return true;
    default: return false;
    }
}

void CFrameShell::fillSnapshot(cmd::UiSnapshot& s) const
{
    s.hideTitle = m_modes->hideTitle();
    s.alwaysOnTop = m_modes->alwaysOnTop();
    s.sidePanelVisible = m_panels->isShown(PanelHost::Side);
    s.sidePanelTab = m_panels->panel(PanelHost::Side)->currentId();
    s.bottomPanelVisible = m_panels->isShown(PanelHost::Bottom);
    s.bottomPanelTab = m_panels->panel(PanelHost::Bottom)->currentId();
}

void CFrameShell::restoreLayout()
{
    const AppSettings& settings = m_frame.settings();
    m_panels->restore([&settings](const QString& key, int def) { return settings.ReadInt("UISTATE", key, def); });
}

void CFrameShell::saveLayout()
{
    m_modes->leaveModes();
    AppSettings& settings = m_frame.settings();
    m_panels->save([&settings](const QString& key, int value) { settings.WriteInt("UISTATE", key, value); });
    m_tray->removeIcon();
}

void CFrameShell::escapeInDocument()
{
    m_modes->leaveModes();
    m_panels->setShown(PanelHost::Bottom, false);
    if (CChildFrame* c = m_frame.activeChild())
        if (QWidget* v = c->view())
            v->setFocus();
}
