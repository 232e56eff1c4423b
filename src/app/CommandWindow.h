#pragma once
// The command window in the bottom panel (tab 0, "Command"): a CCmdView over a command
// session whose interpreter is started when the pane is first shown or a line is sent to
// it. EXIT, the end of the interpreter and its fatal errors ask the main window to close;
// a later start of the pane gets a fresh interpreter.
#include "console/widgets/CmdView.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class CMainFrame;
namespace console {
class CommandSession;
}

class CCommandWindow : public QObject {
    Q_OBJECT
public:
    explicit CCommandWindow(CMainFrame& frame);
    ~CCommandWindow() override;

    // Each line is typed into the console followed by Enter; lines sent while a command
    // runs wait their turn. Starts the interpreter when none runs. False when there is no
    // interpreter to take them.
    bool sendToCommandWindow(const QStringList& lines);

    // Starts the interpreter when none runs; false when it cannot.
    bool ensureStarted();
    // Stops the interpreter and its job (the window is closing).
    void shutdown();

    CCmdView* view() const { return m_view; }
    console::CommandSession* session() const { return m_session.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wake();
    void sessionEnded();

    CMainFrame& m_frame;
    QPointer<CCmdView> m_view;
    std::unique_ptr<console::CommandSession> m_session;
    bool m_shuttingDown = false;
    bool m_endHandled = false; // the close request for the ended interpreter was made
};
