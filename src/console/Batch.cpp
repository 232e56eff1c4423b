// Batch files: contexts, the batch loop, GOTO, CALL, SHIFT, SETLOCAL and ENDLOCAL.
#include "console/CommandTable.h"
#include "console/Interpreter.h"

#include <algorithm>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace console {

// Memory the saved SETLOCAL states may hold together: a quarter of the machine's memory
// or of the address space or data memory allowed to the process, at most 1 GiB.
static size_t computeLocalMemoryLimit()
{
    size_t limit = size_t(1) << 30;
    long pages = ::sysconf(_SC_PHYS_PAGES), page = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && page > 0)
        limit = std::min(limit, size_t(pages) * size_t(page) / 4);
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit rl {};
        if (::getrlimit(resource, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
            limit = std::min(limit, size_t(rl.rlim_cur / 4));
    }
    return std::max(limit, size_t(1) << 20);
}

static size_t localMemoryLimit()
{
    static const size_t limit = computeLocalMemoryLimit();
    return limit;
}

double Interpreter::memoryUsage() const { return double(localBytes_) / double(localMemoryLimit()); }

bool Interpreter::localMemoryLeft(size_t bytes) const { return localBytes_ + bytes <= localMemoryLimit(); }

double Interpreter::stackUsage() const
{
    // A thread whose stack cannot be measured is treated as full at 2000 levels.
    if (!stackBase_ || !stackSize_)
        return recursion_ / 2000.0 * 0.9;
    char here;
    return double(stackBase_ - &here) / double(stackSize_);
}

void Interpreter::fillParams(BatchContext& ctx, uview nameAsTyped, uview argText)
{
    ctx.params = BatchParams{};
    ctx.remaining.clear();
    ctx.params.params[0] = ustring(nameAsTyped);
    ctx.params.present[0] = true;
    size_t a = 0;
    while (a < argText.size() && isBlank(argText[a]))
        ++a;
    ctx.params.argText = ustring(argText.substr(a));
    std::vector<ustring> words;
    size_t i = 0;
    while (i < argText.size()) {
        while (i < argText.size() && isSeparator(argText[i]))
            ++i;
        if (i >= argText.size())
            break;
        ustring w;
        bool quoted = false;
        while (i < argText.size() && (quoted || !isSeparator(argText[i]))) {
            if (argText[i] == '"')
                quoted = !quoted;
            w += argText[i++];
        }
        if (!extensions_ && equalsNoCase(w, u"/Q")) {
            echo_ = false;
            continue;
        }
        words.push_back(w);
    }
    for (size_t k = 0; k < words.size(); ++k) {
        if (k < 9) {
            ctx.params.params[k + 1] = words[k];
            ctx.params.present[k + 1] = true;
        } else {
            ctx.remaining.push_back(words[k]);
        }
    }
}

void Interpreter::endLocal(BatchContext& ctx)
{
    if (ctx.locals.empty())
        return;
    Local& l = ctx.locals.back();
    localBytes_ -= l.bytes;
    cwd_ = std::move(l.cwd);
    env_ = std::move(l.env);
    extensions_ = l.extensions;
    ctx.locals.pop_back();
}

