#pragma once
// The command interpreter: start-up, the interactive loop, running parse trees, batch
// files, redirection, pipes and the built-in commands. It keeps its own environment,
// current directory and handle table, and never changes the process's own: several
// interpreters can live in one process.
#include "console/Console.h"
#include "console/Labels.h"
#include "console/Parser.h"
#include "console/Process.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace console {

// The command processor's settings, read from the per-user registry store.
struct ProcessorSettings {
    bool disableUncCheck = false;
    bool enableExtensions = true;
    int defaultColor = -1;     // -1: none
    int completionChar = 32;   // 32 or more: completion off
};
ProcessorSettings readProcessorSettings();

struct DelOptions;

class Interpreter : public ExpandHost {
public:
    struct Options {
        IConsole* console = nullptr;
        Environment environment;
        ustring currentDirectory;
        // The program that runs built-ins for pipes ("COMSPEC" when it is undefined).
        ustring comspec;
        // Descriptors of standard handles 0-2 that are not the console (-1: the console).
        std::array<int, 3> stdFds{-1, -1, -1};
        ProcessorSettings settings;
    };

    explicit Interpreter(Options options);
    ~Interpreter() override;

    // Start-up with the text after the program name, then the optional /C or /K command
    // and the interactive loop. Returns the exit code; it never ends the process.
    int run(uview arguments);

    // The hook sees every external command after the command search; returning true
    // means the command is done.
    using CommandHook = std::function<bool(uview name, uview arguments)>;
    void setCommandHook(CommandHook hook) { hook_ = std::move(hook); }

    // Ctrl+C from another thread or a signal handler's helper.
    void requestCtrlC();
    // The console is going away: the running job is hung up (killed with `force`) and
    // the interpreter stops at its next check.
    void hangUp(bool force);
    // Whether a program of a command is being waited for (any thread).
    bool runsProgram();

    // ExpandHost.
    bool extensions() const override { return extensions_; }
    std::optional<ustring> variable(uview name) const override;
    const Environment& environment() const override { return env_; }
    const ustring& currentDirectory() const override { return cwd_; }
    const BatchParams* batchParams() const override;

    int errorLevel() const { return errorLevel_; }
    // The completed line for the text typed so far (the console's wake-up key).
    ustring complete(uview typed, bool shift) { return completeLine(typed, shift); }
    bool echo() const { return echo_; }

    enum DispatchMode { Normal = 0, PipeSide = 1, BatchStatement = 2 };
    int dispatch(int mode, ParseNode* node);

private:
    struct Handle {
        int fd = -1;
        bool console = false;
        bool open() const { return console || fd >= 0; }
    };
    struct Local {
        ustring cwd;
        Environment env;
        bool extensions;
        size_t bytes; // memory the saved state holds
    };
    struct BatchContext {
        std::string path;        // native full path
        int64_t position = 0;
        BatchParams params;
        std::vector<ustring> remaining;
        std::vector<Local> locals;
        ustring pendingLabel;    // CALL :label, jumped to on the first pass
        bool done = false;
        bool called = false;
    };
    struct AbortBatch {};
    struct ExitRequest {
        int code;
    };
    enum class Found { Program, Batch, Directory, NotFound };
    struct SearchResult {
        Found kind = Found::NotFound;
        ustring path;
    };
    struct PipeChild {
        int pid;
        int signalTarget; // what kill() is given to reach it
    };

    // Start-up and loop.
    void startUp(uview arguments, bool& haveCommand, bool& stay, ustring& command);
    // Returns the exit code: 0 at the end of the input, the Ctrl+C code when redirected
    // input was interrupted.
    int interactiveLoop();
    void showPrompt();
    ustring promptText();
    void checkCtrlC();
    ustring completeLine(uview typed, bool shift);
    bool takeCtrlC();
    bool ctrlCPending();

    // Output.
    // Returns false when the text could not be written.
    bool write(int handle, uview text);
    bool out(uview text) { return write(1, text); }
    // Bytes as they are (the console and /U output get them as text).
    bool writeBytes(int handle, std::string_view bytes);
    void err(uview text) { write(2, text); }
    void message(int id, std::initializer_list<ustring> inserts = {});
    void platformError(int winError, uview name = {});
    std::optional<ustring> readInputLine();

    // Running.
    int runCommand(ParseNode* node, int mode);
    int runExternal(ParseNode* node, int mode);
    int runBuiltin(int row, ParseNode* node);
    bool hasHandler(int row) const;
    SearchResult search(uview name);
    int startProgram(const ustring& path, const std::vector<ustring>& args, int mode,
                     const std::vector<std::string>* explicitArgv = nullptr);
    int runThroughComspec(ParseNode* node);
    int openWithAssociation(const ustring& path, int mode);
    ustring desktopOpener();
    // Jobs: how children meet the terminal, and a child ended by Ctrl+C.
    Job::Mode jobMode() const;
    int terminal() const { return console_ ? console_->terminalDescriptor() : -1; }
    void noteInterrupted();
    // One program run as the foreground job: started at construction, with the terminal
    // when it is ours to give, and Ctrl+C sent to it until it has been waited for.
    class Foreground {
    public:
        Foreground(Interpreter& self, SpawnRequest& request);
        ~Foreground();
        const SpawnResult& result() const { return result_; }
        // Waits; returns the exit code. A program ended by Ctrl+C is noted.
        int wait();

