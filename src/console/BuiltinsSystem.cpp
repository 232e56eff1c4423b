// PUSHD and POPD, DPATH, DATE and TIME, COLOR, BREAK, ASSOC and FTYPE, and START.
#include "console/CommandTable.h"
#include "console/FileNames.h"
#include "console/FileOps.h"
#include "console/Interpreter.h"
#include "platform/Registry.h"
#include "platform/Seams.h"

#include <QDateTime>
#include <QDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace console {

namespace {

const QString classesKey = QStringLiteral("Software\\Classes");

// Runs a program for START: in a session of its own unless `ownSession` is false, with
// the given standard descriptors (-1: /dev/null). Without `wait` the program is not
// our child (it is started through a helper that ends at once), so nothing is left to
// collect. Returns 0 and the exit code in `code`, or a platform error.
int startDetached(const std::string& program, const std::vector<std::string>& args,
                  const std::vector<std::string>& env, const std::string& dir, const std::array<int, 3>& fds,
                  bool ownSession, bool wait, int nice, int& code)
{
    std::vector<char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return fileError(errno);
    int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    std::array<int, 3> use = fds;
    for (int& fd : use)
        if (fd < 0)
            fd = devnull;
    // Everything is prepared before fork: the children make only plain system calls.
    auto exec = [&]() {
        int moved[3];
        for (int h = 0; h < 3; ++h)
            moved[h] = use[h] >= 0 ? ::fcntl(use[h], F_DUPFD_CLOEXEC, 10) : -1;
        for (int h = 0; h < 3; ++h)
            if (moved[h] >= 0)
                ::dup2(moved[h], h);
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) {
            int e = errno;
            (void)!::write(report[1], &e, sizeof e);
            ::_exit(127);
        }
        if (nice > 0)
            ::setpriority(PRIO_PROCESS, 0, nice);
        ::sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int s : {SIGINT, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGPIPE, SIGCHLD})
            ::signal(s, SIG_DFL);
        ::execve(program.c_str(), argv.data(), envp.data());
        int e = errno;
        (void)!::write(report[1], &e, sizeof e);
        ::_exit(127);
    };
    pid_t pid = ::fork();
    if (pid < 0) {
        int e = errno;
        ::close(report[0]);
        ::close(report[1]);
        if (devnull >= 0)
            ::close(devnull);
        return fileError(e);
    }
    if (pid == 0) {
        // A program that keeps our console and is waited for stays in our process
        // group, so that it can read the terminal while we wait.
        if (ownSession)
            ::setsid();
        else if (!wait)
            ::setpgid(0, 0);
        if (wait)
            exec();
        pid_t inner = ::fork();
        if (inner == 0)
            exec();
        ::_exit(inner < 0 ? 127 : 0);
    }
    ::close(report[1]);
    if (devnull >= 0)
        ::close(devnull);
    int error = 0;
    ssize_t got;
    do
        got = ::read(report[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (got == sizeof error && error != 0)
        return error == ENOEXEC ? 193 : fileError(error);
    code = wait ? exitCodeOf(status) : 0;
    return 0;
}

bool debuggerAttached()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("TracerPid:", 0) == 0)
            return std::stol(line.substr(10)) != 0;
    return false;
}

// Reads "a<sep>b<sep>c" with any of / - . as separators into three numbers.
bool threeNumbers(uview text, int v[3])
{
    size_t k = 0;
    for (int i = 0; i < 3; ++i) {
        if (k >= text.size() || text[k] < '0' || text[k] > '9')
            return false;
        // Leading zeros are decimal here, not octal.
        v[i] = 0;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9')
            v[i] = v[i] * 10 + (text[k++] - '0');
        if (i < 2) {
            if (k >= text.size() || (text[k] != '/' && text[k] != '-' && text[k] != '.'))
                return false;
            ++k;
        }
    }
    return k == text.size();
}

bool parseDate(uview text)
{
    ustring t = trimBlanks(text);
    // A leading day name is allowed.
    size_t blank = t.find(' ');
    if (blank != ustring::npos && !(t[0] >= '0' && t[0] <= '9'))
        t = trimBlanks(uview(t).substr(blank + 1));
    int v[3];
    if (!threeNumbers(t, v))
        return false;
    int y, m, d;
    switch (localefmt::dateOrder()) {
    case localefmt::Order::DayMonthYear: d = v[0], m = v[1], y = v[2]; break;
    case localefmt::Order::YearMonthDay: y = v[0], m = v[1], d = v[2]; break;
    default: m = v[0], d = v[1], y = v[2]; break;
    }
    if (y < 100)
        y += y < 80 ? 2000 : 1900;
    return QDate(y, m, d).isValid();
}

