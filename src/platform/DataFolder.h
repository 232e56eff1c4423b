#pragma once
// The data folder: $VELMO_DATA_DIR when set, else $XDG_DATA_HOME/Velmo (default
// ~/.local/share/Velmo). The shipped defaults are copied into it at start: any shipped file
// missing there is copied in, and nothing existing is ever overwritten.
#include <QString>

namespace datafolder {

QString location();
// Creates the folder (an existing one is fine); false when it cannot be created.
bool create(const QString& folder);
// Copies every file of `shipped` (recursively) that is missing below `target`.
// Returns the number of files copied.
int installDefaults(const QString& shipped, const QString& target);

} // namespace datafolder