    private:
        Interpreter& self_;
        Job job_;
        SpawnResult result_;
        bool waited_ = false;
    };
    void setExitCode(int code);
    int evalCondition(ParseNode* cond);
    int runIf(ParseNode* node);
    int runPipe(ParseNode* node);
    int runHelp(int row);
    int runFor(ParseNode* node);
    int runForWords(ParseNode* node, const std::vector<ustring>& words, uview prefix);
    int runForRecursive(ParseNode* node, const std::vector<ustring>& words, const ustring& folder);
    int runForFile(ParseNode* node);
    bool readCommandOutput(uview command, std::string& output);
    int runForBody(ParseNode* node, const std::vector<std::pair<char16_t, ustring>>& values);
    void substituteFor(ParseNode& node, const std::vector<std::pair<char16_t, ustring>>& values);

    // Redirection: returns false after showing the failure (everything undone).
    struct Saved {
        int handle;
        Handle previous;
    };
    bool applyRedirections(const std::vector<Redirection>& list, std::vector<Saved>& undo);
    void undoRedirections(std::vector<Saved>& undo);
    int openTarget(const Redirection& r, int& winError);

    // Batch files.
    int runBatch(const ustring& path, uview nameAsTyped, uview argText, bool call,
                 uview label = {});
    void batchLoop(BatchContext* ctx);
    BatchContext* currentBatch() { return batches_.empty() ? nullptr : batches_.back().get(); }
    const BatchContext* currentBatch() const { return batches_.empty() ? nullptr : batches_.back().get(); }
    void fillParams(BatchContext& ctx, uview nameAsTyped, uview argText);
    void endLocal(BatchContext& ctx);
    double stackUsage() const;
    double memoryUsage() const; // of the limit for saved SETLOCAL states
    bool localMemoryLeft(size_t bytes) const;
    bool outermostIsCmd() const { return outermostCmd_; }
    void setCommandResult(int result); // the .CMD / .BAT ERRORLEVEL rule

    // Built-ins.
    int cmdEcho(ParseNode* n);
    int cmdSet(ParseNode* n);
    int cmdSetArithmetic(uview expr);
    int cmdSetPrompt(uview text);
    int cmdExit(ParseNode* n);
    int cmdGoto(ParseNode* n);
    int cmdCall(ParseNode* n);
    int cmdShift(ParseNode* n);
    int cmdSetlocal(ParseNode* n);
    int cmdEndlocal(ParseNode* n);
    int cmdCd(ParseNode* n);
    int cmdPrompt(ParseNode* n);
    int cmdPath(ParseNode* n);
    int cmdTitle(ParseNode* n);
    int cmdVer(ParseNode* n);
    int cmdCls(ParseNode* n);
    int cmdPause(ParseNode* n);
    int cmdType(ParseNode* n);
    int cmdVerify(ParseNode* n);
    int cmdKeys(ParseNode* n);
    // File commands (BuiltinsFiles.cpp).
    int cmdCopy(ParseNode* n);
    int cmdDel(ParseNode* n);
    int cmdMd(ParseNode* n);
    int cmdRd(ParseNode* n);
    int cmdRen(ParseNode* n);
    int cmdMove(ParseNode* n);
    int deleteMatching(const ustring& folder, uview pattern, const DelOptions& o, bool& found);
    // DIR and VOL (BuiltinsDir.cpp).
    int cmdDir(ParseNode* n);
    int cmdVol(ParseNode* n);
    void printVolume(const ustring& path);
    // The others (BuiltinsSystem.cpp).
    int cmdPushd(ParseNode* n);
    int cmdPopd(ParseNode* n);
    int cmdDpath(ParseNode* n);
    int cmdDateTime(ParseNode* n, bool time);
    int cmdColor(ParseNode* n);
    int cmdBreak(ParseNode* n);
    int cmdAssoc(ParseNode* n, bool ftype);
    int cmdStart(ParseNode* n);
    // Shows the question and reads the answer: its first character in upper case, 0
    // when the input has ended.
    char16_t ask(uview question);
    // COPY and MOVE ask before replacing a file unless /Y (or COPYCMD) says not to;
    // inside a batch file they do not ask.
    bool asksBeforeOverwrite(const std::vector<ustring>& switches) const;
    int gotoLabel(BatchContext& ctx, uview label);

    ustring resolvePath(uview p) const { return fullPath(p, cwd_); }

    Options options_;
    IConsole* console_;
    Environment env_;
    ustring cwd_;
    ustring cmdLine_;
    std::array<Handle, 10> handles_;
    int errorLevel_ = 0;
    bool extensions_ = true;
    bool echo_ = true;
    bool savedEcho_ = true;
    bool quiet_ = false;
    bool unicodeOutput_ = false;
    bool gotoFlag_ = false;
    bool lastLineEmpty_ = true;
    bool verify_ = false;
    bool keys_ = false;
    bool outermostCmd_ = false;
    bool pendingCall_ = false;
    // File-name completion: the candidates of the current round and the line shown last.
    std::vector<ustring> completions_;
    int completionIndex_ = -1;
    ustring lastCompletion_;
    int recursion_ = 0;
    size_t localBytes_ = 0; // held by the saved SETLOCAL states of all batch contexts
    int pipeDepth_ = 0;
    std::vector<PipeChild> pipeChildren_;
    std::unique_ptr<Job> pipeJob_;
    // Interactive on the console: jobs get the terminal when it is ours to give.
    bool jobControl_ = false;
    bool readsConsole_ = true;
    std::vector<std::unique_ptr<BatchContext>> batches_;
    ustring savedTitle_;
    std::vector<ustring> pushdStack_;
    int startColour_ = 0x07;
    ustring cachedPrompt_;
    bool promptValid_ = false;
    CommandHook hook_;
    std::mutex ctrlMutex_;
    bool ctrlC_ = false;
    int foregroundTarget_ = 0; // kill() target of the program waited for, 0: none
    Parser parser_;
    LabelIndex labels_;
    char* stackBase_ = nullptr;
    size_t stackSize_ = 0;
};

} // namespace console
