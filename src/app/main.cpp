#include "app/AppSettings.h"
#include "app/MainFrame.h"

#include "platform/UnixSignals.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmo");
    QApplication::setQuitOnLastWindowClosed(false);

    AppSettings settings;
    int code = 0;
    {
        CMainFrame frame(settings);
        UnixSignals unixSignals([&frame](int) { frame.requestExit(); });
        QObject::connect(&frame, &CMainFrame::destroyed, &app, &QApplication::quit);
        frame.setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(qApp, &QApplication::lastWindowClosed, &app, &QApplication::quit);
        code = app.exec();
    }
    settings.SaveAtExit();
    return code;
}
