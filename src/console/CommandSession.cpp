#include "console/CommandSession.h"

#include "console/Expand.h"
#include "console/FileNames.h"
#include "platform/Paths.h"
#include "platform/Pty.h"

#include <QString>

#include <atomic>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace console {

namespace {

// Private sequences in the output stream, seen by the owner in order with the output.
constexpr int ReadRequest = 7770; // the interpreter waits for a line or a key
constexpr int Finished = 7771;    // the interpreter has ended
constexpr int FillAttr = 7772;    // spread an attribute over the screen

constexpr size_t MaxPending = 4u << 20; // output read ahead of the owner, at most

std::string privateSequence(int code, const std::string& text)
{
    return "\033]" + std::to_string(code) + ";" + text + "\007";
}

} // namespace

// State shared with the interpreter and pump threads; it lives as long as any of them.
struct CommandSession::Core {
    pty::Pair pair;
    int wake[2] = {-1, -1};
    std::mutex m;
    std::condition_variable cv;      // the interpreter waits for a result or a queued line
    std::condition_variable room;    // the pump waits for the owner to take output
    std::condition_variable done;    // the interpreter thread has returned
    std::string pending;
    std::deque<ustring> queued;
    struct Request {
        uint64_t seq = 0;
        bool key = false;
        ustring initial;
        char16_t wakeChar = 0;
        bool continuing = false;
    } request;
    bool haveResult = false;
    IConsole::LineResult result;
    std::optional<char16_t> keyResult;
    uint64_t nextSeq = 0;
    bool lastWoke = false;
    bool stopping = false;
    bool finished = false;
    bool running = false;
    int exitCode = 0;
    std::function<void()> onWake;
    std::unique_ptr<PaneConsole> console;
    std::unique_ptr<Interpreter> interpreter;

    ~Core()
    {
        pty::close(pair);
        for (int fd : wake)
            if (fd >= 0)
                ::close(fd);
    }
    // Called with `m` held.
    void wakeOwner()
    {
        if (onWake)
            onWake();
    }
    void writeOut(std::string_view bytes)
    {
        {
            std::lock_guard<std::mutex> lock(m);
            if (stopping)
                return;
        }
        writeAll(pair.slave, bytes);
    }
};

class CommandSession::PaneConsole : public IConsole {
public:
    explicit PaneConsole(Core& core) : c_(core) {}

    LineResult readLine(uview initial, char16_t wakeChar) override
    {
        std::unique_lock<std::mutex> lock(c_.m);
        LineResult r;
        if (c_.stopping) {
            r.eof = true;
            return r;
        }
        if (c_.queued.empty()) {
            const uint64_t seq = ++c_.nextSeq;
            c_.request = Core::Request{seq, false, ustring(initial), wakeChar, c_.lastWoke};
            c_.haveResult = false;
            lock.unlock();
            c_.writeOut(privateSequence(ReadRequest, std::to_string(seq)));
            lock.lock();
            c_.cv.wait(lock, [&] { return c_.haveResult || !c_.queued.empty() || c_.stopping; });
            c_.request.seq = 0;
            if (c_.haveResult) {
                c_.haveResult = false;
                r = c_.result;
                c_.lastWoke = r.woke;
                return r;
            }
            if (c_.stopping) {
                r.eof = true;
                return r;
            }
        }
        // A line sent by a tool (or pasted) while a command ran: typed now.
        ustring line = c_.queued.front();
        c_.queued.pop_front();
        c_.lastWoke = false;
        lock.unlock();
        c_.writeOut(toUtf8(line) + "\r\n");
        r.text = ustring(initial) + line;
        return r;
    }

    std::optional<char16_t> readKey() override
    {
        std::unique_lock<std::mutex> lock(c_.m);
        if (c_.stopping)
            return std::nullopt;
        const uint64_t seq = ++c_.nextSeq;
        c_.request = Core::Request{seq, true, ustring(), 0, false};
        c_.haveResult = false;
        lock.unlock();
        c_.writeOut(privateSequence(ReadRequest, std::to_string(seq)));
        lock.lock();
        c_.cv.wait(lock, [&] { return c_.haveResult || c_.stopping; });
        c_.request.seq = 0;
        if (!c_.haveResult)
            return std::nullopt;
        c_.haveResult = false;
        return c_.keyResult;
    }

