// The panel layout values, the Dock Window and Toggle Panel rules and the placement rules.
#include "framework/PanelLayout.h"
#include "framework/Placement.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace framework;

namespace {

struct Store {
    QMap<QString, int> values;
    IntReader reader()
    {
        return [this](const QString& key, int def) { return values.value(key, def); };
    }
    IntWriter writer()
    {
        return [this](const QString& key, int value) { values[key] = value; };
    }
};

} // namespace

TEST(PanelLayoutValues, DefaultsAndOutOfRangeValuesFallBack)
{
    Store empty;
    EXPECT_EQ(readPanelLayout(sidePanelKeys(), empty.reader()), (PanelLayout{DockLeft, 210, 0}));
    EXPECT_EQ(readPanelLayout(bottomPanelKeys(), empty.reader()), (PanelLayout{Hidden, 120, 0}));

    Store bad;
    bad.values = {{"MainTabState", 6}, {"MainTabSize", -3}, {"MainTabActive", 3},
                  {"FindTabState", -1}, {"FindTabSize", 2000000000}, {"FindTabActive", -2}};
    EXPECT_EQ(readPanelLayout(sidePanelKeys(), bad.reader()), (PanelLayout{DockLeft, 210, 0}));
    EXPECT_EQ(readPanelLayout(bottomPanelKeys(), bad.reader()), (PanelLayout{Hidden, 120, 0}));

    // Every state the framework reports survives a write and a read.
    for (int state = DockLeft; state <= Hidden; ++state) {
        Store s;
        writePanelLayout(bottomPanelKeys(), {state, 77, 2}, s.writer());
        EXPECT_EQ(readPanelLayout(bottomPanelKeys(), s.reader()), (PanelLayout{state, 77, 2}));
    }

    // The extent the dock area gets: 0 is the framework's default, never below the minimum.
    EXPECT_EQ(extentForSize(0), 170);
    EXPECT_EQ(extentForSize(5), 28);
    EXPECT_EQ(extentForSize(300), 300);
    // Hidden and floating panels dock first at their own default side.
    EXPECT_EQ(dockSideFor(sidePanelKeys(), Hidden), DockLeft);
    EXPECT_EQ(dockSideFor(bottomPanelKeys(), Hidden), DockBottom);
    EXPECT_EQ(dockSideFor(bottomPanelKeys(), Floating), DockBottom);
    EXPECT_EQ(dockSideFor(bottomPanelKeys(), DockRight), DockRight);
}

TEST(PanelCommands, DockWindowAndToggleMemory)
{
    EXPECT_EQ(dockWindowAction(false, 0, 0, true), DockAction::ShowAndSelect);
    EXPECT_EQ(dockWindowAction(true, 1, 0, false), DockAction::Select);
    EXPECT_EQ(dockWindowAction(true, 0, 0, false), DockAction::Hide);
    EXPECT_EQ(dockWindowAction(true, 0, 0, true), DockAction::Nothing);

    using V = PanelToggle::Visibility;
    PanelToggle t;
    EXPECT_EQ(t.toggle({false, false}), (V{false, false}));   // nothing to hide: nothing remembered
    EXPECT_FALSE(t.hidByToggle());
    EXPECT_EQ(t.toggle({false, true}), (V{false, false}));
    EXPECT_TRUE(t.hidByToggle());
    EXPECT_EQ(t.toggle({false, false}), (V{false, true}));    // only the bottom panel comes back
    EXPECT_FALSE(t.hidByToggle());
    EXPECT_EQ(t.toggle({true, true}), (V{false, false}));
    // A panel shown meanwhile stays; the remembered ones come back.
    EXPECT_EQ(t.toggle({true, false}), (V{true, true}));
}

TEST(PlacementValues, StoredRectanglesAndShowCommands)
{
    Store none;
    WindowPlacement p = readPlacement(none.reader());
    EXPECT_TRUE(p.normal.isNull());
    EXPECT_EQ(p.showCmd, ShowNormal);

    Store s;
    writePlacement({QRect(100, 50, 800, 600), ShowMaximized}, s.writer());
    EXPECT_EQ(s.values["left"], 100);
    EXPECT_EQ(s.values["right"], 900);
    EXPECT_EQ(s.values["bottom"], 650);
    EXPECT_EQ(readPlacement(s.reader()), (WindowPlacement{QRect(100, 50, 800, 600), ShowMaximized}));

    // A rectangle without area, or with edges that overflow, is no rectangle; showCmd 0
    // (hidden) and unknown values show the window normally.
    Store odd;
    odd.values = {{"left", 500}, {"top", 10}, {"right", 400}, {"bottom", 300}, {"showCmd", 0}};
    EXPECT_EQ(readPlacement(odd.reader()), (WindowPlacement{QRect(), ShowNormal}));
    odd.values = {{"left", -2147483647 - 1}, {"top", 0}, {"right", 2147483647}, {"bottom", 10}, {"showCmd", 99}};
    EXPECT_EQ(readPlacement(odd.reader()), (WindowPlacement{QRect(), ShowNormal}));
    EXPECT_EQ(showModeOf(3), ShowMode::Maximized);
    EXPECT_EQ(showModeOf(7), ShowMode::Minimized);
    EXPECT_EQ(showModeOf(1), ShowMode::Normal);
}

TEST(PlacementValues, RectanglesComeBackOntoAScreen)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    // On a screen, or mostly on the second one: left alone.
    EXPECT_EQ(pullOntoScreens(QRect(100, 100, 800, 600), screens), QRect(100, 100, 800, 600));
    EXPECT_EQ(pullOntoScreens(QRect(1800, 100, 800, 600), screens), QRect(1800, 100, 800, 600));
    // Off every screen (a monitor that is gone): onto the first, whole.
    EXPECT_EQ(pullOntoScreens(QRect(5000, 3000, 800, 600), screens), QRect(1120, 480, 800, 600));
    // Hanging off the bottom-right corner with a sliver showing: onto the screen it touches.
    EXPECT_EQ(pullOntoScreens(QRect(3190, 1000, 400, 300), screens), QRect(2800, 724, 400, 300));
    // Title above the top edge: moved down, shrunk to the screen when too large.
    EXPECT_EQ(pullOntoScreens(QRect(10, -200, 3000, 2000), screens), QRect(0, 0, 1920, 1080));
    // Without screens nothing can be said.
    EXPECT_EQ(pullOntoScreens(QRect(-9000, 0, 10, 10), {}), QRect(-9000, 0, 10, 10));
}
