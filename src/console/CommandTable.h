#pragma once
// The one table of built-in commands, followed by one row per non-command node kind.
#include "console/Text.h"

namespace console {

enum CommandFlag : int {
    CmdDriveArgs = 1,   // arguments "X:" must name an existing drive
    CmdNoSwitches = 2,  // arguments beginning with "/" are refused
    CmdExtOnly = 4,     // the row exists only with command extensions
};

struct CommandRow {
    const char16_t* name; // nullptr for node-kind rows
    int flags;
    int helpId;
    int extHelp1;
    int extHelp2;
};

namespace commands {
enum : int {
    Dir, Erase, Del, Type, Copy, Cd, Chdir, Rename, Ren, Echo, Set, Pause, Date, Time, Prompt,
    Md, Mkdir, Rd, Rmdir, Path, Goto, Shift, Cls, Call, Verify, Ver, Vol, Exit, Setlocal,
    Endlocal, Title, Start, Dpath, Keys, Move, Pushd, Popd, Assoc, Ftype, Break, Color,
    For, If, Rem,
    RowCount = 58,
    LastBuiltin = Color, // rows 0 to 40 are the built-in commands proper
};
}

const CommandRow& commandRow(int row);
// The row of a built-in by name (case-insensitive), honouring the extensions-only flag;
// -1 when the name is not a built-in.
int findCommand(uview name, bool extensions);

} // namespace console
