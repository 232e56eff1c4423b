#pragma once
#include "console/Expand.h"

namespace console::test {

// An expansion host with its own environment, directory and batch parameters.
struct TestHost : ExpandHost {
    Environment env;
    ustring cwd = u"/work/dir";
    bool ext = true;
    bool inBatch = false;
    BatchParams params;
    int errorLevel = 0;

    bool extensions() const override { return ext; }
    std::optional<ustring> variable(uview name) const override
    {
        if (equalsNoCase(name, u"CD"))
            return cwd;
        if (auto v = env.get(name))
            return v;
        if (ext && equalsNoCase(name, u"ERRORLEVEL"))
            return number(errorLevel);
        return std::nullopt;
    }
    const Environment& environment() const override { return env; }
    const ustring& currentDirectory() const override { return cwd; }
    const BatchParams* batchParams() const override { return inBatch ? &params : nullptr; }
};

} // namespace console::test
