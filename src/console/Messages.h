#pragma once
// The interpreter's message table: every message it shows, by number, with %1..%9
// inserts. Texts carry no final line break; the printer adds CR LF.
#include "console/Text.h"

#include <initializer_list>

namespace console::msg {

enum : int {
    // Platform error texts (numbers as the platform reports them).
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    NotEnoughMemory = 8,
    InvalidDrive = 15,
    NotReady = 21,
    DirNotEmpty = 145,
    BadExeFormat = 193,
    FilenameSyntax = 123,
    AlreadyExists = 183,
    NoAssociation = 1155,
    CannotCreate = 82,
    DirNameInvalid = 267,
    InUse = 32,
    PrivilegeNotHeld = 1314,

    // Interpreter messages.
    NotRecognized = 0x2331,
    SyntaxIncorrect = 0x2332,
    Unexpected = 0x2333,
    InputLineTooLong = 0x2334,
    StringTooLong = 0x2335,
    EchoIsOn = 0x2336,
    EchoIsOff = 0x2337,
    More = 0x2338,
    TerminateBatch = 0x2339,
    EnvNotDefined = 0x233a,
    BatchNotFound = 0x233b,
    NoGotoLabel = 0x233c,
    LabelNotFound = 0x233d,
    SetlocalTooDeep = 0x233e,
    SetlocalInvalid = 0x233f,
    OutOfEnvironment = 0x2340,
    ShiftInvalid = 0x2341,
    CallLabelOutside = 0x2342,
    RecursionBanner = 0x2343,
    HandleNotDuplicated = 0x2344,
    NonexistentPipe = 0x2345,
    RecursionCount = 0x2346,
    RecursionAborted = 0x2347,
    PipeDuplicate = 0x2351,
    NotPassedOn = 0x2352,
    FileNameHeader = 0x2354,
    // File commands, DIR, DATE and TIME, VOL, ASSOC and FTYPE, START.
    FilesCopied = 0x2355,
    CopyOntoItself = 0x2356,
    OverwritePrompt = 0x2357,
    DeletePrompt = 0x2358,
    AreYouSure = 0x2359,
    DeletedFile = 0x235a,
    CouldNotFind = 0x235b,
    DuplicateOrMissing = 0x235c,
    FilesMoved = 0x235d,
    MultipleToSingle = 0x235e,
    DirsMoved = 0x235f,
    CurrentDate = 0x2360,
    CurrentTime = 0x2361,
    EnterDate = 0x2362,
    EnterTime = 0x2363,
    BadDate = 0x2364,
    BadTime = 0x2365,
    VolumeLabel = 0x2366,
    VolumeNoLabel = 0x2367,
    VolumeSerial = 0x2368,
    DirectoryOf = 0x2369,
    FileCount = 0x236a,
    TotalListed = 0x236b,
    BytesFree = 0x236c,
    DirFileNotFound = 0x236d,
    DircmdError = 0x236e,
    AssocNotFound = 0x236f,
    ProcessingError = 0x2370,
    FtypeNotFound = 0x2371,
    NoOpenCommand = 0x2372,
    StartBadParameter = 0x2373,
    InvalidSwitch = 0x2374,
    NotRemoved = 0x2375,
    // Help texts, one per built-in command.
    HelpCd = 0x237d, HelpCls = 0x237e, HelpCopy = 0x237f, HelpDate = 0x2380,
    HelpDel = 0x2381, HelpDir = 0x2382, HelpExit = 0x2383, HelpMd = 0x2384,
    HelpPath = 0x2385, HelpPrompt = 0x2386, HelpRd = 0x2387, HelpRen = 0x2388,
    HelpSet = 0x2389, HelpTime = 0x238a, HelpType = 0x238b, HelpVer = 0x238c,
    HelpVerify = 0x238d, HelpVol = 0x238e, HelpCall = 0x238f, HelpRem = 0x2390,
    HelpPause = 0x2391, HelpEcho = 0x2392, HelpGoto = 0x2393, HelpShift = 0x2394,
    HelpIf = 0x2395, HelpFor = 0x2396, HelpStart = 0x2397, HelpBreak = 0x2398,
    HelpCmd = 0x2399, HelpCmdExt = 0x239a, HelpAssoc = 0x239e, HelpFtype = 0x23a0,
    CopyNoRestart = 0x23a3,
    PathOperator = 0x23a4,
    HelpDelExt = 0x23a9, HelpCdExt = 0x23aa, HelpMdExt = 0x23ab, HelpDateExt = 0x23ac,
    HelpTimeExt = 0x23ad, HelpPromptExt = 0x23ae, HelpPushdExt = 0x23af,
    HelpPopdExt = 0x23b0, HelpSetExt = 0x23b1, HelpGotoExt = 0x23b2,
    HelpShiftExt = 0x23b3, HelpCallExt = 0x23b4, HelpSetlocalExt = 0x23b5,
    HelpEndlocalExt = 0x23b6, HelpStartExt = 0x23b7, HelpBreakExt = 0x23b8,
    HelpForExt = 0x23b9, HelpForExt2 = 0x23ba, HelpIfExt = 0x23bb, HelpKeys = 0x23bc,
    UncCurrentDir = 0x23bd,
    // SET /A.
    UnbalancedParen = 0x23bf,
    ExpressionTooComplex = 0x23c3,
    VerifyIsOff = 0x2348,
    VerifyIsOn = 0x2349,
    KeysIsOn = 0x234a,
    KeysIsOff = 0x234b,
    IncorrectParameter = 0x234c,
    PressAnyKey = 0x234d,
    WindowsVersion = 0x234e,
    SubdirExists = 0x234f,
    MissingOperator = 0x23c0,
    MissingOperand = 0x23c1,
    AssignNeedsName = 0x23c2,
    InvalidNumber = 0x23c4,
    HelpSetlocal = 0x2714, HelpEndlocal = 0x2715, HelpTitle = 0x2716, HelpDpath = 0x2717,
    HelpMove = 0x2718, HelpPushd = 0x2719, HelpPopd = 0x271a,
    HandleNotOpen = 0x2721,
    HelpColor = 0x2723,
};

// The text of message `id`, or an empty string for an unknown number.
ustring text(int id);
// The text with %1..%9 replaced by the inserts.
ustring format(int id, std::initializer_list<ustring> inserts = {});
ustring substitute(uview text, const std::vector<ustring>& inserts);

} // namespace console::msg

namespace console {

// An error the interpreter reports by message number; thrown inside the interpreter
// and caught where the statement or the line is abandoned.
struct CmdError {
    int id = 0;
    std::vector<ustring> inserts;
    ustring text() const { return msg::substitute(msg::text(id), inserts); }
};

} // namespace console
