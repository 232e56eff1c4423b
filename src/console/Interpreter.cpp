#include "console/Interpreter.h"

#include "console/CommandTable.h"
#include "console/FileNames.h"
#include "platform/Registry.h"
#include "platform/Seams.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace console {

ProcessorSettings readProcessorSettings()
{
    ProcessorSettings s;
    const QString key = QStringLiteral("Software\\Microsoft\\Command Processor");
    // A DWORD is taken as it is; a string is read like strtol with base 0.
    auto number = [&](const char* name) -> std::optional<long long> {
        if (auto d = registry::queryDword(key, QString::fromLatin1(name)))
            return (long long)*d;
        if (auto t = registry::queryString(key, QString::fromLatin1(name)))
            return (long long)strtol32(fromQ(*t));
        return std::nullopt;
    };
    if (auto v = number("DisableUNCCheck"))
        s.disableUncCheck = *v == 1;
    if (auto v = number("EnableExtensions"))
        s.enableExtensions = *v == 1;
    if (auto v = number("DefaultColor"))
        s.defaultColor = int(*v & 0xFF);
    if (auto v = number("CompletionChar"))
        s.completionChar = int(*v);
    return s;
}

Interpreter::Interpreter(Options options)
    : options_(std::move(options)), console_(options_.console), env_(options_.environment),
      cwd_(options_.currentDirectory), parser_(*this)
{
    for (int h = 0; h < 3; ++h) {
        if (options_.stdFds[h] >= 0)
            handles_[h] = Handle{::fcntl(options_.stdFds[h], F_DUPFD_CLOEXEC, 3), false};
        else
            handles_[h] = Handle{-1, true};
    }
    extensions_ = options_.settings.enableExtensions;
}

Interpreter::~Interpreter()
{
    for (auto& h : handles_)
        if (h.fd >= 0)
            ::close(h.fd);
}

std::optional<ustring> Interpreter::variable(uview name) const
{
    if (equalsNoCase(name, u"CD"))
        return cwd_;
    if (auto v = env_.get(name))
        return v;
    if (extensions_) {
        if (equalsNoCase(name, u"ERRORLEVEL"))
            return number(errorLevel_);
        if (equalsNoCase(name, u"CMDCMDLINE"))
            return cmdLine_;
    }
    return std::nullopt;
}

const BatchParams* Interpreter::batchParams() const
{
    const BatchContext* ctx = currentBatch();
    return ctx ? &ctx->params : nullptr;
}

// ---- output ----

bool Interpreter::write(int handle, uview text)
{
    Handle& h = handles_[handle];
    if (h.console) {
        console_->write(text);
        return true;
    }
    if (h.fd < 0)
        return false;
    std::string bytes;
    if (unicodeOutput_) {
        for (char16_t c : text) {
            bytes += char(c & 0xFF);
            bytes += char(c >> 8);
        }
    } else {
        bytes = toUtf8(text);
    }
    return writeAll(h.fd, bytes);
}

bool Interpreter::writeBytes(int handle, std::string_view bytes)
{
    Handle& h = handles_[handle];
    if (h.console || unicodeOutput_)
        return write(handle, fromUtf8(bytes));
    if (h.fd < 0)
        return false;
    return writeAll(h.fd, bytes);
}

void Interpreter::message(int id, std::initializer_list<ustring> inserts)
{
    err(msg::format(id, inserts) + u"\r\n");
}

void Interpreter::platformError(int winError, uview name)
{
    ustring t = msg::text(winError);
    if (t.empty())
        t = u"Error " + number(winError) + u".";
    err(msg::substitute(t, {ustring(name)}) + u"\r\n");
}

std::optional<ustring> Interpreter::readInputLine()
{
    Handle& h = handles_[0];
    if (h.console) {
        IConsole::LineResult r = console_->readLine(u"", 0);
        if (r.eof)
            return std::nullopt;
        return r.text;
    }
    if (h.fd < 0)
        return std::nullopt;
    // One line, its first part when it is too long.
    std::string bytes;
    if (LineSource::readBytes(h.fd, bytes, false, [this] { return ctrlCPending(); }) == LineSource::Read::Eof)
        return std::nullopt;
    if (!bytes.empty() && bytes.back() == '\n')
        bytes.pop_back();
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
    // The text ends at a NUL byte, as an environment value does.
    if (size_t nul = bytes.find('\0'); nul != std::string::npos)
        bytes.erase(nul);
    return fromUtf8(bytes);
}

// ---- start-up and the loop ----

