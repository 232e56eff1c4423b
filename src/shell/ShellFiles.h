#pragma once
// The file-manager entries that put the editor on the context menu of every file: an
// action in the freedesktop file-manager actions format, a Dolphin service menu and a
// Nautilus script. Plain C++ without Qt: the velmoshell library is built from it, and the
// editor reads the state back through the same names.
//
// Every file written carries a marker line; only files with that marker are ever
// replaced or removed, so an entry another program (or the user) wrote under the same
// name is left alone.
#include <string>
#include <vector>

namespace shell {

// The user's XDG folders: $XDG_DATA_HOME (~/.local/share) and $XDG_CONFIG_HOME
// (~/.config); relative values are ignored, as the base directory rules say.
struct Folders {
    std::string dataHome;
    std::string configHome;
    static Folders fromEnvironment();
};

// One argument of a desktop entry's Exec key: quoted, with the characters the quoting
// rules reserve escaped, "%" doubled, and the escapes of a string value applied.
std::string desktopExecArgument(const std::string& arg);
// One argument for the POSIX shell: single quotes, each ' written as '\''.
std::string shellArgument(const std::string& arg);

constexpr const char* ContextMenuMarker = "X-Velmo-Shell=context-menu";

struct EntryFile {
    std::string path;
    std::string content;
    unsigned mode = 0644;
};
// The three context-menu entries for the editor program `program`.
std::vector<EntryFile> contextMenuFiles(const Folders& folders, const std::string& program);

// True when `path` is a regular file holding the line `marker`.
bool hasMarkerLine(const std::string& path, const std::string& marker);
// Writes a file in one step (temporary file beside it, then a rename), creating its
// folder; false on any failure, with the old file untouched.
bool writeFileAtomically(const std::string& path, const std::string& content, unsigned mode);

// 0 when all entries are in place; negative when one could not be written or a file of
// someone else's stands where an entry belongs.
int registerContextMenu(const Folders& folders, const std::string& program);
// Removes our entries; 0 on success (also when there were none), negative when one of
// ours could not be removed.
int unregisterContextMenu(const Folders& folders);
// True when one of our entries exists.
bool contextMenuRegistered(const Folders& folders);

} // namespace shell
