#include "console/Expand.h"

#include <QDir>
#include <QFileInfo>

namespace console {

ustring nativePath(uview path)
{
    ustring r(path);
    for (auto& c : r)
        if (c == '\\')
            c = '/';
    return r;
}

ustring fullPath(uview path, uview currentDir)
{
    ustring p = nativePath(path);
    QString q = toQ(p);
    if (!q.startsWith('/'))
        q = toQ(currentDir) + "/" + q;
    QString clean = QDir::cleanPath(q);
    // Keep a trailing separator the caller wrote.
    if (!p.empty() && p.back() == '/' && !clean.endsWith('/'))
        clean += '/';
    return fromQ(clean);
}

void splitPath(uview full, ustring& dir, ustring& name, ustring& ext)
{
    size_t slash = full.rfind('/');
    dir = ustring(slash == uview::npos ? uview() : full.substr(0, slash + 1));
    uview file = slash == uview::npos ? full : full.substr(slash + 1);
    size_t dot = file.rfind('.');
    if (dot == uview::npos) {
        name = ustring(file);
        ext.clear();
    } else {
        name = ustring(file.substr(0, dot));
        ext = ustring(file.substr(dot));
    }
}

static ustring searchPathVariable(uview varValue, uview file, uview cwd)
{
    ustring list(varValue);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(u";:", start);
        if (end == ustring::npos)
            end = list.size();
        ustring dir = trimBlanks(uview(list).substr(start, end - start));
        if (!dir.empty()) {
            ustring candidate = fullPath(nativePath(dir) + u"/" + nativePath(file), cwd);
            if (QFileInfo::exists(toQ(candidate)))
                return candidate;
        }
        start = end + 1;
    }
    return ustring();
}