void Interpreter::startUp(uview arguments, bool& haveCommand, bool& stay, ustring& command)
{
    cmdLine_ = options_.comspec + (arguments.empty() ? ustring() : u" " + ustring(arguments));
    if (!env_.contains(u"PATHEXT"))
        env_.set(u"PATHEXT", u".COM;.EXE;.BAT;.CMD");
    if (!env_.contains(u"PROMPT"))
        env_.set(u"PROMPT", u"$P$G");
    if (!env_.contains(u"COMSPEC"))
        env_.set(u"COMSPEC", options_.comspec);
    if (auto k = env_.get(u"KEYS"); k && equalsNoCase(*k, u"ON"))
        keys_ = true;

    bool sRule = false;
    int colour = -1;
    haveCommand = false;
    stay = false;
    size_t i = 0;
    while (i < arguments.size()) {
        if (isBlank(arguments[i])) {
            ++i;
            continue;
        }
        if (arguments[i] != '/') {
            while (i < arguments.size() && !isBlank(arguments[i]))
                ++i;
            continue;
        }
        char16_t sw = i + 1 < arguments.size() ? upperChar(arguments[i + 1]) : 0;
        i += 2;
        if (sw == 'C' || sw == 'K') {
            haveCommand = true;
            stay = sw == 'K';
            command = ustring(arguments.substr(std::min(i, arguments.size())));
            break;
        }
        switch (sw) {
        case 'Q': quiet_ = true; echo_ = false; break;
        case 'U': unicodeOutput_ = true; break;
        case 'A': unicodeOutput_ = false; break;
        case 'X': extensions_ = true; break;
        case 'Y': extensions_ = false; break;
        case 'S': sRule = true; break;
        case 'T':
            if (extensions_ && i < arguments.size() && arguments[i] == ':') {
                size_t end = 0;
                int32_t v = 0;
                ustring digits;
                for (size_t k = i + 1; k < arguments.size() && k < i + 3 && !isBlank(arguments[k]); ++k)
                    digits += arguments[k];
                v = strtol32(u"0x" + digits, &end);
                if (end > 2)
                    colour = v & 0xFF;
            }
            break;
        case '?':
            out(msg::text(msg::HelpCmd) + u"\r\n");
            if (extensions_)
                out(msg::text(msg::HelpCmdExt) + u"\r\n");
            throw ExitRequest{1};
        default:
            break;
        }
        while (i < arguments.size() && !isBlank(arguments[i]))
            ++i;
    }
    if (haveCommand) {
        size_t a = 0;
        while (a < command.size() && isBlank(command[a]))
            ++a;
        command.erase(0, a);
        if (!command.empty() && command[0] == '"') {
            size_t quotes = size_t(std::count(command.begin(), command.end(), u'"'));
            bool keep = false;
            if (!sRule && quotes == 2 && command.back() == '"') {
                ustring inner = command.substr(1, command.size() - 2);
                keep = inner.find_first_of(u"&<>()@^|") == ustring::npos
                       && std::any_of(inner.begin(), inner.end(), isBlank)
                       && search(inner).kind != Found::NotFound;
            }
            if (!keep) {
                size_t last = command.rfind('"');
                if (last != 0 && last != ustring::npos)
                    command.erase(last, 1);
                command.erase(0, 1);
            }
        }
        command += u'\n';
    }
    savedTitle_ = console_ ? console_->title() : ustring();
    if (!(haveCommand && !stay) && handles_[1].console) {
        if (colour < 0)
            colour = options_.settings.defaultColor;
        // Without /T or a configured colour the console keeps its own attribute.
        if (colour >= 0 && (colour >> 4) != (colour & 15))
            console_->fillAttribute(colour);
    }
    // COLOR without an argument goes back to this.
    if (colour < 0)
        colour = options_.settings.defaultColor;
    startColour_ = colour >= 0 && (colour >> 4) != (colour & 15) ? colour : (console_ ? console_->attribute() : 0x07);
}

int Interpreter::run(uview arguments)
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* addr = nullptr;
        size_t size = 0;
        pthread_attr_getstack(&attr, &addr, &size);
        stackBase_ = static_cast<char*>(addr) + size;
        stackSize_ = size;
        pthread_attr_destroy(&attr);
    }
    bool haveCommand = false, stay = false;
    ustring command;
    try {
        startUp(arguments, haveCommand, stay, command);
        jobControl_ = handles_[0].console && (!haveCommand || stay);
        if (haveCommand) {
            LineSource src = LineSource::fromString(command);
            Parser::Result r = parser_.parse(src);
            if (r.status == Parser::Result::Error) {
                err(r.error.text() + u"\r\n");
                return 1;
            }
            int result = 0;
            try {
                result = r.node ? dispatch(Normal, r.node.get()) : 0;
            } catch (const AbortBatch&) {
                if (!stay)
                    return 255;
            } catch (const CmdError& e) {
                err(e.text() + u"\r\n");
                if (!stay)
                    return 255;
            } catch (const std::bad_alloc&) {
                platformError(msg::NotEnoughMemory);
                if (!stay)
                    return 255;
            }
            // Interrupted by Ctrl+C, the run ends as a program ended by Ctrl+C does, so
            // that whoever started it sees the interruption.
            if (!stay)
                return takeCtrlC() ? ControlCExit : result;
        }
        return interactiveLoop();
    } catch (const ExitRequest& e) {
        return e.code;
    }
}

