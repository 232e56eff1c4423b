#pragma once
// The two desktop options of the General options page, without widgets:
// - "open HTML files with Velmo": a velmo.desktop in the user's applications folder and
//   the editor added to the HTML entry of "[Added Associations]" in mimeapps.list (added
//   beside the other programs, never made the default);
// - "Velmo on the right mouse button": the file-manager entries written and removed by
//   the velmoshell library's registration entry points.
// Both options read their state back from those files.
#include "shell/ShellFiles.h"

#include <QByteArray>
#include <QString>

namespace shell {

constexpr const char* DesktopFileName = "velmo.desktop";
constexpr const char* BrowserMarker = "X-Velmo-Shell=browser";
constexpr const char* HtmlMimeType = "text/html";

// The path of the user's velmo.desktop and of mimeapps.list.
QString userDesktopFile(const Folders& folders);
QString mimeAppsFile(const Folders& folders);

// The user's velmo.desktop for the editor program `program`.
QByteArray userDesktopEntry(const QString& program);

// mimeapps.list edits: the editor added to (or removed from) the list of `mimeType` in
// "[Added Associations]". Every other byte stays as it was; turning it on and then off
// gives back the original text.
QByteArray addAssociation(const QByteArray& mimeApps, const QByteArray& mimeType);
QByteArray removeAssociation(const QByteArray& mimeApps, const QByteArray& mimeType);
bool hasAssociation(const QByteArray& mimeApps, const QByteArray& mimeType);

// The browser option: on writes velmo.desktop (unless a velmo.desktop of someone else's is
// already there) and adds the association; off removes the association and our
// velmo.desktop. Returns false when a file could not be written.
bool setBrowserOption(const Folders& folders, bool on, const QString& program);
bool browserOptionOn(const Folders& folders);

// The context-menu option through the velmoshell library: loaded from `libraryPath`, else
// from the lib folder beside the program's folder, else by name from the standard search
// path; its DllRegisterServer or DllUnregisterServer is called and the library unloaded.
enum class RegisterResult { Done, Failed, Missing };
RegisterResult setContextMenuOption(bool on, const QString& libraryPath = QString());
bool contextMenuOptionOn(const Folders& folders);

// What the options page shows and applies.
struct ShellOptions {
    bool browser = false;
    bool contextMenu = false;
    bool operator==(const ShellOptions&) const = default;
};
ShellOptions readShellOptions(const Folders& folders = Folders::fromEnvironment());

struct ApplyResult {
    bool wroteBrowser = false;
    bool calledLibrary = false;
    bool showFailed = false;   // show failedMessage() with the product name as caption
};
// Applies only the options whose state differs from `initial` (the state read when the
// page was shown).
ApplyResult applyShellOptions(const ShellOptions& initial, const ShellOptions& wanted,
                              const Folders& folders = Folders::fromEnvironment(),
                              const QString& program = QString(), const QString& libraryPath = QString());
// "failed"
QString failedMessage();
// The editor program the entries start: "velmo" in the running program's folder.
QString editorProgram();

} // namespace shell
