#pragma once
// The tools' own message texts (string numbers 2900-2919).
namespace tools::text {
constexpr int DatabaseCorrupted = 2900;     // "velmo.db is corrupted"
constexpr int SaveQuestion = 2901;          // "file '%s' had changed, save and execute command: '%s'?"
constexpr int NewToolName = 2902;           // "<New Tool>"
constexpr int ProgramNotFound = 2903;
constexpr int CannotStart = 2904;
constexpr int NoCommandWindow = 2905;
constexpr int ApplyFailed = 2906;
constexpr int SaveFailed = 2907;
constexpr int EmptyCommand = 2908;
constexpr int FolderMissing = 2909;
constexpr int BatchNotWritten = 2910;
}
