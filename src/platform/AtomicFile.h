#pragma once
// Writes a whole file atomically: a temporary file in the same folder is written, flushed
// and synced, given the old file's mode, then renamed over the target.
#include <QByteArray>
#include <QString>

namespace atomicfile {

// Returns false (and leaves the target untouched) when any step fails; `error` gets the
// system's error text.
bool write(const QString& path, const QByteArray& content, QString* error = nullptr);

} // namespace atomicfile