    void write(uview text) override { c_.writeOut(toUtf8(text)); }
    ustring title() const override
    {
        std::lock_guard<std::mutex> lock(titleMutex_);
        return title_;
    }
    void setTitle(uview title) override
    {
        {
            std::lock_guard<std::mutex> lock(titleMutex_);
            title_ = ustring(title);
        }
        c_.writeOut("\033]0;" + toUtf8(title) + "\007");
    }
    int attribute() const override { return attr_; }
    void setAttribute(int attr) override
    {
        attr_ = attr & 0xFF;
        c_.writeOut(sgrFor(attr_));
    }
    void fillAttribute(int attr) override
    {
        attr_ = attr & 0xFF;
        c_.writeOut(privateSequence(FillAttr, std::to_string(attr_)));
    }
    void clearScreen() override { c_.writeOut("\033[3J\033[2J\033[H"); }
    int nativeHandle(int stdHandle) const override { return stdHandle >= 0 && stdHandle < 3 ? c_.pair.slave : -1; }

private:
    Core& c_;
    mutable std::mutex titleMutex_;
    ustring title_;
    std::atomic<int> attr_{0xF0}; // black on bright white
};

CommandSession::CommandSession(Options options)
    : options_(std::move(options)), model_(options_.columns, options_.rows), parser_(model_), editor_(model_)
{
    parser_.onPrivate = [this](int code, std::string_view text) { privateCode(code, text); };
}

CommandSession::~CommandSession() { stop(); }

bool CommandSession::start()
{
    if (core_)
        return true;
    auto core = std::make_shared<Core>();
    core->pair = pty::open();
    if (!core->pair.ok() || ::pipe2(core->wake, O_CLOEXEC) != 0) {
        startError_ = core->pair.ok() ? errno : core->pair.error;
        return false;
    }
    pty::setSize(core->pair.master, model_.columns(), model_.screenRows());
    core->onWake = onWake;
    core->console = std::make_unique<PaneConsole>(*core);

    Interpreter::Options o;
    o.console = core->console.get();
    o.environment = options_.environment;
    o.currentDirectory = options_.currentDirectory;
    o.comspec = options_.comspec;
    o.settings = options_.settings;
    core->interpreter = std::make_unique<Interpreter>(std::move(o));
    // Names beginning with a period belong to the window and never reach the "not
    // recognized" message.
    Core* c = core.get();
    auto openFiles = options_.openFiles;
    ustring about = options_.aboutText;
    core->interpreter->setCommandHook([c, openFiles, about](uview name, uview arguments) {
        if (name.empty() || name[0] != u'.')
            return false;
        if (equalsNoCase(name, u".open")) {
            size_t i = 0;
            while (i < arguments.size() && isBlank(arguments[i]))
                ++i;
            std::vector<ustring> paths;
            for (const QString& n : paths::splitCommandLine(toQ(arguments.substr(i)), false))
                if (!n.isEmpty())
                    paths.push_back(nativePath(fullPath(fromQ(n), c->interpreter->currentDirectory())));
            if (openFiles && !paths.empty())
                openFiles(std::move(paths));
        } else if (equalsNoCase(name, u".about")) {
            c->writeOut(toUtf8(about));
        }
        return true;
    });
    core_ = core;

    // The pump: output of the interpreter and of its children, handed to the owner.
    pump_ = std::thread([c] {
        std::vector<char> buf(65536);
        for (;;) {
            pollfd p[2] = {{c->pair.master, POLLIN, 0}, {c->wake[0], POLLIN, 0}};
            if (::poll(p, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (p[1].revents)
                break;
            ssize_t n = ::read(c->pair.master, buf.data(), buf.size());
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0)
                break;
            std::unique_lock<std::mutex> lock(c->m);
            if (c->stopping)
                continue;
            const bool first = c->pending.empty();
            c->pending.append(buf.data(), size_t(n));
            if (first)
                c->wakeOwner();
            c->room.wait(lock, [c] { return c->pending.size() < MaxPending || c->stopping; });
        }
    });

    // The interpreter, on a thread with room for deep CALL nesting.
    struct Start {
        std::shared_ptr<Core> core;
        ustring arguments;
    };
    auto* s = new Start{core, options_.arguments};
    core->running = true;
    auto body = [](void* p) -> void* {
        std::unique_ptr<Start> st(static_cast<Start*>(p));
        Core& k = *st->core;
        // A write to a pipe whose reader is gone fails with EPIPE on this thread instead of
        // ending the editor.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        int code = 255;
        try {
            code = k.interpreter->run(st->arguments);
        } catch (...) {
            // A fatal interpreter error ends the window's interpreter, not the editor.
            code = 255;
        }
        k.writeOut(privateSequence(Finished, std::to_string(code)));
        std::lock_guard<std::mutex> lock(k.m);
        k.exitCode = code;
        k.finished = true;
        k.running = false;
        k.done.notify_all();
        return nullptr;
    };
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 64u * 1024u * 1024u);
    pthread_t thread;
    const int rc = pthread_create(&thread, &attr, body, s);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete s;
        core->running = false;
        startError_ = rc;
        stop();
        return false;
    }
    pthread_detach(thread); // joined through `done`; the thread keeps the core alive
    return true;
}

