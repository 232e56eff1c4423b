#include "shell/ShellFiles.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {

namespace fs = std::filesystem;

namespace {

std::string folderFromEnv(const char* name, const char* fallbackUnderHome)
{
    const char* v = std::getenv(name);
    if (v && v[0] == '/')
        return v;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/" + fallbackUnderHome;
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

Folders Folders::fromEnvironment()
{
    return {folderFromEnv("XDG_DATA_HOME", ".local/share"), folderFromEnv("XDG_CONFIG_HOME", ".config")};
}

std::string desktopExecArgument(const std::string& arg)
{
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    quoted += '"';
    // The escapes of a string value come on top of the quoting.
    std::string out;
    for (char c : quoted) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::string shellArgument(const std::string& arg)
{
    std::string out = "'";
    for (char c : arg) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::vector<EntryFile> contextMenuFiles(const Folders& folders, const std::string& program)
{
    const std::string exec = desktopExecArgument(program) + " %F";
    const std::string marker = ContextMenuMarker;
    std::vector<EntryFile> files;
    files.push_back({folders.dataHome + "/file-manager/actions/velmo.desktop",
                     "[Desktop Entry]\n"
                     "Type=Action\n"
                     "Name=Open with Velmo\n"
                     "Icon=velmo\n"
                     "Profiles=velmo_files;\n" +
                         marker + "\n"
                                  "\n"
                                  "[X-Action-Profile velmo_files]\n"
                                  "Name=Open with Velmo\n"
                                  "Exec=" + exec + "\n"
                                  "MimeTypes=all/allfiles;\n",
                     0644});
    // Dolphin runs service menus of the user's folder only when they are executable.
    files.push_back({folders.dataHome + "/kio/servicemenus/velmo.desktop",
                     "[Desktop Entry]\n"
                     "Type=Service\n"
                     "MimeType=all/allfiles;\n"
                     "Actions=openWithVelmo;\n"
                     "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n" +
                         marker + "\n"
                                  "\n"
                                  "[Desktop Action openWithVelmo]\n"
                                  "Name=Open with Velmo\n"
                                  "Icon=velmo\n"
                                  "Exec=" + exec + "\n",
                     0755});
    files.push_back({folders.dataHome + "/nautilus/scripts/Open with Velmo",
                     "#!/bin/sh\n"
                     "# " + marker + "\n"
                     "exec " + shellArgument(program) + " \"$@\"\n",
                     0755});
    return files;
}

bool hasMarkerLine(const std::string& path, const std::string& marker)
{
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)))
        return false;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == marker || line == "# " + marker)
            return true;
    }
    return false;
}

bool writeFileAtomically(const std::string& path, const std::string& content, unsigned mode)
{
    std::error_code ec;
    const fs::path target(path);
    fs::create_directories(target.parent_path(), ec);
    if (ec)
        return false;
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0;
    size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += size_t(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

int registerContextMenu(const Folders& folders, const std::string& program)
{
    int result = 0;
    for (const EntryFile& f : contextMenuFiles(folders, program)) {
        std::error_code ec;
        const bool exists = fs::exists(fs::symlink_status(f.path, ec));
        if (exists && !hasMarkerLine(f.path, ContextMenuMarker)) {
            result = -2; // someone else's file: left as it is
            continue;
        }
        if (exists && readWhole(f.path) == f.content)
            continue;
        if (!writeFileAtomically(f.path, f.content, f.mode))
            result = -1;
    }
    return result;
}

int unregisterContextMenu(const Folders& folders)
{
    int result = 0;
    for (const EntryFile& f : contextMenuFiles(folders, std::string())) {
        if (!hasMarkerLine(f.path, ContextMenuMarker))
            continue;
        if (::unlink(f.path.c_str()) != 0 && errno != ENOENT)
            result = -1;
    }
    return result;
}

bool contextMenuRegistered(const Folders& folders)
{
    for (const EntryFile& f : contextMenuFiles(folders, std::string()))
        if (hasMarkerLine(f.path, ContextMenuMarker))
            return true;
    return false;
}

} // namespace shell
