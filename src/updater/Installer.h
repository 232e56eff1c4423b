#pragma once
// Starting the downloaded installer: made executable for its owner and started directly
// (argument vector, no shell), without waiting for it.
#include <QString>

namespace updater {

// Returns 0, or an error number when the file could not be made executable or started.
int startInstaller(const QString& path);

} // namespace updater
