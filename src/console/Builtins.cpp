// Built-in commands that run inside the interpreter: ECHO, SET, EXIT and the small ones.
#include "console/CommandTable.h"
#include "console/FileNames.h"
#include "console/Interpreter.h"
#include "console/SetArithmetic.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace console {

namespace {

ustring withoutFirstSeparator(uview a)
{
    return a.empty() ? ustring() : ustring(a.substr(1));
}

} // namespace

void Interpreter::setCommandResult(int result)
{
    if (outermostCmd_ || result != 0)
        errorLevel_ = result;
}

int Interpreter::cmdEcho(ParseNode* n)
{
    const ustring& a = n->text2;
    ustring t = trimBlanks(a);
    if (t.empty()) {
        if (!out(msg::text(echo_ ? msg::EchoIsOn : msg::EchoIsOff) + u"\r\n")) {
            message(msg::NonexistentPipe);
            return 1;
        }
        return 0;
    }
    if (equalsNoCase(t, u"ON")) {
        echo_ = true;
        return 0;
    }
    if (equalsNoCase(t, u"OFF")) {
        echo_ = false;
        return 0;
    }
    out(withoutFirstSeparator(a) + u"\r\n");
    return 0;
}

int Interpreter::cmdSet(ParseNode* n)
{
    ustring a = n->text2;
    if (!extensions_) {
        ustring t = trimBlanks(a);
        size_t eq = t.find('=');
        if (t.empty()) {
            for (const auto& [name, value] : env_.entries())
                if (name[0] != '=')
                    out(name + u"=" + value + u"\r\n");
            return 0;
        }
        if (eq == ustring::npos || eq == 0) {
            message(msg::SyntaxIncorrect);
            setCommandResult(1);
            return 1;
        }
        env_.set(trimBlanks(uview(t).substr(0, eq)), uview(t).substr(eq + 1));
        setCommandResult(0);
        return 0;
    }
    size_t i = 0;
    while (i < a.size() && (isBlank(a[i]) || a[i] < 32))
        ++i;
    a.erase(0, i);
    if (a.size() >= 2 && a[0] == '/' && upperChar(a[1]) == 'A')
        return cmdSetArithmetic(uview(a).substr(2));
    if (a.size() >= 2 && a[0] == '/' && upperChar(a[1]) == 'P')
        return cmdSetPrompt(uview(a).substr(2));
    if (!a.empty() && a[0] == '"') {
        size_t k = 1;
        while (k < a.size() && isBlank(a[k]))
            ++k;
        a.erase(0, k);
        size_t last = a.rfind('"');
        if (last != ustring::npos)
            a.resize(last);
    }
    if (a.empty()) {
        for (const auto& [name, value] : env_.entries())
            if (name[0] != '=')
                out(name + u"=" + value + u"\r\n");
        setCommandResult(0);
        return 0;
    }
    size_t eq = a.find('=');
    if (eq == ustring::npos) {
        ustring prefix = a;
        while (!prefix.empty() && isBlank(prefix.back()))
            prefix.pop_back();
        bool any = false;
        for (const auto& [name, value] : env_.entries()) {
            if (name[0] != '=' && startsWithNoCase(name, prefix)) {
                out(name + u"=" + value + u"\r\n");
                any = true;
            }
        }
        if (!any) {
            message(msg::EnvNotDefined, {prefix});
            setCommandResult(1);
            return 1;
        }
        setCommandResult(0);
        return 0;
    }
    if (eq == 0 || (eq + 1 < a.size() && a[eq + 1] == '=')) {
        message(msg::SyntaxIncorrect);
        setCommandResult(1);
        return 1;
    }
    ustring name = a.substr(0, eq);
    env_.set(name, uview(a).substr(eq + 1));
    setCommandResult(0);
    return 0;
}

int Interpreter::cmdSetArithmetic(uview expr)
{
    ArithmeticResult r = evaluateArithmetic(expr, env_);
    if (r.error) {
        message(r.error, {r.errorInsert});
        setCommandResult(r.error);
        return r.error;
    }
    if (!currentBatch())
        out(number(r.value));
    setCommandResult(0);
    return 0;
}

