#include "updater/UpdateClient.h"

#include <QCoreApplication>
#include <QDir>

namespace updater {

CheckEnvironment CheckEnvironment::machine()
{
    CheckEnvironment env;
    env.programFolder = QCoreApplication::applicationDirPath();
    env.server = updateServer();
    env.mac = macText(machineAdapters());
    env.cpuid = machineCpuid();
    return env;
}

CheckOutcome checkForUpdate(const CommandLine& commandLine, const CheckEnvironment& env)
{
    using Kind = CheckOutcome::Kind;
    CheckOutcome out;
    out.commandLine = commandLine;
    if (commandLine.id == -1)
        return out;
    out.caption = captionFor(commandLine.target);

    const auto current = commandLine.target.isEmpty()
                             ? std::nullopt
                             : readProgramVersion(QDir(env.programFolder).filePath(commandLine.target));
    if (!current) {
        out.kind = Kind::NoVersion;
        return out;
    }
    out.current = *current;

    out.requestPath = requestPath(commandLine.id, env.mac, env.cpuid);
    const VersionQuery query = queryLatestVersion(env.server, out.requestPath, env.timeouts);
    if (query.result == VersionQuery::Result::CannotConnect) {
        out.kind = Kind::CannotConnect;
        return out;
    }
    if (query.result != VersionQuery::Result::Answer) {
        out.kind = Kind::RequestFailed;
        return out;
    }
    out.answer = parseAnswer(query.body);
    if (!out.answer.hasLineBreak) {
        out.kind = Kind::UpToDate;
        return out;
    }
    if (!out.answer.hasUnderscore) {
        out.kind = Kind::NoUnderscore;
        return out;
    }
    if (!isNewer(out.answer.latest, out.current)) {
        out.kind = Kind::UpToDate;
        return out;
    }
    out.kind = isPlainFileName(out.answer.installer) ? Kind::Newer : Kind::BadInstallerName;
    return out;
}

QString downloadPath(const QString& installer)
{
    return QDir(QDir::tempPath()).filePath(installer);
}

} // namespace updater
