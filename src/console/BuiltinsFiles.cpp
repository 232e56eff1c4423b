// The file commands: COPY, DEL / ERASE, MD / MKDIR, RD / RMDIR, REN / RENAME and MOVE.
#include "console/FileNames.h"
#include "console/FileOps.h"
#include "console/Interpreter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace console {

struct DelOptions {
    bool prompt = false, force = false, subfolders = false, quiet = false;
    bool select = false;
    AttrSelect attrs;
};

namespace {

ustring padLeft(uview s, size_t width)
{
    return s.size() >= width ? ustring(s) : ustring(width - s.size(), u' ') + ustring(s);
}

// Words separated by blanks, double-quoted runs kept together (quotes kept).
std::vector<ustring> blankWords(uview text)
{
    std::vector<ustring> r;
    ustring w;
    bool quoted = false;
    for (char16_t c : text) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && isBlank(c)) {
            if (!w.empty())
                r.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty())
        r.push_back(w);
    return r;
}

// A full name split into its folder and its last part.
void splitFolder(const ustring& full, ustring& folder, ustring& name)
{
    size_t slash = full.rfind('/');
    folder = slash == 0 ? u"/" : full.substr(0, slash);
    name = full.substr(slash + 1);
}

// The name a wildcard target gives a source name: "?" keeps the source's character at
// that place, "*" the rest of the source's part; name and extension are done apart.
ustring applyMask(uview mask, uview name)
{
    auto part = [](uview m, uview s) {
        ustring r;
        size_t k = 0;
        for (size_t i = 0; i < m.size(); ++i) {
            if (m[i] == '*') {
                if (k < s.size())
                    r += s.substr(k);
                k = s.size();
            } else if (m[i] == '?') {
                if (k < s.size())
                    r += s[k];
                ++k;
            } else {
                r += m[i];
                ++k;
            }
        }
        return r;
    };
    size_t md = mask.rfind('.'), nd = name.rfind('.');
    uview mName = md == uview::npos ? mask : mask.substr(0, md);
    uview sName = nd == uview::npos || nd == 0 ? name : name.substr(0, nd);
    uview sExt = nd == uview::npos || nd == 0 ? uview() : name.substr(nd + 1);
    ustring r = part(mName, sName);
    if (md != uview::npos) {
        ustring ext = part(mask.substr(md + 1), sExt);
        if (!ext.empty())
            r += u"." + ext;
    }
    return r;
}

bool isWholeFolderPattern(uview p)
{
    return p == u"*" || p == u"*.*" || p == u"*.";
}

int errnoError() { return fileError(errno); }

} // namespace

char16_t Interpreter::ask(uview question)
{
    out(question);
    std::optional<ustring> answer = readInputLine();
    if (!answer)
        return 0;
    ustring a = trimBlanks(*answer);
    return a.empty() ? char16_t('\r') : upperChar(a[0]);
}

bool Interpreter::asksBeforeOverwrite(const std::vector<ustring>& switches) const
{
    bool askIt = !currentBatch();
    if (auto v = env_.get(u"COPYCMD")) {
        for (const auto& w : blankWords(*v)) {
            if (equalsNoCase(w, u"/Y"))
                askIt = false;
            else if (equalsNoCase(w, u"/-Y"))
                askIt = true;
        }
    }
    for (const auto& w : switches) {
        if (equalsNoCase(w, u"/Y"))
            askIt = false;
        else if (equalsNoCase(w, u"/-Y"))
            askIt = true;
    }
    return askIt;
}

// ---- COPY ----