bool parseTime(uview text)
{
    ustring t = trimBlanks(text);
    ustring suffix;
    while (!t.empty() && ((t.back() >= 'a' && t.back() <= 'z') || (t.back() >= 'A' && t.back() <= 'Z')))
        suffix.insert(suffix.begin(), t.back()), t.pop_back();
    t = trimBlanks(t);
    int fields[4] = {0, 0, 0, 0};
    int count = 0;
    size_t k = 0;
    while (k < t.size() && count < 4) {
        if (t[k] < '0' || t[k] > '9')
            return false;
        int v = 0, digits = 0;
        while (k < t.size() && t[k] >= '0' && t[k] <= '9' && digits < 3)
            v = v * 10 + (t[k++] - '0'), ++digits;
        fields[count++] = v;
        if (k < t.size()) {
            if (t[k] != ':' && t[k] != '.' && t[k] != ',')
                return false;
            ++k;
        }
    }
    if (count == 0 || k != t.size())
        return false;
    ustring s = upper(suffix);
    if (!s.empty() && s != u"A" && s != u"P" && s != u"AM" && s != u"PM")
        return false;
    int maxHour = s.empty() ? 23 : 12;
    return fields[0] <= maxHour && fields[1] <= 59 && fields[2] <= 59 && fields[3] <= 99;
}

} // namespace

// ---- PUSHD / POPD ----

int Interpreter::cmdPushd(ParseNode* n)
{
    ustring a = stripQuotes(trimBlanks(n->text2));
    if (!extensions_) {
        std::vector<ustring> w = splitWords(n->text2);
        a = w.empty() ? ustring() : stripQuotes(w[0]);
    }
    if (a.empty()) {
        for (auto it = pushdStack_.rbegin(); it != pushdStack_.rend(); ++it)
            out(*it + u"\r\n");
        errorLevel_ = 0;
        return 0;
    }
    ustring target = resolvePath(a);
    if (!isDirectory(target)) {
        platformError(msg::PathNotFound);
        errorLevel_ = 1;
        return 1;
    }
    pushdStack_.push_back(cwd_);
    cwd_ = fromQ(QDir::cleanPath(toQ(target)));
    errorLevel_ = 0;
    return 0;
}

int Interpreter::cmdPopd(ParseNode*)
{
    if (pushdStack_.empty())
        return 0;
    ustring back = pushdStack_.back();
    pushdStack_.pop_back();
    if (!isDirectory(back)) {
        platformError(msg::PathNotFound);
        errorLevel_ = 1;
        return 1;
    }
    cwd_ = back;
    errorLevel_ = 0;
    return 0;
}

// ---- DPATH ----

int Interpreter::cmdDpath(ParseNode* n)
{
    ustring t = trimBlanks(n->text2);
    if (t.empty()) {
        std::optional<ustring> v = env_.get(u"DPATH");
        out(u"DPATH=" + (v ? *v : u"(null)") + u"\r\n");
    } else if (t == u";") {
        env_.remove(u"DPATH");
    } else {
        env_.set(u"DPATH", n->text2.substr(1));
    }
    setCommandResult(0);
    return 0;
}

// ---- DATE / TIME ----

// The clock can be read but not set: a valid new value fails with the platform's
// message for a missing privilege, and nothing changes.
int Interpreter::cmdDateTime(ParseNode* n, bool time)
{
    QDateTime now = seams::clock().now();
    ustring value = time ? localefmt::longTime(now.time())
                         : localefmt::dayName(now.date()) + u" " + localefmt::date(now.date());
    ustring arg = trimBlanks(n->text2);
    if (extensions_ && equalsNoCase(arg, u"/T")) {
        out((time ? localefmt::shortTime(now.time()) : value) + u"\r\n");
        return 0;
    }
    auto accept = [&](uview text) {
        if (time ? parseTime(text) : parseDate(text)) {
            platformError(msg::PrivilegeNotHeld);
            errorLevel_ = 1;
            return 1;
        }
        message(time ? msg::BadTime : msg::BadDate);
        return -1;
    };
    if (!arg.empty()) {
        int r = accept(arg);
        if (r >= 0)
            return r;
    } else {
        out(msg::format(time ? msg::CurrentTime : msg::CurrentDate, {value}) + u"\r\n");
    }
    for (;;) {
        out(time ? msg::text(msg::EnterTime) : msg::format(msg::EnterDate, {localefmt::datePattern()}));
        std::optional<ustring> line = readInputLine();
        if (!line || trimBlanks(*line).empty()) {
            if (!line)
                out(u"\r\n");
            return 0;
        }
        int r = accept(*line);
        if (r >= 0)
            return r;
    }
}

