// Bytes that are not UTF-8 in batch lines, file names, arguments, the environment and
// TYPE's output reach the system unchanged; TYPE and deep SETLOCAL recursion keep their
// memory bounded, and a statement that runs out of memory is abandoned while the
// interpreter goes on. Everything runs through the built velmocmd in temporary folders.
#include "console/Environment.h"
#include "console/Labels.h"
#include "TestPaths.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string velmocmd = testpaths::binary("/bin/velmocmd").toStdString();

struct Outcome {
    std::string output; // standard output and standard error
    int status = 0;
    bool exitedNormally() const { return WIFEXITED(status); }
};

// Runs velmocmd with exactly these argument and environment bytes; `dataLimit` (bytes,
// 0 for none) caps the child's data memory.
Outcome runVelmocmd(const std::string& dir, const std::vector<std::string>& args,
                std::vector<std::string> env, const std::string& input = {}, rlim_t dataLimit = 0)
{
    env.push_back("PATH=/usr/bin:/bin");
    env.push_back("COMSPEC=" + velmocmd);
    env.push_back("LANG=C.UTF-8");
    env.push_back("HOME=" + dir);
    std::vector<std::string> argv{velmocmd};
    argv.insert(argv.end(), args.begin(), args.end());
    int out[2], in[2];
    if (::pipe(out) != 0 || ::pipe(in) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1]})
            ::close(fd);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        if (dataLimit) {
            rlimit rl{dataLimit, dataLimit};
            ::setrlimit(RLIMIT_DATA, &rl);
        }
        ::alarm(120); // a hanging child ends the test instead of stalling it
        std::vector<char*> a, e;
        for (auto& s : argv)
            a.push_back(s.data());
        a.push_back(nullptr);
        for (auto& s : env)
            e.push_back(s.data());
        e.push_back(nullptr);
        ::execve(velmocmd.c_str(), a.data(), e.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0) {
    }
    ::close(in[1]);
    Outcome r;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        r.output.append(buf, size_t(n));
    }
    ::close(out[0]);
    ::waitpid(pid, &r.status, 0);
    return r;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// A file of `size` bytes that takes no room on the disk.
void sparseFile(const std::string& path, off_t size)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

