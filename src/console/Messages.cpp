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
        {HelpCopy, "Copies one or more files.\r\n\r\n"
                   "COPY [/A | /B] source [/A | /B] [+ source [/A | /B] ...] [destination [/A | /B]]\r\n"
                   "     [/V] [/Y | /-Y] [/Z]\r\n\r\n"
                   "  source       The file or files to copy; wildcards are allowed.\r\n"
                   "  +            Joins the sources into one destination file. Without a\r\n"
                   "               destination the later sources are added to the first.\r\n"
                   "  destination  The folder or file name of the copy (default: the current folder).\r\n"
                   "  /A           Text: a source ends at its first Ctrl+Z; a destination gets one added.\r\n"
                   "  /B           Binary: every byte is copied (the default).\r\n"
                   "  /V           Writes the copy through to the disk before going on.\r\n"
                   "  /Y           Replaces existing files without asking.\r\n"
                   "  /-Y          Asks before replacing an existing file.\r\n"
                   "  /Z           Accepted: every copy replaces its target only when complete.\r\n\r\n"
                   "At the prompt COPY asks before replacing a file; in a batch file it does not.\r\n"
                   "The variable COPYCMD may hold /Y or /-Y."},
        {HelpDate, "Shows the date, or asks for a new one.\r\n\r\nDATE [date]\r\n\r\n"
                   "Without a date DATE shows the current one and asks for a new one; an empty\r\n"
                   "answer keeps it. Setting the system clock needs a privilege the interpreter\r\n"
                   "does not have, so a valid new date is refused."},
        {HelpDateExt, "With extensions, DATE /T only shows the date."},
        {HelpDel, "Deletes one or more files.\r\n\r\n"
                  "DEL [/P] [/F] [/S] [/Q] [/A[[:]attributes]] names\r\n"
                  "ERASE [/P] [/F] [/S] [/Q] [/A[[:]attributes]] names\r\n\r\n"
                  "  names  Files, patterns or folders (a folder stands for all its files).\r\n"
                  "  /P     Asks before deleting each file.\r\n"
                  "  /F     Deletes read-only files too.\r\n"
                  "  /S     Deletes matching files in every subfolder as well; links to\r\n"
                  "         folders are not followed.\r\n"
                  "  /Q     Does not ask before deleting every file of a folder.\r\n"
                  "  /A     Selects files by attribute: R read-only, H hidden, A archive,\r\n"
                  "         S system, D folder; \"-\" before a letter means \"not\"."},
        {HelpDelExt, "With extensions, /S lists each file it deletes."},
        {HelpDir, "Lists the files and subfolders of a folder.\r\n\r\n"
                  "DIR [names] [/A[[:]attributes]] [/B] [/C] [/D] [/L] [/N] [/O[[:]order]] [/P] [/S]\r\n"
                  "    [/T[[:]field]] [/W] [/X]\r\n\r\n"
                  "  names  Folders, files or patterns to list.\r\n"
                  "  /A     Shows entries with the attributes given (all entries with /A alone):\r\n"
                  "         D folders, R read-only, H hidden, A files, S system; \"-\" means \"not\".\r\n"
                  "  /B     Names only, without headings or totals.\r\n"
                  "  /C     Thousands separators in sizes (the default; /-C turns them off).\r\n"
                  "  /D     Wide listing, sorted down the columns.\r\n"
                  "  /L     Names in lower case.\r\n"
                  "  /N     Names on the right (the default; /-N puts them first).\r\n"
                  "  /O     Sort order: N name, E extension, S size, D date and time,\r\n"
                  "         G folders first; \"-\" reverses the key that follows.\r\n"
                  "  /P     Waits after each screenful.\r\n"
                  "  /S     Lists every subfolder as well; links to folders are not followed.\r\n"
                  "  /T     Time shown and sorted on: C status change, A last access, W last written.\r\n"
                  "  /W     Wide listing.\r\n"
                  "  /X     Leaves room for short names (there are none on this system).\r\n\r\n"
                  "Switches may also be set in the variable DIRCMD; /-x turns switch x off."},
        {HelpExit, "Ends the command interpreter or the current batch file.\r\n\r\nEXIT [/B] [exitCode]"},
        {HelpMd, "Creates a folder.\r\n\r\nMKDIR path [path ...]\r\nMD path [path ...]"},
        {HelpMdExt, "With extensions, every missing folder of the path is created."},
        {HelpPath, "Shows or sets the search path for programs.\r\n\r\nPATH [path[;...]]\r\nPATH ;"},
        {HelpPrompt, "Changes the command prompt.\r\n\r\nPROMPT [text]\r\n\r\n"
                     "  $P path  $G >  $L <  $B |  $Q =  $S blank  $A &  $C (  $F )\r\n"
                     "  $D date  $T time  $V version  $_ line break  $E escape  $H backspace  $$ $"},
        {HelpPromptExt, "With extensions, $+ shows one + per PUSHD level and $M the network name."},
        {HelpRd, "Removes a folder.\r\n\r\n"
                 "RMDIR [/S] [/Q] path [path ...]\r\nRD [/S] [/Q] path [path ...]\r\n\r\n"
                 "  /S  Removes the folder with everything in it. A link inside the tree is\r\n"
                 "      removed itself; what it points to is left alone.\r\n"
                 "  /Q  Does not ask before removing a tree with /S."},
        {HelpRen, "Renames files or folders.\r\n\r\n"
                  "RENAME name newname\r\nREN name newname\r\n\r\n"
                  "The new name is a name only, without a folder. Wildcards in it keep the\r\n"
                  "matching characters of each old name: REN *.txt *.bak. A rename never\r\n"
                  "replaces an existing file."},
        {HelpSet, "Shows, sets or removes environment variables.\r\n\r\nSET [variable=[string]]"},
        {HelpSetExt, "SET /A expression    evaluates a numeric expression.\r\n"
                     "SET /P variable=[promptString]    reads a value from the input.\r\n\r\n"
                     "%name:~start,length% and %name:old=new% edit a value when it is expanded."},
        {HelpTime, "Shows the time, or asks for a new one.\r\n\r\nTIME [time]\r\n\r\n"
                   "Without a time TIME shows the current one and asks for a new one; an empty\r\n"
                   "answer keeps it. Setting the system clock needs a privilege the interpreter\r\n"
                   "does not have, so a valid new time is refused."},
        {HelpTimeExt, "With extensions, TIME /T only shows the time."},
        {HelpType, "Shows the contents of text files.\r\n\r\nTYPE file..."},
        {HelpVer, "Shows the version.\r\n\r\nVER"},
        {HelpVerify, "Turns write verification on or off.\r\n\r\nVERIFY [ON | OFF]"},
        {HelpVol, "Shows the label and serial number of the file system holding a folder.\r\n\r\n"
                  "VOL [path]"},
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
        {HelpStart, "Starts a program or command on its own.\r\n\r\n"
                    "START [\"title\"] [/D path] [/I] [/MIN | /MAX] [/LOW | /BELOWNORMAL | /NORMAL]\r\n"
                    "      [/WAIT] [/B] [command [arguments]]\r\n\r\n"
                    "  \"title\"  Accepted for the title of a window; there is none here.\r\n"
                    "  /D path  Folder the program starts in.\r\n"
                    "  /I       Gives the program the environment the interpreter started with.\r\n"
                    "  /LOW, /BELOWNORMAL  Runs the program at a lower priority.\r\n"
                    "  /WAIT    Waits for the program to end and sets ERRORLEVEL to its exit code.\r\n"
                    "  /B       Keeps the interpreter's input and output; without /B the program\r\n"
                    "           runs detached, in a session of its own.\r\n\r\n"
                    "A built-in command or batch file runs in a new interpreter (COMSPEC /K).\r\n"
                    "Without a command a new interpreter is started. /MIN, /MAX, /SEPARATE,\r\n"
                    "/SHARED, /ABOVENORMAL, /HIGH and /REALTIME are accepted and have no effect."},
        {HelpStartExt, "With extensions, a document is opened with its associated program."},
        {HelpBreak, "Does nothing; kept so that old batch files run.\r\n\r\nBREAK [ON | OFF]"},
        {HelpBreakExt, "With extensions, BREAK stops in a debugger when one is attached."},
        {HelpAssoc, "Shows or changes which file type an extension belongs to.\r\n\r\n"
                    "ASSOC [.ext[=[fileType]]]\r\n\r\n"
                    "  .ext           Shows the file type of the extension.\r\n"
                    "  .ext=fileType  Sets it.\r\n"
                    "  .ext=          Removes the extension's entry.\r\n\r\n"
                    "Without an argument every extension with a file type is listed."},
        {HelpFtype, "Shows or changes the command that opens files of a type.\r\n\r\n"
                    "FTYPE [fileType[=[openCommandString]]]\r\n\r\n"
                    "  fileType                    Shows the open command of the type.\r\n"
                    "  fileType=openCommandString  Sets it; %1 in it stands for the file.\r\n"
                    "  fileType=                   Removes it.\r\n\r\n"
                    "Without an argument every file type with an open command is listed."},
        {HelpKeys, "Turns line editing of the command window on or off.\r\n\r\nKEYS [ON | OFF | LIST]"},
        {HelpSetlocal, "Starts a local scope of environment changes in a batch file.\r\n\r\nSETLOCAL"},
        {HelpSetlocalExt, "With extensions: SETLOCAL ENABLEEXTENSIONS | DISABLEEXTENSIONS"},
        {HelpEndlocal, "Ends the local scope started by SETLOCAL.\r\n\r\nENDLOCAL"},
        {HelpEndlocalExt, "The end of a batch file also ends its local scope."},
        {HelpTitle, "Sets the window title.\r\n\r\nTITLE [string]"},
        {HelpDpath, "Shows or sets the search path for data files.\r\n\r\n"
                    "DPATH [path[;...]]\r\nDPATH ;\r\n\r\n"
                    "DPATH ; removes the path; without an argument the path is shown."},
        {HelpMove, "Moves files and renames folders.\r\n\r\n"
                   "MOVE source[,source ...] destination\r\n\r\n"
                   "  source       Files or folders to move; wildcards are allowed.\r\n"
                   "  destination  A folder to move into, or the new name of a single source.\r\n\r\n"
                   "Across file systems the source is copied and removed only once the copy is\r\n"
                   "complete. At the prompt MOVE asks before replacing a file (COPYCMD may hold\r\n"
                   "/Y or /-Y); in a batch file it does not."},
        {HelpPushd, "Saves the current folder on a stack and changes to another.\r\n\r\n"
                    "PUSHD [path]\r\n\r\nWithout a path the saved folders are listed, the latest first."},
        {HelpPushdExt, "With extensions, $+ in PROMPT shows one + for each saved folder."},
        {HelpPopd, "Changes back to the folder saved last by PUSHD and takes it off the stack.\r\n\r\nPOPD"},
        {HelpPopdExt, "POPD with an empty stack does nothing."},
        {HelpColor, "Sets the colours of the console.\r\n\r\nCOLOR [bf]\r\n\r\n"
                    "  b  background, f  foreground: one hexadecimal digit each\r\n\r\n"
                    "  0 black    4 red       8 grey          C light red\r\n"
                    "  1 blue     5 purple    9 light blue    D light purple\r\n"
                    "  2 green    6 yellow    A light green   E light yellow\r\n"
                    "  3 aqua     7 white     B light aqua    F bright white\r\n\r\n"
                    "Without an argument the colours of the start are restored. Equal\r\n"
                    "background and foreground are refused and set ERRORLEVEL to 1."},
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
