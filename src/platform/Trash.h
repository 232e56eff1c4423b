#pragma once
// The desktop's trash.
#include <QString>

namespace platform {

// Moves a file or folder into the desktop's trash. The trash of the user's home is made
// when it does not exist yet. When the trash cannot take the item it stays where it was
// and the result is false.
bool moveToTrash(const QString& path);

} // namespace platform
