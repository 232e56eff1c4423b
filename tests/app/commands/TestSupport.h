#pragma once
// One application object for the whole run of the command tests.
#include <QApplication>
#include <QByteArray>

inline QApplication& testApp()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velmo_commands_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down from an exit handler crashes in its post routines.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
