#include "framework/widgets/WindowModes.h"
#include "framework/widgets/PanelHost.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace framework {

WindowModes::WindowModes(QMainWindow* frame, PanelHost* panels) : QObject(frame), m_frame(frame), m_panels(panels) {}

bool WindowModes::alwaysOnTop() const
{
    return m_frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

WindowModes::Bars WindowModes::currentBars() const
{
    Bars b;
    b.menuBar = m_frame->menuBar() && !m_frame->menuBar()->isHidden();
    b.statusBar = m_frame->statusBar() && !m_frame->statusBar()->isHidden();
    for (QToolBar* t : m_frame->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
        b.toolBars << !t->isHidden();
    if (m_panels) {
        b.side = m_panels->isShown(PanelHost::Side);
        b.bottom = m_panels->isShown(PanelHost::Bottom);
    }
    return b;
}

void WindowModes::applyBars(const Bars& b)
{
    if (QMenuBar* m = m_frame->menuBar())
        m->setVisible(b.menuBar);
    if (QStatusBar* s = m_frame->statusBar())
        s->setVisible(b.statusBar);
    const QList<QToolBar*> tools = m_frame->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < tools.size() && i < b.toolBars.size(); ++i)
        tools[i]->setVisible(b.toolBars[i]);
    if (m_panels) {
        m_panels->setShown(PanelHost::Side, b.side);
        m_panels->setShown(PanelHost::Bottom, b.bottom);
    }
}

void WindowModes::enterAnyMode()
{
    if (m_hideTitle || m_fullScreen)
        return;
    m_savedState = m_frame->windowState() & ~Qt::WindowActive;
    m_savedGeometry = (m_savedState & (Qt::WindowMaximized | Qt::WindowMinimized)) ? m_frame->normalGeometry()
                                                                                     : m_frame->geometry();
    m_frame->showFullScreen();
}

void WindowModes::leaveAllModes()
{
    if (m_savedState & Qt::WindowMaximized) {
        // Restored first, so that a later restore goes back to the normal rectangle.
        m_frame->showNormal();
        m_frame->setGeometry(m_savedGeometry);
        m_frame->showMaximized();
    } else {
        m_frame->showNormal();
        m_frame->setGeometry(m_savedGeometry);
    }
    m_frame->raise();
    m_frame->activateWindow();
}

void WindowModes::setHideTitle(bool on)
{
    if (on == m_hideTitle)
        return;
    if (on) {
        enterAnyMode();
        m_hideTitle = true;
    } else {
        m_hideTitle = false;
        if (!m_fullScreen)
            leaveAllModes();
    }
    m_frame->raise();
    m_frame->activateWindow();
    emit modesChanged();
}

void WindowModes::setFullScreen(bool on)
{
    if (on == m_fullScreen)
        return;
    if (on) {
        // Only the document area with its tab strip stays on the screen.
        m_savedBars = currentBars();
        enterAnyMode();
        m_fullScreen = true;
        Bars none;
        none.menuBar = none.statusBar = false;
        for (int i = 0; i < m_savedBars.toolBars.size(); ++i)
            none.toolBars << false;
        applyBars(none);
    } else {
        m_fullScreen = false;
        applyBars(m_savedBars);
        if (!m_hideTitle)
            leaveAllModes();
    }
    emit modesChanged();
}

void WindowModes::leaveModes()
{
    setFullScreen(false);
    setHideTitle(false);
}

void WindowModes::setAlwaysOnTop(bool on)
{
    if (on == alwaysOnTop())
        return;
    // Changing the flag makes a new native window: size, position and state stay as they were.
    const QRect g = m_frame->geometry();
    const Qt::WindowStates state = m_frame->windowState();
    const bool visible = m_frame->isVisible();
    m_frame->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (!(state & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        m_frame->setGeometry(g);
    m_frame->setWindowState(state);
    if (visible) {
        m_frame->show();
        m_frame->activateWindow();
    }
    emit modesChanged();
}

void WindowModes::attachBarMenu(QMenu* menu, const QList<QWidget*>& bars)
{
    for (QWidget* bar : bars) {
        if (!bar)
            continue;
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(bar, &QWidget::customContextMenuRequested, menu,
                         [menu, bar](const QPoint& pos) { menu->popup(bar->mapToGlobal(pos)); });
    }
}

} // namespace framework
