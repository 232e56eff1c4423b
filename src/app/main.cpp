#include "app/AppSettings.h"
#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "app/TranslationStartup.h"

#include "language/LanguageTable.h"
#include "platform/Paths.h"
#include "platform/UnixSignals.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmo");
    QApplication::setQuitOnLastWindowClosed(false);

    // Termination signals are caught from the start and handled once the loop runs, as
    // File > Exit on the main frame.
    CMainFrame* mainFrame = nullptr;
    UnixSignals unixSignals([&mainFrame](int) {
        if (mainFrame)
            mainFrame->requestExit();
        else
            QCoreApplication::quit();
    });

    // 1-2. The settings come first: the single-instance rule reads them.
    AppSettings settings;

    // 3. One instance: a second start hands its command line to the first and ends.
    SingleInstance instance;
    const bool first = instance.acquire();
    if (!first && !settings.editorBit(EditorBits::AllowMultipleInstances)) {
        QStringList args = QCoreApplication::arguments();
        const QString line = args.size() < 2 ? QString() : paths::joinCommandLine(args);
        if (instance.handOver(QDir::currentPath(), line))
            return 0;
    }

    // The user interface's translation, before any window is made.
    LoadTranslation(settings);

    // 4. The language configuration.
    LanguageTable languages;
    languages.Load(settings.Folder(AppSettings::PropertiesFolder));

    int code = 0;
    {
        // 5-6. The main frame and the message loop.
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        CMainFrame frame(settings, languages, args, QDir::currentPath());
        if (first && instance.listen()) {
            instance.setAcceptor([&frame] { return frame.AcceptsHandOver(); });
            QObject::connect(&instance, &SingleInstance::handOverReceived, &frame, &CMainFrame::ReceiveHandOver);
        }
        mainFrame = &frame;
        code = app.exec();
        instance.setAcceptor([] { return false; });   // the frame goes away
        mainFrame = nullptr;
    }
    // 7. Shut-down: the option word and the search texts are written back.
    settings.SaveAtExit();
    return code;
}