int Interpreter::cmdSetPrompt(uview text)
{
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    ustring rest(text.substr(i));
    if (!rest.empty() && rest[0] == '"') {
        size_t last = rest.rfind('"');
        rest = last > 0 ? rest.substr(1, last - 1) : rest.substr(1);
    }
    size_t eq = rest.find('=');
    if (eq == ustring::npos || eq == 0) {
        message(msg::SyntaxIncorrect);
        setCommandResult(1);
        return 1;
    }
    ustring name = rest.substr(0, eq);
    out(rest.substr(eq + 1));
    std::optional<ustring> line = readInputLine();
    if (!line || line->empty()) {
        setCommandResult(1);
        return 1;
    }
    env_.set(name, *line);
    setCommandResult(0);
    return 0;
}

int Interpreter::cmdExit(ParseNode* n)
{
    bool batchOnly = false;
    std::optional<int32_t> code;
    for (const auto& w : splitWords(n->text2)) {
        if (equalsNoCase(w, u"/B"))
            batchOnly = true;
        else if (!code)
            code = strtol32(w);
    }
    if (batchOnly && currentBatch()) {
        currentBatch()->done = true;
        gotoFlag_ = true;
        if (code)
            errorLevel_ = *code;
        return errorLevel_;
    }
    if (console_ && !savedTitle_.empty())
        console_->setTitle(savedTitle_);
    throw ExitRequest{code.value_or(errorLevel_)};
}

int Interpreter::cmdCd(ParseNode* n)
{
    ustring a = trimBlanks(n->text2);
    if (a.empty()) {
        out(cwd_ + u"\r\n");
        errorLevel_ = 0;
        return 0;
    }
    if (a.size() >= 2 && a[0] == '/' && upperChar(a[1]) == 'D' && (a.size() == 2 || isBlank(a[2]))) {
        a = trimBlanks(uview(a).substr(2));
        if (a.empty()) {
            out(cwd_ + u"\r\n");
            return 0;
        }
    } else if (a.size() == 2 && a[0] == '/' && !pathExists(a)) {
        message(msg::SyntaxIncorrect);
        errorLevel_ = 1;
        return 1;
    }
    if (!extensions_) {
        std::vector<ustring> w = splitWords(a);
        a = w.empty() ? ustring() : w[0];
    }
    ustring target = resolvePath(stripQuotes(a));
    if (!isDirectory(target)) {
        platformError(msg::PathNotFound);
        errorLevel_ = 1;
        return 1;
    }
    QString clean = QDir::cleanPath(toQ(target));
    cwd_ = fromQ(clean);
    return 0;
}

int Interpreter::cmdPrompt(ParseNode* n)
{
    ustring t = trimBlanks(n->text2);
    if (t.empty())
        env_.remove(u"PROMPT");
    else
        env_.set(u"PROMPT", withoutFirstSeparator(n->text2));
    setCommandResult(0);
    return 0;
}

int Interpreter::cmdPath(ParseNode* n)
{
    ustring t = trimBlanks(n->text2);
    if (t.empty()) {
        std::optional<ustring> v = env_.get(u"PATH");
        out(u"PATH=" + (v ? *v : u"(null)") + u"\r\n");
    } else if (t == u";") {
        env_.remove(u"PATH");
    } else {
        env_.set(u"PATH", withoutFirstSeparator(n->text2));
    }
    setCommandResult(0);
    return 0;
}

int Interpreter::cmdTitle(ParseNode* n)
{
    ustring t = n->text2;
    size_t i = 0;
    while (i < t.size() && isBlank(t[i]))
        ++i;
    t.erase(0, i);
    if (t.size() > 259) {
        platformError(msg::NotEnoughMemory);
        return 1;
    }
    savedTitle_ = t;
    if (console_)
        console_->setTitle(t);
    return 0;
}

int Interpreter::cmdVer(ParseNode*)
{
    struct utsname un {};
    ::uname(&un);
    int major = 0, minor = 0;
    std::sscanf(un.release, "%d.%d", &major, &minor);
    ustring minorText = number(minor);
    if (minorText.size() < 2)
        minorText += u' ';
    out(u"\r\n" + msg::format(msg::WindowsVersion, {number(major), minorText}) + u"\r\n\r\n");
    errorLevel_ = 0;
    return 0;
}

