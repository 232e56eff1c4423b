#pragma once
// The one process launcher: argument vectors by the Windows argument rules, an explicit
// environment and working directory, a process group, and only the handles named. The
// command interpreter, the tagger and the tools start their children through it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace process {

// Splits a command line into arguments the way Windows programs do: blanks separate,
// double quotes group, 2n backslashes before a quote give n and the quote toggles,
// 2n+1 give n and a literal quote, "" inside quotes is a literal quote.
std::vector<std::u16string> splitArguments(std::u16string_view commandLine);

struct SpawnRequest {
    std::string program;             // path of the file to run
    std::vector<std::string> argv;   // argv[0] included
    std::vector<std::string> envp;
    std::string directory;
    std::array<int, 10> fds{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}; // descriptor per handle
    // The child's process group: 0 a new group that it leads, a group id to join that
    // group, -1 to stay in ours.
    int processGroup = 0;
    // A terminal whose foreground the child's group takes before it runs (-1: none), so
    // that Ctrl+C typed from its first moment reaches it.
    int foregroundTerminal = -1;
};

struct SpawnResult {
    int pid = -1;
    int error = 0; // platform error number (Windows numbering) when pid is -1
};

// Starts the child in the process group the request names; every descriptor that is
// not named in `fds` is closed in the child.
SpawnResult spawnProcess(const SpawnRequest& request);

// Windows error number for an errno value.
int windowsError(int err);

// This process's environment, as NAME=value entries in their order.
std::vector<std::string> currentEnvironment();

// An executable file `name` in an absolute folder of PATH; empty when there is none.
// Relative entries (and the empty one) stand for the current folder and are skipped.
std::string findOnPath(const std::string& name);

// Processor time a process has used so far, in clock ticks; -1 when unknown.
long long processorTicks(int pid);

struct ReadBounds {
    int silenceMs = 1000;   // neither output nor processor time for this long: it hangs
    int totalMs = 10000;    // the whole run
};

struct ReadResult {
    bool started = false;
    bool timedOut = false;  // killed for silence or for the overall bound
    bool aborted = false;   // the abort descriptor became readable
    int error = 0;          // Windows error number when it did not start
    int exitCode = -1;      // when it ended by itself
};

// Starts `request` with its standard output on a pipe (fds[1] is replaced) and hands each
// piece of output to `onOutput` on the calling thread until the output ends and the child
// exits. A child that is silent for too long or runs past the overall bound is killed
// with its process group (the request must ask for a new group). `abortFd`, when not -1,
// stops the run early once it becomes readable.
ReadResult runReadingOutput(SpawnRequest request, const ReadBounds& bounds, int abortFd,
                            const std::function<void(std::string_view)>& onOutput);

// Waits for one child of ours; returns its exit code. A child ended by SIGINT gives
// the Ctrl+C exit code 0xC000013A.
int waitForChild(int pid, bool* interrupted = nullptr);

constexpr int32_t ControlCExit = int32_t(0xC000013A);

// The exit code of a wait status; a child ended by SIGINT gives ControlCExit.
int exitCodeOf(int status, bool* interrupted = nullptr);

// The processes of one command or one pipeline, started and waited for together.
//
// How they meet the terminal depends on the interpreter:
// - Foreground: an interactive interpreter that is itself in the terminal's foreground
//   gives the job a process group of its own and the terminal with it while the job
//   runs; Ctrl+C and Ctrl+Z typed then reach the whole job and nothing else.
// - Shared: an interpreter on a terminal that is not its to give (a background job, a
//   /C run, an interpreter nested in another's job) keeps its children in its own
//   process group and never touches the terminal: they are part of whatever job the
//   interpreter belongs to.
// - Detached: an interpreter without a terminal of its own (the editor's window) puts
//   each job in a new process group, so that Ctrl+C can be sent to the job alone.
class Job {
public:
    enum class Mode { Detached, Shared, Foreground };

    // `terminal` is the terminal descriptor of the interpreter's console (-1: none).
    Job(Mode mode, int terminal);
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // The mode for an interpreter: `jobControl` when it is interactive on `terminal`,
    // `shares` when its console is the process's own terminal.
    static Mode modeFor(int terminal, bool jobControl, bool shares);

    Mode mode() const { return mode_; }
    // Fills in the process group and terminal for the next process of the job.
    void prepare(SpawnRequest& request);
    // Records a process that was started.
    void started(int pid);
    // What kill() is given to reach the process `pid` of the job with a signal.
    int signalTarget(int pid) const;
    // Waits for all the processes given, returns the exit code of each. A stopped
    // job is resumed (see the implementation) instead of being waited for forever.
    std::vector<int> wait(const std::vector<int>& pids, std::vector<bool>* interrupted = nullptr);
    // Gives the terminal back to the interpreter's own group when the job had it.
    void release();

private:
    void resumeStopped(int signal);

    Mode mode_;
    int terminal_;
    int group_ = 0;
    bool tookTerminal_ = false;
};

} // namespace process