int Interpreter::cmdCopy(ParseNode* n)
{
    struct Item {
        ustring name;
        int mode = 0; // 0 not given, 'A' or 'B'
    };
    std::vector<std::vector<Item>> groups; // sources joined by "+" make one group
    std::vector<ustring> switches;
    int defaultMode = 0;
    bool verify = verify_, joinNext = false;
    for (const ustring& word : blankWords(n->text2)) {
        // "+" joins names, with or without blanks around it.
        std::vector<ustring> parts;
        ustring cur;
        bool quoted = false;
        for (char16_t c : word) {
            if (c == '"')
                quoted = !quoted;
            if (c == '+' && !quoted) {
                if (!cur.empty())
                    parts.push_back(cur);
                parts.push_back(u"+");
                cur.clear();
            } else {
                cur += c;
            }
        }
        if (!cur.empty())
            parts.push_back(cur);
        for (const ustring& p : parts) {
            if (p == u"+") {
                joinNext = true;
                continue;
            }
            if (isSwitchWord(p)) {
                ustring sw = upper(p);
                if (sw == u"/A" || sw == u"/B") {
                    if (groups.empty())
                        defaultMode = sw[1];
                    else
                        groups.back().back().mode = sw[1];
                } else if (sw == u"/V") {
                    verify = true;
                } else if (sw == u"/Y" || sw == u"/-Y") {
                    switches.push_back(sw);
                } else if (sw == u"/N" || sw == u"/D" || sw == u"/L") {
                } else if (sw == u"/Z") {
                    // Every copy here can be restarted: it never replaces the target
                    // until it is complete.
                } else {
                    message(msg::InvalidSwitch, {p.substr(1)});
                    return 1;
                }
                continue;
            }
            if (joinNext && !groups.empty())
                groups.back().push_back({stripQuotes(p), 0});
            else
                groups.push_back({{stripQuotes(p), 0}});
            joinNext = false;
        }
    }
    if (groups.empty() || groups.size() > 2 || (groups.size() == 2 && groups[1].size() > 1)) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    const bool askFirst = asksBeforeOverwrite(switches);
    bool overwriteAll = false;
    int copied = 0, result = 0;
    // "%1 file(s) copied." keeps the count apart from its column.
    auto report = [&]() {
        ustring t = msg::text(msg::FilesCopied);
        size_t at = t.find(u"%1");
        ustring line = at == ustring::npos ? t : t.substr(0, at) + padLeft(number(copied), 9) + t.substr(at + 2);
        out(line + u"\r\n");
        errorLevel_ = result;
        return result;
    };
    // May the target be written? Asks when it exists and asking is on.
    auto mayWrite = [&](const ustring& target) {
        if (!askFirst || overwriteAll || !pathExists(target))
            return true;
        for (;;) {
            char16_t a = ask(msg::format(msg::OverwritePrompt, {target}));
            if (a == 'Y')
                return true;
            if (a == 'A') {
                overwriteAll = true;
                return true;
            }
            if (a == 'N' || a == 0)
                return false;
        }
    };
    // The files a source name stands for (shown as written), or nothing.
    struct Match {
        ustring full, shown, name;
    };
    auto expand = [&](const Item& it, bool& wild) {
        std::vector<Match> r;
        ustring full = resolvePath(it.name);
        wild = hasWildcards(it.name);
        if (!wild && isDirectory(full)) {
            wild = true;
            ustring shownDir = nativePath(it.name);
            if (!shownDir.empty() && shownDir.back() != '/')
                shownDir += u'/';
            for (const FileEntry& e : listFolder(full, u"*", false))
                if (!e.isDir() && !(e.attrs & AttrHidden))
                    r.push_back({full + u"/" + e.name, shownDir + e.name, e.name});
            return r;
        }
        ustring folder, pattern;
        splitFolder(full, folder, pattern);
        if (!wild) {
            if (pathExists(full))
                r.push_back({full, it.name, pattern});
            return r;
        }
        ustring shown = nativePath(it.name);
        size_t slash = shown.rfind('/');
        ustring shownDir = slash == ustring::npos ? ustring() : shown.substr(0, slash + 1);
        for (const FileEntry& e : listFolder(folder, pattern, false))
            if (!e.isDir() && !(e.attrs & AttrHidden))
                r.push_back({folder + u"/" + e.name, shownDir + e.name, e.name});
        return r;
    };
    auto modeOf = [&](const Item& it, int fallback) { return it.mode ? it.mode : (defaultMode ? defaultMode : fallback); };

    const std::vector<Item>& sources = groups[0];
    const Item* dest = groups.size() == 2 ? &groups[1][0] : nullptr;
    ustring destFull = dest ? resolvePath(dest->name) : ustring();
    bool destIsDir = dest ? isDirectory(destFull) : true;
    bool destWild = dest && hasWildcards(dest->name);

    // Joining: every source into one target (the first source when none is named).
    bool wild = false;
    std::vector<Match> first = expand(sources[0], wild);
    bool join = sources.size() > 1 || (wild && dest && !destIsDir && !destWild);
    if (join) {
        std::vector<CopySource> list;
        std::vector<ustring> shown;
        for (const Item& it : sources) {
            bool w = false;
            std::vector<Match> matches = expand(it, w);
            // A named source that is missing stops the copy before anything is written.
            if (matches.empty() && !w) {
                platformError(msg::FileNotFound);
                result = 1;
                return report();
            }
            for (const Match& m : matches) {
                list.push_back({m.full, modeOf(it, 'B') == 'A'});
                shown.push_back(m.shown);
            }
        }
        if (list.empty()) {
            platformError(msg::FileNotFound);
            result = 1;
            return report();
        }
        ustring target = dest ? (destIsDir ? destFull + u"/" + list[0].path.substr(list[0].path.rfind('/') + 1)
                                           : destFull)
                              : list[0].path;
        // A target that is one of the later sources would be read after it was replaced.
        for (size_t i = 1; i < list.size(); ++i) {
            if (sameFile(list[i].path, target)) {
                message(msg::CopyOntoItself);
                result = 1;
                return report();
            }
        }
        for (const ustring& s : shown)
            out(s + u"\r\n");
        bool appending = sameFile(list[0].path, target);
        if (!appending && !mayWrite(target))
            return report();
        ustring failed;
        int e = copyFiles(list, target, dest && dest->mode == 'A', false, verify, failed);
        if (e) {
            platformError(e, failed);
            result = 1;
        } else {
            copied = 1;
        }
        return report();
    }

    if (first.empty()) {
        platformError(msg::FileNotFound);
        result = 1;
        return report();
    }
    for (const Match& m : first) {
        ustring target;
        if (!dest)
            target = cwd_ + u"/" + m.name;
        else if (destIsDir)
            target = destFull + u"/" + m.name;
        else if (destWild) {
            ustring folder, mask;
            splitFolder(destFull, folder, mask);
            target = folder + u"/" + applyMask(mask, m.name);
        } else
            target = destFull;
        if (wild)
            out(m.shown + u"\r\n");
        if (sameFile(m.full, target)) {
            message(msg::CopyOntoItself);
            result = 1;
            continue;
        }
        if (!mayWrite(target))
            continue;
        ustring failed;
        int mode = modeOf(sources[0], 'B');
        int e = copyFiles({{m.full, mode == 'A'}}, target, dest && dest->mode == 'A', true, verify, failed);
        if (e) {
            platformError(e, failed);
            result = 1;
            continue;
        }
        ++copied;
    }
    return report();
}

