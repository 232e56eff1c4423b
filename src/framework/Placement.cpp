#include "framework/Placement.h"

#include <algorithm>

namespace framework {

namespace {
// The part of a window that must lie on a screen for it to count as reachable.
constexpr int kReachableWidth = 100;
constexpr int kReachableHeight = 50;
} // namespace

WindowPlacement readPlacement(const IntReader& read)
{
    WindowPlacement p;
    const int l = read(QStringLiteral("left"), 0), t = read(QStringLiteral("top"), 0);
    const int r = read(QStringLiteral("right"), 0), b = read(QStringLiteral("bottom"), 0);
    // The edges are right- and bottom-exclusive; widths are taken in 64 bits so that hostile
    // values cannot overflow.
    const qint64 w = qint64(r) - l, h = qint64(b) - t;
    if ((l || t || r || b) && w > 0 && h > 0 && w <= 1000000 && h <= 1000000)
        p.normal = QRect(l, t, int(w), int(h));
    p.showCmd = read(QStringLiteral("showCmd"), ShowNormal);
    if (p.showCmd <= ShowHidden || p.showCmd > 11)
        p.showCmd = ShowNormal;
    return p;
}

void writePlacement(const WindowPlacement& p, const IntWriter& write)
{
    const QRect r = p.normal;
    write(QStringLiteral("left"), r.isNull() ? 0 : r.left());
    write(QStringLiteral("right"), r.isNull() ? 0 : r.left() + r.width());
    write(QStringLiteral("bottom"), r.isNull() ? 0 : r.top() + r.height());
    write(QStringLiteral("top"), r.isNull() ? 0 : r.top());
    write(QStringLiteral("showCmd"), p.showCmd);
}

ShowMode showModeOf(int showCmd)
{
    switch (showCmd) {
    case 2: case 6: case 7: return ShowMode::Minimized;   // minimised, minimise, minimised without activation
    case 3: return ShowMode::Maximized;
    default: return ShowMode::Normal;
    }
}

QRect pullOntoScreens(const QRect& rect, const QList<QRect>& screens)
{
    if (screens.isEmpty() || rect.isEmpty())
        return rect;
    const int needW = std::min(rect.width(), kReachableWidth), needH = std::min(rect.height(), kReachableHeight);
    const QRect* best = nullptr;
    qint64 bestArea = 0;
    for (const QRect& s : screens) {
        const QRect common = s.intersected(rect);
        // Reachable: enough of it on this screen, its top edge (where the title is) included.
        if (common.width() >= needW && common.height() >= needH && rect.top() >= s.top())
            return rect;
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = &s;
        }
    }
    const QRect& screen = best ? *best : screens.first();
    QRect out(rect.topLeft(), QSize(std::min(rect.width(), screen.width()), std::min(rect.height(), screen.height())));
    out.moveLeft(std::clamp(out.left(), screen.left(), screen.left() + screen.width() - out.width()));
    out.moveTop(std::clamp(out.top(), screen.top(), screen.top() + screen.height() - out.height()));
    return out;
}

} // namespace framework
