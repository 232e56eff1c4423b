#include "framework/widgets/TrayIcon.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace framework {

namespace {

std::function<bool()>& probe()
{
    static std::function<bool()> p;
    return p;
}

QIcon trayImage(const QWidget* frame)
{
    QIcon icon = frame->windowIcon();
    if (!icon.isNull())
        return icon;
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2F, 0x6D, 0xB5));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{8, 8}, {16, 24}, {24, 8}}));
    return QIcon(pm);
}

} // namespace

void TrayIcon::setAvailabilityProbe(std::function<bool()> p)
{
    probe() = std::move(p);
}

bool TrayIcon::trayAvailable()
{
    return probe() ? probe()() : QSystemTrayIcon::isSystemTrayAvailable();
}

TrayIcon::TrayIcon(QWidget* frame, QMenu* menu, const QString& tip) : QObject(frame), m_frame(frame), m_menu(menu), m_tip(tip)
{
    frame->installEventFilter(this);
}

TrayIcon::~TrayIcon()
{
    if (m_icon)
        m_icon->hide();
}

void TrayIcon::setEnabled(bool on)
{
    m_enabled = on;
    if (on && trayAvailable()) {
        if (!m_icon) {
            m_icon = new QSystemTrayIcon(trayImage(m_frame), this);
            m_icon->setToolTip(m_tip);
            if (m_menu)
                m_icon->setContextMenu(m_menu);
            connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
        }
        m_icon->show();
    } else if (m_icon) {
        m_icon->hide();
        // A hidden frame must not stay behind without its icon.
        if (!m_frame->isVisible())
            showFrame();
    }
}

void TrayIcon::removeIcon()
{
    m_enabled = false;
    if (m_icon)
        m_icon->hide();
}

bool TrayIcon::inUse() const
{
    return m_enabled && m_icon && m_icon->isVisible() && trayAvailable();
}

void TrayIcon::hideFrame()
{
    if (!inUse())
        return;
    // Hidden in its last state, minimised no more, so that showing it brings it back whole.
    m_frame->hide();
    m_frame->setWindowState(m_frame->windowState() & ~Qt::WindowMinimized);
}

void TrayIcon::showFrame()
{
    m_frame->setWindowState(m_frame->windowState() & ~Qt::WindowMinimized);
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (m_frame->isVisible())
            hideFrame();
        else
            showFrame();
        break;
    case QSystemTrayIcon::DoubleClick:
        showFrame();
        if (QWidget* w = m_frame->focusWidget())
            w->setFocus();
        break;
    case QSystemTrayIcon::Context:
        if (m_frame->isVisible()) {
            m_frame->raise();
            m_frame->activateWindow();
        }
        break;
    default: break;
    }
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_frame && event->type() == QEvent::WindowStateChange && m_frame->isMinimized() && inUse()) {
        // Minimising hides the window; done once the state change has been delivered.
        QTimer::singleShot(0, this, [this] {
            if (m_frame->isMinimized())
                hideFrame();
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace framework