int Interpreter::interactiveLoop()
{
    readsConsole_ = handles_[0].console;
    LineSource src = handles_[0].console ? LineSource::fromConsole(console_)
                                         : LineSource::fromDescriptor(handles_[0].fd);
    src.interrupted = [this] { return ctrlCPending(); };
    src.prompt = [this](bool more) {
        if (more)
            out(msg::text(msg::More));
        else
            showPrompt();
    };
    if (extensions_ && options_.settings.completionChar < 32 && !keys_) {
        src.completionChar = char16_t(options_.settings.completionChar);
        src.complete = [this](uview typed, bool shift) { return completeLine(typed, shift); };
    }
    bool echoInput = !handles_[0].console;
    parser_.echoInputLine = [this, echoInput](uview line) {
        if (!echoInput || quiet_)
            return;
        ustring l(line);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        out(l + u"\r\n");
    };
    for (;;) {
        gotoFlag_ = false;
        // Commands from redirected input stop at Ctrl+C, as they would at their end.
        if (takeCtrlC() && !readsConsole_)
            return ControlCExit;
        try {
            Parser::Result r = parser_.parse(src);
            if (r.status == Parser::Result::Eof)
                return 0;
            if (r.status == Parser::Result::Error) {
                lastLineEmpty_ = false;
                err(r.error.text() + u"\r\n");
                continue;
            }
            if (r.status == Parser::Result::Empty) {
                lastLineEmpty_ = true;
                continue;
            }
            lastLineEmpty_ = false;
            dispatch(Normal, r.node.get());
        } catch (const AbortBatch&) {
        } catch (const CmdError& e) {
            err(e.text() + u"\r\n");
        } catch (const std::bad_alloc&) {
            platformError(msg::NotEnoughMemory);
        }
    }
}

bool Interpreter::ctrlCPending()
{
    std::lock_guard<std::mutex> lock(ctrlMutex_);
    return ctrlC_;
}

bool Interpreter::takeCtrlC()
{
    std::lock_guard<std::mutex> lock(ctrlMutex_);
    bool was = ctrlC_;
    ctrlC_ = false;
    return was;
}

void Interpreter::requestCtrlC()
{
    std::lock_guard<std::mutex> lock(ctrlMutex_);
    if (foregroundTarget_ != 0) {
        // The reaction is off while a program is waited for: the program gets the interrupt.
        ::kill(foregroundTarget_, SIGINT);
        return;
    }
    for (const auto& c : pipeChildren_)
        ::kill(c.signalTarget, SIGINT);
    ctrlC_ = true;
}

void Interpreter::hangUp(bool force)
{
    std::lock_guard<std::mutex> lock(ctrlMutex_);
    auto send = [force](int target) {
        ::kill(target, force ? SIGKILL : SIGHUP);
        ::kill(target, SIGCONT);
    };
    if (foregroundTarget_ != 0)
        send(foregroundTarget_);
    for (const auto& c : pipeChildren_)
        send(c.signalTarget);
    ctrlC_ = true;
}

bool Interpreter::runsProgram()
{
    std::lock_guard<std::mutex> lock(ctrlMutex_);
    return foregroundTarget_ != 0 || !pipeChildren_.empty();
}

void Interpreter::checkCtrlC()
{
    if (!takeCtrlC())
        return;
    if (!batches_.empty()) {
        for (;;) {
            out(msg::text(msg::TerminateBatch));
            std::optional<ustring> answer = readInputLine();
            if (!answer)
                break;
            ustring a = trimBlanks(*answer);
            if (equalsNoCase(a, u"N"))
                return;
            if (equalsNoCase(a, u"Y"))
                break;
        }
    }
    throw AbortBatch{};
}

void Interpreter::showPrompt()
{
    // With redirected input a pending Ctrl+C is left for the loop, which stops.
    if (readsConsole_ && takeCtrlC())
        out(u"^C");
    if (!echo_)
        return;
    if (!lastLineEmpty_)
        out(u"\r\n");
    out(promptText());
}

ustring Interpreter::promptText()
{
    std::optional<ustring> p = env_.get(u"PROMPT");
    if (!p || p->empty())
        return cwd_ + u">";
    ustring r;
    const ustring& t = *p;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '$') {
            r += t[i];
            continue;
        }
        if (i + 1 >= t.size())
            return ustring();
        char16_t c = upperChar(t[++i]);
        QDateTime now = seams::clock().now();
        switch (c) {
        case 'P': r += cwd_; break;
        case 'N': break; // no drive letters here
        case 'D': r += fromQ(now.toString(QStringLiteral("ddd MM/dd/yyyy"))); break;
        case 'T': {
            r += fromQ(now.toString(QStringLiteral("HH:mm:ss")));
            r += u".";
            int cs = now.time().msec() / 10;
            r += char16_t('0' + cs / 10);
            r += char16_t('0' + cs % 10);
            break;
        }
        case 'V': {
            struct utsname un {};
            ::uname(&un);
            int major = 0, minor = 0;
            std::sscanf(un.release, "%d.%d", &major, &minor);
            r += msg::format(msg::WindowsVersion, {number(major), number(minor)});
            break;
        }
        case '_': r += u"\r\n"; break;
        case 'E': r += char16_t(27); break;
        case 'H': r += u"\b \b"; break;
        case 'G': r += u">"; break;
        case 'L': r += u"<"; break;
        case 'B': r += u"|"; break;
        case 'Q': r += u"="; break;
        case 'S': r += u" "; break;
        case 'A': r += u"&"; break;
        case 'C': r += u"("; break;
        case 'F': r += u")"; break;
        case '$': r += u"$"; break;
        case '+':
            if (!extensions_)
                return ustring();
            r.append(pushdStack_.size(), u'+');
            break;
        case 'M':
            if (!extensions_)
                return ustring();
            break;
        default:
            return ustring();
        }
    }
    return r;
}

