#include "console/Environment.h"

#include <algorithm>

extern char** environ;

namespace console {

Environment Environment::fromProcess()
{
    Environment env;
    for (char** e = environ; e && *e; ++e) {
        std::string_view s(*e);
        size_t eq = s.find('=', 1);
        if (eq == std::string_view::npos)
            continue;
        env.set(fromUtf8(s.substr(0, eq)), fromUtf8(s.substr(eq + 1)));
    }
    return env;
}

std::vector<Environment::Entry>::iterator Environment::find(uview name)
{
    return std::lower_bound(entries_.begin(), entries_.end(), name,
                            [](const Entry& e, uview n) { return compareNoCase(e.first, n) < 0; });
}

std::optional<ustring> Environment::get(uview name) const
{
    auto it = const_cast<Environment*>(this)->find(name);
    if (it != entries_.end() && equalsNoCase(it->first, name))
        return it->second;
    return std::nullopt;
}

void Environment::set(uview name, uview value)
{
    if (name.empty())
        return;
    if (value.empty()) {
        remove(name);
        return;
    }
    auto it = find(name);
    if (it != entries_.end() && equalsNoCase(it->first, name))
        it->second = ustring(value);
    else
        entries_.insert(it, Entry(ustring(name), ustring(value)));
}

void Environment::remove(uview name)
{
    auto it = find(name);
    if (it != entries_.end() && equalsNoCase(it->first, name))
        entries_.erase(it);
}

std::vector<std::string> Environment::toEnvp() const
{
    std::vector<std::string> r;
    for (const auto& [name, value] : entries_)
        if (!name.empty() && name[0] != '=')
            r.push_back(toUtf8(name) + "=" + toUtf8(value));
    return r;
}

} // namespace console