TEST(ByteText, AnyBytesComeBackUnchangedAndValidUtf8IsText)
{
    using console::fromUtf8;
    using console::toUtf8;
    // Every byte alone, and sequences that are not UTF-8: overlong forms, encoded
    // surrogates, code points past U+10FFFF, cut sequences, stray continuation bytes.
    std::vector<std::string> samples;
    for (int b = 0; b < 256; ++b)
        samples.push_back(std::string(1, char(b)));
    for (const char* s : {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80",
                          "\xF5\x80\x80\x80", "\xE2\x82", "caf\xC3", "\x80\xBF", "a\xF0\x9F\x98"})
        samples.push_back(s);
    for (const auto& s : samples)
        EXPECT_EQ(toUtf8(fromUtf8(s)), s);
    EXPECT_EQ(fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"), u"caf\u00E9 \U0001F600");
    EXPECT_EQ(fromUtf8("caf\xE9"), std::u16string(u"caf") + char16_t(0xDCE9));
    // A lone surrogate that stands for no byte is written as the replacement character.
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(ByteEnvironmentBlock, NamesDifferingInCaseAreKeptUntilSetInAnotherSpelling)
{
    ::setenv("VELMO_T_proxy", "lower", 1);
    ::setenv("VELMO_T_PROXY", "upper", 1);
    console::Environment env = console::Environment::fromProcess();
    ::unsetenv("VELMO_T_proxy");
    ::unsetenv("VELMO_T_PROXY");
    EXPECT_EQ(env.get(u"VELMO_T_proxy"), u"lower");
    EXPECT_EQ(env.get(u"VELMO_T_PROXY"), u"upper");
    env.set(u"VELMO_T_proxy", u"changed");
    EXPECT_EQ(env.get(u"VELMO_T_PROXY"), u"upper");
    auto count = [&] {
        std::vector<std::string> all = env.toEnvp();
        return std::count_if(all.begin(), all.end(), [](const std::string& e) { return e.rfind("VELMO_T_", 0) == 0; });
    };
    EXPECT_EQ(count(), 2);
    env.set(u"velmo_t_Proxy", u"one");
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(env.get(u"VELMO_T_proxy"), u"one");
    env.remove(u"VELMO_T_PROXY");
    EXPECT_EQ(count(), 0);
}

class Folder : public testing::Test {
protected:
    QTemporaryDir tmp;
    std::string dir = tmp.path().toStdString();
    std::string at(const std::string& name) const { return dir + "/" + name; }
    // Names that are not UTF-8 are removed by their bytes.
    void TearDown() override { std::filesystem::remove_all(dir); }
};

using ByteNames = Folder;

TEST_F(ByteNames, BatchLinesNameFilesByTheirExactBytes)
{
    writeFile(at("caf\xE9.txt"), "latin\n");
    writeFile(at("caf\xC3\xA9.txt"), "utf8\n");
    writeFile(at("go.bat"), "@echo off\r\n"
                            "type caf\xE9.txt\r\n"
                            "rm caf\xE9.txt\r\n"
                            "if exist caf\xE9.txt echo latin still there\r\n"
                            "if exist caf\xC3\xA9.txt echo utf8 kept\r\n"
                            "echo made> n\xE9w.txt\r\n"
                            "mkdir d\xE9\r\n"
                            "cd d\xE9\r\n"
                            "echo in> inside.txt\r\n"
                            "cd ..\r\n"
                            "for %%f in (*.txt) do echo [%%f]\r\n"
                            "for /f %%l in (n\xE9w.txt) do echo read %%l\r\n");
    Outcome r = runVelmocmd(dir, {"/C", "go.bat"}, {});
    EXPECT_EQ(r.output, "latin\nutf8 kept\r\n[caf\xC3\xA9.txt]\r\n[n\xE9w.txt]\r\nread made\r\n");
    EXPECT_FALSE(exists(at("caf\xE9.txt")));
    EXPECT_EQ(readFile(at("caf\xC3\xA9.txt")), "utf8\n");
    EXPECT_EQ(readFile(at("n\xE9w.txt")), "made\r\n");
    EXPECT_EQ(readFile(at("d\xE9/inside.txt")), "in\r\n");
    // Started in that folder, the interpreter keeps its name.
    r = runVelmocmd(at("d\xE9"), {"/C", "type inside.txt & cd"}, {});
    EXPECT_EQ(r.output, "in\r\n" + at("d\xE9") + "\r\n");
}

TEST_F(ByteNames, ArgumentsReachProgramsAndPipeSidesUnchanged)
{
    writeFile(at("go.bat"), "@echo off\r\n"
                            "printf \"[%%s]\" caf\xE9 \"\xFF x\" caf\xC3\xA9\r\n"
                            "echo.\r\n"
                            "echo pipe caf\xE9| cat\r\n");
    Outcome r = runVelmocmd(dir, {"/C", "go.bat"}, {});
    EXPECT_EQ(r.output, "[caf\xE9][\xFF x][caf\xC3\xA9]\r\npipe caf\xE9\r\n");
}

TEST_F(ByteNames, TypeWritesTheFileBytesAndConvertsUtf16)
{
    // Invalid UTF-8 across more than one read block.
    std::string bytes;
    uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245 + 12345;
        bytes += char(x >> 24);
    }
    bytes[0] = 'a';
    bytes.replace(1, 6, "\xE9\xFF\xC3(\xED\xA0");
    writeFile(at("r.bin"), bytes);
    // UTF-16 whose surrogate pair straddles the 64 KB read blocks.
    std::string utf16 = "\xFF\xFE";
    for (int i = 0; i < 32766; ++i)
        utf16 += std::string("x\0", 2);
    utf16 += std::string("\x3D\xD8\x00\xDE" "!\0", 6);
    writeFile(at("w.txt"), utf16);

    Outcome r = runVelmocmd(dir, {"/C", "type r.bin > copy.bin & type r.bin"}, {});
    EXPECT_TRUE(readFile(at("copy.bin")) == bytes);
    EXPECT_TRUE(r.output == bytes);
    r = runVelmocmd(dir, {"/C", "type w.txt"}, {});
    EXPECT_EQ(r.output, std::string(32766, 'x') + "\xF0\x9F\x98\x80!");
}

using ByteEnvironment = Folder;

TEST_F(ByteEnvironment, ValuesAndNamesDifferingInCaseReachChildrenUnchanged)
{
    writeFile(at("go.bat"), "@echo off\r\n"
                            "env\r\n"
                            "echo %LATIN%\r\n"
                            "echo %HTTP_PROXY% %http_proxy%\r\n"
                            "set MINE=%LATIN%!\r\n"
                            "printenv MINE\r\n"
                            "set Http_Proxy=one\r\n"
                            "printenv http_proxy HTTP_PROXY Http_Proxy\r\n");
    Outcome r = runVelmocmd(dir, {"/C", "go.bat"},
                        {"LATIN=caf\xE9", "http_proxy=http://lower", "HTTP_PROXY=http://upper"});
    EXPECT_NE(r.output.find("\nLATIN=caf\xE9\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\nhttp_proxy=http://lower\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\nHTTP_PROXY=http://upper\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\ncaf\xE9\r\nhttp://upper http://lower\r\ncaf\xE9!\n"), std::string::npos)
        << r.output;
    // Setting the name in a third spelling makes one variable of the two.
    EXPECT_EQ(r.output.substr(r.output.size() - 4), "one\n");
    EXPECT_EQ(r.output.find("http://lower", r.output.find("caf\xE9!")), std::string::npos);
}

// These run velmocmd under a limit on its address space, under which a program built with
// the address checks (their shadow memory is reserved up front) cannot even start.
struct Memory : Folder {
    void SetUp() override
    {
#ifdef VELMO_SANITIZED
        GTEST_SKIP() << "velmocmd built with the address checks cannot run under a memory limit";
#endif
        Folder::SetUp();
    }
};

constexpr rlim_t DataLimit = 200u << 20;

TEST_F(Memory, TypeStreamsLargeFilesAndEndlessDevices)
{
    sparseFile(at("big.bin"), 300 << 20);
    Outcome r = runVelmocmd(dir, {"/C", "type big.bin > nul & type /dev/zero | head -c 100000 > z.bin & echo done"},
                        {}, {}, DataLimit);
    EXPECT_TRUE(r.exitedNormally()) << r.output;
    EXPECT_EQ(r.output, "done\r\n");
    EXPECT_EQ(readFile(at("z.bin")), std::string(100000, '\0'));
}

TEST_F(Memory, StatementOutOfMemoryIsAbandonedAndTheInterpreterGoesOn)
{
    sparseFile(at("big.bin"), 300 << 20);
    Outcome r = runVelmocmd(dir, {"/Q"}, {}, "for /f %a in (big.bin) do echo %a\necho after\n", DataLimit);
    EXPECT_TRUE(r.exitedNormally()) << r.output;
    EXPECT_NE(r.output.find("Not enough storage is available to process this command."), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("after\r\n"), std::string::npos) << r.output;
}

TEST_F(Memory, SetlocalRecursionIsBoundedByMemory)
{
    writeFile(at("rec.bat"), "@echo off\r\nsetlocal\r\ncall rec.bat\r\n");
    Outcome r = runVelmocmd(dir, {"/Q"}, {"BIG=" + std::string(60000, 'x')}, "call rec.bat\necho after\n",
                        400u << 20);
    EXPECT_TRUE(r.exitedNormally()) << r.output.substr(0, 2000);
    EXPECT_NE(r.output.find("B A T C H   R E C U R S I O N"), std::string::npos) << r.output.substr(0, 2000);
    EXPECT_NE(r.output.find("after\r\n"), std::string::npos);
}

TEST_F(Memory, LevelsLeftOpenByEndedBatchFilesAreFreed)
{
    writeFile(at("outer.bat"), "@echo off\r\nfor /l %%i in (1,1,1000) do call sub.bat\r\necho finished\r\n");
    writeFile(at("sub.bat"), "setlocal\r\nsetlocal\r\n");
    Outcome r = runVelmocmd(dir, {"/C", "outer.bat"}, {"BIG=" + std::string(60000, 'x')}, {}, 400u << 20);
    EXPECT_EQ(r.output, "finished\r\n");
}

using Labels = Folder;

TEST_F(Labels, AFileIsIndexedOnceUntilItChanges)
{
    std::string text = "@echo off\r\n:top\r\n  :Second rest\r\n:wr^&apped\r\n";
    text += std::string(65530 - text.size(), 'r') + "\n";
    size_t afterBoundary = text.size() + std::string("   :far\r\n").size();
    text += "   :far\r\n:top\r\nrem end\r\n";
    size_t secondTop = text.size() - std::string("rem end\r\n").size();
    writeFile(at("l.bat"), text);
    console::LabelIndex index;
    const std::string path = at("l.bat");
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(index.find(path, 0, u"TOP"), 17);
        EXPECT_EQ(index.find(path, 18, u"top"), int64_t(secondTop));
        EXPECT_EQ(index.find(path, int64_t(secondTop), u"top"), 17); // wraps to the start
        EXPECT_EQ(index.find(path, 0, u"second"), 33);
        EXPECT_EQ(index.find(path, 0, u"wr&apped"), 45);
        EXPECT_EQ(index.find(path, 0, u"far"), int64_t(afterBoundary));
        EXPECT_FALSE(index.find(path, 0, u"rest").has_value());
    }
    EXPECT_EQ(index.readCount(), 1);
    writeFile(path, text + ":added\r\n");
    EXPECT_EQ(index.find(path, 0, u"added"), int64_t(text.size() + 8));
    EXPECT_EQ(index.readCount(), 2);
}

TEST_F(Labels, GotoFindsALabelTheBatchFileAddedToItself)
{
    writeFile(at("self.bat"), "@echo off\r\n"
                              "goto first\r\n"
                              "echo skipped\r\n"
                              ":first\r\n"
                              "echo :second>> self.bat\r\n"
                              "echo echo reached second>> self.bat\r\n"
                              "goto second\r\n"
                              "echo not here\r\n");
    Outcome r = runVelmocmd(dir, {"/C", "self.bat"}, {});
    EXPECT_EQ(r.output, "reached second\r\n");
}

} // namespace