// ---- dispatch ----

int Interpreter::dispatch(int mode, ParseNode* n)
{
    if (!n || gotoFlag_ || n->kind == KindRem)
        return 0;
    std::vector<Saved> undo;
    struct Guard {
        Interpreter* self;
        std::vector<Saved>& undo;
        ~Guard() { self->undoRedirections(undo); }
    } guard{this, undo};

    if (mode == PipeSide && n->kind != KindPipe) {
        if (!applyRedirections(n->redirections, undo))
            return 1;
        bool external = false;
        if (n->kind == KindCommand) {
            int row = findCommand(n->text1, extensions_);
            if (row < 0 || !hasHandler(row)) {
                SearchResult s = search(stripQuotes(n->text1));
                external = s.kind == Found::Program;
            }
        }
        return external ? runExternal(n, PipeSide) : runThroughComspec(n);
    }
    bool takesRedirections = n->kind == KindCommand || n->kind == KindBlock || n->kind == KindQuiet
                             || n->kind == KindHelp;
    if (takesRedirections && !n->redirections.empty() && !applyRedirections(n->redirections, undo))
        return 1;
    switch (n->kind) {
    case KindCommand:
        return runCommand(n, mode);
    case KindSeparator: {
        ParseNode* cur = n;
        while (cur && cur->kind == KindSeparator && cur->redirections.empty()) {
            dispatch(mode, cur->left.get());
            cur = cur->right.get();
        }
        return dispatch(mode, cur);
    }
    case KindOr: {
        int r = dispatch(mode, n->left.get());
        if (r != 0) {
            errorLevel_ = r;
            return dispatch(mode, n->right.get());
        }
        return r;
    }
    case KindAnd: {
        int r = dispatch(mode, n->left.get());
        return r == 0 ? dispatch(mode, n->right.get()) : r;
    }
    case KindPipe:
        return runPipe(n);
    case KindBlock:
    case KindQuiet:
        return dispatch(mode, n->left.get());
    case KindHelp:
        return runHelp(findCommand(n->text1, true));
    case KindIf:
        return runIf(n);
    case KindFor:
        return runFor(n);
    default:
        return 0;
    }
}

int Interpreter::runHelp(int row)
{
    if (row < 0)
        return 0;
    const CommandRow& r = commandRow(row);
    if (r.helpId == 0) {
        if (extensions_ && r.extHelp1)
            out(msg::text(r.extHelp1) + u"\r\n");
        return 0;
    }
    out(msg::text(r.helpId) + u"\r\n");
    if (extensions_) {
        if (r.extHelp1)
            out(msg::text(r.extHelp1) + u"\r\n");
        if (r.extHelp2)
            out(msg::text(r.extHelp2) + u"\r\n");
    }
    return 0;
}


int Interpreter::runCommand(ParseNode* n, int mode)
{
    int row = findCommand(n->text1, extensions_);
    ustring args = n->text2;
    if (row < 0 && n->text1.size() > 4 && startsWithNoCase(n->text1, u"ECHO")
        && (n->text1[4] == '.' || n->text1[4] == '(')) {
        row = commands::Echo;
        args = n->text1.substr(4) + args;
    }
    if (row < 0 || !hasHandler(row))
        return runExternal(n, mode);

    std::vector<ustring> words = splitWords(args);
    bool help = false;
    if (row == commands::Echo) {
        help = !words.empty() && words[0].substr(0, 2) == u"/?";
    } else if (row == commands::Set) {
        if (words.empty() || words[0][0] == '/')
            for (const auto& w : words)
                help = help || w.substr(0, 2) == u"/?";
    } else if (row != commands::Start) {
        for (const auto& w : words)
            help = help || w.substr(0, 2) == u"/?";
    }
    if (help)
        return runHelp(row);
    if (commandRow(row).flags & CmdNoSwitches) {
        for (const auto& w : words) {
            // A word starting with "/" is a path when it names one; EXIT takes its own /B.
            if (row == commands::Exit && equalsNoCase(w, u"/B"))
                continue;
            // A full name ("/home/user/new") is a path even before it exists.
            if (w[0] == '/' && w.find('/', 1) == ustring::npos && !pathExists(resolvePath(stripQuotes(w)))) {
                message(msg::SyntaxIncorrect);
                errorLevel_ = 1;
                return 1;
            }
        }
    }
    ParseNode adjusted;
    ParseNode* target = n;
    if (args != n->text2) {
        adjusted.text1 = u"ECHO";
        adjusted.text2 = args;
        target = &adjusted;
    }
    // Without a known title (a terminal cannot report its own) the title is left alone.
    bool setTitle = console_ && row != commands::Title && !savedTitle_.empty();
    if (setTitle)
        console_->setTitle(savedTitle_ + u" - " + n->text1 + n->text2);
    int r = runBuiltin(row, target);
    if (setTitle)
        console_->setTitle(savedTitle_);
    return r;
}

