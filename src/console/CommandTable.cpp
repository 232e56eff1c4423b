#include "console/CommandTable.h"

#include "console/Messages.h"

namespace console {

namespace {
using namespace msg;
const CommandRow rows[commands::RowCount] = {
    {u"DIR", 0, HelpDir, 0, 0},
    {u"ERASE", 0, HelpDel, HelpDelExt, 0},
    {u"DEL", 0, HelpDel, HelpDelExt, 0},
    {u"TYPE", 2, HelpType, 0, 0},
    {u"COPY", 1, HelpCopy, 0, 0},
    {u"CD", 1, HelpCd, HelpCdExt, 0},
    {u"CHDIR", 1, HelpCd, HelpCdExt, 0},
    {u"RENAME", 3, HelpRen, 0, 0},
    {u"REN", 3, HelpRen, 0, 0},
    {u"ECHO", 0, HelpEcho, 0, 0},
    {u"SET", 0, HelpSet, HelpSetExt, 0},
    {u"PAUSE", 0, HelpPause, 0, 0},
    {u"DATE", 0, HelpDate, HelpDateExt, 0},
    {u"TIME", 0, HelpTime, HelpTimeExt, 0},
    {u"PROMPT", 0, HelpPrompt, HelpPromptExt, 0},
    {u"MD", 2, HelpMd, HelpMdExt, 0},
    {u"MKDIR", 2, HelpMd, HelpMdExt, 0},
    {u"RD", 0, HelpRd, 0, 0},
    {u"RMDIR", 0, HelpRd, 0, 0},
    {u"PATH", 0, HelpPath, 0, 0},
    {u"GOTO", 0, HelpGoto, HelpGotoExt, 0},
    {u"SHIFT", 0, HelpShift, HelpShiftExt, 0},
    {u"CLS", 2, HelpCls, 0, 0},
    {u"CALL", 0, HelpCall, HelpCallExt, 0},
    {u"VERIFY", 2, HelpVerify, 0, 0},
    {u"VER", 2, HelpVer, 0, 0},
    {u"VOL", 2, HelpVol, 0, 0},
    {u"EXIT", 2, HelpExit, 0, 0},
    {u"SETLOCAL", 0, HelpSetlocal, HelpSetlocalExt, 0},
    {u"ENDLOCAL", 0, HelpEndlocal, HelpEndlocalExt, 0},
    {u"TITLE", 0, HelpTitle, 0, 0},
    {u"START", 0, HelpStart, HelpStartExt, 0},
    {u"DPATH", 0, HelpDpath, 0, 0},
    {u"KEYS", 2, HelpKeys, 0, 0},
    {u"MOVE", 3, HelpMove, 0, 0},
    {u"PUSHD", 3, HelpPushd, HelpPushdExt, 0},
    {u"POPD", 3, HelpPopd, HelpPopdExt, 0},
    {u"ASSOC", 4, 0, HelpAssoc, 0},
    {u"FTYPE", 4, 0, HelpFtype, 0},
    {u"BREAK", 0, HelpBreak, HelpBreakExt, 0},
    {u"COLOR", 4, 0, HelpColor, 0},
    {u"FOR", 0, HelpFor, HelpForExt, HelpForExt2},
    {u"IF", 0, HelpIf, HelpIfExt, 0},
    {u"REM", 0, HelpRem, 0, 0},
    {nullptr, 0, 0, 0, 0}, // separator
    {nullptr, 0, 0, 0, 0}, // or
    {nullptr, 0, 0, 0, 0}, // and
    {nullptr, 0, 0, 0, 0}, // pipe
    {nullptr, 0, 0, 0, 0}, // block
    {nullptr, 4, 0, 0, 0}, // CMDEXTVERSION
    {nullptr, 0, 0, 0, 0}, // ERRORLEVEL
    {nullptr, 4, 0, 0, 0}, // DEFINED
    {nullptr, 0, 0, 0, 0}, // EXIST
    {nullptr, 0, 0, 0, 0}, // NOT
    {nullptr, 0, 0, 0, 0}, // string equality
    {nullptr, 0, 0, 0, 0}, // comparison
    {nullptr, 0, 0, 0, 0}, // quiet
    {nullptr, 0, 0, 0, 0}, // help request
};
} // namespace

const CommandRow& commandRow(int row) { return rows[row]; }

int findCommand(uview name, bool extensions)
{
    for (int i = 0; i <= commands::Rem; ++i) {
        if (equalsNoCase(name, rows[i].name)) {
            if ((rows[i].flags & CmdExtOnly) && !extensions)
                return -1;
            return i;
        }
    }
    return -1;
}

} // namespace console