// ---- COLOR ----

int Interpreter::cmdColor(ParseNode* n)
{
    ustring t = trimBlanks(n->text2);
    if (t.empty()) {
        if (console_)
            console_->fillAttribute(startColour_);
        errorLevel_ = 0;
        return 0;
    }
    int v = 0;
    bool ok = t.size() <= 2;
    for (char16_t c : t) {
        int d = c >= '0' && c <= '9' ? c - '0' : (upperChar(c) >= 'A' && upperChar(c) <= 'F') ? upperChar(c) - 'A' + 10 : -1;
        if (d < 0)
            ok = false;
        v = v * 16 + d;
    }
    if (!ok) {
        runHelp(commands::Color);
        errorLevel_ = 1;
        return 1;
    }
    // The same background and foreground would hide all text.
    if ((v >> 4) == (v & 15)) {
        errorLevel_ = 1;
        return 1;
    }
    if (console_)
        console_->fillAttribute(v);
    errorLevel_ = 0;
    return 0;
}

// ---- BREAK ----

int Interpreter::cmdBreak(ParseNode*)
{
    if (extensions_ && debuggerAttached())
        ::raise(SIGTRAP);
    return 0;
}

// ---- ASSOC / FTYPE ----

int Interpreter::cmdAssoc(ParseNode* n, bool ftype)
{
    registry::Store& store = registry::user();
    ustring a = trimBlanks(n->text2);
    auto commandKey = [](const QString& type) { return classesKey + "\\" + type + "\\Shell\\Open\\Command"; };
    if (a.empty()) {
        QStringList keys = store.subKeys(classesKey);
        keys.sort(Qt::CaseInsensitive);
        for (const QString& k : keys) {
            if (k.startsWith('.') == ftype)
                continue;
            if (!ftype) {
                if (auto v = store.queryString(classesKey + "\\" + k, QString()))
                    out(fromQ(k) + u"=" + fromQ(*v) + u"\r\n");
            } else if (store.keyExists(commandKey(k))) {
                auto v = store.queryString(commandKey(k), QString());
                out(fromQ(k) + u"=" + (v ? fromQ(*v) : msg::text(msg::NoOpenCommand)) + u"\r\n");
            }
        }
        setCommandResult(0);
        return 0;
    }
    size_t eq = a.find('=');
    ustring name = trimBlanks(uview(a).substr(0, eq));
    if (name.empty() || (eq == ustring::npos && name.find_first_of(u" \t") != ustring::npos)) {
        message(msg::SyntaxIncorrect);
        setCommandResult(1);
        return 1;
    }
    QString key = ftype ? commandKey(toQ(name)) : classesKey + "\\" + toQ(name);
    if (eq == ustring::npos) {
        std::optional<QString> v = store.queryString(key, QString());
        if (!v) {
            if (ftype)
                message(msg::FtypeNotFound, {name});
            else
                message(msg::AssocNotFound, {name});
            setCommandResult(1);
            return 1;
        }
        out(name + u"=" + fromQ(*v) + u"\r\n");
        setCommandResult(0);
        return 0;
    }
    ustring value = trimBlanks(uview(a).substr(eq + 1));
    bool ok;
    if (value.empty()) {
        ok = ftype ? store.deleteValue(key, QString()) || !store.queryString(key, QString())
                   : store.deleteTree(key) || !store.keyExists(key);
    } else {
        ok = store.setString(key, QString(), toQ(value));
        if (ok)
            out(name + u"=" + value + u"\r\n");
    }
    if (!ok) {
        message(msg::ProcessingError, {name});
        setCommandResult(1);
        return 1;
    }
    setCommandResult(0);
    return 0;
}

// ---- START ----