int Interpreter::runBuiltin(int row, ParseNode* n)
{
    // These commands leave a failure in ERRORLEVEL.
    auto failing = [this](int r) {
        if (r != 0)
            errorLevel_ = r;
        return r;
    };
    switch (row) {
    case commands::Echo: return cmdEcho(n);
    case commands::Set: return cmdSet(n);
    case commands::Exit: return cmdExit(n);
    case commands::Goto: return cmdGoto(n);
    case commands::Call: return cmdCall(n);
    case commands::Shift: return cmdShift(n);
    case commands::Setlocal: return cmdSetlocal(n);
    case commands::Endlocal: return cmdEndlocal(n);
    case commands::Cd: case commands::Chdir: return cmdCd(n);
    case commands::Prompt: return cmdPrompt(n);
    case commands::Path: return cmdPath(n);
    case commands::Title: return cmdTitle(n);
    case commands::Ver: return cmdVer(n);
    case commands::Cls: return cmdCls(n);
    case commands::Pause: return cmdPause(n);
    case commands::Type: return cmdType(n);
    case commands::Verify: return cmdVerify(n);
    case commands::Keys: return cmdKeys(n);
    case commands::Copy: return failing(cmdCopy(n));
    case commands::Del: case commands::Erase: return cmdDel(n);
    case commands::Md: case commands::Mkdir: return failing(cmdMd(n));
    case commands::Rd: case commands::Rmdir: return failing(cmdRd(n));
    case commands::Ren: case commands::Rename: return failing(cmdRen(n));
    case commands::Move: return failing(cmdMove(n));
    case commands::Dir: return failing(cmdDir(n));
    case commands::Vol: return cmdVol(n);
    case commands::Pushd: return cmdPushd(n);
    case commands::Popd: return cmdPopd(n);
    case commands::Dpath: return cmdDpath(n);
    case commands::Date: return cmdDateTime(n, false);
    case commands::Time: return cmdDateTime(n, true);
    case commands::Color: return cmdColor(n);
    case commands::Break: return cmdBreak(n);
    case commands::Assoc: return cmdAssoc(n, false);
    case commands::Ftype: return cmdAssoc(n, true);
    case commands::Start: return cmdStart(n);
    default: return 0;
    }
}

bool Interpreter::hasHandler(int row) const
{
    switch (row) {
    case commands::Echo: case commands::Set: case commands::Exit: case commands::Goto:
    case commands::Call: case commands::Shift: case commands::Setlocal: case commands::Endlocal:
    case commands::Cd: case commands::Chdir: case commands::Prompt: case commands::Path:
    case commands::Title: case commands::Ver: case commands::Cls: case commands::Pause:
    case commands::Type: case commands::Verify: case commands::Keys:
    case commands::Copy: case commands::Del: case commands::Erase: case commands::Md: case commands::Mkdir:
    case commands::Rd: case commands::Rmdir: case commands::Ren: case commands::Rename: case commands::Move:
    case commands::Dir: case commands::Vol: case commands::Pushd: case commands::Popd: case commands::Dpath:
    case commands::Date: case commands::Time: case commands::Color: case commands::Break:
    case commands::Assoc: case commands::Ftype: case commands::Start:
        return true;
    default:
        return false;
    }
}

// ---- external commands ----

