#pragma once
// Helpers shared by the fuzz harnesses: a private scratch folder per process and a check
// that stops the run (the fuzzer keeps the input) when a property does not hold.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace fuzz {

// A folder of our own under $TMPDIR (or /tmp), created on first use, removed at exit.
inline const std::string& scratchFolder()
{
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string t = std::string(base && *base ? base : "/tmp") + "/velmo-fuzz-XXXXXX";
        if (!::mkdtemp(t.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static std::string removeAtExit;
        removeAtExit = t;
        std::atexit([] { (void)!std::system(("rm -rf '" + removeAtExit + "'").c_str()); });
        return t;
    }();
    return folder;
}

// Replaces `name` in the scratch folder with exactly these bytes.
inline std::string writeScratch(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = scratchFolder() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

[[noreturn]] inline void failed(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::fuzz::failed(#cond, __FILE__, __LINE__))
