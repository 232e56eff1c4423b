#include "console/Messages.h"

#include "platform/Texts.h"

#include <unordered_map>

namespace console::msg {

namespace {

const std::unordered_map<int, const char*>& table()
{
    static const std::unordered_map<int, const char*> t = {
        {FileNotFound, "The system cannot find the file specified."},
        {PathNotFound, "The system cannot find the path specified."},
        {AccessDenied, "Access is denied."},
        {NotEnoughMemory, "Not enough storage is available to process this command."},
        {InvalidDrive, "The system cannot find the drive specified."},
        {NotReady, "The device is not ready."},
        {DirNotEmpty, "The directory is not empty."},
        {BadExeFormat, "%1 is not a valid application."},
        {31, "A device attached to the system is not functioning."},
        {206, "The filename or extension is too long."},
        {232, "The pipe is being closed."},
        {NoAssociation, "No application is associated with the specified file for this operation."},
        {17, "The system cannot move the file to a different disk drive."},
        {19, "The media is write protected."},
        {87, "The parameter is incorrect."},
        {112, "There is not enough space on the disk."},
        {223, "The file size exceeds the limit allowed and cannot be saved."},
        {1921, "The name of the file cannot be resolved by the system."},
        {CannotCreate, "The directory or file cannot be created."},
        {DirNameInvalid, "The directory name is invalid."},
        {InUse, "The process cannot access the file because it is being used by another process."},
        {PrivilegeNotHeld, "A required privilege is not held by the client."},
        {FilenameSyntax, "The filename, directory name, or volume label syntax is incorrect."},
        {AlreadyExists, "Cannot create a file when that file already exists."},

        {NotRecognized, "'%1' is not recognized as an internal or external command,\r\n"
                        "operable program or batch file."},
        {SyntaxIncorrect, "The syntax of the command is incorrect."},
        {Unexpected, "%1 was unexpected at this time."},
        {InputLineTooLong, "The input line is too long."},
        {StringTooLong, "The following character string is too long:\r\n%1"},
        {EchoIsOn, "ECHO is on."},
        {EchoIsOff, "ECHO is off."},
        {More, "More? "},
        {TerminateBatch, "Terminate batch job (Y/N)? "},
        {EnvNotDefined, "Environment variable %1 not defined"},
        {BatchNotFound, "The batch file cannot be found."},
        {NoGotoLabel, "No batch label specified to GOTO command."},
        {LabelNotFound, "The system cannot find the batch label specified - %1"},
        {SetlocalTooDeep, "Maximum setlocal recursion level reached."},
        {SetlocalInvalid, "Invalid parameter to SETLOCAL command"},
        {OutOfEnvironment, "The system is out of environment space."},
        {ShiftInvalid, "Invalid parameter to SHIFT command"},
        {CallLabelOutside, "Invalid attempt to call batch label outside of batch script."},
        {RecursionBanner, "******  B A T C H   R E C U R S I O N  exceeds STACK limits ******"},
        {RecursionCount, "Recursion Count=%1, Stack Usage=%2 percent"},
        {RecursionAborted, "******       B A T C H   PROCESSING IS   A B O R T E D      ******"},
        {HandleNotDuplicated, "The handle could not be duplicated\r\nduring redirection of handle %1."},
        {NonexistentPipe, "The process tried to write to a nonexistent pipe."},
        {PipeDuplicate, "The handle could not be duplicated during\r\na pipe operation."},
        {NotPassedOn, "This command cannot be handed to a second command interpreter unchanged:\r\n%1"},
        {FileNameHeader, "\r\n%1\r\n\r\n"},
        {FilesCopied, "%1 file(s) copied."},
        {CopyOntoItself, "The file cannot be copied onto itself."},
        {OverwritePrompt, "Overwrite %1? (Yes/No/All): "},
        {DeletePrompt, "%1, Delete (Y/N)? "},
        {AreYouSure, "%1, Are you sure (Y/N)? "},
        {DeletedFile, "Deleted file - %1"},
        {CouldNotFind, "Could Not Find %1"},
        {DuplicateOrMissing, "A duplicate file name exists, or the file\r\ncannot be found."},
        {FilesMoved, "%1 file(s) moved."},
        {DirsMoved, "%1 dir(s) moved."},
        {MultipleToSingle, "Cannot move multiple files to a single file."},
        {CurrentDate, "The current date is: %1"},
        {CurrentTime, "The current time is: %1"},
        {EnterDate, "Enter the new date: (%1) "},
        {EnterTime, "Enter the new time: "},
        {BadDate, "The system cannot accept the date entered."},
        {BadTime, "The system cannot accept the time entered."},
        {VolumeLabel, " Volume in drive %1 is %2"},
        {VolumeNoLabel, " Volume in drive %1 has no label."},
        {VolumeSerial, " Volume Serial Number is %1"},
        {DirectoryOf, " Directory of %1"},
        {FileCount, "     %1 File(s) %2 bytes"},
        {TotalListed, "     Total Files Listed:"},
        {BytesFree, "                      %1 bytes free"},
        {DirFileNotFound, "File Not Found"},
        {DircmdError, "(Error occurred in environment variable)"},
        {AssocNotFound, "File association not found for extension %1"},
        {ProcessingError, "Error occurred while processing: %1."},
        {FtypeNotFound, "File type '%1' not found or no open command associated with it."},
        {NoOpenCommand, "*** no open command defined ***"},
        {StartBadParameter, "The system cannot accept the START command parameter %1."},
        {InvalidSwitch, "Invalid switch - \"%1\"."},
        {NotRemoved, "%1 - %2"},
        {HandleNotOpen, "The handle could not be opened\r\nduring redirection of handle %1."},
        {CopyNoRestart, "The restartable copy option is not available on this system."},
        {PathOperator, "The following usage of the path operator in batch-parameter\r\n"
                       "substitution is invalid: %1\r\n\r\n"
                       "For valid formats type CALL /? or FOR /?"},
        {UncCurrentDir, "'%1' is an invalid current directory path.  UNC paths are not supported.\r\n"
                        "Defaulting to Windows directory."},
        {UnbalancedParen, "Unbalanced parenthesis."},
        {ExpressionTooComplex, "The expression is too complex."},
        {VerifyIsOff, "VERIFY is off."},
        {VerifyIsOn, "VERIFY is on."},
        {KeysIsOn, "KEYS is on."},
        {KeysIsOff, "KEYS is off."},
        {IncorrectParameter, "An incorrect parameter was\r\nentered for the command."},
        {PressAnyKey, "Press any key to continue . . . "},
        {WindowsVersion, "Windows Version %1.%2"},
        {SubdirExists, "A subdirectory or file %1 already exists."},
        {MissingOperator, "Missing operator."},
        {MissingOperand, "Missing operand."},
        {AssignNeedsName, "Environment variable name required to left of assignment operator."},
        {InvalidNumber, "Invalid number.  Numeric contants are either decimal (17),\r\n"
                        "hexadecimal (0x11), or octal (021)."},

        // Help texts.
        {HelpCmd, "Starts a new command interpreter.\r\n\r\n"
                  "VELMOCMD [/Q] [/A | /U] [/T:bf] [/X | /Y] [/S] [[/C | /K] command]\r\n\r\n"
                  "  /C      Runs the command and then ends.\r\n"
                  "  /K      Runs the command and then keeps reading commands.\r\n"
                  "  /S      Changes how quotes after /C or /K are treated.\r\n"
                  "  /Q      Turns echo off.\r\n"
                  "  /A      Output to files and pipes is ANSI text.\r\n"
                  "  /U      Output to files and pipes is Unicode text.\r\n"
                  "  /T:bf   Sets the background and foreground colours.\r\n"
                  "  /X      Turns command extensions on.\r\n"
                  "  /Y      Turns command extensions off."},
        {HelpCmdExt, "Command extensions are on unless /Y is given or the\r\n"
                     "EnableExtensions setting turns them off."},
        {HelpCd, "Shows or changes the current directory.\r\n\r\nCD [/D] [path]\r\nCHDIR [/D] [path]"},
        {HelpCdExt, "With extensions, blanks do not split the path and /D also changes the drive."},
        {HelpCls, "Clears the screen.\r\n\r\nCLS"},
        {HelpCopy, "Copies files.\r\n\r\nCOPY [/A | /B] source [+ source ...] [destination] [/V] [/N] [/Z]"},
        {HelpDate, "Shows or sets the date.\r\n\r\nDATE [date]"},
        {HelpDateExt, "With extensions, DATE /T only shows the date."},
        {HelpDel, "Deletes files.\r\n\r\nDEL [/P] [/F] [/S] [/Q] [/A[[:]attributes]] names\r\nERASE [/P] [/F] [/S] [/Q] [/A[[:]attributes]] names"},
        {HelpDelExt, "With extensions, /S lists each file it deletes."},
        {HelpDir, "Lists the files and folders of a directory.\r\n\r\n"
                  "DIR [path] [/A[[:]attributes]] [/B] [/C] [/D] [/L] [/N] [/O[[:]order]] [/P] [/S] [/T[[:]field]] [/W] [/X]"},
        {HelpExit, "Ends the command interpreter or the current batch file.\r\n\r\nEXIT [/B] [exitCode]"},
        {HelpMd, "Creates a directory.\r\n\r\nMKDIR path\r\nMD path"},
        {HelpMdExt, "With extensions, every missing folder of the path is created."},
        {HelpPath, "Shows or sets the search path for programs.\r\n\r\nPATH [path[;...]]\r\nPATH ;"},
        {HelpPrompt, "Changes the command prompt.\r\n\r\nPROMPT [text]\r\n\r\n"
                     "  $P path  $G >  $L <  $B |  $Q =  $S blank  $A &  $C (  $F )\r\n"
                     "  $D date  $T time  $V version  $_ line break  $E escape  $H backspace  $$ $"},
        {HelpPromptExt, "With extensions, $+ shows one + per PUSHD level and $M the network name."},
        {HelpRd, "Removes a directory.\r\n\r\nRMDIR [/S] [/Q] path\r\nRD [/S] [/Q] path"},
        {HelpRen, "Renames files.\r\n\r\nRENAME name newname\r\nREN name newname"},
        {HelpSet, "Shows, sets or removes environment variables.\r\n\r\nSET [variable=[string]]"},
        {HelpSetExt, "SET /A expression    evaluates a numeric expression.\r\n"
                     "SET /P variable=[promptString]    reads a value from the input.\r\n\r\n"
                     "%name:~start,length% and %name:old=new% edit a value when it is expanded."},
        {HelpTime, "Shows or sets the time.\r\n\r\nTIME [time]"},
        {HelpTimeExt, "With extensions, TIME /T only shows the time."},
        {HelpType, "Shows the contents of text files.\r\n\r\nTYPE file..."},
        {HelpVer, "Shows the version.\r\n\r\nVER"},
        {HelpVerify, "Turns write verification on or off.\r\n\r\nVERIFY [ON | OFF]"},
        {HelpVol, "Shows the volume label and serial number.\r\n\r\nVOL [drive:]"},
        {HelpCall, "Calls one batch program from another.\r\n\r\nCALL [path]name [arguments]"},
        {HelpCallExt, "With extensions, CALL :label arguments runs from a label of the current batch file.\r\n\r\n"
                      "Parameters can be edited: %~1 removes quotes, %~f1 full path, %~d1 drive,\r\n"
                      "%~p1 path, %~n1 name, %~x1 extension, %~s1 short names, %~$PATH:1 searches PATH."},
        {HelpRem, "Marks a comment in a batch file.\r\n\r\nREM [comment]"},
        {HelpPause, "Waits for a key.\r\n\r\nPAUSE"},
        {HelpEcho, "Shows messages, or turns command echo on or off.\r\n\r\nECHO [ON | OFF]\r\nECHO [message]"},
        {HelpGoto, "Continues a batch program at a labelled line.\r\n\r\nGOTO label"},
        {HelpGotoExt, "With extensions, GOTO :EOF ends the current batch file or CALL."},
        {HelpShift, "Shifts the batch parameters.\r\n\r\nSHIFT"},
        {HelpShiftExt, "With extensions, SHIFT /n starts shifting at %n (n from 0 to 8)."},
        {HelpIf, "Runs a command when a condition holds.\r\n\r\n"
                 "IF [NOT] ERRORLEVEL number command\r\nIF [NOT] string1==string2 command\r\n"
                 "IF [NOT] EXIST filename command"},
        {HelpIfExt, "With extensions:\r\n  IF [/I] string1 compare-op string2 command   (EQU NEQ LSS LEQ GTR GEQ)\r\n"
                    "  IF CMDEXTVERSION number command\r\n  IF DEFINED variable command\r\n"
                    "  ... ELSE command"},
        {HelpFor, "Runs a command for each item of a set.\r\n\r\nFOR %variable IN (set) DO command"},
        {HelpForExt, "With extensions:\r\n  FOR /D %variable IN (set) DO command\r\n"
                     "  FOR /R [path] %variable IN (set) DO command\r\n"
                     "  FOR /L %variable IN (start,step,end) DO command"},
        {HelpForExt2, "  FOR /F [\"options\"] %variable IN (file | \"string\" | 'command') DO command\r\n"
                      "  options: eol=c skip=n delims=xxx tokens=x,y,m-n"},
        {HelpStart, "Starts a program or command in its own window.\r\n\r\n"
                    "START [\"title\"] [/Dpath] [/I] [/MIN] [/MAX] [/B] [/WAIT] [command [arguments]]"},
        {HelpStartExt, "With extensions, a document is opened with its associated program."},
        {HelpBreak, "Has no effect; kept for compatibility.\r\n\r\nBREAK"},
        {HelpBreakExt, "With extensions, BREAK stops in an attached debugger."},
        {HelpAssoc, "Shows or changes file extension associations.\r\n\r\nASSOC [.ext[=[fileType]]]"},
        {HelpFtype, "Shows or changes the open command of file types.\r\n\r\nFTYPE [fileType[=[openCommandString]]]"},
        {HelpKeys, "Turns line editing of the command window on or off.\r\n\r\nKEYS [ON | OFF | LIST]"},
        {HelpSetlocal, "Starts a local scope of environment changes in a batch file.\r\n\r\nSETLOCAL"},
        {HelpSetlocalExt, "With extensions: SETLOCAL ENABLEEXTENSIONS | DISABLEEXTENSIONS"},
        {HelpEndlocal, "Ends the local scope started by SETLOCAL.\r\n\r\nENDLOCAL"},
        {HelpEndlocalExt, "The end of a batch file also ends its local scope."},
        {HelpTitle, "Sets the window title.\r\n\r\nTITLE [string]"},
        {HelpDpath, "Shows or sets the search path for data files.\r\n\r\nDPATH [path[;...]]"},
        {HelpMove, "Moves files and renames directories.\r\n\r\nMOVE source destination"},
        {HelpPushd, "Saves the current directory and changes to another.\r\n\r\nPUSHD [path]"},
        {HelpPushdExt, "With extensions, a network path is reached through a temporary drive."},
        {HelpPopd, "Changes back to the directory saved by PUSHD.\r\n\r\nPOPD"},
        {HelpPopdExt, "With extensions, a temporary drive made by PUSHD is removed."},
        {HelpColor, "Sets the console colours.\r\n\r\nCOLOR [bf]\r\n\r\n"
                    "b is the background and f the foreground, each a hexadecimal digit."},
    };
    return t;
}

} // namespace

ustring text(int id)
{
    auto it = table().find(id);
    if (it == table().end())
        return ustring();
    // The interpreter's own messages go through the translation layer under their
    // message numbers; the platform's error texts (small numbers) do not.
    if (id >= 0x2000)
        return fromQ(texts::str(id, it->second));
    return u(it->second);
}

ustring substitute(uview t, const std::vector<ustring>& inserts)
{
    ustring r;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '%' && i + 1 < t.size() && t[i + 1] >= '1' && t[i + 1] <= '9') {
            size_t k = size_t(t[i + 1] - '1');
            if (k < inserts.size())
                r += inserts[k];
            ++i;
        } else {
            r += t[i];
        }
    }
    return r;
}

ustring format(int id, std::initializer_list<ustring> inserts)
{
    return substitute(text(id), std::vector<ustring>(inserts));
}

} // namespace console::msg