static bool isExecutableFile(const ustring& path)
{
    std::string p = toLocal8(path);
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

static bool isRegularFile(const ustring& path)
{
    struct stat st {};
    return ::stat(toLocal8(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

static bool isBatchName(uview path)
{
    return path.size() >= 4
           && (equalsNoCase(path.substr(path.size() - 4), u".bat")
               || equalsNoCase(path.substr(path.size() - 4), u".cmd"));
}

Interpreter::SearchResult Interpreter::search(uview nameIn)
{
    ustring name = nativePath(nameIn);
    SearchResult result;
    if (name.empty())
        return result;
    std::vector<ustring> dirs;
    ustring base = name;
    size_t slash = name.rfind('/');
    if (slash != ustring::npos) {
        ustring full = resolvePath(name);
        size_t s2 = full.rfind('/');
        dirs.push_back(full.substr(0, s2 + 1));
        base = full.substr(s2 + 1);
    } else {
        dirs.push_back(cwd_ + u"/");
        if (auto path = env_.get(u"PATH")) {
            size_t start = 0;
            while (start <= path->size()) {
                size_t end = path->find_first_of(u";:", start);
                if (end == ustring::npos)
                    end = path->size();
                ustring d = trimBlanks(uview(*path).substr(start, end - start));
                if (!d.empty())
                    dirs.push_back(resolvePath(d) + u"/");
                start = end + 1;
            }
        }
    }
    std::vector<ustring> exts;
    {
        ustring list = env_.get(u"PATHEXT").value_or(u".COM;.EXE;.BAT;.CMD");
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(';', start);
            if (end == ustring::npos)
                end = list.size();
            ustring e = trimBlanks(uview(list).substr(start, end - start));
            if (!e.empty())
                exts.push_back(e);
            start = end + 1;
        }
    }
    bool hasExt = base.find('.') != ustring::npos && base.rfind('.') > 0;
    auto classify = [&](const ustring& p) {
        result.path = p;
        result.kind = isBatchName(p) ? Found::Batch : Found::Program;
    };
    if (!base.empty()) {
        for (const auto& d : dirs) {
            if (hasExt) {
                ustring p = d + base;
                // A name with an extension is taken as it is; a file that is not a
                // program fails when it is started, with the platform's message.
                if (isRegularFile(p)) {
                    classify(p);
                    return result;
                }
            } else {
                for (const auto& e : exts) {
                    for (const ustring& candidate : {d + base + e, d + base + lower(e)}) {
                        if (isRegularFile(candidate)) {
                            classify(candidate);
                            return result;
                        }
                    }
                }
            }
            // The bare name of an executable file.
            ustring bare = d + base;
            if (isExecutableFile(bare)) {
                classify(bare);
                return result;
            }
        }
    }
    if (extensions_) {
        ustring full = resolvePath(name);
        if (isDirectory(full)) {
            result.kind = Found::Directory;
            result.path = full;
        }
    }
    return result;
}

int Interpreter::runExternal(ParseNode* n, int mode)
{
    ustring name = stripQuotes(n->text1);
    SearchResult s;
    if (extensions_ && equalsNoCase(name, u"cmd")) {
        s.kind = Found::Program;
        s.path = variable(u"COMSPEC").value_or(options_.comspec);
    } else {
        s = search(name);
    }
    if (hook_ && hook_(name, n->text2))
        return 0;
    switch (s.kind) {
    case Found::Program: {
        std::vector<ustring> args = splitArguments(n->text2);
        args.insert(args.begin(), name);
        return startProgram(s.path, args, mode);
    }
    case Found::Batch: {
        bool call = pendingCall_;
        pendingCall_ = false;
        return runBatch(s.path, n->text1, n->text2, call);
    }
    case Found::Directory:
        cwd_ = s.path;
        return 0;
    case Found::NotFound:
        break;
    }
    message(msg::NotRecognized, {n->text1});
    errorLevel_ = msg::NotRecognized;
    return msg::NotRecognized;
}

void Interpreter::setExitCode(int code)
{
    errorLevel_ = code;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", unsigned(code));
    env_.set(u"=ExitCode", u(hex));
    if (code >= 32 && code <= 126)
        env_.set(u"=ExitCodeAscii", ustring(1, char16_t(code)));
    else
        env_.remove(u"=ExitCodeAscii");
}

int Interpreter::startProgram(const ustring& path, const std::vector<ustring>& args, int mode,
                              const std::vector<std::string>* explicitArgv)
{
    SpawnRequest req;
    req.program = toLocal8(path);
    if (explicitArgv) {
        req.argv = *explicitArgv;
    } else {
        for (const auto& a : args)
            req.argv.push_back(toLocal8(a));
        if (req.argv.empty())
            req.argv.push_back(req.program);
    }
    req.envp = env_.toEnvp();
    req.directory = toLocal8(cwd_);
    for (int h = 0; h < 10; ++h) {
        if (handles_[h].console)
            req.fds[h] = h < 3 && console_ ? console_->nativeHandle(h) : -1;
        else
            req.fds[h] = handles_[h].fd;
    }
    SpawnResult r;
    int code = 0;
    if (mode == PipeSide && pipeJob_) {
        // One side of a pipeline: the pipeline is one job, collected when it ends.
        pipeJob_->prepare(req);
        r = spawnProcess(req);
        if (r.pid >= 0) {
            pipeJob_->started(r.pid);
            std::lock_guard<std::mutex> lock(ctrlMutex_);
            pipeChildren_.push_back({r.pid, pipeJob_->signalTarget(r.pid)});
        }
    } else {
        Foreground child(*this, req);
        r = child.result();
        code = child.wait();
    }
    if (r.pid < 0) {
        // A file that is not a program is opened with the program associated with it.
        bool notAProgram = r.error == msg::BadExeFormat
                           || (r.error == msg::AccessDenied && isRegularFile(path) && !isExecutableFile(path));
        if (extensions_ && !explicitArgv && notAProgram)
            return openWithAssociation(path, mode);
        platformError(r.error, path);
        errorLevel_ = r.error;
        return r.error;
    }
    if (mode == PipeSide)
        return 0;
    setExitCode(code);
    return code;
}

Job::Mode Interpreter::jobMode() const
{
    return Job::modeFor(terminal(), jobControl_, console_ && console_->sharesProcessGroup());
}

Interpreter::Foreground::Foreground(Interpreter& self, SpawnRequest& req)
    : self_(self), job_(self.jobMode(), self.terminal())
{
    job_.prepare(req);
    result_ = spawnProcess(req);
    if (result_.pid < 0)
        return;
    job_.started(result_.pid);
    std::lock_guard<std::mutex> lock(self_.ctrlMutex_);
    self_.foregroundTarget_ = job_.signalTarget(result_.pid);
}

Interpreter::Foreground::~Foreground()
{
    if (result_.pid >= 0 && !waited_) {
        job_.wait({result_.pid});
        std::lock_guard<std::mutex> lock(self_.ctrlMutex_);
        self_.foregroundTarget_ = 0;
    }
}

int Interpreter::Foreground::wait()
{
    if (result_.pid < 0 || waited_)
        return -1;
    waited_ = true;
    std::vector<bool> interrupted;
    int code = job_.wait({result_.pid}, &interrupted).front();
    {
        std::lock_guard<std::mutex> lock(self_.ctrlMutex_);
        self_.foregroundTarget_ = 0;
    }
    job_.release();
    if (interrupted.front())
        self_.noteInterrupted();
    return code;
}

void Interpreter::noteInterrupted()
{
    {
        std::lock_guard<std::mutex> lock(ctrlMutex_);
        ctrlC_ = true;
    }
    // Shown on the console only: never into a file or a pipe that collects output.
    if (handles_[1].console)
        out(u"^C");
}

ustring Interpreter::desktopOpener()
{
    // The desktop's association launcher, found on PATH; empty when there is none.
    if (auto list = env_.get(u"PATH")) {
        size_t start = 0;
        while (start <= list->size()) {
            size_t end = list->find_first_of(u";:", start);
            if (end == ustring::npos)
                end = list->size();
            ustring d = trimBlanks(uview(*list).substr(start, end - start));
            if (!d.empty() && isExecutableFile(resolvePath(d) + u"/xdg-open"))
                return resolvePath(d) + u"/xdg-open";
            start = end + 1;
        }
    }
    return {};
}

int Interpreter::openWithAssociation(const ustring& path, int mode)
{
    const ustring opener = desktopOpener();
    if (opener.empty()) {
        platformError(msg::NoAssociation);
        errorLevel_ = msg::NoAssociation;
        return msg::NoAssociation;
    }
    std::vector<std::string> argv = {"xdg-open", toLocal8(path)};
    return startProgram(opener, {}, mode, &argv);
}

int Interpreter::runThroughComspec(ParseNode* n)
{
    ustring comspec = variable(u"COMSPEC").value_or(options_.comspec);
    // The child parses the text back to this very tree (or it is refused here, with a
    // message, and nothing runs); it runs with this interpreter's extension setting.
    ustring text;
    try {
        text = childCommandText(*n, extensions_);
    } catch (const CmdError& e) {
        err(e.text() + u"\r\n");
        return 1;
    }
    std::vector<std::string> argv = {toLocal8(comspec), "/S", extensions_ ? "/X" : "/Y", "/C",
                                     "\"" + toUtf8(text) + "\""};
    return startProgram(resolvePath(comspec), {}, PipeSide, &argv);
}

int Interpreter::runPipe(ParseNode* n)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        message(msg::PipeDuplicate);
        throw AbortBatch{};
    }
    // The whole pipeline is one job: one process group that has the terminal while it runs.
    if (pipeDepth_ == 0)
        pipeJob_ = std::make_unique<Job>(jobMode(), terminal());
    ++pipeDepth_;
    struct Restore {
        Interpreter* self;
        int slot;
        Handle saved;
        int fd;
        ~Restore()
        {
            self->handles_[slot] = saved;
            if (fd >= 0)
                ::close(fd);
        }
    };
    struct Depth {
        Interpreter* self;
        ~Depth()
        {
            if (--self->pipeDepth_ > 0 || !std::uncaught_exceptions())
                return;
            // Abandoned by an error: the programs already started are still collected.
            std::vector<int> pids;
            {
                std::lock_guard<std::mutex> lock(self->ctrlMutex_);
                for (const auto& c : self->pipeChildren_)
                    pids.push_back(c.pid);
                self->pipeChildren_.clear();
            }
            self->pipeJob_->wait(pids);
            self->pipeJob_.reset();
        }
    } depth{this};
    {
        Restore r{this, 1, handles_[1], fds[1]};
        handles_[1] = Handle{fds[1], false};
        try {
            dispatch(PipeSide, n->left.get());
        } catch (...) {
            ::close(fds[0]);
            throw;
        }
    }
    {
        Restore r{this, 0, handles_[0], fds[0]};
        handles_[0] = Handle{fds[0], false};
        dispatch(PipeSide, n->right.get());
    }
    if (pipeDepth_ > 1)
        return 0;
    std::vector<int> pids;
    {
        std::lock_guard<std::mutex> lock(ctrlMutex_);
        for (const auto& c : pipeChildren_)
            pids.push_back(c.pid);
    }
    std::vector<bool> interrupted;
    std::vector<int> codes = pipeJob_->wait(pids, &interrupted);
    {
        std::lock_guard<std::mutex> lock(ctrlMutex_);
        pipeChildren_.clear();
    }
    pipeJob_.reset();
    int code = codes.empty() ? 0 : codes.back();
    setExitCode(code);
    // A side ended by Ctrl+C counts as for a single program.
    if (std::find(interrupted.begin(), interrupted.end(), true) != interrupted.end())
        noteInterrupted();
    return code;
}

// ---- redirection ----

int Interpreter::openTarget(const Redirection& r, int& winError)
{
    ustring name = stripQuotes(r.target);
    if (name.size() > 2 && name.back() == ':')
        name.pop_back();
    if (equalsNoCase(name, u"CON"))
        return -2;
    std::string path = equalsNoCase(name, u"NUL") ? std::string("/dev/null") : toLocal8(resolvePath(name));
    int fd = -1;
    if (r.direction == '<') {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            // Not found: the folders of DPATH are searched.
            if (auto dpath = env_.get(u"DPATH")) {
                ustring found;
                size_t start = 0;
                while (start <= dpath->size() && fd < 0) {
                    size_t end = dpath->find_first_of(u";:", start);
                    if (end == ustring::npos)
                        end = dpath->size();
                    ustring d = trimBlanks(uview(*dpath).substr(start, end - start));
                    if (!d.empty()) {
                        std::string p = toLocal8(resolvePath(d + u"/" + nativePath(name)));
                        fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
                    }
                    start = end + 1;
                }
                if (fd < 0)
                    errno = ENOENT;
            }
        }
    } else if (!r.append) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } else {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EACCES)
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd >= 0) {
            off_t end = ::lseek(fd, 0, SEEK_END);
            char last = 0;
            if (end > 0 && ::pread(fd, &last, 1, end - 1) == 1 && last == 26)
                ::lseek(fd, end - 1, SEEK_SET);
        }
    }
    if (fd < 0) {
        int e = errno;
        winError = windowsError(e);
        if (e == ENOENT && r.direction == '>')
            winError = msg::PathNotFound;
    }
    return fd;
}

