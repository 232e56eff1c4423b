// Interpreter speed, run by hand: parsing with substitution, SET /A, a batch loop,
// pipelines, TYPE of a large file (time and peak memory) and GOTO in a large batch file,
// all through velmocmd.
#include "console/Parser.h"
#include "console/SetArithmetic.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace console;
using Clock = std::chrono::steady_clock;

namespace {

struct Host : ExpandHost {
    Environment env;
    ustring cwd = u"/tmp";
    bool extensions() const override { return true; }
    std::optional<ustring> variable(uview name) const override { return env.get(name); }
    const Environment& environment() const override { return env; }
    const ustring& currentDirectory() const override { return cwd; }
    const BatchParams* batchParams() const override { return nullptr; }
};

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

int runVelmocmd(const QString& dir, const QStringList& args, QByteArray* output = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(VELMO_BINARY_DIR "/bin/velmocmd"), args);
    p.waitForFinished(600000);
    QByteArray out = p.readAll();
    if (output)
        *output = out;
    return p.exitCode();
}

// Runs velmocmd with `args` in `dir`; returns the seconds taken and the child's peak
// resident memory in MiB. The peak includes what the forked copy of this process held
// before it started velmocmd, so it is measured while this process is small and shown
// next to the peak of a velmocmd that does nothing.
std::pair<double, double> timedVelmocmd(const QString& dir, const std::vector<std::string>& args)
{
    std::string program = VELMO_BINARY_DIR "/bin/velmocmd";
    std::string where = dir.toStdString();
    auto t0 = Clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(where.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv{program.data()};
        std::vector<std::string> copy = args;
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    return {seconds(t0), usage.ru_maxrss / 1024.0};
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

} // namespace

int main()
{
    // Measured first, while this process is small: see timedVelmocmd.
    QTemporaryDir files;
    // TYPE of 50 MB of text lines, some of them not UTF-8.
    {
        // Written in pieces: this process stays small, since a forked child starts with
        // its memory counted as its own.
        QFile big(files.path() + "/big.txt");
        big.open(QIODevice::WriteOnly);
        QByteArray piece;
        for (int i = 0; big.size() < (50 << 20); ++i) {
            piece += QByteArray("line ") + QByteArray::number(i) + (i % 7 ? " caf\xC3\xA9\r\n" : " caf\xE9\r\n");
            if (piece.size() > 65536) {
                big.write(piece);
                piece.clear();
            }
        }
        big.close();
        auto [t, mb] = timedVelmocmd(files.path(), {"/C", "type big.txt > nul"});
        std::printf("TYPE 50 MB to nul: %.3f s, peak memory %.1f MiB\n", t, mb);
        std::tie(t, mb) = timedVelmocmd(files.path(), {"/C", "type big.txt > copy.txt"});
        std::printf("TYPE 50 MB to a file: %.3f s, peak memory %.1f MiB\n", t, mb);
        std::tie(t, mb) = timedVelmocmd(files.path(), {"/C", "rem"});
        std::printf("(velmocmd doing nothing: %.3f s, peak memory %.1f MiB)\n", t, mb);
    }

    // GOTO: 2000 jumps each to the next line, and a loop of 2000 backward jumps, with
    // 3 MB of lines after them; the same in a small file for comparison.
    {
        QByteArray filler;
        while (filler.size() < (3 << 20))
            filler += "rem filler line that is not a label, padded to some length .........\r\n";
        QByteArray forward = "@echo off\r\n";
        for (int i = 0; i < 2000; ++i)
            forward += "goto l" + QByteArray::number(i) + "\r\n:l" + QByteArray::number(i) + "\r\n";
        forward += "goto :eof\r\n";
        QByteArray backward = "@echo off\r\nset n=0\r\n:loop\r\nset /a n+=1\r\nif %n% LSS 2000 goto loop\r\n"
                              "goto :eof\r\n";
        for (bool large : {false, true}) {
            writeBytes(files.path() + "/fwd.bat", forward + (large ? filler : QByteArray()));
            writeBytes(files.path() + "/back.bat", backward + (large ? filler : QByteArray()));
            double base = timedVelmocmd(files.path(), {"/C", "rem"}).first;
            double f = timedVelmocmd(files.path(), {"/C", "fwd.bat"}).first - base;
            double b = timedVelmocmd(files.path(), {"/C", "back.bat"}).first - base;
            std::printf("GOTO %s: 2000 jumps to the next line %.3f s (%.1f us each); "
                        "2000 backward loop passes %.3f s (%.1f us each)\n",
                        large ? "with 3 MB after" : "in a small file", f, f / 2000 * 1e6, b, b / 2000 * 1e6);
        }
    }

    Host host;
    host.env.set(u"PATH", u"/usr/local/bin;/usr/bin;/bin");
    host.env.set(u"NAME", u"Hello World");
    ustring text;
    const int lines = 200000;
    for (int i = 0; i < lines; ++i)
        text += u"echo %NAME:World=There% & if /i a==A (set x=%PATH:~0,4%) else echo no || dir > out.txt 2>&1 | sort\n";
    LineSource src = LineSource::fromString(text);
    Parser parser(host);
    auto t0 = Clock::now();
    int parsed = 0;
    while (parser.parse(src).status == Parser::Result::Ok)
        ++parsed;
    double dt = seconds(t0);
    std::printf("parse+expand: %d statements in %.3f s (%.0f statements/s)\n", parsed, dt, parsed / dt);

    Environment env;
    env.set(u"a", u"7");
    t0 = Clock::now();
    const int evals = 500000;
    int32_t sum = 0;
    for (int i = 0; i < evals; ++i)
        sum += evaluateArithmetic(u"x=(a*3+0x10)/2 % 7, y=x<<3 ^ ~a, z+=y", env).value;
    dt = seconds(t0);
    std::printf("SET /A: %d expressions in %.3f s (%.0f/s) [%d]\n", evals, dt, evals / dt, sum);

    QTemporaryDir tmp;
    QFile f(tmp.path() + "/loop.bat");
    f.open(QIODevice::WriteOnly);
    f.write("@echo off\r\nset n=0\r\n:loop\r\nset /a n+=1\r\nif %n% LSS 20000 goto loop\r\necho %n%\r\n");
    f.close();
    t0 = Clock::now();
    QByteArray out;
    runVelmocmd(tmp.path(), {"/C", "loop.bat"}, &out);
    dt = seconds(t0);
    std::printf("batch loop printed %s", out.constData());
    std::printf("batch loop: 60000 statements in %.3f s (%.0f statements/s)\n", dt, 60000 / dt);

    t0 = Clock::now();
    const int pipes = 50;
    for (int i = 0; i < pipes; ++i)
        runVelmocmd(tmp.path(), {"/C", "echo x | cat"});
    dt = seconds(t0);
    std::printf("pipeline start-up: %.1f ms per 'velmocmd /C echo x | cat'\n", dt * 1000 / pipes);

    return 0;
}
