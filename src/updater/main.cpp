// The update client: asks the update server whether a newer version of a program exists
// and offers to download and start its installer.
#include "updater/app/UpdateDialog.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const updater::CommandLine commandLine = updater::parseCommandLine(args);
    // Without an id there is nothing to ask for: end before anything is shown.
    if (commandLine.id == -1)
        return -1;
    QApplication app(argc, argv);
    return updater::runUpdateClient(commandLine, updater::CheckEnvironment::machine());
}