int CommandSession::exitCode() const
{
    if (!core_)
        return 0;
    std::lock_guard<std::mutex> lock(core_->m);
    return core_->exitCode;
}

bool CommandSession::running() const
{
    if (!core_)
        return false;
    std::lock_guard<std::mutex> lock(core_->m);
    return core_->running && !core_->stopping;
}

bool CommandSession::programRunning() const
{
    return core_ && core_->interpreter->runsProgram();
}

bool CommandSession::drain()
{
    if (!core_)
        return false;
    std::string bytes;
    {
        std::lock_guard<std::mutex> lock(core_->m);
        bytes.swap(core_->pending);
        core_->room.notify_all();
    }
    if (bytes.empty())
        return false;
    parser_.feed(bytes);
    return true;
}

void CommandSession::privateCode(int code, std::string_view text)
{
    if (code == FillAttr) {
        model_.fillAttribute(uint8_t(std::atoi(std::string(text).c_str())));
    } else if (code == Finished) {
        ended_ = true;
        editor_.cancel();
    } else if (code == ReadRequest && core_) {
        const uint64_t seq = std::strtoull(std::string(text).c_str(), nullptr, 10);
        Core::Request req;
        {
            std::lock_guard<std::mutex> lock(core_->m);
            // A read that took a queued line instead is no longer waiting.
            if (core_->request.seq != seq || !core_->queued.empty())
                return;
            req = core_->request;
        }
        if (req.key) {
            keySeq_ = seq;
            return;
        }
        editorSeq_ = seq;
        editor_.begin(req.initial, req.wakeChar, req.continuing);
        if (!typeAhead_.empty())
            typeInto(std::exchange(typeAhead_, ustring()));
    }
}

void CommandSession::submitLine(const LineEditor::Result& r)
{
    std::lock_guard<std::mutex> lock(core_->m);
    if (core_->request.seq != editorSeq_ || core_->request.key)
        return;
    core_->result = IConsole::LineResult{r.text, false, r.woke, r.shift};
    core_->haveResult = true;
    core_->cv.notify_all();
}

void CommandSession::key(const KeyPress& k)
{
    if (!core_ || ended_)
        return;
    if (editor_.active()) {
        LineEditor::Result r = editor_.key(k);
        if (r.done)
            submitLine(r);
        return;
    }
    if (keySeq_ != 0) {
        std::optional<char16_t> ch;
        if (k.code == KeyPress::Enter)
            ch = u'\r';
        else if (k.code == KeyPress::Interrupt)
            ch = u'\x03';
        else if (k.code == KeyPress::Char && k.ch < 0x10000)
            ch = char16_t(k.ch);
        if (!ch)
            return;
        if (k.code == KeyPress::Interrupt)
            core_->interpreter->requestCtrlC();
        std::lock_guard<std::mutex> lock(core_->m);
        if (core_->request.seq == keySeq_ && core_->request.key) {
            core_->keyResult = ch;
            core_->haveResult = true;
            core_->cv.notify_all();
        }
        keySeq_ = 0;
        return;
    }
    if (k.code == KeyPress::Interrupt) {
        // Ctrl+C reaches the interpreter and, through it, the running job's group.
        typeAhead_.clear();
        core_->interpreter->requestCtrlC();
        return;
    }
    if (!core_->interpreter->runsProgram()) {
        // Typed while a built-in runs or before the prompt: kept for the next read.
        if (k.code == KeyPress::Enter)
            typeAhead_ += u'\r';
        else if (k.code == KeyPress::Backspace && !typeAhead_.empty())
            typeAhead_.pop_back();
        else if (k.code == KeyPress::Char && k.ch >= 0x20 && k.ch < 0x10000)
            typeAhead_ += char16_t(k.ch);
        return;
    }
    toProgram(k);
}

