#pragma once
// The two docking panels' layout as [UISTATE] stores it, and the rules of the Dock Window
// and Toggle Panel commands. No widget here: the dock widgets ask these functions.
#include <QString>
#include <functional>

namespace framework {

// Docking states as stored: the four docked sides, floating and hidden.
enum PanelState : int { DockLeft = 0, DockTop = 1, DockRight = 2, DockBottom = 3, Floating = 4, Hidden = 5 };

// The dock area never makes a panel thinner than this.
constexpr int kMinPanelSize = 28;
// The extent a panel gets when its stored size is 0.
constexpr int kZeroSizeExtent = 170;
// Largest extent taken from the settings; beyond it the value is not believed.
constexpr int kMaxPanelSize = 16384;
// A floating panel's stored size is its window's height plus this frame allowance.
constexpr int kFloatingExtra = 6;
constexpr int kPanelTabs = 3;

struct PanelKeys {
    const char* sizeKey;
    const char* stateKey;
    const char* activeKey;
    int defaultSize;
    int defaultState;
    int hiddenSide;   // the side a panel stored as hidden is docked at
};
// [UISTATE] keys and defaults of the side panel ("MainTab...") and the bottom panel ("FindTab...").
const PanelKeys& sidePanelKeys();
const PanelKeys& bottomPanelKeys();

struct PanelLayout {
    int state = DockLeft;
    int size = 0;       // extent across the docking side; for a floating panel, height + kFloatingExtra
    int active = 0;     // position of the selected tab
    bool operator==(const PanelLayout&) const = default;
};

using IntReader = std::function<int(const QString& key, int def)>;
using IntWriter = std::function<void(const QString& key, int value)>;

// Reads one panel's values; a state, size or active tab out of range becomes its default.
PanelLayout readPanelLayout(const PanelKeys& keys, const IntReader& read);
void writePanelLayout(const PanelKeys& keys, const PanelLayout& layout, const IntWriter& write);

// The extent given to the dock area for a stored size: 0 gives kZeroSizeExtent, and never
// less than kMinPanelSize.
int extentForSize(int storedSize);
// The side a panel is docked at before it is hidden or floated: its own for 0-3, else `keys.hiddenSide`.
int dockSideFor(const PanelKeys& keys, int state);

// What a Dock Window command does with its panel.
enum class DockAction { ShowAndSelect, Select, Hide, Nothing };
DockAction dockWindowAction(bool panelVisible, int selectedTab, int wantedTab, bool fromAccelerator);

// The memory of Toggle Panel: which panels it hid, so that it brings back just those.
class PanelToggle {
public:
    struct Visibility {
        bool side = false;
        bool bottom = false;
        bool operator==(const Visibility&) const = default;
    };
    // The visibility the panels get from one Toggle Panel, given what is visible now.
    Visibility toggle(Visibility now);
    bool hidByToggle() const { return m_hidden; }

private:
    bool m_hidden = false;
    Visibility m_before;
};

} // namespace framework
