// Batch files: contexts, the batch loop, GOTO, CALL, SHIFT, SETLOCAL and ENDLOCAL.
#include "console/CommandTable.h"
#include "console/Interpreter.h"

#include <fcntl.h>
#include <unistd.h>

namespace console {

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
        if (recursion_ > 200 && stackUsage() >= 0.9) {
            out(msg::text(msg::RecursionBanner) + u"\r\n");
            out(msg::format(msg::RecursionCount, {number(recursion_), number(int(stackUsage() * 100))})
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
            if (top)
                self->endLocal(*top);
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
        dispatch(BatchStatement, r.node.get());
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
        std::string bytes;
        int fd = ::open(ctx.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char buf[65536];
            ssize_t n;
            while ((n = ::read(fd, buf, sizeof buf)) > 0) {
                bytes.append(buf, size_t(n));
                checkCtrlC();
            }
            ::close(fd);
        }
        // Line starts from the current position to the end, then from the start.
        std::vector<size_t> starts;
        size_t from = std::min<size_t>(size_t(ctx.position), bytes.size());
        std::vector<size_t> all;
        all.push_back(0);
        for (size_t k = 0; k < bytes.size(); ++k)
            if (bytes[k] == '\n' && k + 1 < bytes.size())
                all.push_back(k + 1);
        for (size_t s : all)
            if (s >= from)
                starts.push_back(s);
        for (size_t s : all)
            if (s < from)
                starts.push_back(s);
        for (size_t s : starts) {
            size_t e = bytes.find('\n', s);
            size_t next = e == std::string::npos ? bytes.size() : e + 1;
            ustring line = decodeText(std::string_view(bytes).substr(s, next - s));
            size_t p = 0;
            while (p < line.size() && isBlank(line[p]) && line[p] != '\n')
                ++p;
            if (p >= line.size() || line[p] != ':')
                continue;
            ++p;
            ustring name;
            while (p < line.size()) {
                char16_t c = line[p];
                if (isBlank(c) || uview(u"+:&<|>").find(c) != uview::npos)
                    break;
                if (c == '^' && p + 1 < line.size()) {
                    name += line[p + 1];
                    p += 2;
                    continue;
                }
                name += c;
                ++p;
            }
            if (equalsNoCase(name, label)) {
                ctx.position = int64_t(next);
                return 0;
            }
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
    ctx->locals.push_back(Local{cwd_, env_, extensions_});
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
