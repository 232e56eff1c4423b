#pragma once
// The interpreter's own environment block. Names compare without case and are kept
// sorted; names beginning with "=" are hidden entries (such as "=ExitCode") that are
// never passed to child processes. The interpreter never changes the process's own
// environment: children get this block explicitly.
//
// Entries inherited from the process whose names differ only in case (http_proxy and
// HTTP_PROXY) are kept as they are and all reach children. Lookups prefer the entry
// spelt exactly as asked, else the first of them; setting a name spelt as one of them
// changes that one, setting it in another spelling makes them one entry, and removing
// removes them all.
#include "console/Text.h"

#include <optional>
#include <utility>
#include <vector>

namespace console {

class Environment {
public:
    using Entry = std::pair<ustring, ustring>;

    // A copy of the process environment.
    static Environment fromProcess();

    std::optional<ustring> get(uview name) const;
    bool contains(uview name) const { return get(name).has_value(); }
    // An empty value removes the variable.
    void set(uview name, uview value);
    void remove(uview name);
    void clear() { entries_.clear(); }

    const std::vector<Entry>& entries() const { return entries_; }
    // "NAME=value" strings for a child process, hidden entries left out.
    std::vector<std::string> toEnvp() const;
    // Bytes of memory the block holds, roughly.
    size_t memoryUsed() const;

private:
    // The first entry whose name equals `name` without case, and the end of that run.
    std::pair<std::vector<Entry>::iterator, std::vector<Entry>::iterator> findAll(uview name);
    std::vector<Entry> entries_;
};

} // namespace console
