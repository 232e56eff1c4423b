#include "console/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace console {

bool pathExists(uview path)
{
    struct stat st {};
    std::string p = toLocal8(path);
    return ::stat(p.c_str(), &st) == 0 || ::lstat(p.c_str(), &st) == 0;
}

bool isDirectory(uview path)
{
    struct stat st {};
    return ::stat(toLocal8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<ustring> folderEntries(uview folder, Entries kind)
{
    const std::string dirPath = folder.empty() ? std::string(".") : toLocal8(folder);
    std::vector<std::string> names;
    DIR* d = ::opendir(dirPath.c_str());
    if (!d)
        return {};
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        bool hidden = name[0] == '.';
        if (kind == Entries::All) {
            names.push_back(name);
            continue;
        }
        if (hidden && kind != Entries::FoldersWithHidden && kind != Entries::RealFolders)
            continue;
        struct stat st {};
        const std::string full = dirPath + "/" + name;
        bool folderEntry = kind == Entries::RealFolders ? ::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)
                                                        : ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (folderEntry == (kind != Entries::Files))
            names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    std::vector<ustring> r;
    r.reserve(names.size());
    for (const auto& n : names)
        r.push_back(fromUtf8(n));
    return r;
}

bool readWholeFile(uview path, std::string& bytes)
{
    int fd = ::open(toLocal8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        bytes.append(buf, size_t(n));
    }
    ::close(fd);
    return ok;
}

bool writeAll(int fd, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace console