// ---- DEL / ERASE ----

int Interpreter::deleteMatching(const ustring& folder, uview pattern, const DelOptions& o, bool& found)
{
    int result = 0;
    for (const FileEntry& e : listFolder(folder, pattern, false)) {
        if (e.isDir())
            continue;
        if (o.select ? !o.attrs.matches(e.attrs) : (e.attrs & (AttrHidden | AttrSystem)) != 0)
            continue;
        found = true;
        ustring full = folder == u"/" ? u"/" + e.name : folder + u"/" + e.name;
        if (o.prompt) {
            char16_t a = ask(msg::format(msg::DeletePrompt, {full}));
            if (a == 0)
                return result;
            if (a != 'Y')
                continue;
        }
        if ((e.attrs & AttrReadOnly) && !o.force) {
            err(full + u"\r\n");
            platformError(msg::AccessDenied);
            result = 1;
            continue;
        }
        if (::unlink(toLocal8(full).c_str()) != 0) {
            err(full + u"\r\n");
            platformError(errnoError());
            result = 1;
            continue;
        }
        if (o.subfolders && extensions_)
            out(msg::format(msg::DeletedFile, {full}) + u"\r\n");
    }
    if (o.subfolders) {
        // Links to folders are never walked into: nothing outside the tree goes.
        for (const FileEntry& e : listFolder(folder, u"", false)) {
            if (!e.walkable())
                continue;
            checkCtrlC();
            if (deleteMatching(folder == u"/" ? u"/" + e.name : folder + u"/" + e.name, pattern, o, found))
                result = 1;
        }
    }
    return result;
}