int Interpreter::cmdStart(ParseNode* n)
{
    const ustring& a = n->text2;
    size_t k = 0;
    auto skipBlanks = [&] {
        while (k < a.size() && isBlank(a[k]))
            ++k;
    };
    auto word = [&] {
        size_t s = k;
        bool quoted = false;
        while (k < a.size() && (quoted || !isBlank(a[k]))) {
            if (a[k] == '"')
                quoted = !quoted;
            ++k;
        }
        return a.substr(s, k - s);
    };
    skipBlanks();
    bool titleSeen = false, wait = false, sameConsole = false, initialEnv = false;
    int nice = 0;
    ustring dir = cwd_;
    for (;;) {
        skipBlanks();
        if (k >= a.size())
            break;
        if (a[k] == '"' && !titleSeen) {
            // The first quoted text is the window title; there is no window to show it.
            titleSeen = true;
            word();
            continue;
        }
        if (a[k] != '/')
            break;
        ustring sw = word();
        ustring up = upper(sw);
        if (up == u"/?") {
            runHelp(commands::Start);
            return 0;
        }
        if (up.size() >= 2 && up[1] == 'D' && up != u"/DISABLEEXTENSIONS") {
            ustring path = stripQuotes(uview(sw).substr(2));
            if (path.empty()) {
                skipBlanks();
                path = stripQuotes(word());
            }
            ustring full = resolvePath(path);
            if (path.empty() || !isDirectory(full)) {
                message(msg::StartBadParameter, {path});
                return 1;
            }
            dir = full;
        } else if (up == u"/WAIT") {
            wait = true;
        } else if (up == u"/B") {
            sameConsole = true;
        } else if (up == u"/I") {
            initialEnv = true;
        } else if (up == u"/LOW") {
            nice = 19;
        } else if (up == u"/BELOWNORMAL") {
            nice = 10;
        } else if (up == u"/MIN" || up == u"/MAX" || up == u"/SEPARATE" || up == u"/SHARED" || up == u"/NORMAL"
                   || up == u"/ABOVENORMAL" || up == u"/HIGH" || up == u"/REALTIME") {
            // Window state and raised priorities have no meaning for a program here.
        } else {
            message(msg::InvalidSwitch, {sw.substr(1)});
            return 1;
        }
    }
    ustring command = trimBlanks(uview(a).substr(std::min(k, a.size())));
    ustring comspec = variable(u"COMSPEC").value_or(options_.comspec);
    std::string program;
    std::vector<std::string> argv;
    if (command.empty()) {
        program = toLocal8(resolvePath(comspec));
        argv = {toLocal8(comspec)};
    } else {
        std::vector<ustring> args = splitArguments(command);
        ustring name = args.empty() ? ustring() : args[0];
        SearchResult found = findCommand(name, extensions_) >= 0 ? SearchResult{} : search(name);
        if (findCommand(name, extensions_) >= 0 || found.kind == Found::Batch) {
            program = toLocal8(resolvePath(comspec));
            argv = {toLocal8(comspec), "/K", toUtf8(command)};
        } else if (found.kind == Found::Program && ::access(toLocal8(found.path).c_str(), X_OK) == 0) {
            program = toLocal8(found.path);
            for (const auto& w : args)
                argv.push_back(toLocal8(w));
        } else {
            ustring file = found.kind == Found::Program ? found.path : resolvePath(stripQuotes(name));
            if (!extensions_ || !pathExists(file)) {
                platformError(msg::FileNotFound);
                errorLevel_ = 9059;
                return 9059;
            }
            // A document: the desktop's launcher opens it with its program.
            const ustring opener = desktopOpener();
            if (opener.empty()) {
                platformError(msg::NoAssociation);
                errorLevel_ = msg::NoAssociation;
                return msg::NoAssociation;
            }
            program = toLocal8(opener);
            argv = {"xdg-open", toLocal8(file)};
        }
    }
    std::array<int, 3> fds{-1, -1, -1};
    if (sameConsole) {
        for (int h = 0; h < 3; ++h)
            fds[h] = handles_[h].console ? (console_ ? console_->nativeHandle(h) : -1) : handles_[h].fd;
    }
    const Environment& env = initialEnv ? options_.environment : env_;
    int code = 0;
    int e = startDetached(program, argv, env.toEnvp(), toLocal8(dir), fds, !sameConsole, wait, nice, code);
    if (e) {
        platformError(e, fromUtf8(program));
        errorLevel_ = e;
        return e;
    }
    if (wait) {
        errorLevel_ = code;
        return code;
    }
    return 0;
}

} // namespace console
