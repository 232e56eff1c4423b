#pragma once
// The main frame's surroundings: the two docking panels, the window modes, the bars'
// context menu, the tray icon and the meaning of clicks and Esc on the document area.
// The frame hands the panel and mode commands here and asks for their menu states.
#include <QObject>

class CMainFrame;
namespace cmd {
struct UiSnapshot;
}
namespace framework {
class DocumentAreaInput;
class PanelHost;
class TrayIcon;
class WindowModes;
}

class CFrameShell : public QObject {
    Q_OBJECT
public:
    explicit CFrameShell(CMainFrame& frame);

    // Hide-title, full screen, always on top, Toggle Panel and Dock Window; false for others.
    bool onCommand(int id, bool fromAccelerator);
    void fillSnapshot(cmd::UiSnapshot& s) const;
    // Deferred start-up, once the frame is shown: the panels take their stored layout.
    void restoreLayout();
    // Closing: the modes end first, then the layout is written and the icon removed.
    void saveLayout();

    framework::PanelHost* panels() const { return m_panels; }
    framework::WindowModes* modes() const { return m_modes; }
    framework::TrayIcon* tray() const { return m_tray; }

private:
    void escapeInDocument();

    CMainFrame& m_frame;
    framework::PanelHost* m_panels = nullptr;
    framework::WindowModes* m_modes = nullptr;
    framework::TrayIcon* m_tray = nullptr;
    framework::DocumentAreaInput* m_input = nullptr;
};
