#pragma once
// What the file browser decides: which items it shows, what a double click does, the
// entries of the filter box and where a typed path leads.
#include <QList>
#include <QString>
#include <QStringList>

namespace filebrowser {

// Folders are always shown (hidden ones never); a file is shown when it is not hidden and
// its name matches one of the filter's patterns (separated by ";"; an empty filter is
// "*.*").
bool isShown(bool isFolder, bool isHidden, const QString& name, const QString& filter);

enum class DoubleClick { EnterFolder, OpenInEditor, OpenWithDesktop };
// White list (blackList false): a file matching `patterns` opens in the editor. Black list:
// a matching file does not, every other file does. Files not opened in the editor are
// started the desktop's way.
DoubleClick doubleClickAction(bool isFolder, const QString& path, bool blackList, const QString& patterns);

struct FilterEntry {
    QString description;
    QString pattern;
};
// The [FILTER] rows ("description|pattern"); rows without a bar are left out. No usable row
// leaves the single entry "All File(*.*)".
QList<FilterEntry> parseFilters(const QStringList& rows);

// A typed path: the folder it names (cleaned, no trailing separator or blanks), or an empty
// string when it names no existing folder.
QString typedFolder(const QString& typed);

// The folders from the root down to `folder`, the root first.
QStringList folderChain(const QString& folder);

} // namespace filebrowser
