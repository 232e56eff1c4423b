#pragma once
// The % substitutions: variables, batch parameters and the %~ modifiers.
#include "console/Environment.h"
#include "console/Messages.h"

#include <array>
#include <optional>

namespace console {

// The parameters of a running batch file.
struct BatchParams {
    std::array<ustring, 10> params; // %0 to %9
    std::array<bool, 10> present{}; // false past the last argument
    ustring argText;                // the whole argument text, for %*
    ustring fullPath;               // the batch file's own full path, for %~0
};

// What the substitutions need from the interpreter.
class ExpandHost {
public:
    virtual ~ExpandHost() = default;
    virtual bool extensions() const = 0;
    // A variable by name, the dynamic ones (CD, ERRORLEVEL, CMDCMDLINE) included.
    virtual std::optional<ustring> variable(uview name) const = 0;
    virtual const Environment& environment() const = 0;
    virtual const ustring& currentDirectory() const = 0;
    // The running batch file's parameters, or nullptr at the prompt.
    virtual const BatchParams* batchParams() const = 0;
};

// A substituted line may hold at most this many characters.
constexpr size_t MaxExpandedLine = 2049;

// The whole-line substitution. Throws CmdError (line too long, bad edit, bad %~).
ustring expandPercent(uview line, const ExpandHost& host);

// `%name%` and `%name:edit%` starting after the first '%'. Returns the replacement and
// sets `consumed` to the characters used (closing '%' included), or nothing when the
// text is not a reference or names no variable (then `consumed` is what a failed
// reference used up).
std::optional<ustring> expandVariable(uview text, const ExpandHost& host, size_t& consumed);

// `%n` or `%~mods n` starting after the '%': `names` lists the valid parameter
// characters and `values` their values (same index). Returns nothing when the text is
// not a parameter reference. Throws CmdError 0x23a4 for a bad modifier.
std::optional<ustring> expandParameter(uview text, uview names, const std::vector<ustring>& values,
                                       const ExpandHost& host, size_t& consumed,
                                       const ustring* zeroFullPath = nullptr);

// Path helpers shared with the executor. "\" is accepted as a separator.
ustring nativePath(uview path);
ustring fullPath(uview path, uview currentDir);
// The directory of `path` (ending in '/'), its name without and with the extension.
void splitPath(uview full, ustring& dir, ustring& name, ustring& ext);

} // namespace console