int Interpreter::cmdCls(ParseNode*)
{
    if (handles_[1].console && console_)
        console_->clearScreen();
    else
        out(u"\f");
    return 0;
}

int Interpreter::cmdPause(ParseNode*)
{
    out(msg::text(msg::PressAnyKey));
    if (handles_[0].console && console_) {
        if (!console_->readKey())
            {}
    } else {
        readInputLine();
    }
    out(u"\r\n");
    return 0;
}

// TYPE streams each file in blocks: memory stays small whatever the file's size, and an
// endless device such as /dev/zero runs until Ctrl+C or until its reader goes away.
// A file that starts with the UTF-16 mark is printed as UTF-16; any other file is
// written byte for byte.
int Interpreter::cmdType(ParseNode* n)
{
    std::vector<ustring> files = splitWords(n->text2);
    if (files.empty()) {
        message(msg::SyntaxIncorrect);
        errorLevel_ = 1;
        return 1;
    }
    int result = 0;
    for (const auto& f : files) {
        ustring name = stripQuotes(f);
        struct Fd {
            int fd;
            ~Fd()
            {
                if (fd >= 0)
                    ::close(fd);
            }
        } file{::open(toLocal8(resolvePath(name)).c_str(), O_RDONLY | O_CLOEXEC)};
        struct stat st {};
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            platformError(msg::FileNotFound);
            errorLevel_ = 1;
            result = 1;
            continue;
        }
        if (files.size() > 1)
            err(msg::format(msg::FileNameHeader, {name}));
        constexpr size_t Block = 64 * 1024;
        std::string block(Block, '\0');
        std::string carry; // bytes of an incomplete character, kept for the next block
        bool first = true, utf16 = false;
        for (;;) {
            ssize_t got = ::read(file.fd, block.data(), Block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            std::string_view bytes(block.data(), size_t(got));
            if (first) {
                first = false;
                if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) {
                    utf16 = true;
                    bytes.remove_prefix(2);
                }
            }
            bool written;
            if (utf16) {
                carry.append(bytes);
                ustring text;
                size_t k = 0;
                for (; k + 1 < carry.size(); k += 2)
                    text += char16_t(uchar(carry[k]) | (uchar(carry[k + 1]) << 8));
                carry.erase(0, k);
                // A leading surrogate at the block's end waits for its partner.
                if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
                    carry.insert(0, {char(text.back() & 0xFF), char(text.back() >> 8)});
                    text.pop_back();
                }
                written = out(text);
            } else {
                written = writeBytes(1, bytes);
            }
            if (!written)
                break;
            checkCtrlC();
        }
        if (utf16 && carry.size() >= 2)
            out(ustring(1, char16_t(uchar(carry[0]) | (uchar(carry[1]) << 8))));
    }
    return result;
}

int Interpreter::cmdVerify(ParseNode* n)
{
    ustring t = trimBlanks(n->text2);
    if (t.empty()) {
        out(msg::text(verify_ ? msg::VerifyIsOn : msg::VerifyIsOff) + u"\r\n");
        return 0;
    }
    if (equalsNoCase(t, u"ON") || equalsNoCase(t, u"OFF")) {
        verify_ = equalsNoCase(t, u"ON");
        return 0;
    }
    message(msg::IncorrectParameter);
    errorLevel_ = 1;
    return 1;
}

int Interpreter::cmdKeys(ParseNode* n)
{
    std::vector<ustring> w = splitWords(n->text2);
    if (w.empty()) {
        out(msg::text(keys_ ? msg::KeysIsOn : msg::KeysIsOff) + u"\r\n");
        return 0;
    }
    if (w.size() > 1) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    if (equalsNoCase(w[0], u"ON") || equalsNoCase(w[0], u"OFF")) {
        keys_ = equalsNoCase(w[0], u"ON");
        env_.set(u"KEYS", keys_ ? u"ON" : u"OFF");
        return 0;
    }
    if (equalsNoCase(w[0], u"LIST"))
        return 0;
    message(msg::IncorrectParameter);
    return 1;
}

// ---- FOR ----

