#pragma once
// The main window's placement as [UISTATE] stores it ("left", "top", "right", "bottom",
// "showCmd"), and the rule that brings a stored rectangle back onto a screen.
#include "framework/PanelLayout.h"

#include <QList>
#include <QRect>

namespace framework {

// Show commands as stored.
enum ShowCmd : int { ShowHidden = 0, ShowNormal = 1, ShowMinimized = 2, ShowMaximized = 3 };

struct WindowPlacement {
    QRect normal;          // the normal-state rectangle; null when none is stored
    int showCmd = ShowNormal;
    bool operator==(const WindowPlacement&) const = default;
};

// All four edges 0 means that no rectangle is stored; so does one with no area. A show
// command outside the known ones, or 0 (which would leave the window hidden), is normal.
WindowPlacement readPlacement(const IntReader& read);
void writePlacement(const WindowPlacement& placement, const IntWriter& write);

enum class ShowMode { Normal, Minimized, Maximized };
ShowMode showModeOf(int showCmd);

// A rectangle that lies off every screen (or shows too little of itself to be grabbed) is
// moved onto the screen it overlaps most, or else the first one, and shrunk to fit it.
// `screens` are the screens' available rectangles, the primary first.
QRect pullOntoScreens(const QRect& rect, const QList<QRect>& screens);

} // namespace framework