int Interpreter::runBatch(const ustring& path, uview nameAsTyped, uview argText, bool call, uview label)
{
    if (!call && !batches_.empty()) {
        // Without CALL the new file replaces the running one; nothing more of the
        // current line runs.
        BatchContext* ctx = currentBatch();
        ctx->path = toLocal8(path);
        ctx->position = 0;
        fillParams(*ctx, nameAsTyped, argText);
        ctx->params.fullPath = path;
        ctx->pendingLabel.clear();
        gotoFlag_ = true;
        return 0;
    }
    if (batches_.empty()) {
        savedEcho_ = echo_;
        recursion_ = 0;
    }
    if (call) {
        ++recursion_;
        // Deep nesting is stopped when the stack or the memory held by saved SETLOCAL
        // states nears its limit; the higher of the two is reported.
        double usage = std::max(stackUsage(), memoryUsage());
        if (recursion_ > 200 && usage >= 0.9) {
            out(msg::text(msg::RecursionBanner) + u"\r\n");
            out(msg::format(msg::RecursionCount, {number(recursion_), number(int(usage * 100))})
                + u"\r\n");
            out(msg::text(msg::RecursionAborted) + u"\r\n");
            --recursion_;
            checkCtrlC();
            throw AbortBatch{};
        }
    }
    auto ctx = std::make_unique<BatchContext>();
    ctx->called = call;
    if (!label.empty()) {
        const BatchContext* caller = currentBatch();
        ctx->path = caller->path;
        ctx->position = caller->position;
        ctx->pendingLabel = ustring(label);
        fillParams(*ctx, nameAsTyped, argText);
        ctx->params.fullPath = caller->params.fullPath;
    } else {
        ctx->path = toLocal8(path);
        fillParams(*ctx, nameAsTyped, argText);
        ctx->params.fullPath = path;
    }
    if (batches_.empty())
        outermostCmd_ = path.size() >= 4 && equalsNoCase(uview(path).substr(path.size() - 4), u".cmd");
    batches_.push_back(std::move(ctx));
    BatchContext* me = batches_.back().get();

    struct Pop {
        Interpreter* self;
        bool call;
        ~Pop()
        {
            BatchContext* top = self->currentBatch();
            if (top) {
                self->endLocal(*top);
                // The older levels go away unrestored with their context.
                for (const Local& l : top->locals)
                    self->localBytes_ -= l.bytes;
            }
            self->batches_.pop_back();
            if (call)
                --self->recursion_;
            if (self->batches_.empty()) {
                self->echo_ = self->savedEcho_;
                self->recursion_ = 0;
                self->outermostCmd_ = false;
            }
        }
    } pop{this, call};
    batchLoop(me);
    return errorLevel_;
}

void Interpreter::batchLoop(BatchContext* me)
{
    while (!me->done && currentBatch() == me) {
        checkCtrlC();
        gotoFlag_ = false;
        if (!me->pendingLabel.empty()) {
            ustring label = me->pendingLabel;
            me->pendingLabel.clear();
            gotoLabel(*me, label);
            continue;
        }
        LineSource src = LineSource::fromFile(me->path, me->position);
        Parser::Result r = parser_.parse(src);
        if (src.openFailed) {
            message(msg::BatchNotFound);
            break;
        }
        me->position = src.position();
        if (r.status == Parser::Result::Eof)
            break;
        if (r.status == Parser::Result::Error) {
            if (r.lineOnly) {
                err(r.error.text() + u"\r\n");
                continue;
            }
            if (echo_ && !quiet_) {
                showPrompt();
                out(trimBlanks(r.lines) + u"\r\n");
            }
            err(r.error.text() + u"\r\n");
            throw AbortBatch{};
        }
        if (r.status == Parser::Result::Empty)
            continue;
        if (echo_ && !quiet_ && r.node->kind != KindQuiet) {
            showPrompt();
            out(unparse(*r.node) + u"\r\n");
        }
        lastLineEmpty_ = false;
        try {
            dispatch(BatchStatement, r.node.get());
        } catch (const std::bad_alloc&) {
            // The statement is abandoned; the batch file goes on with the next one.
            platformError(msg::NotEnoughMemory);
        }
    }
}

int Interpreter::gotoLabel(BatchContext& ctx, uview arg)
{
    size_t i = 0;
    while (i < arg.size() && isSeparator(arg[i]))
        ++i;
    if (i < arg.size() && (arg[i] == ':' || arg[i] == '+'))
        ++i;
    ustring label;
    while (i < arg.size() && !isBlank(arg[i]) && uview(u"+:=,;").find(arg[i]) == uview::npos)
        label += arg[i++];
    gotoFlag_ = true;
    if (label.empty()) {
        message(msg::NoGotoLabel);
        ctx.done = true;
        return 1;
    }
    if (extensions_ && equalsNoCase(label, u"EOF")) {
        ctx.done = true;
        return 0;
    }
    if (label.size() <= 256) {
        if (auto next = labels_.find(ctx.path, ctx.position, label, [this] { checkCtrlC(); })) {
            ctx.position = *next;
            return 0;
        }
    }
    message(msg::LabelNotFound, {label});
    ctx.done = true;
    return 1;
}