void Interpreter::substituteFor(ParseNode& node, const std::vector<std::pair<char16_t, ustring>>& values)
{
    ustring names;
    std::vector<ustring> vals;
    for (const auto& [c, v] : values) {
        names += c;
        vals.push_back(v);
    }
    auto sub = [&](ustring& text) {
        ustring r;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 1 < text.size()) {
                size_t used = 0;
                std::optional<ustring> v = expandParameter(uview(text).substr(i + 1), names, vals, *this, used);
                if (v) {
                    r += *v;
                    i += used;
                    if (r.size() > 4096)
                        throw CmdError{msg::StringTooLong, {r}};
                    continue;
                }
            }
            r += text[i];
        }
        text = r;
    };
    if ((node.forSwitches & ForF) && !node.forCommand) {
        // A FOR /F command runs in a second interpreter. The values must not become text
        // that it expands and parses: the command is parsed here (expanded once, as the
        // second interpreter would expand it) and the values go into its tree, which is
        // handed on through childCommandText. A command that does not parse runs
        // nothing; its error is shown as the second interpreter would show it.
        if (auto command = forCommandText(node.forSet)) {
            try {
                node.forCommand = parseChildCommand(*command, *this);
            } catch (const CmdError& e) {
                err(e.text() + u"\r\n");
                node.forCommand = parseChildCommand(u"", *this);
            }
        }
    }
    if (node.forCommand)
        substituteFor(*node.forCommand, values);
    sub(node.text1);
    sub(node.text2);
    sub(node.forSet);
    sub(node.forOptions);
    for (auto& r : node.redirections)
        sub(r.target);
    for (auto* child : {node.left.get(), node.right.get(), node.condition.get(), node.thenBranch.get(),
                        node.elseBranch.get(), node.body.get()})
        if (child)
            substituteFor(*child, values);
}

int Interpreter::runForBody(ParseNode* n, const std::vector<std::pair<char16_t, ustring>>& values)
{
    checkCtrlC();
    // Each pass runs a copy of the body with the loop variables replaced; an inner loop
    // in the body has the outer values in its copy already.
    std::unique_ptr<ParseNode> copy = n->body->clone();
    substituteFor(*copy, values);
    if (echo_ && !quiet_ && copy->kind != KindQuiet) {
        showPrompt();
        out(unparse(*copy) + u"\r\n");
    }
    return dispatch(Normal, copy.get());
}

int Interpreter::runFor(ParseNode* n)
{
    std::vector<ustring> set;
    {
        ustring w;
        bool quoted = false;
        for (char16_t c : n->forSet) {
            if (c == '"')
                quoted = !quoted;
            if (!quoted && (isBlank(c) || c == ',' || c == ';' || c == '=')) {
                if (!w.empty())
                    set.push_back(w);
                w.clear();
            } else {
                w += c;
            }
        }
        if (!w.empty())
            set.push_back(w);
    }
    char16_t var = n->forVariable;
    int result = 0;
    if (n->forSwitches & ForL) {
        int32_t v[3] = {0, 0, 0};
        for (size_t k = 0; k < 3 && k < set.size(); ++k)
            v[k] = strtol32(set[k]);
        long long start = v[0], step = v[1], end = v[2];
        for (long long x = start; step >= 0 ? x <= end : x >= end; x += step) {
            result = runForBody(n, {{var, number(x)}});
            if (gotoFlag_)
                break;
        }
        return result;
    }
    if (n->forSwitches & ForF)
        return runForFile(n);
    if (n->forSwitches & ForR) {
        ustring root = n->forOptions.empty() ? u"." : stripQuotes(n->forOptions);
        return runForRecursive(n, set, resolvePath(root));
    }
    return runForWords(n, set, u"");
}