static bool isModifier(char16_t c)
{
    char16_t lc = char16_t(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lc == 'f' || lc == 'd' || lc == 'p' || lc == 'n' || lc == 'x' || lc == 's';
}

std::optional<ustring> expandParameter(uview text, uview names, const std::vector<ustring>& values,
                                       const ExpandHost& host, size_t& consumed,
                                       const ustring* zeroFullPath)
{
    consumed = 0;
    if (text.empty())
        return std::nullopt;
    size_t idx = names.find(text[0]);
    if (idx != uview::npos) {
        consumed = 1;
        return values[idx];
    }
    if (text[0] != '~' || !host.extensions())
        return std::nullopt;

    // Modifier letters, then the parameter name. A modifier letter that is itself a
    // parameter name ends the run when nothing usable follows it.
    auto bad = [&](size_t upto) {
        uview shown = text.substr(0, std::min(upto, text.size()));
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
            shown.remove_suffix(1);
        throw CmdError{msg::PathOperator, {u"%" + ustring(shown)}};
    };
    size_t i = 1;
    ustring mods;
    ustring searchVar;
    bool search = false;
    size_t nameAt = 0;
    for (;;) {
        if (i >= text.size())
            bad(i);
        char16_t c = text[i];
        bool isName = names.find(c) != uview::npos;
        if (c == '$') {
            size_t colon = text.find(':', i + 1);
            size_t nl = text.find('\n', i + 1);
            if (colon == uview::npos || colon == i + 1 || (nl != uview::npos && nl < colon))
                bad(i + 1);
            searchVar = ustring(text.substr(i + 1, colon - i - 1));
            search = true;
            i = colon + 1;
            continue;
        }
        if (isModifier(c)) {
            bool nextUsable = i + 1 < text.size()
                && (isModifier(text[i + 1]) || text[i + 1] == '$'
                    || names.find(text[i + 1]) != uview::npos);
            if (!nextUsable && isName) {
                nameAt = i;
                break;
            }
            mods += char16_t(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++i;
            continue;
        }
        if (isName) {
            nameAt = i;
            break;
        }
        bad(i + 1);
    }
    consumed = nameAt + 1;
    idx = names.find(text[nameAt]);
    ustring value = values[idx];
    if (zeroFullPath && text[nameAt] == '0' && !mods.empty())
        value = *zeroFullPath;
    if (!value.empty() && value.front() == '"')
        value.erase(0, 1);
    if (!value.empty() && value.back() == '"')
        value.pop_back();

    ustring full;
    if (search) {
        std::optional<ustring> list = host.environment().get(searchVar);
        if (!list || value.empty())
            return ustring();
        full = searchPathVariable(*list, value, host.currentDirectory());
        if (full.empty())
            return ustring();
        if (mods.empty() || mods == u"s")
            mods += u'f';
    } else {
        if (value.empty() || mods.empty())
            return ustring();
        full = fullPath(value, host.currentDirectory());
    }
    if (mods.find('f') != ustring::npos)
        return full;
    ustring dir, name, ext;
    splitPath(full, dir, name, ext);
    ustring r;
    // Drive letters do not exist here: "d" contributes nothing.
    if (mods.find('p') != ustring::npos)
        r += dir;
    if (mods.find('n') != ustring::npos)
        r += name;
    if (mods.find('x') != ustring::npos)
        r += ext;
    return r;
}

std::optional<ustring> expandVariable(uview text, const ExpandHost& host, size_t& consumed)
{
    consumed = 0;
    size_t i = 0;
    while (i < text.size() && text[i] != '%' && text[i] != '\n') {
        if (host.extensions() && text[i] == ':' && (i + 1 >= text.size() || text[i + 1] != '%'))
            break;
        ++i;
    }
    if (i == 0 || i >= text.size() || text[i] == '\n')
        return std::nullopt;
    ustring name(text.substr(0, i));
    if (text[i] == '%') {
        consumed = i + 1;
        return host.variable(name);
    }
    size_t close = text.find('%', i + 1);
    size_t nl = text.find('\n', i + 1);
    if (close == uview::npos || (nl != uview::npos && nl < close))
        return std::nullopt;
    uview edit = text.substr(i + 1, close - i - 1);
    consumed = close + 1;
    auto unexpected = [&] { throw CmdError{msg::Unexpected, {ustring(edit) + u"%"}}; };

    if (!edit.empty() && edit[0] == '~') {
        uview rest = edit.substr(1);
        size_t e = 0;
        int32_t n = strtol32(rest, &e);
        if (e == 0)
            unexpected();
        rest = rest.substr(e);
        bool haveLength = false;
        int32_t m = 0;
        if (!rest.empty()) {
            if (rest[0] != ',')
                unexpected();
            rest = rest.substr(1);
            m = strtol32(rest, &e);
            if (e == 0 || e != rest.size())
                unexpected();
            haveLength = true;
        }
        std::optional<ustring> value = host.variable(name);
        if (!value)
            return ustring();
        long long len = (long long)value->size();
        long long start = n;
        // Offsets outside the value are clamped; a negative one counts from the end.
        if (start < 0)
            start = std::max(0LL, len + start);
        if (start > len)
            start = len;
        if (!haveLength)
            return value->substr(size_t(start));
        if (m <= 0)
            return *value;
        return value->substr(size_t(start), size_t(m));
    }
    size_t eq = edit.find('=');
    if (eq == uview::npos)
        unexpected();
    uview from = edit.substr(0, eq);
    uview to = edit.substr(eq + 1);
    std::optional<ustring> value = host.variable(name);
    if (!value)
        return ustring();
    if (from.empty())
        return *value;
    if (from[0] == '*') {
        uview rest = from.substr(1);
        size_t at = findNoCase(*value, rest);
        if (at == uview::npos)
            return *value;
        return ustring(to) + value->substr(at + rest.size());
    }
    ustring r;
    size_t pos = 0;
    for (;;) {
        size_t at = findNoCase(*value, from, pos);
        if (at == uview::npos)
            break;
        r += value->substr(pos, at - pos);
        r += to;
        pos = at + from.size();
    }
    r += value->substr(pos);
    return r;
}

ustring expandPercent(uview line, const ExpandHost& host)
{
    const BatchParams* batch = host.batchParams();
    std::vector<ustring> values;
    if (batch)
        values.assign(batch->params.begin(), batch->params.end());
    ustring out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        char16_t c = line[i];
        if (c != '%') {
            out += c;
            continue;
        }
        uview rest = line.substr(i + 1);
        size_t used = 0;
        if (!batch) {
            if (auto v = expandVariable(rest, host, used)) {
                out += *v;
                i += used;
            } else {
                out += u'%';
            }
        } else if (!rest.empty() && rest[0] == '%') {
            out += u'%';
            ++i;
        } else if (host.extensions() && !rest.empty() && rest[0] == '*') {
            if (batch->argText.size() > 4096)
                throw CmdError{msg::StringTooLong, {batch->argText}};
            out += batch->argText;
            ++i;
        } else if (auto p = expandParameter(rest, u"0123456789", values, host, used, &batch->fullPath)) {
            out += *p;
            i += used;
        } else {
            if (auto v = expandVariable(rest, host, used))
                out += *v;
            // A failed reference vanishes together with what it consumed.
            i += used;
        }
        if (out.size() > MaxExpandedLine)
            throw CmdError{msg::InputLineTooLong, {}};
    }
    if (out.size() > MaxExpandedLine)
        throw CmdError{msg::InputLineTooLong, {}};
    return out;
}

} // namespace console
