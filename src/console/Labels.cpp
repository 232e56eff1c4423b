#include "console/Labels.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace console {

namespace {
// Bytes of a line looked at for its label: longer labels than GOTO accepts never match.
constexpr size_t LinePrefix = 8192;
constexpr size_t MaxFiles = 32;

bool asciiBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }
} // namespace

std::optional<ustring> labelOfLine(uview line)
{
    size_t p = 0;
    while (p < line.size() && isBlank(line[p]) && line[p] != '\n')
        ++p;
    if (p >= line.size() || line[p] != ':')
        return std::nullopt;
    ++p;
    ustring name;
    while (p < line.size()) {
        char16_t c = line[p];
        if (isBlank(c) || uview(u"+:&<|>").find(c) != uview::npos)
            break;
        if (c == '^' && p + 1 < line.size()) {
            name += line[p + 1];
            p += 2;
            continue;
        }
        name += c;
        ++p;
    }
    return name;
}

std::optional<LabelIndex::Stamp> LabelIndex::stampOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    Stamp s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changed = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

bool LabelIndex::build(const std::string& path, File& file, const std::function<void()>& betweenBlocks)
{
    struct Fd {
        int fd;
        ~Fd()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } in{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0)
        return false;
    ++reads_;
    std::vector<char> block(65536);
    std::string head;        // the first bytes of the current line
    int64_t lineStart = 0;
    int64_t offset = 0;      // offset of block[0]
    bool interesting = true; // the line may still be a label line
    bool leading = true;     // only blanks seen so far in the line
    auto finishLine = [&](int64_t next) {
        if (interesting && !head.empty()) {
            if (auto name = labelOfLine(fromUtf8(head)))
                file.byName[upper(*name)].push_back(Place{lineStart, next});
        }
        head.clear();
        lineStart = next;
        interesting = true;
        leading = true;
    };
    for (;;) {
        ssize_t got = ::read(in.fd, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        size_t i = 0, n = size_t(got);
        while (i < n) {
            const char* nl = static_cast<const char*>(std::memchr(block.data() + i, '\n', n - i));
            size_t end = nl ? size_t(nl - block.data()) + 1 : n;
            // Only lines whose first non-blank byte is ":" (or a byte of a character that
            // may be a wider blank) are decoded and looked at.
            size_t k = i;
            while (interesting && k < end) {
                if (!leading) {
                    size_t take = std::min(end - k, LinePrefix > head.size() ? LinePrefix - head.size() : 0);
                    head.append(block.data() + k, take);
                    break;
                }
                char c = block[k];
                if (asciiBlank(c)) {
                    head += c;
                    ++k;
                    if (head.size() > LinePrefix) {
                        interesting = false; // more blanks than any label line has
                        head.clear();
                    }
                    continue;
                }
                if (c == ':' || (unsigned char)c >= 0x80)
                    leading = false;
                else
                    interesting = false;
            }
            i = end;
            if (nl)
                finishLine(offset + int64_t(end));
        }
        offset += got;
        if (betweenBlocks)
            betweenBlocks();
    }
    finishLine(offset);
    return true;
}

std::optional<int64_t> LabelIndex::find(const std::string& path, int64_t from, uview label,
                                        const std::function<void()>& betweenBlocks)
{
    std::optional<Stamp> stamp = stampOf(path);
    if (!stamp) {
        files_.erase(path);
        return std::nullopt;
    }
    auto it = files_.find(path);
    if (it == files_.end() || !(it->second.stamp == *stamp)) {
        File file;
        file.stamp = *stamp;
        if (!build(path, file, betweenBlocks)) {
            files_.erase(path);
            return std::nullopt;
        }
        // The file may have changed while it was read: take the stamp again, and keep
        // nothing if it moved, so the next jump reads it afresh.
        std::optional<Stamp> after = stampOf(path);
        if (!after || !(*after == *stamp))
            file.stamp = Stamp{};
        if (files_.size() >= MaxFiles && it == files_.end())
            files_.clear();
        it = files_.insert_or_assign(path, std::move(file)).first;
    }
    auto found = it->second.byName.find(upper(label));
    if (found == it->second.byName.end())
        return std::nullopt;
    const std::vector<Place>& places = found->second;
    auto at = std::lower_bound(places.begin(), places.end(), from,
                               [](const Place& p, int64_t f) { return p.start < f; });
    return at != places.end() ? at->next : places.front().next;
}

} // namespace console
