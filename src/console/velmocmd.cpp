// velmocmd: the command interpreter on a terminal. It is also the program that runs
// built-in commands for the sides of a pipe.
#include "console/Interpreter.h"
#include "console/TerminalConsole.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <filesystem>
#include <pthread.h>
#include <thread>
#include <unistd.h>

using namespace console;

namespace {

struct RunArgs {
    Interpreter* interpreter;
    ustring arguments;
    int result = 0;
};

void* interpreterThread(void* p)
{
    auto* a = static_cast<RunArgs*>(p);
    a->result = a->interpreter->run(a->arguments);
    return nullptr;
}

// The text after the program name: arguments joined by blanks; an argument holding a
// blank and no double quote is put in double quotes.
ustring commandLineText(int argc, char** argv)
{
    ustring text;
    for (int i = 1; i < argc; ++i) {
        ustring a = fromUtf8(argv[i]);
        bool blank = std::any_of(a.begin(), a.end(), isBlank);
        if (blank && a.find('"') == ustring::npos)
            a = u"\"" + a + u"\"";
        if (!text.empty())
            text += u' ';
        text += a;
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTOU, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
    // Ctrl+C is taken by a thread of its own and handed to the interpreter.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    TerminalConsole terminal;
    Interpreter::Options o;
    o.console = &terminal;
    o.environment = Environment::fromProcess();
    o.currentDirectory = fromUtf8(std::filesystem::current_path().native());
    o.comspec = fromQ(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    // The terminal console writes to standard output, so standard error counts as the
    // console only while standard output is the terminal too.
    for (int h = 0; h < 3; ++h) {
        bool console = ::isatty(h) && (h != 2 || ::isatty(1));
        o.stdFds[h] = console ? -1 : h;
    }
    o.settings = readProcessorSettings();
    Interpreter interpreter(std::move(o));

    std::thread sigThread([&interpreter, set] {
        for (;;) {
            int sig = 0;
            if (sigwait(&set, &sig) == 0 && sig == SIGINT)
                interpreter.requestCtrlC();
        }
    });
    sigThread.detach();

    // Deep CALL nesting needs room: the interpreter runs on a thread with a large stack
    // and checks its depth against it.
    RunArgs args{&interpreter, commandLineText(argc, argv)};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 64u * 1024u * 1024u);
    pthread_t thread;
    if (pthread_create(&thread, &attr, interpreterThread, &args) != 0)
        interpreterThread(&args);
    else
        pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    std::fflush(stdout);
    if (args.result == ControlCExit) {
        // Ended by Ctrl+C: end the way a program ended by Ctrl+C does, so that the
        // interpreter or shell that started us sees the interruption.
        std::signal(SIGINT, SIG_DFL);
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        ::raise(SIGINT);
    }
    ::_exit(args.result & 0xFF);
}
