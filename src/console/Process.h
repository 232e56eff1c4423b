#pragma once
// Child processes of the interpreter: argument vectors by the Windows argument rules,
// an explicit environment and working directory, and only the handles named.
#include "console/Text.h"

#include <array>
#include <string>
#include <vector>

namespace console {

// Splits a command line into arguments the way Windows programs do: blanks separate,
// double quotes group, 2n backslashes before a quote give n and the quote toggles,
// 2n+1 give n and a literal quote, "" inside quotes is a literal quote.
std::vector<ustring> splitArguments(uview commandLine);

struct SpawnRequest {
    std::string program;             // path of the file to run
    std::vector<std::string> argv;   // argv[0] included
    std::vector<std::string> envp;
    std::string directory;
    std::array<int, 10> fds{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}; // descriptor per handle
    // A terminal whose foreground the child takes before it runs (-1: none), so that
    // Ctrl+C typed from its first moment reaches it.
    int foregroundTerminal = -1;
};

struct SpawnResult {
    int pid = -1;
    int error = 0; // platform error number (Windows numbering) when pid is -1
};

// Starts the child in its own process group; every descriptor that is not named in
// `fds` is closed in the child.
SpawnResult spawnProcess(const SpawnRequest& request);

// Windows error number for an errno value.
int windowsError(int err);

// Waits for one child of ours; returns its exit code. A child ended by SIGINT gives
// the Ctrl+C exit code 0xC000013A.
int waitForChild(int pid, bool* interrupted = nullptr);

constexpr int32_t ControlCExit = int32_t(0xC000013A);

} // namespace console
