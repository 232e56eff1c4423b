#pragma once
// The labels of batch files, read once per file and kept while the file is unchanged,
// so that GOTO does not read the whole file again for every jump.
#include "console/Text.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace console {

class LabelIndex {
public:
    // The offset of the line after the label line named `label` (without case): the
    // first such line at or after `from`, else the first one before it. Nothing when
    // the file has no such label or cannot be read. `betweenBlocks` runs between the
    // blocks read while the file is indexed (it may throw; nothing is kept then).
    std::optional<int64_t> find(const std::string& path, int64_t from, uview label,
                                const std::function<void()>& betweenBlocks = {});

    // How many times a file was read to index it (for tests of the cache).
    int readCount() const { return reads_; }

private:
    struct Stamp {
        uint64_t device = 0, inode = 0;
        int64_t size = -1;
        int64_t modified = 0, changed = 0; // nanoseconds
        bool operator==(const Stamp&) const = default;
    };
    struct Place {
        int64_t start; // offset of the label line
        int64_t next;  // offset of the line after it
    };
    struct File {
        Stamp stamp;
        std::unordered_map<ustring, std::vector<Place>> byName; // upper-case names
    };
    static std::optional<Stamp> stampOf(const std::string& path);
    bool build(const std::string& path, File& file, const std::function<void()>& betweenBlocks);

    std::map<std::string, File> files_;
    int reads_ = 0;
};

// The label a label line defines: after blanks, ":" and the name up to a blank, "+",
// ":", "&", "<", "|" or ">", with "^" taking the next character. Nothing when the line
// is not a label line.
std::optional<ustring> labelOfLine(uview line);

} // namespace console