int Interpreter::cmdGoto(ParseNode* n)
{
    BatchContext* ctx = currentBatch();
    if (!ctx)
        return 0;
    return gotoLabel(*ctx, n->text2);
}

int Interpreter::cmdCall(ParseNode* n)
{
    ustring text;
    for (char16_t c : n->text2) {
        text += c;
        if (c == '^')
            text += c;
    }
    size_t a = 0;
    while (a < text.size() && isSeparator(text[a]))
        ++a;
    text.erase(0, a);
    if (trimBlanks(text).empty())
        return 0;
    LineSource src = LineSource::fromString(text + u"\n");
    Parser::Result r = parser_.parse(src, false);
    if (r.status == Parser::Result::Error) {
        err(r.error.text() + u"\r\n");
        return 1;
    }
    if (r.status != Parser::Result::Ok)
        return 0;
    ParseNode* node = r.node.get();
    int result = 0;
    if (extensions_ && node->kind == KindCommand && !node->text1.empty() && node->text1[0] == ':') {
        BatchContext* ctx = currentBatch();
        if (!ctx) {
            message(msg::CallLabelOutside);
            errorLevel_ = 1;
            return 1;
        }
        std::vector<Saved> undo;
        if (!applyRedirections(node->redirections, undo))
            return 1;
        bool savedGoto = gotoFlag_;
        try {
            result = runBatch(u(""), node->text1, node->text2, true, uview(node->text1).substr(1));
        } catch (...) {
            undoRedirections(undo);
            throw;
        }
        undoRedirections(undo);
        gotoFlag_ = savedGoto;
    } else {
        pendingCall_ = node->kind == KindCommand;
        bool savedGoto = gotoFlag_;
        result = dispatch(Normal, node);
        pendingCall_ = false;
        gotoFlag_ = savedGoto;
    }
    errorLevel_ = result;
    return result;
}

int Interpreter::cmdShift(ParseNode* n)
{
    BatchContext* ctx = currentBatch();
    if (!ctx)
        return 0;
    ustring a = trimBlanks(n->text2);
    int start = 0;
    if (!a.empty()) {
        if (extensions_ && a.size() == 2 && a[0] == '/' && a[1] >= '0' && a[1] <= '8') {
            start = a[1] - '0';
        } else {
            message(msg::ShiftInvalid);
            errorLevel_ = 1;
            return 1;
        }
    }
    auto& p = ctx->params;
    for (int i = start; i < 9; ++i) {
        p.params[i] = p.params[i + 1];
        p.present[i] = p.present[i + 1];
    }
    if (!ctx->remaining.empty()) {
        p.params[9] = ctx->remaining.front();
        p.present[9] = true;
        ctx->remaining.erase(ctx->remaining.begin());
    } else {
        p.params[9].clear();
        p.present[9] = false;
    }
    return 0;
}

int Interpreter::cmdSetlocal(ParseNode* n)
{
    BatchContext* ctx = currentBatch();
    if (!ctx)
        return 0;
    if (ctx->locals.size() >= 32) {
        message(msg::SetlocalTooDeep);
        return 1;
    }
    size_t bytes = env_.memoryUsed() + cwd_.capacity() * sizeof(char16_t) + sizeof(Local);
    if (!localMemoryLeft(bytes)) {
        message(msg::OutOfEnvironment);
        return 1;
    }
    ctx->locals.push_back(Local{cwd_, env_, extensions_, bytes});
    localBytes_ += bytes;
    ustring a = trimBlanks(n->text2);
    if (a.empty())
        return 0;
    if (equalsNoCase(a, u"ENABLEEXTENSIONS")) {
        extensions_ = true;
        errorLevel_ = 0;
        return 0;
    }
    if (equalsNoCase(a, u"DISABLEEXTENSIONS")) {
        extensions_ = false;
        errorLevel_ = 0;
        return 0;
    }
    message(msg::SetlocalInvalid);
    errorLevel_ = 1;
    return 1;
}

int Interpreter::cmdEndlocal(ParseNode*)
{
    BatchContext* ctx = currentBatch();
    if (ctx)
        endLocal(*ctx);
    return 0;
}

} // namespace console
