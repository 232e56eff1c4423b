#pragma once
// Running a user tool, without widgets: whether it applies to the active document, its
// working folder, its command text (environment references, then the macro variables),
// how it starts (a process of its own, lines for the command window, or a batch file the
// window runs) and the process start itself. Programs start from an argument list split by
// the command-line rules, never through a shell.
#include "templates/MacroExpander.h"
#include "tools/ToolStore.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tools {

// The active document as the tool sees it.
struct ActiveDocument {
    bool exists = false;    // a document window is active
    QString path;           // its path; "<new>" and the like for one without a file
    bool modified = false;
    bool text = true;       // a text document (not the hex view)
};

enum class Applies { Yes, NoDocument, NoFile, FilterMismatch };
// With "needs a file" (0x02) a text document with a file must be active (as the menu item's
// enabling asks) and, with filters, its path must match them; without the flag the tool
// always applies and the filters are ignored.
Applies applies(const ToolRecord& tool, const ActiveDocument& doc);

// Whether the modified document is saved first without the question (0x08).
inline bool savesWithoutAsking(int flags) { return (flags & SaveWithoutAsking) != 0; }

// %NAME% replaced by the environment variable NAME; a name that is not set, and a lone
// "%", stay as they are. `lookup` defaults to the process environment.
using EnvironmentLookup = std::function<std::optional<QString>(const QString& name)>;
QString expandEnvironment(const QString& text, const EnvironmentLookup& lookup = {});

// The folder a tool starts in: the document's folder for "$(FILE_PATH)" (any case) when
// the document has a file, else the stored text; for a separate process its %NAME%
// references are expanded.
QString workingDirectory(const ToolRecord& tool, const ActiveDocument& doc, const EnvironmentLookup& lookup = {});

// The command text: environment references first, then the macro variables, in one pass
// over the whole text (line ends included).
QString commandText(const QString& command, const templates::MacroContext& context,
                    const EnvironmentLookup& lookup = {});

enum class Mode { Process, CommandWindow, BatchFile };
// The batch way wins over the command window.
Mode modeOf(int flags);

// The lines a command text gives the command window (line ends CR LF, LF or CR; the
// empty last line left out).
QStringList commandLines(const QString& text);
// The line that runs a batch file in the command window: its path, quoted when it holds a blank.
QString batchLine(const QString& batchPath);
// Writes the command text to the batch file exactly (in binary, line ends as typed). False
// with `error` set when it cannot be written.
bool writeBatchFile(const QString& path, const QString& text, QString* error = nullptr);

struct StartResult {
    enum class Error { None, EmptyCommand, ProgramNotFound, FolderMissing, CannotStart };
    Error error = Error::None;
    int pid = -1;
    QString program;       // the program named by the command
    QString detail;        // the system's word on a failed start
    int exitCode = -1;     // after waiting
    bool ok() const { return error == Error::None; }
};

// The argument list of a command text by the command-line rules; line ends count as blanks.
QStringList splitCommand(const QString& text);

// Starts the command text as a process of its own in `directory` (the editor's current
// folder when empty), with the editor's environment and standard handles. With `wait` the
// call returns when the process has ended; otherwise the process is reaped when it ends.
StartResult startProcess(const QString& text, const QString& directory, bool wait);

} // namespace tools