int Interpreter::cmdDel(ParseNode* n)
{
    DelOptions o;
    std::vector<ustring> names;
    for (const ustring& w : splitWords(n->text2)) {
        if (!isSwitchWord(w)) {
            names.push_back(stripQuotes(w));
            continue;
        }
        ustring sw = upper(w);
        if (sw == u"/P")
            o.prompt = true;
        else if (sw == u"/F")
            o.force = true;
        else if (sw == u"/S")
            o.subfolders = true;
        else if (sw == u"/Q")
            o.quiet = true;
        else if (sw.size() >= 2 && sw[1] == 'A') {
            uview letters = uview(sw).substr(2);
            if (!letters.empty() && letters[0] == ':')
                letters.remove_prefix(1);
            o.select = true;
            if (!o.attrs.parse(letters)) {
                message(msg::InvalidSwitch, {w.substr(1)});
                return 1;
            }
        } else {
            message(msg::InvalidSwitch, {w.substr(1)});
            return 1;
        }
    }
    if (names.empty()) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    int result = 0;
    for (const ustring& name : names) {
        ustring full = resolvePath(name);
        ustring folder, pattern;
        if (!hasWildcards(name) && isDirectory(full)) {
            folder = full.size() > 1 && full.back() == '/' ? full.substr(0, full.size() - 1) : full;
            pattern = u"*";
        } else {
            splitFolder(full, folder, pattern);
        }
        if (isWholeFolderPattern(pattern) && !o.quiet && !o.prompt) {
            ustring shown = (folder == u"/" ? ustring() : folder) + u"/" + pattern;
            char16_t a = ask(msg::format(msg::AreYouSure, {shown}));
            if (a != 'Y')
                continue;
        }
        bool found = false;
        if (!isDirectory(folder)) {
            platformError(msg::PathNotFound);
            result = 1;
            continue;
        }
        if (deleteMatching(folder, pattern, o, found))
            result = 1;
        if (!found) {
            err(msg::format(msg::CouldNotFind, {full}) + u"\r\n");
            result = 1;
        }
    }
    return result;
}

// ---- MD / MKDIR ----

int Interpreter::cmdMd(ParseNode* n)
{
    std::vector<ustring> words = splitWords(n->text2);
    if (words.empty()) {
        message(msg::SyntaxIncorrect);
        errorLevel_ = 1;
        return 1;
    }
    int result = 0;
    for (const ustring& w : words) {
        ustring name = stripQuotes(w);
        ustring full = resolvePath(name);
        if (pathExists(full)) {
            message(msg::SubdirExists, {name});
            result = 1;
            continue;
        }
        std::string path = toLocal8(full);
        if (::mkdir(path.c_str(), 0777) == 0)
            continue;
        int e = errno;
        if (e == ENOENT && extensions_) {
            // Every missing folder of the path in turn; existing ones are accepted.
            e = 0;
            for (size_t at = path.find('/', 1); e == 0; at = path.find('/', at + 1)) {
                std::string part = at == std::string::npos ? path : path.substr(0, at);
                if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
                    e = errno;
                else if (errno == EEXIST && !isDirectory(fromUtf8(part)))
                    e = ENOTDIR;
                if (at == std::string::npos)
                    break;
                errno = 0;
            }
            if (e == 0)
                continue;
        }
        platformError(e == ENOENT ? msg::CannotCreate : fileError(e));
        result = 1;
    }
    errorLevel_ = result;
    return result;
}

// ---- RD / RMDIR ----

