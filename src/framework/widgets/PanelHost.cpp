#include "framework/widgets/PanelHost.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>

namespace framework {

namespace {

Qt::DockWidgetArea areaOfSide(int side)
{
    switch (side) {
    case DockTop: return Qt::TopDockWidgetArea;
    case DockRight: return Qt::RightDockWidgetArea;
    case DockBottom: return Qt::BottomDockWidgetArea;
    default: return Qt::LeftDockWidgetArea;
    }
}

int sideOfArea(Qt::DockWidgetArea area)
{
    switch (area) {
    case Qt::TopDockWidgetArea: return DockTop;
    case Qt::RightDockWidgetArea: return DockRight;
    case Qt::BottomDockWidgetArea: return DockBottom;
    default: return DockLeft;
    }
}

Qt::Orientation orientationOf(Qt::DockWidgetArea area)
{
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea ? Qt::Vertical : Qt::Horizontal;
}

DockPanel* makePanel(QMainWindow* frame, const QString& name, const QStringList& tabs)
{
    auto* panel = new DockPanel(name, frame);
    for (int id = 0; id < tabs.size(); ++id)
        panel->addPage(id, tabs[id]);
    return panel;
}

} // namespace

PanelHost::PanelHost(QMainWindow* frame, const QStringList& sideTabs, const QStringList& bottomTabs)
    : QObject(frame), m_frame(frame), m_lastDocked{extentForSize(sidePanelKeys().defaultSize),
                                                    extentForSize(bottomPanelKeys().defaultSize)}
{
    m_side = makePanel(frame, QStringLiteral("panel_side"), sideTabs);
    m_bottom = makePanel(frame, QStringLiteral("panel_bottom"), bottomTabs);
    frame->addDockWidget(areaOfSide(sidePanelKeys().hiddenSide), m_side);
    frame->addDockWidget(areaOfSide(bottomPanelKeys().hiddenSide), m_bottom);
    m_bottom->hide();
    m_side->installEventFilter(this);
    m_bottom->installEventFilter(this);
}

bool PanelHost::isShown(Panel which) const
{
    DockPanel* p = panel(which);
    return p && !p->isHidden();
}

bool PanelHost::eventFilter(QObject* watched, QEvent* event)
{
    // Remember the extent of a shown, docked panel, so that a hidden one keeps it.
    if (event->type() == QEvent::Resize && !m_restoring && m_frame->isVisible()) {
        for (Panel which : {Side, Bottom}) {
            DockPanel* p = panel(which);
            if (watched == p && p->isVisible() && !p->isFloating())
                m_lastDocked[which] = p->dockedExtent(m_frame->dockWidgetArea(p));
        }
    }
    return QObject::eventFilter(watched, event);
}

void PanelHost::applyExtent(Panel which)
{
    DockPanel* p = panel(which);
    if (p->isHidden() || p->isFloating())
        return;
    const Qt::DockWidgetArea area = m_frame->dockWidgetArea(p);
    // The dock area must know its panels' places before it can size them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (QLayout* layout = m_frame->layout())
        layout->activate();
    m_frame->resizeDocks({p}, {m_lastDocked[which]}, orientationOf(area));
    // Laid out at once, before anything else asks the dock area for its sizes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void PanelHost::restore(const IntReader& read)
{
    m_restoring = true;
    for (Panel which : {Side, Bottom}) {
        const PanelKeys& k = keys(which);
        const PanelLayout l = readPanelLayout(k, read);
        DockPanel* p = panel(which);
        p->selectPosition(l.active);
        p->hide();
        p->setFloating(false);
        const Qt::DockWidgetArea area = areaOfSide(dockSideFor(k, l.state));
        if (m_frame->dockWidgetArea(p) != area)
            m_frame->addDockWidget(area, p);
        if (l.state == Floating) {
            // A floating panel's stored size is its window's height plus the frame allowance.
            const int height = qMax(kMinPanelSize, l.size - kFloatingExtra);
            p->setFloating(true);
            p->resize(qMax(p->width(), 240), height);
            const QRect f = m_frame->geometry();
            p->move(f.center() - QPoint(p->width() / 2, height / 2));
            m_lastDocked[which] = extentForSize(k.defaultSize);
        } else {
            m_lastDocked[which] = extentForSize(l.size);
        }
        if (l.state != Hidden)
            p->show();
    }
    // The dock areas take their extents once both panels are in place.
    for (Panel which : {Side, Bottom})
        applyExtent(which);
    m_restoring = false;
}

PanelLayout PanelHost::layout(Panel which) const
{
    DockPanel* p = panel(which);
    PanelLayout l;
    l.active = qMax(0, p->currentPosition());
    if (p->isHidden()) {
        l.state = Hidden;
        l.size = m_lastDocked[which];
    } else if (p->isFloating()) {
        l.state = Floating;
        l.size = p->height() + kFloatingExtra;
    } else {
        const Qt::DockWidgetArea area = m_frame->dockWidgetArea(p);
        l.state = sideOfArea(area);
        l.size = m_frame->isVisible() ? p->dockedExtent(area) : m_lastDocked[which];
    }
    return l;
}

void PanelHost::save(const IntWriter& write) const
{
    writePanelLayout(sidePanelKeys(), layout(Side), write);
    writePanelLayout(bottomPanelKeys(), layout(Bottom), write);
}

void PanelHost::setShown(Panel which, bool shown)
{
    DockPanel* p = panel(which);
    if (shown == !p->isHidden())
        return;
    if (!shown) {
        p->hide();
        return;
    }
    p->show();
    applyExtent(which);
    p->raise();
}

void PanelHost::dockWindow(int index, bool fromAccelerator)
{
    if (index < 0 || index > 5)
        return;
    const Panel which = index < 3 ? Side : Bottom;
    const int id = index % 3;
    DockPanel* p = panel(which);
    switch (dockWindowAction(isShown(which), p->currentId(), id, fromAccelerator)) {
    case DockAction::ShowAndSelect:
        p->selectId(id);
        setShown(which, true);
        break;
    case DockAction::Select: p->selectId(id); break;
    case DockAction::Hide: setShown(which, false); break;
    case DockAction::Nothing: break;
    }
}

void PanelHost::togglePanels()
{
    const PanelToggle::Visibility now{isShown(Side), isShown(Bottom)};
    const PanelToggle::Visibility next = m_toggle.toggle(now);
    setShown(Side, next.side);
    setShown(Bottom, next.bottom);
}

} // namespace framework
