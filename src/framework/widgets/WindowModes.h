#pragma once
// The window modes of the main window: hide-title, full screen and always on top. Each acts
// on this window alone, on the screen it is on; leaving a mode gives back the exact
// geometry, window state and bar visibility it had before.
#include <QObject>
#include <QPointer>
#include <QRect>

class QMainWindow;
class QMenu;
class QWidget;

namespace framework {

class PanelHost;

class WindowModes : public QObject {
    Q_OBJECT
public:
    WindowModes(QMainWindow* frame, PanelHost* panels);

    bool hideTitle() const { return m_hideTitle; }
    bool fullScreen() const { return m_fullScreen; }
    bool alwaysOnTop() const;

    void setHideTitle(bool on);
    void setFullScreen(bool on);
    void setAlwaysOnTop(bool on);
    // Leaves hide-title and full-screen mode (Esc in a document, closing the frame).
    void leaveModes();

    // A right click on any of `bars` (the menu bar, the toolbars) pops up `menu`.
    static void attachBarMenu(QMenu* menu, const QList<QWidget*>& bars);

signals:
    void modesChanged();

private:
    struct Bars {
        bool menuBar = true;
        bool statusBar = true;
        QList<bool> toolBars;
        bool side = false;
        bool bottom = false;
    };
    Bars currentBars() const;
    void applyBars(const Bars& bars);
    void enterAnyMode();
    void leaveAllModes();

    QMainWindow* m_frame;
    QPointer<PanelHost> m_panels;
    bool m_hideTitle = false;
    bool m_fullScreen = false;
    // Saved when the first mode starts, given back when the last one ends.
    QRect m_savedGeometry;
    Qt::WindowStates m_savedState;
    // Saved when full screen starts.
    Bars m_savedBars;
};

} // namespace framework
