#pragma once
// One offscreen application for the tests that need widgets or fonts.
#include <QApplication>

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "velmo-language-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance()
        ? static_cast<QApplication*>(QApplication::instance()) : new QApplication(argc, argv);
    return *app;
}