int Interpreter::cmdRd(ParseNode* n)
{
    bool tree = false, quiet = false;
    std::vector<ustring> names;
    for (const ustring& w : splitWords(n->text2)) {
        if (equalsNoCase(w, u"/S"))
            tree = true;
        else if (equalsNoCase(w, u"/Q"))
            quiet = true;
        else if (isSwitchWord(w)) {
            message(msg::InvalidSwitch, {w.substr(1)});
            return 1;
        } else
            names.push_back(stripQuotes(w));
    }
    if (names.empty()) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    int result = 0;
    for (const ustring& name : names) {
        ustring full = resolvePath(name);
        while (full.size() > 1 && full.back() == '/')
            full.pop_back();
        FileEntry e;
        if (!statEntry(full, e)) {
            platformError(msg::FileNotFound);
            result = 1;
            continue;
        }
        if (!e.isDir()) {
            platformError(msg::DirNameInvalid);
            result = 1;
            continue;
        }
        // The current directory (or one it lies in) stays: the interpreter works in it.
        if (!e.link && (cwd_ == full || cwd_.compare(0, full.size() + 1, full + u"/") == 0 || full == u"/")) {
            platformError(msg::InUse);
            result = 1;
            continue;
        }
        if (tree && !quiet) {
            char16_t a = ask(msg::format(msg::AreYouSure, {name}));
            if (a != 'Y')
                continue;
        }
        std::string path = toLocal8(full);
        if (e.link) {
            // A link to a folder goes itself; what it points to is left alone.
            if (::unlink(path.c_str()) != 0) {
                platformError(errnoError());
                result = 1;
            }
            continue;
        }
        if (!tree) {
            if (::rmdir(path.c_str()) != 0) {
                platformError(errnoError());
                result = 1;
            }
            continue;
        }
        bool ok = removeTree(full, [this](const ustring& p, int error) {
            err(msg::format(msg::NotRemoved, {p, msg::text(error)}) + u"\r\n");
        });
        if (!ok)
            result = 1;
    }
    errorLevel_ = result;
    return result;
}

// ---- REN / RENAME ----

int Interpreter::cmdRen(ParseNode* n)
{
    std::vector<ustring> words = splitWords(n->text2);
    if (words.size() != 2) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    ustring source = stripQuotes(words[0]), mask = stripQuotes(words[1]);
    if (mask.find_first_of(u"/\\:") != ustring::npos || mask.empty()) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    ustring full = resolvePath(source);
    ustring folder, pattern;
    splitFolder(full, folder, pattern);
    bool wild = hasWildcards(pattern);
    std::vector<FileEntry> entries;
    if (wild) {
        for (FileEntry& e : listFolder(folder, pattern, false))
            if (!(e.attrs & AttrHidden))
                entries.push_back(std::move(e));
    } else {
        FileEntry e;
        if (statEntry(full, e))
            entries.push_back(e);
    }
    if (entries.empty()) {
        message(msg::DuplicateOrMissing);
        return 1;
    }
    int result = 0;
    for (const FileEntry& e : entries) {
        ustring newName = wild || hasWildcards(mask) ? applyMask(mask, e.name) : mask;
        if (newName == e.name)
            continue;
        std::string from = toLocal8(folder + u"/" + e.name), to = toLocal8(folder + u"/" + newName);
        // Never onto an existing name: two sources never end up as one.
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            continue;
        int err = errno;
        if (err == EINVAL || err == ENOSYS) {
            struct stat st {};
            if (::lstat(to.c_str(), &st) != 0 && ::rename(from.c_str(), to.c_str()) == 0)
                continue;
            err = EEXIST;
        }
        if (err == EEXIST || err == ENOENT)
            message(msg::DuplicateOrMissing);
        else
            platformError(fileError(err));
        result = 1;
    }
    errorLevel_ = result;
    return result;
}

// ---- MOVE ----