void CommandSession::toProgram(const KeyPress& k)
{
    std::string bytes;
    switch (k.code) {
    case KeyPress::Char: bytes = toUtf8(k.ch < 0x10000 ? ustring(1, char16_t(k.ch)) : ustring{char16_t(0xD800 + ((k.ch - 0x10000) >> 10)), char16_t(0xDC00 + ((k.ch - 0x10000) & 0x3FF))}); break;
    case KeyPress::Enter: bytes = "\r"; break;
    case KeyPress::Backspace: bytes = "\x7f"; break;
    case KeyPress::Delete: bytes = "\033[3~"; break;
    case KeyPress::Left: bytes = "\033[D"; break;
    case KeyPress::Right: bytes = "\033[C"; break;
    case KeyPress::Up: bytes = "\033[A"; break;
    case KeyPress::Down: bytes = "\033[B"; break;
    case KeyPress::Home: bytes = "\033[H"; break;
    case KeyPress::End: bytes = "\033[F"; break;
    case KeyPress::Escape: bytes = "\033"; break;
    case KeyPress::Interrupt: return;
    }
    writeAll(core_->pair.master, bytes);
}

void CommandSession::typeInto(uview text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (!editor_.active()) {
            typeAhead_ = ustring(text.substr(i));
            return;
        }
        KeyPress k;
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            k.code = KeyPress::Enter;
        } else {
            k.ch = text[i];
        }
        key(k);
    }
}

void CommandSession::paste(const ustring& text)
{
    if (!core_ || ended_)
        return;
    if (!editor_.active() && keySeq_ == 0) {
        writeAll(core_->pair.master, toUtf8(text)); // a program reads it
        return;
    }
    // The first line goes into the line being edited; the other whole lines wait as
    // tool lines do; a last unfinished line is typed when the next read starts.
    ustring rest = text;
    size_t nl = rest.find_first_of(u"\r\n");
    if (nl == ustring::npos) {
        typeInto(rest);
        return;
    }
    ustring first = rest.substr(0, nl);
    size_t next = nl + 1;
    if (rest[nl] == u'\r' && next < rest.size() && rest[next] == u'\n')
        ++next;
    rest.erase(0, next);
    {
        std::lock_guard<std::mutex> lock(core_->m);
        for (;;) {
            size_t e = rest.find_first_of(u"\r\n");
            if (e == ustring::npos)
                break;
            core_->queued.push_back(rest.substr(0, e));
            size_t skip = e + 1;
            if (rest[e] == u'\r' && skip < rest.size() && rest[skip] == u'\n')
                ++skip;
            rest.erase(0, skip);
        }
    }
    typeAhead_ = rest;
    typeInto(first + u"\r");
}

bool CommandSession::sendLine(ustring line)
{
    if (!core_ || ended_ || !running())
        return false;
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n'))
        line.pop_back();
    if (editor_.active()) {
        // Typed at the prompt, after whatever the user has typed there.
        typeInto(line + u"\r");
        return true;
    }
    std::lock_guard<std::mutex> lock(core_->m);
    core_->queued.push_back(std::move(line));
    core_->cv.notify_all();
    return true;
}

void CommandSession::resize(int columns, int rows)
{
    model_.resize(columns, rows);
    if (core_)
        pty::setSize(core_->pair.master, columns, rows);
}

void CommandSession::write(uview text)
{
    if (core_)
        core_->writeOut(toUtf8(text));
}

void CommandSession::stop()
{
    if (!core_)
        return;
    std::shared_ptr<Core> c = std::move(core_);
    editor_.cancel();
    {
        std::lock_guard<std::mutex> lock(c->m);
        c->stopping = true;
        c->onWake = nullptr;
        c->cv.notify_all();
        c->room.notify_all();
    }
    // The interpreter may be waiting for a program: hang the job up, then kill it.
    using clock = std::chrono::steady_clock;
    const auto startedAt = clock::now();
    {
        std::unique_lock<std::mutex> lock(c->m);
        while (c->running && clock::now() - startedAt < std::chrono::milliseconds(1900)) {
            const bool force = clock::now() - startedAt > std::chrono::milliseconds(700);
            lock.unlock();
            c->interpreter->hangUp(force);
            lock.lock();
            c->done.wait_for(lock, std::chrono::milliseconds(50), [&] { return !c->running; });
        }
    }
    if (c->wake[1] >= 0) {
        const char b = 1;
        ssize_t ignored = ::write(c->wake[1], &b, 1);
        (void)ignored;
    }
    if (pump_.joinable())
        pump_.join();
    ended_ = true;
}

} // namespace console
