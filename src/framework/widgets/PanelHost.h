#pragma once
// The main window's two docking panels: the side panel (file browser, templates, symbols)
// and the bottom panel (command window, two find results). Restores and saves their layout,
// and carries out Dock Window, Toggle Panel and the hiding of the bottom panel.
#include "framework/PanelLayout.h"
#include "framework/widgets/DockPanel.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class QMainWindow;

namespace framework {

class PanelHost : public QObject {
    Q_OBJECT
public:
    enum Panel { Side = 0, Bottom = 1 };

    // Makes both panels with three tabs each (identifiers 0, 1, 2) holding placeholders.
    PanelHost(QMainWindow* frame, const QStringList& sideTabs, const QStringList& bottomTabs);

    DockPanel* panel(Panel which) const { return which == Side ? m_side : m_bottom; }
    bool isShown(Panel which) const;

    // Reads the six values and lays the panels out; the frame must be shown already.
    void restore(const IntReader& read);
    // The values as they are now (state, extent or floating height + 6, selected tab).
    PanelLayout layout(Panel which) const;
    void save(const IntWriter& write) const;

    // Dock Window for page `index` 0-5: 0-2 the side panel's tabs, 3-5 the bottom panel's.
    void dockWindow(int index, bool fromAccelerator);
    void togglePanels();
    // Shows a panel at its last side and extent, or hides it.
    void setShown(Panel which, bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const PanelKeys& keys(Panel which) const { return which == Side ? sidePanelKeys() : bottomPanelKeys(); }
    void applyExtent(Panel which);

    QMainWindow* m_frame;
    QPointer<DockPanel> m_side;
    QPointer<DockPanel> m_bottom;
    PanelToggle m_toggle;
    int m_lastDocked[2];   // each panel's extent when it was last shown docked
    bool m_restoring = false;
};

} // namespace framework
