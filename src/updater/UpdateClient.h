#pragma once
// What the update client decides before it shows anything: from the command line to
// "up to date", "cannot connect", "nothing to do" or an update to offer.
#include "updater/Network.h"
#include "updater/UpdateProtocol.h"

namespace updater {

struct CheckOutcome {
    enum class Kind {
        NoId,           // no "-id:": exit -1, nothing shown
        NoVersion,      // the target has no version record: end, nothing shown
        CannotConnect,  // "Cannot connect to web." unless silent
        RequestFailed,  // the request or its answer failed: end, nothing shown
        UpToDate,       // "The current version is up to date." unless silent
        NoUnderscore,   // the installer name holds no version: end, nothing shown
        BadInstallerName, // not a plain file name: refused with a message unless silent
        Newer,          // the update dialog is shown
    };
    Kind kind = Kind::NoId;
    CommandLine commandLine;
    QString caption;
    Version current;
    Answer answer;
    QByteArray requestPath;
};

struct CheckEnvironment {
    QString programFolder;          // where the target is looked up
    ServerAddress server;
    QString mac;
    QString cpuid;
    Timeouts timeouts;
    // This machine: the update client's folder, the configured server, the adapter
    // address and the processor id.
    static CheckEnvironment machine();
};

CheckOutcome checkForUpdate(const CommandLine& commandLine, const CheckEnvironment& env);

// The installer's place: the temporary folder followed by the installer name.
QString downloadPath(const QString& installer);

} // namespace updater