int Interpreter::cmdMove(ParseNode* n)
{
    std::vector<ustring> switches, names;
    for (const ustring& w : splitWords(n->text2)) {
        if (equalsNoCase(w, u"/Y") || equalsNoCase(w, u"/-Y"))
            switches.push_back(w);
        else if (isSwitchWord(w)) {
            message(msg::InvalidSwitch, {w.substr(1)});
            return 1;
        } else
            names.push_back(stripQuotes(w));
    }
    if (names.empty()) {
        message(msg::SyntaxIncorrect);
        return 1;
    }
    ustring destFull = names.size() == 1 ? cwd_ : resolvePath(names.back());
    if (names.size() > 1)
        names.pop_back();
    while (destFull.size() > 1 && destFull.back() == '/')
        destFull.pop_back();
    struct Source {
        ustring full, name;
        bool dir;
    };
    std::vector<Source> sources;
    bool several = names.size() > 1;
    for (const ustring& name : names) {
        ustring full = resolvePath(name), folder, pattern;
        while (full.size() > 1 && full.back() == '/')
            full.pop_back();
        splitFolder(full, folder, pattern);
        if (hasWildcards(pattern)) {
            std::vector<FileEntry> found = listFolder(folder, pattern, false);
            size_t before = sources.size();
            for (const FileEntry& e : found)
                if (!(e.attrs & AttrHidden))
                    sources.push_back({folder + u"/" + e.name, e.name, e.isDir() && !e.link});
            several = several || sources.size() - before > 1;
        } else {
            FileEntry e;
            if (statEntry(full, e))
                sources.push_back({full, pattern, e.isDir() && !e.link});
        }
    }
    if (sources.empty()) {
        platformError(msg::FileNotFound);
        return 1;
    }
    bool destIsDir = isDirectory(destFull);
    if (!destIsDir && sources.size() > 1) {
        message(msg::MultipleToSingle);
        return 1;
    }
    const bool askFirst = asksBeforeOverwrite(switches);
    bool overwriteAll = false;
    int files = 0, dirs = 0, result = 0;
    for (const Source& s : sources) {
        ustring target = destIsDir ? destFull + u"/" + s.name : destFull;
        if (several)
            out(s.full + u"\r\n");
        if (sameFile(s.full, target)) {
            if (s.full != target) {
                message(msg::CopyOntoItself);
                result = 1;
                continue;
            }
            ++(s.dir ? dirs : files);
            continue;
        }
        FileEntry existing;
        if (statEntry(target, existing)) {
            if (s.dir || existing.isDir()) {
                platformError(msg::AccessDenied);
                result = 1;
                continue;
            }
            if (askFirst && !overwriteAll) {
                char16_t a = 0;
                do
                    a = ask(msg::format(msg::OverwritePrompt, {target}));
                while (a != 'Y' && a != 'N' && a != 'A' && a != 0);
                if (a == 'A')
                    overwriteAll = true;
                else if (a != 'Y')
                    continue;
            }
        }
        std::string from = toLocal8(s.full), to = toLocal8(target);
        if (::rename(from.c_str(), to.c_str()) == 0) {
            ++(s.dir ? dirs : files);
            continue;
        }
        int e = errno;
        if (e != EXDEV) {
            platformError(e == EINVAL ? msg::AccessDenied : fileError(e));
            result = 1;
            continue;
        }
        // Another file system: copy first, and remove the source only once the copy is
        // whole.
        ustring failed;
        int copyError = s.dir ? copyTree(s.full, target, failed) : copyFiles({{s.full, false}}, target, false, true, verify_, failed);
        if (copyError) {
            platformError(copyError, failed);
            result = 1;
            continue;
        }
        bool removed = s.dir ? removeTree(s.full, [this](const ustring& p, int error) {
            err(msg::format(msg::NotRemoved, {p, msg::text(error)}) + u"\r\n");
        })
                             : ::unlink(from.c_str()) == 0;
        if (!removed) {
            if (!s.dir)
                err(msg::format(msg::NotRemoved, {s.full, msg::text(errnoError())}) + u"\r\n");
            result = 1;
        }
        ++(s.dir ? dirs : files);
    }
    auto line = [&](int id, int count) {
        ustring t = msg::text(id);
        size_t at = t.find(u"%1");
        out((at == ustring::npos ? t : t.substr(0, at) + padLeft(number(count), 9) + t.substr(at + 2)) + u"\r\n");
    };
    if (dirs && !files)
        line(msg::DirsMoved, dirs);
    else
        line(msg::FilesMoved, files + dirs);
    errorLevel_ = result;
    return result;
}

} // namespace console
