#pragma once
// The notification-area icon of the main window. It is used only while a system tray
// really exists and the icon is visible: then minimising hides the window, a click on
// the icon hides or shows it and a double click brings it forward. Without it,
// minimising stays an ordinary minimise, so the window can never become unreachable.
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;
class QWidget;

namespace framework {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // `menu` is shown for the icon's context menu.
    TrayIcon(QWidget* frame, QMenu* menu, const QString& tip);
    ~TrayIcon() override;

    // Shows the icon (when a system tray exists) or removes it.
    void setEnabled(bool on);
    // Takes the icon away as the frame closes, leaving the frame as it is.
    void removeIcon();
    // True while a system tray exists and the icon is visible on it.
    bool inUse() const;
    QSystemTrayIcon* icon() const { return m_icon; }

    // Whether a system tray exists; replaceable so that tests can stand in for a desktop.
    static void setAvailabilityProbe(std::function<bool()> probe);
    static bool trayAvailable();

    // Hides the frame (never without a visible icon) or shows it again in its former state.
    void hideFrame();
    void showFrame();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QWidget* m_frame;
    QPointer<QMenu> m_menu;
    QSystemTrayIcon* m_icon = nullptr;
    QString m_tip;
    bool m_enabled = false;
};

} // namespace framework
