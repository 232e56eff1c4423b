// Interpreter speed, run by hand: parsing with substitution, SET /A, a batch loop and
// pipelines through velmocmd.
#include "console/Parser.h"
#include "console/SetArithmetic.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

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

} // namespace

int main()
{
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
