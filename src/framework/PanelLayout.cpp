#include "framework/PanelLayout.h"

namespace framework {

const PanelKeys& sidePanelKeys()
{
    static const PanelKeys keys{"MainTabSize", "MainTabState", "MainTabActive", 210, DockLeft, DockLeft};
    return keys;
}

const PanelKeys& bottomPanelKeys()
{
    static const PanelKeys keys{"FindTabSize", "FindTabState", "FindTabActive", 120, Hidden, DockBottom};
    return keys;
}

PanelLayout readPanelLayout(const PanelKeys& keys, const IntReader& read)
{
    PanelLayout out;
    out.state = read(QString::fromLatin1(keys.stateKey), keys.defaultState);
    if (out.state < DockLeft || out.state > Hidden)
        out.state = keys.defaultState;
    out.size = read(QString::fromLatin1(keys.sizeKey), keys.defaultSize);
    if (out.size < 0 || out.size > kMaxPanelSize)
        out.size = keys.defaultSize;
    out.active = read(QString::fromLatin1(keys.activeKey), 0);
    if (out.active < 0 || out.active >= kPanelTabs)
        out.active = 0;
    return out;
}

void writePanelLayout(const PanelKeys& keys, const PanelLayout& layout, const IntWriter& write)
{
    write(QString::fromLatin1(keys.sizeKey), layout.size);
    write(QString::fromLatin1(keys.stateKey), layout.state);
    write(QString::fromLatin1(keys.activeKey), layout.active);
}

int extentForSize(int storedSize)
{
    if (storedSize == 0)
        return kZeroSizeExtent;
    return storedSize < kMinPanelSize ? kMinPanelSize : storedSize;
}

int dockSideFor(const PanelKeys& keys, int state)
{
    return state >= DockLeft && state <= DockBottom ? state : keys.hiddenSide;
}

DockAction dockWindowAction(bool panelVisible, int selectedTab, int wantedTab, bool fromAccelerator)
{
    if (!panelVisible)
        return DockAction::ShowAndSelect;
    if (selectedTab != wantedTab)
        return DockAction::Select;
    // Alt+1 ... Alt+6 only ever bring a page forward; the menu and the toolbar toggle it.
    return fromAccelerator ? DockAction::Nothing : DockAction::Hide;
}

PanelToggle::Visibility PanelToggle::toggle(Visibility now)
{
    if (m_hidden) {
        m_hidden = false;
        return {now.side || m_before.side, now.bottom || m_before.bottom};
    }
    if (!now.side && !now.bottom)
        return now;
    m_before = now;
    m_hidden = true;
    return {};
}

} // namespace framework
