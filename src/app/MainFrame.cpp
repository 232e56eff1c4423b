#include "app/MainFrame.h"
#include "app/AppSettings.h"

#include "platform/Texts.h"

#include <QCloseEvent>
#include <QTimer>

CMainFrame::CMainFrame(AppSettings& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings)
{
    setObjectName("VelmoClass");
    setWindowTitle(texts::str(1, "Velmo"));
    resize(900, 640);
    QTimer::singleShot(0, this, &CMainFrame::deferredStartup);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::deferredStartup()
{
    show();
    m_starting = false;
    emit deferredStartupDone();
}

void CMainFrame::requestExit()
{
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    event->accept();
}
