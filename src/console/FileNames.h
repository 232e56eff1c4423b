#pragma once
// File-system queries on the interpreter's text names. Names are turned into bytes with
// toLocal8 and entries read back with fromUtf8, so a name that is not valid UTF-8 is
// found, listed and passed on unchanged.
#include "console/Text.h"

#include <string_view>
#include <vector>

namespace console {

// Writes every byte to the descriptor, going on after interruptions; false on the first failure.
bool writeAll(int fd, std::string_view bytes);

bool pathExists(uview path);
bool isDirectory(uview path);

enum class Entries {
    Files,              // everything that is not a folder, hidden entries left out
    Folders,            // folders without "." and "..", hidden ones left out
    FoldersWithHidden,  // folders without "." and ".."
    RealFolders,        // as FoldersWithHidden, but links to folders left out (walks)
    All,                // every entry but "." and ".."
};
// The folder's entries of that kind, sorted by name; empty when it cannot be read.
std::vector<ustring> folderEntries(uview folder, Entries kind);

// The whole file; false when it cannot be opened or read.
bool readWholeFile(uview path, std::string& bytes);

} // namespace console
