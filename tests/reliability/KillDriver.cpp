// The crash-safety check: runs velmo_save_child for each kind of file, kills it with SIGKILL
// at a random moment while it saves, and checks what is on disk: exactly the old or exactly
// the new content (never empty, cut short or filled with zeros), with the mode it had. For
// the hex view, whose save writes in place through a journal, that holds once the file has
// been opened again; velmo.db is checked by what the child reads out of it after opening it
// as the editor would.
//
//   velmo_kill_driver <child program> <kills> [seed, 0 for a random one] [kind...]
//
// The kills are shared out over the kinds in turn. Exits 0 when every check held; prints one
// line per kind with the kills made and how many landed after at least one complete save
// (TRACE=1 in the environment: also the name of every file a kill left behind).
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path, bool* ok = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    if (ok)
        *ok = bool(in);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Runs the child to completion; true when it exited 0.
bool runOnce(const std::string& child, const std::string& kind, const std::string& path, const char* mode)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(child.c_str(), child.c_str(), kind.c_str(), path.c_str(), mode, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs the child to completion and returns what it printed; false in *ok unless it exited 0.
std::string runCapture(const std::string& child, const std::string& kind, const std::string& path, const char* mode,
                       bool* ok)
{
    int out[2];
    *ok = false;
    if (::pipe(out) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(child.c_str(), child.c_str(), kind.c_str(), path.c_str(), mode, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0)
        text.append(buf, size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return text;
}

// A database is compared by what the child finds in it, not by its bytes (each
// transaction changes counters in the file's header).
bool comparedByContent(const std::string& kind) { return kind == "db"; }

// The content a check compares: the file's bytes, or what the child reads out of it.
std::string contentOf(const std::string& child, const std::string& kind, const std::string& path, bool* ok)
{
    if (comparedByContent(kind))
        return runCapture(child, kind, path, "dump", ok);
    return readAll(path, ok);
}

struct Tally {
    int kills = 0;
    int duringSave = 0;   // kills that came once the child was saving
    int afterSave = 0;    // kills that came after at least one complete save
    int leftovers = 0;    // temporary files a killed save left in the folder
    int failures = 0;
};

// What a kill left behind: the names in the folder besides the file itself.
int sweepLeftovers(const std::string& folder, const std::string& name)
{
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string f = e.path().filename().string();
        if (f == name || f == name + ".lock" || f == "runtime")
            continue;
        if (std::getenv("TRACE"))
            std::fprintf(stderr, "left: %s\n", f.c_str());
        fs::remove(e.path());
        ++n;
    }
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: velmo_kill_driver <child> <kills> [seed] [kind...]\n");
        return 2;
    }
    const std::string child = argv[1];
    const int kills = std::atoi(argv[2]);
    unsigned seed = argc > 3 ? unsigned(std::strtoul(argv[3], nullptr, 10)) : 0;
    if (seed == 0)   // 0 or none: a new one each run (printed, to repeat a run)
        seed = std::random_device{}();
    std::vector<std::string> kinds;
    for (int i = 4; i < argc; ++i)
        kinds.emplace_back(argv[i]);
    if (kinds.empty())
        kinds = {"text0", "text1", "text2", "text3", "text4", "hex", "ini", "registry", "session", "backup", "keymap", "db"};
    std::printf("seed %u, %d kills over %zu kinds\n", seed, kills, kinds.size());
    std::mt19937 rng(seed);

    const char* tmp = std::getenv("TMPDIR");
    std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/velmo-kill-XXXXXX";
    if (!::mkdtemp(root.data())) {
        std::perror("mkdtemp");
        return 2;
    }

    // The children are Qt programs that want a runtime folder of their own.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string runtime = root + "/runtime";
        ::mkdir(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }

    struct Kind {
        std::string folder, path, name, a, b;
        std::string fileA;   // the file's bytes after saving A, to go on from after a failure
    };
    std::map<std::string, Kind> setup;
    const mode_t kMode = 0640;
    for (const std::string& kind : kinds) {
        Kind k;
        k.folder = root + "/" + kind;
        fs::create_directories(k.folder);
        k.name = kind == "ini" ? "velmo.ini" : kind == "registry" ? "registry.txt" : kind == "session" ? "session.xml"
                 : kind == "backup" ? "doc-1.txt" : kind == "keymap" ? "keymap.key" : kind == "db" ? "velmo.db"
                 : "doc-" + kind;
        k.path = k.folder + "/" + k.name;
        if (kind == "hex") {
            std::string bytes(300000, '\0');
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = char((i * 7 + 3) & 0xFF);
            writeAll(k.path, bytes);
        }
        // The reference contents come from the save code itself, saved once without a kill.
        if (!runOnce(child, kind, k.path, "B")) {
            std::fprintf(stderr, "%s: a plain save failed\n", kind.c_str());
            return 1;
        }
        bool okB = false, okA = false;
        k.b = contentOf(child, kind, k.path, &okB);
        if (!runOnce(child, kind, k.path, "A")) {
            std::fprintf(stderr, "%s: a plain save failed\n", kind.c_str());
            return 1;
        }
        k.a = contentOf(child, kind, k.path, &okA);
        k.fileA = readAll(k.path);
        if (!okA || !okB || k.a == k.b || k.a.empty() || k.b.empty()) {
            std::fprintf(stderr, "%s: the two contents must differ and not be empty\n", kind.c_str());
            return 1;
        }
        ::chmod(k.path.c_str(), kMode);
        setup[kind] = k;
    }

    std::map<std::string, Tally> tally;
    // How long one save of each kind takes, in microseconds, as last measured.
    std::map<std::string, int> saveUs;
    for (const std::string& kind : kinds)
        saveUs[kind] = 20000;
    for (int i = 0; i < kills; ++i) {
        const std::string& kind = kinds[size_t(i) % kinds.size()];
        Kind& k = setup[kind];
        Tally& t = tally[kind];

        int out[2];
        if (::pipe(out) != 0)
            return 2;
        pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(child.c_str(), child.c_str(), kind.c_str(), k.path.c_str(), "loop", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        // Every kill lands while the child saves: after it is ready, or (every other kill of
        // each kind, whatever the number of kinds) after its first complete save, somewhere
        // within about one save's time.
        char c = 0;
        const auto ready = std::chrono::steady_clock::now();
        const bool started = ::read(out[0], &c, 1) == 1 && c == 'r';
        bool sawSave = false;
        if (started && (i / int(kinds.size())) % 2 == 1 && ::read(out[0], &c, 1) == 1) {
            sawSave = true;
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - ready);
            saveUs[kind] = (saveUs[kind] + int(us.count())) / 2;
        }
        std::uniform_int_distribution<int> delayUs(0, saveUs[kind] * 6 / 5);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::fcntl(out[0], F_SETFL, O_NONBLOCK);
        char buf[256];
        ssize_t saves = sawSave ? 1 : 0, n;
        while ((n = ::read(out[0], buf, sizeof buf)) > 0)
            saves += n;
        ::close(out[0]);
        if (WIFEXITED(status)) {
            std::fprintf(stderr, "%s: the child ended by itself (%d) before the kill\n", kind.c_str(),
                         WEXITSTATUS(status));
            ++t.failures;
        }

        // The hex view saves in place through a journal: the next open of the file finishes
        // a save that was cut short, so the file is checked as the next open leaves it.
        if (kind == "hex" && !runOnce(child, kind, k.path, "open")) {
            std::fprintf(stderr, "%s: kill %d: the file could not be opened again\n", kind.c_str(), i);
            ++t.failures;
        }

        ++t.kills;
        t.duringSave += started;
        t.afterSave += saves > 0;
        bool ok = false;
        const std::string now = contentOf(child, kind, k.path, &ok);
        struct stat st {};
        const bool statOk = ::stat(k.path.c_str(), &st) == 0;
        if (!ok || !statOk || (now != k.a && now != k.b)) {
            ++t.failures;
            const std::string keep = root + "/" + kind + ".torn-" + std::to_string(i);
            fs::copy_file(k.path, keep, fs::copy_options::overwrite_existing);
            std::fprintf(stderr, "%s: kill %d left %zu bytes that are neither the old nor the new content (kept in %s)\n",
                         kind.c_str(), i, now.size(), keep.c_str());
            writeAll(k.path, k.fileA);   // go on from a good file
        } else if ((st.st_mode & 07777) != kMode) {
            ++t.failures;
            std::fprintf(stderr, "%s: kill %d left mode %o\n", kind.c_str(), i, unsigned(st.st_mode & 07777));
            ::chmod(k.path.c_str(), kMode);
        }
        t.leftovers += sweepLeftovers(k.folder, k.name);
    }

    int failures = 0;
    for (const std::string& kind : kinds) {
        const Tally& t = tally[kind];
        std::printf("%-9s kills %4d  while saving %4d  after a complete save %4d  torn/wrong %d  "
                    "temporary files left %d  (a save takes about %d ms)\n",
                    kind.c_str(), t.kills, t.duringSave, t.afterSave, t.failures, t.leftovers, saveUs[kind] / 1000);
        failures += t.failures;
    }
    if (failures == 0)
        fs::remove_all(root);
    else
        std::printf("files kept in %s\n", root.c_str());
    std::printf("%s\n", failures == 0 ? "all files whole" : "FAILED");
    return failures == 0 ? 0 : 1;
}
