#pragma once
// One command window pane without its widget: a pseudo-terminal whose slave side is the
// console of the interpreter and of the programs it starts, a pump that reads the master
// side, the screen model fed through the terminal subset, and the line editor for the
// interpreter's reads. The interpreter runs on a thread of its own with its own
// environment and current folder; the owner's thread calls drain() when woken.
#include "console/Interpreter.h"
#include "console/LineEditor.h"
#include "console/ScreenModel.h"
#include "console/TerminalParser.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace console {

class CommandSession {
public:
    struct Options {
        Environment environment;
        ustring currentDirectory;
        ustring comspec;
        ustring arguments;        // after the program name, e.g. /K "…initcmd.bat"
        ProcessorSettings settings;
        // ".open": the named files, made absolute against the interpreter's folder. Called
        // on the interpreter's thread.
        std::function<void(std::vector<ustring> paths)> openFiles;
        ustring aboutText;        // ".about" writes it
        int columns = 80;
        int rows = 25;
    };

    explicit CommandSession(Options options);
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    // Called from other threads when output is waiting; set before start().
    std::function<void()> onWake;

    // Opens the pseudo-terminal and starts the pump and the interpreter. False when no
    // pseudo-terminal could be had (startError() holds the errno).
    bool start();
    int startError() const { return startError_; }

    // Applies the output that has arrived; true when the screen changed.
    bool drain();

    ScreenModel& model() { return model_; }
    const ScreenModel& model() const { return model_; }
    const LineEditor& editor() const { return editor_; }
    // The interpreter has ended and everything it wrote has been drained.
    bool ended() const { return ended_; }
    int exitCode() const;
    bool running() const;
    // A program started by a command runs: typed keys go to it.
    bool programRunning() const;

    // A key typed in the pane: to the line editor while the interpreter reads a line,
    // to the running program otherwise. Interrupt is Ctrl+C.
    void key(const KeyPress& k);
    // Text pasted: typed as keys; lines after the first that ends are queued like tool lines.
    void paste(const ustring& text);
    // A command line as if typed and ended with Enter; queued while a command runs. False
    // when there is no interpreter to run it.
    bool sendLine(ustring line);
    void resize(int columns, int rows);
    // Writes to the console from any thread.
    void write(uview text);

    // Wakes the interpreter, hangs up the running job and joins the threads, within about
    // two seconds. The session shows nothing more afterwards.
    void stop();

private:
    struct Core;
    class PaneConsole;
    void privateCode(int code, std::string_view text);
    void submitLine(const LineEditor::Result& r);
    void toProgram(const KeyPress& k);
    void typeInto(uview text);

    Options options_;
    std::shared_ptr<Core> core_;
    ScreenModel model_;
    TerminalParser parser_;
    LineEditor editor_;
    uint64_t editorSeq_ = 0;
    uint64_t keySeq_ = 0;
    ustring typeAhead_; // pasted text after the lines that were sent
    bool ended_ = false;
    int startError_ = 0;
    std::thread pump_;
};

} // namespace console