bool Interpreter::applyRedirections(const std::vector<Redirection>& list, std::vector<Saved>& undo)
{
    for (const auto& r : list) {
        int h = r.handle;
        if (!handles_[h].open() && h < 3) {
            undoRedirections(undo);
            message(msg::HandleNotOpen, {number(h)});
            return false;
        }
        Handle fresh;
        if (r.target.size() == 2 && r.target[0] == '&') {
            int d = r.target[1] - '0';
            const Handle& src = handles_[d];
            if (!src.open()) {
                undoRedirections(undo);
                message(msg::HandleNotDuplicated, {number(h)});
                return false;
            }
            if (src.console) {
                fresh.console = true;
            } else {
                fresh.fd = ::fcntl(src.fd, F_DUPFD_CLOEXEC, 3);
                if (fresh.fd < 0) {
                    undoRedirections(undo);
                    message(msg::HandleNotDuplicated, {number(h)});
                    return false;
                }
            }
        } else {
            int winError = 0;
            int fd = openTarget(r, winError);
            if (fd == -2) {
                fresh.console = true;
            } else if (fd < 0) {
                undoRedirections(undo);
                platformError(winError, stripQuotes(r.target));
                return false;
            } else {
                fresh.fd = fd;
            }
        }
        undo.push_back({h, handles_[h]});
        handles_[h] = fresh;
    }
    return true;
}

