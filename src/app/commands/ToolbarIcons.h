#pragma once
// Toolbar images: the desktop theme's icon where it has one, else our own SVG from the
// shipped data folder, so that no button is ever blank.
#include <QIcon>
#include <QString>

namespace cmd {

// The shipped data folder: <program folder>/../share/velmo.
QString dataFolder();
// The theme name and the fallback file (in data/icons) of a toolbar command.
QString iconThemeName(int id);
QString iconFileName(int id);
// The icon of a toolbar command (null for a command that has none).
QIcon commandIcon(int id);

} // namespace cmd
