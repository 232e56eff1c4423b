#include "console/Environment.h"

#include "platform/Process.h"

#include <algorithm>


namespace console {

namespace {
bool entryLess(const Environment::Entry& a, const Environment::Entry& b)
{
    int c = compareNoCase(a.first, b.first);
    return c != 0 ? c < 0 : a.first < b.first;
}
} // namespace

Environment Environment::fromProcess()
{
    Environment env;
    for (const std::string& entry : process::currentEnvironment()) {
        std::string_view s(entry);
        size_t eq = s.find('=', 1);
        if (eq == std::string_view::npos || eq + 1 == s.size())
            continue;
        env.entries_.emplace_back(fromUtf8(s.substr(0, eq)), fromUtf8(s.substr(eq + 1)));
    }
    // Names that differ only in case stay apart; a name given twice counts once, the
    // first one as the C library's lookup finds it.
    std::stable_sort(env.entries_.begin(), env.entries_.end(), entryLess);
    env.entries_.erase(std::unique(env.entries_.begin(), env.entries_.end(),
                                   [](const Entry& a, const Entry& b) { return a.first == b.first; }),
                       env.entries_.end());
    return env;
}

std::pair<std::vector<Environment::Entry>::iterator, std::vector<Environment::Entry>::iterator>
Environment::findAll(uview name)
{
    auto first = std::lower_bound(entries_.begin(), entries_.end(), name,
                                  [](const Entry& e, uview n) { return compareNoCase(e.first, n) < 0; });
    auto last = first;
    while (last != entries_.end() && equalsNoCase(last->first, name))
        ++last;
    return {first, last};
}

std::optional<ustring> Environment::get(uview name) const
{
    auto [first, last] = const_cast<Environment*>(this)->findAll(name);
    if (first == last)
        return std::nullopt;
    for (auto it = first; it != last; ++it)
        if (it->first == name)
            return it->second;
    return first->second;
}

void Environment::set(uview name, uview value)
{
    if (name.empty())
        return;
    if (value.empty()) {
        remove(name);
        return;
    }
    auto [first, last] = findAll(name);
    for (auto it = first; it != last; ++it) {
        if (it->first == name) {
            it->second = ustring(value);
            return;
        }
    }
    if (first == last) {
        entries_.insert(first, Entry(ustring(name), ustring(value)));
        return;
    }
    // Another spelling of names already there: they become one entry that keeps the
    // first one's spelling.
    first->second = ustring(value);
    entries_.erase(first + 1, last);
}

void Environment::remove(uview name)
{
    auto [first, last] = findAll(name);
    entries_.erase(first, last);
}

std::vector<std::string> Environment::toEnvp() const
{
    std::vector<std::string> r;
    r.reserve(entries_.size());
    for (const auto& [name, value] : entries_)
        if (!name.empty() && name[0] != '=')
            r.push_back(toUtf8(name) + "=" + toUtf8(value));
    return r;
}

size_t Environment::memoryUsed() const
{
    size_t bytes = sizeof(*this) + entries_.capacity() * sizeof(Entry);
    for (const auto& [name, value] : entries_)
        bytes += (name.capacity() + value.capacity()) * sizeof(char16_t);
    return bytes;
}

} // namespace console