void Interpreter::undoRedirections(std::vector<Saved>& undo)
{
    for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
        Handle& cur = handles_[it->handle];
        if (cur.fd >= 0)
            ::close(cur.fd);
        cur = it->previous;
    }
    undo.clear();
}

// ---- IF ----

int Interpreter::evalCondition(ParseNode* c)
{
    switch (c->kind) {
    case KindNot:
        return !evalCondition(c->left.get());
    case KindErrorLevel:
    case KindCmdExtVersion: {
        const ustring& t = c->text2;
        bool ok = !t.empty();
        for (size_t i = 0; i < t.size(); ++i)
            if (!(t[i] >= '0' && t[i] <= '9') && !(i == 0 && t[i] == '-' && c->kind == KindErrorLevel && t.size() > 1))
                ok = false;
        if (!ok)
            throw CmdError{msg::Unexpected, {t}};
        int32_t v = strtol32(t);
        return c->kind == KindErrorLevel ? errorLevel_ >= v : v < 2;
    }
    case KindDefined:
        return equalsNoCase(c->text2, u"CD") || env_.contains(c->text2);
    case KindExist: {
        ustring p = resolvePath(stripQuotes(c->text2));
        if (hasWildcards(p)) {
            size_t slash = p.rfind('/');
            ustring pattern = p.substr(slash + 1);
            for (const ustring& e : folderEntries(p.substr(0, slash + 1), Entries::All))
                if (e[0] != '.' && wildcardMatch(pattern, e))
                    return true;
            return false;
        }
        return equalsNoCase(stripQuotes(c->text2), u"NUL") || pathExists(p);
    }
    case KindStringEqual:
        return (c->flags & 2) ? equalsNoCase(c->text1, c->text2) : c->text1 == c->text2;
    case KindCompare: {
        int32_t a = 0, b = 0;
        int cmp;
        if (isWholeNumber(c->text1, &a) && isWholeNumber(c->text2, &b))
            cmp = a < b ? -1 : a > b ? 1 : 0;
        else if (c->flags & 2)
            cmp = compareNoCase(c->text1, c->text2);
        else
            cmp = c->text1 < c->text2 ? -1 : c->text1 > c->text2 ? 1 : 0;
        switch (c->compareOp) {
        case OpEqu: return cmp == 0;
        case OpNeq: return cmp != 0;
        case OpLss: return cmp < 0;
        case OpLeq: return cmp <= 0;
        case OpGtr: return cmp > 0;
        case OpGeq: return cmp >= 0;
        }
        return 0;
    }
    default:
        return 0;
    }
}

int Interpreter::runIf(ParseNode* n)
{
    bool v;
    try {
        v = evalCondition(n->condition.get());
    } catch (const CmdError& e) {
        err(e.text() + u"\r\n");
        return 1;
    }
    return dispatch(Normal, v ? n->thenBranch.get() : n->elseBranch.get());
}

} // namespace console