int Interpreter::runForWords(ParseNode* n, const std::vector<ustring>& set, uview prefix)
{
    char16_t var = n->forVariable;
    int result = 0;
    for (const auto& w : set) {
        ustring word = ustring(prefix) + w;
        if (!hasWildcards(word)) {
            if (n->forSwitches & ForD)
                continue;
            result = runForBody(n, {{var, word}});
        } else {
            ustring native = nativePath(stripQuotes(word));
            size_t slash = native.rfind('/');
            ustring folderPart = slash == ustring::npos ? ustring() : native.substr(0, slash + 1);
            ustring pattern = native.substr(slash == ustring::npos ? 0 : slash + 1);
            // Hidden entries are not matched; folders only with /D.
            const std::vector<ustring> entries = folderEntries(
                resolvePath(slash == ustring::npos ? u"." : folderPart),
                (n->forSwitches & ForD) ? Entries::Folders : Entries::Files);
            for (const ustring& e : entries) {
                if (!wildcardMatch(pattern, e))
                    continue;
                result = runForBody(n, {{var, folderPart + e}});
                if (gotoFlag_)
                    break;
            }
        }
        if (gotoFlag_)
            break;
    }
    return result;
}

int Interpreter::runForRecursive(ParseNode* n, const std::vector<ustring>& set, const ustring& folder)
{
    ustring prefix = folder;
    if (prefix.empty() || prefix.back() != '/')
        prefix += u'/';
    int result = runForWords(n, set, prefix);
    if (gotoFlag_)
        return result;
    // Links to folders are not walked: no loops, nothing outside the tree.
    const std::vector<ustring> subs = folderEntries(folder, Entries::RealFolders);
    for (const ustring& s : subs) {
        result = runForRecursive(n, set, prefix + s);
        if (gotoFlag_)
            break;
    }
    return result;
}

bool Interpreter::readCommandOutput(uview command, std::string& output)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    ustring comspec = variable(u"COMSPEC").value_or(options_.comspec);
    SpawnRequest req;
    req.program = toLocal8(resolvePath(comspec));
    req.argv = {toLocal8(comspec), "/S", extensions_ ? "/X" : "/Y", "/C", "\"" + toUtf8(command) + "\""};
    req.envp = env_.toEnvp();
    req.directory = toLocal8(cwd_);
    for (int h = 0; h < 10; ++h)
        req.fds[h] = handles_[h].console ? (h < 3 && console_ ? console_->nativeHandle(h) : -1) : handles_[h].fd;
    req.fds[1] = fds[1];
    // The command runs as the foreground job: it has the terminal and takes Ctrl+C.
    Foreground child(*this, req);
    const SpawnResult& r = child.result();
    ::close(fds[1]);
    if (r.pid < 0) {
        ::close(fds[0]);
        return false;
    }
    char buf[4096];
    for (;;) {
        ssize_t got = ::read(fds[0], buf, sizeof buf);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output.append(buf, size_t(got));
    }
    ::close(fds[0]);
    child.wait();
    return true;
}

