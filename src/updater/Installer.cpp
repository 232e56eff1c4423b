#include "updater/Installer.h"

#include "platform/Process.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>


namespace updater {

int startInstaller(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::chmod(native.constData(), S_IRUSR | S_IWUSR | S_IXUSR) != 0)
        return errno;
    process::SpawnRequest request;
    request.program = native.toStdString();
    request.argv = {request.program};
    request.envp = process::currentEnvironment();
    request.directory = QFile::encodeName(QFileInfo(path).absolutePath()).toStdString();
    request.fds[0] = 0;
    request.fds[1] = 1;
    request.fds[2] = 2;
    const process::SpawnResult r = process::spawnProcess(request);
    return r.pid > 0 ? 0 : (r.error ? r.error : EINVAL);
}

} // namespace updater
