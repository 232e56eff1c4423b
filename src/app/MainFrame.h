#pragma once
#include <QMainWindow>

class AppSettings;

// The main frame: menus, toolbar, status bar and the document area.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(AppSettings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    AppSettings& settings() { return m_settings; }
    // True from construction until the deferred start-up has finished.
    bool starting() const { return m_starting; }

    // File > Exit, the window's close button and the termination signals all end here.
    void requestExit();

signals:
    void deferredStartupDone();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void deferredStartup();

    AppSettings& m_settings;
    bool m_starting = true;
};