int Interpreter::runForFile(ParseNode* n)
{
    // Options.
    ustring opts = n->forOptions;
    if (opts.size() >= 2 && (opts[0] == '"' || opts[0] == '\'') && opts.back() == opts[0])
        opts = opts.substr(1, opts.size() - 2);
    char16_t eol = ';';
    ustring delims = u" ";
    int skip = 0;
    std::vector<int> tokens{1};
    bool rest = false;
    size_t i = 0;
    while (i < opts.size()) {
        while (i < opts.size() && isBlank(opts[i]))
            ++i;
        if (i >= opts.size())
            break;
        uview o = uview(opts).substr(i);
        if (startsWithNoCase(o, u"eol=") && o.size() >= 5) {
            eol = o[4];
            i += 5;
        } else if (startsWithNoCase(o, u"delims=")) {
            size_t k = i + 7;
            ustring d;
            while (k < opts.size() && !(isBlank(opts[k]) && k + 1 < opts.size()))
                d += opts[k++];
            delims = d.size() >= 32 ? ustring(u" ") : d;
            i = k;
        } else if (startsWithNoCase(o, u"skip=")) {
            size_t used = 0;
            skip = strtol32(o.substr(5), &used);
            if (used == 0 || skip < 1) {
                message(msg::Unexpected, {ustring(o)});
                return 1;
            }
            i += 5 + used;
        } else if (startsWithNoCase(o, u"tokens=")) {
            tokens.clear();
            size_t k = i + 7;
            for (;;) {
                if (k < opts.size() && opts[k] == '*') {
                    rest = true;
                    ++k;
                    break;
                }
                size_t used = 0;
                int a = strtol32(uview(opts).substr(k), &used);
                if (used == 0)
                    break;
                k += used;
                int b = a;
                if (k < opts.size() && opts[k] == '-') {
                    size_t used2 = 0;
                    b = strtol32(uview(opts).substr(k + 1), &used2);
                    if (used2 == 0)
                        break;
                    k += 1 + used2;
                }
                for (int t = a; t <= b; ++t)
                    if (t >= 1 && t <= 31)
                        tokens.push_back(t);
                if (k < opts.size() && opts[k] == ',')
                    ++k;
                else if (!(k < opts.size() && opts[k] == '*'))
                    break;
            }
            std::sort(tokens.begin(), tokens.end());
            tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
            i = k;
        } else {
            message(msg::Unexpected, {ustring(o)});
            return 1;
        }
    }

    // The set: a command in single quotes, a string in double quotes, or files.
    ustring setText = trimBlanks(n->forSet);
    std::vector<ustring> texts; // whole texts, each with its lines
    if (setText.size() >= 2 && setText[0] == '\'' && setText.back() == '\'') {
        std::string out;
        // With values of an outer loop in it, the command is a tree (see substituteFor).
        ustring command = setText.substr(1, setText.size() - 2);
        if (n->forCommand) {
            try {
                command = childCommandText(*n->forCommand, extensions_);
            } catch (const CmdError& e) {
                err(e.text() + u"\r\n");
                return 1;
            }
        }
        if (!readCommandOutput(command, out)) {
            message(msg::NotRecognized, {setText.substr(1, setText.size() - 2)});
            return 1;
        }
        texts.push_back(decodeText(out));
    } else if (setText.size() >= 2 && setText[0] == '"' && setText.back() == '"') {
        texts.push_back(setText.substr(1, setText.size() - 2));
    } else {
        std::vector<ustring> files;
        ustring w;
        bool quoted = false;
        for (char16_t c : setText) {
            if (c == '"')
                quoted = !quoted;
            if (!quoted && isBlank(c)) {
                if (!w.empty())
                    files.push_back(w);
                w.clear();
            } else {
                w += c;
            }
        }
        if (!w.empty())
            files.push_back(w);
        for (const auto& f : files) {
            std::string bytes;
            if (!readWholeFile(resolvePath(stripQuotes(f)), bytes)) {
                err(u"The system cannot find the file " + stripQuotes(f) + u".\r\n");
                return 1;
            }
            texts.push_back(decodeText(bytes));
        }
    }

    int result = 0;
    char16_t var = n->forVariable;
    for (ustring text : texts) {
        if (text.empty() || text.back() != '\n')
            text += u'\n';
        int skipped = 0;
        size_t pos = 0;
        while (pos < text.size() && !gotoFlag_) {
            size_t nl = text.find(u'\n', pos);
            ustring line = text.substr(pos, nl - pos);
            pos = nl + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (skipped < skip) {
                ++skipped;
                continue;
            }
            if (line.empty())
                continue;
            // Cut into tokens: runs of delimiters separate, leading ones are skipped.
            std::vector<std::pair<size_t, size_t>> spans;
            size_t k = 0;
            while (k < line.size()) {
                while (k < line.size() && delims.find(line[k]) != ustring::npos)
                    ++k;
                if (k >= line.size())
                    break;
                size_t start = k;
                while (k < line.size() && delims.find(line[k]) == ustring::npos)
                    ++k;
                spans.push_back({start, k});
            }
            if (spans.empty() || line[spans[0].first] == eol)
                continue;
            std::vector<std::pair<char16_t, ustring>> values;
            bool any = false;
            char16_t letter = var;
            int last = 0;
            for (int t : tokens) {
                ustring v;
                if (size_t(t) <= spans.size()) {
                    v = line.substr(spans[size_t(t) - 1].first, spans[size_t(t) - 1].second - spans[size_t(t) - 1].first);
                    any = true;
                }
                values.push_back({letter++, v});
                last = t;
            }
            if (rest) {
                ustring v;
                if (size_t(last) < spans.size()) {
                    v = line.substr(spans[size_t(last)].first);
                    any = true;
                }
                values.push_back({letter++, v});
            }
            if (!any)
                continue;
            result = runForBody(n, values);
        }
    }
    return result;
}

} // namespace console
