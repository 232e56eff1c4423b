// Trees back to text: the form shown when a batch line is echoed, and the form handed to
// a second interpreter, which must parse back to the same tree.
#include "console/Parser.h"

namespace console {

namespace {

const char16_t* operatorText(int kind)
{
    switch (kind) {
    case KindSeparator: return u" & ";
    case KindOr: return u" || ";
    case KindAnd: return u" && ";
    default: return u" | ";
    }
}

const char16_t* const compareNames[] = {u"", u"EQU", u"NEQ", u"LSS", u"LEQ", u"GTR", u"GEQ"};

// ---- the echoed form ----

void redirectionText(const std::vector<Redirection>& list, ustring& r)
{
    for (const auto& x : list) {
        r += u' ';
        r += char16_t('0' + x.handle);
        if (x.direction == '<')
            r += u'<';
        else
            r += x.append ? u">>" : u">";
        r += x.target;
    }
}

void display(const ParseNode& first, ustring& r)
{
    auto sub = [&](const std::unique_ptr<ParseNode>& p) {
        if (p)
            display(*p, r);
    };
    // Operator chains hang off the right: walked in a loop.
    const ParseNode* p = &first;
    while (isBinaryKind(p->kind)) {
        sub(p->left);
        r += operatorText(p->kind);
        if (!p->right)
            return;
        p = p->right.get();
    }
    const ParseNode& n = *p;
    switch (n.kind) {
    case KindCommand:
        r += n.text1 + n.text2;
        redirectionText(n.redirections, r);
        return;
    case KindBlock:
        r += u'(';
        sub(n.left);
        r += u')';
        redirectionText(n.redirections, r);
        return;
    case KindQuiet:
        r += u'@';
        sub(n.left);
        return;
    case KindHelp:
        r += n.text1 + u" /?";
        return;
    case KindRem:
        r += n.text2.empty() ? n.text1 : n.text1 + u" " + n.text2;
        return;
    case KindIf:
        r += n.text1;
        if (n.flags & 2)
            r += u" /I";
        r += u' ';
        sub(n.condition);
        r += u' ';
        if (n.hasElse && n.thenBranch && n.thenBranch->kind != KindBlock) {
            r += u'(';
            sub(n.thenBranch);
            r += u')';
        } else {
            sub(n.thenBranch);
        }
        if (n.hasElse) {
            r += u" ELSE ";
            sub(n.elseBranch);
        }
        return;
    case KindNot:
        r += u"NOT ";
        sub(n.left);
        return;
    case KindErrorLevel: case KindExist: case KindCmdExtVersion: case KindDefined:
        r += n.text1 + u" " + n.text2;
        return;
    case KindStringEqual:
        r += n.text1 + u"==" + n.text2;
        return;
    case KindCompare:
        r += n.text1 + u" " + compareNames[n.compareOp >= 1 && n.compareOp <= 6 ? n.compareOp : 0] + u" "
             + n.text2;
        return;
    case KindFor:
        r += n.text1;
        if (n.forSwitches & ForL) r += u" /L";
        if (n.forSwitches & ForD) r += u" /D";
        if (n.forSwitches & ForF) r += u" /F";
        if (n.forSwitches & ForR) r += u" /R";
        if (!n.forOptions.empty())
            r += u" " + n.forOptions;
        r += u" %";
        r += n.forVariable;
        r += u" IN (" + n.forSet + u") DO ";
        sub(n.body);
        return;
    default:
        return;
    }
}

// ---- the form for a second interpreter ----

struct Refused {};

// Writes a tree so that the lexer and parser read it back as the same tree. Never enters
// the quoted state: quotes are written as ^", so every character can be escaped.
class ChildWriter {
public:
    explicit ChildWriter(bool extensions) : extensions_(extensions) {}

    ustring out;

    // A statement: operator chains are written in a loop; `stmtStart` tells whether the
    // parser reads its first token at the start of a statement (where "@" is an operator).
    void statement(const ParseNode& first, bool stmtStart)
    {
        const ParseNode* p = &first;
        while (isBinaryKind(p->kind)) {
            if (!p->left || !p->right)
                throw Refused{};
            statement(*p->left, stmtStart);
            if (p->kind == KindSeparator && depth_ > 0) {
                // Inside a block a line break separates, and it also ends REM text.
                lineBreak();
                stmtStart = true;
            } else {
                if (literalLine_)
                    throw Refused{};
                // No blank before the operator: argument text would keep it.
                out += operatorText(p->kind) + 1;
                stmtStart = false;
            }
            p = p->right.get();
        }
        primary(*p, stmtStart);
    }

private:
    // A physical line holds at most 2048 characters; longer ones go on after "^" and a
    // line break inside a word.
    static constexpr size_t LineLimit = 1800;

    void lineBreak()
    {
        out += u'\n';
        lineStart_ = out.size();
        literalLine_ = false;
    }
    // "^" and a line break: the lexer drops both and goes on with the same word.
    void join()
    {
        out += u'^';
        lineBreak();
    }
    void joinIfLong()
    {
        if (out.size() - lineStart_ > LineLimit)
            join();
    }

    static void checkRepresentable(char16_t c)
    {
        // A line break ends the statement, a carriage return is dropped by the lexer and
        // a NUL cannot be part of a command line.
        if (c == '\n' || c == '\r' || c == 0)
            throw Refused{};
    }
    static bool special(char16_t c)
    {
        return uview(u"&|<>()@^\"").find(c) != uview::npos || isSeparator(c);
    }

    // One character of a word, outside quotes.
    void wordChar(char16_t c, bool escapeSeparators)
    {
        checkRepresentable(c);
        if (c == '%') {
            // The "%" ends its physical line, so it can never open a reference.
            out += u'%';
            join();
            return;
        }
        if (c == '^' || c == '"' || uview(u"&|<>()@").find(c) != uview::npos
            || (escapeSeparators && isSeparator(c)))
            out += u'^';
        out += c;
    }

    // A word that the lexer reads as one token (separators inside it escaped).
    void word(uview s)
    {
        if (s.empty())
            throw Refused{};
        for (char16_t c : s) {
            joinIfLong();
            wordChar(c, true);
        }
    }

    void redirection(const Redirection& r)
    {
        if (r.handle < 0 || r.handle > 9 || (r.direction != '<' && r.direction != '>'))
            throw Refused{};
        out += u' ';
        bool implicit = (r.direction == '<' && r.handle == 0) || (r.direction == '>' && r.handle == 1);
        if (!implicit)
            out += char16_t('0' + r.handle);
        out += r.direction;
        if (r.append)
            out += r.direction;
        if (r.target.size() == 2 && r.target[0] == '&' && r.target[1] >= '0' && r.target[1] <= '9') {
            out += r.target;
            return;
        }
        word(r.target);
    }

    void command(const ParseNode& n, bool stmtStart)
    {
        const ustring& args = n.text2;
        // Argument text that starts with "@" ends the name only at a statement start, so
        // its redirections go after it there.
        bool atFirst = !args.empty() && args[0] == '@';
        if (!atFirst) {
            for (const auto& r : n.redirections)
                redirection(r);
            if (!n.redirections.empty())
                out += u' ';
        }
        word(n.text1);
        if (args.empty()) {
            if (atFirst)
                throw Refused{};
        } else {
            // The first character ends the name: a separator, or "(" or "@", written as
            // they are. Anything else would run on into the name; the check catches it.
            char16_t c = args[0];
            checkRepresentable(c);
            if (isSeparator(c) || c == '(' || (c == '@' && stmtStart))
                out += c;
            else
                wordChar(c, true);
            // The rest is read as argument text: separators are ordinary there.
            for (size_t i = 1; i < args.size(); ++i) {
                joinIfLong();
                wordChar(args[i], false);
            }
        }
        if (atFirst) {
            for (const auto& r : n.redirections) {
                // Directly after the text: a blank would belong to it. A final digit
                // would be read as the handle.
                if (!out.empty() && out.back() >= '0' && out.back() <= '9')
                    throw Refused{};
                size_t mark = out.size();
                redirection(r);
                out.erase(mark, 1);
            }
        }
    }

    void condition(const ParseNode& c)
    {
        switch (c.kind) {
        case KindNot:
            if (!c.left)
                throw Refused{};
            out += u"NOT ";
            condition(*c.left);
            return;
        case KindErrorLevel: case KindExist: case KindCmdExtVersion: case KindDefined:
            word(c.text1);
            out += u' ';
            word(c.text2);
            return;
        case KindStringEqual:
            // "a ==b": the first operand is a word of its own, so quotes in it cannot hide
            // the "==".
            word(c.text1);
            out += u" ==";
            word(c.text2);
            return;
        case KindCompare:
            if (c.compareOp < 1 || c.compareOp > 6)
                throw Refused{};
            word(c.text1);
            out += u' ';
            out += compareNames[c.compareOp];
            out += u' ';
            word(c.text2);
            return;
        default:
            throw Refused{};
        }
    }

    void forLoop(const ParseNode& n)
    {
        word(n.text1);
        bool optionsWritten = n.forOptions.empty();
        for (auto [bit, text] : {std::pair{ForF, u" /F"}, std::pair{ForR, u" /R"}, std::pair{ForL, u" /L"},
                                 std::pair{ForD, u" /D"}}) {
            if (!(n.forSwitches & bit))
                continue;
            out += text;
            if (!optionsWritten && (bit == ForF || bit == ForR)) {
                out += u' ';
                word(n.forOptions);
                optionsWritten = true;
            }
        }
        if (!optionsWritten)
            throw Refused{};
        out += u' ';
        ustring var(u"%");
        var += n.forVariable;
        word(var);
        out += u" in (";
        ++depth_;
        ustring set = n.forSet;
        if (n.forCommand) {
            // The command of this set already carries values: it is passed on in the form
            // that the next interpreter hands on again unchanged.
            set = u"'" + childCommandText(*n.forCommand, extensions_) + u"'";
        }
        // The set is its words joined by single blanks: a blank between two other
        // characters is written as it is, every other one escaped into a word.
        for (size_t i = 0; i < set.size(); ++i) {
            char16_t c = set[i];
            if (c == ' ' && i > 0 && i + 1 < set.size() && set[i - 1] != ' ' && set[i + 1] != ' ') {
                out += c;
                continue;
            }
            joinIfLong();
            wordChar(c, true);
        }
        out += u')';
        --depth_;
        out += u" do ";
        if (!n.body)
            throw Refused{};
        statement(*n.body, true);
    }

    void primary(const ParseNode& n, bool stmtStart)
    {
        if (literalLine_)
            throw Refused{};
        switch (n.kind) {
        case KindCommand:
            command(n, stmtStart);
            return;
        case KindBlock:
            if (!n.left)
                throw Refused{};
            out += u'(';
            ++depth_;
            statement(*n.left, true);
            if (literalLine_)
                lineBreak();
            out += u')';
            --depth_;
            for (const auto& r : n.redirections)
                redirection(r);
            return;
        case KindQuiet:
            if (!n.left)
                throw Refused{};
            out += u'@';
            statement(*n.left, true);
            return;
        case KindHelp:
            out += n.text1 + u" /?";
            literalLine_ = true;
            return;
        case KindRem:
            // The comment is read literally up to the line end: nothing can be escaped.
            out += n.text1;
            if (!n.text2.empty()) {
                out += u' ';
                for (char16_t c : n.text2) {
                    checkRepresentable(c);
                    out += c;
                }
            }
            literalLine_ = true;
            return;
        case KindIf:
            if (!n.condition || !n.thenBranch)
                throw Refused{};
            word(n.text1);
            if (n.flags & 2)
                out += u" /I";
            out += u' ';
            condition(*n.condition);
            out += u' ';
            statement(*n.thenBranch, true);
            if (n.hasElse) {
                if (!n.elseBranch || literalLine_)
                    throw Refused{};
                out += u" else ";
                statement(*n.elseBranch, true);
            }
            return;
        case KindFor:
            forLoop(n);
            return;
        default:
            throw Refused{};
        }
    }

    bool extensions_;
    int depth_ = 0;
    size_t lineStart_ = 0;
    // The current line ends in text read literally (REM, a help request): only a line
    // break may follow.
    bool literalLine_ = false;
};

// Whether any "%" of `text` could start a variable reference: it could unless the next
// "%" on its line follows at once or there is none. (Without extensions a name runs to
// the next "%"; with them it may stop earlier at ":", which only makes fewer references.)
bool percentCouldExpand(uview text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        size_t next = text.find_first_of(u"%\n", i + 1);
        if (next != uview::npos && text[next] == '%' && next > i + 1)
            return true;
    }
    return false;
}

// The child's % expansion as the check sees it: nothing is defined and no batch file runs.
// The text has been checked to contain no reference, so what is defined does not matter.
struct CheckHost : ExpandHost {
    bool ext;
    Environment env;
    ustring cwd;
    explicit CheckHost(bool extensions) : ext(extensions) {}
    bool extensions() const override { return ext; }
    std::optional<ustring> variable(uview) const override { return std::nullopt; }
    const Environment& environment() const override { return env; }
    const ustring& currentDirectory() const override { return cwd; }
    const BatchParams* batchParams() const override { return nullptr; }
};

// The host's expansion as it is outside a batch file.
struct PromptHost : ExpandHost {
    const ExpandHost& base;
    explicit PromptHost(const ExpandHost& b) : base(b) {}
    bool extensions() const override { return base.extensions(); }
    std::optional<ustring> variable(uview name) const override { return base.variable(name); }
    const Environment& environment() const override { return base.environment(); }
    const ustring& currentDirectory() const override { return base.currentDirectory(); }
    const BatchParams* batchParams() const override { return nullptr; }
};

bool sameRedirections(const std::vector<Redirection>& a, const std::vector<Redirection>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].handle != b[i].handle || a[i].target != b[i].target || a[i].append != b[i].append
            || a[i].direction != b[i].direction)
            return false;
    return true;
}

bool sameChild(const std::unique_ptr<ParseNode>& a, const std::unique_ptr<ParseNode>& b)
{
    if (!a || !b)
        return !a && !b;
    return sameTree(*a, *b);
}

} // namespace

ustring unparse(const ParseNode& node, bool escape)
{
    if (escape) {
        ChildWriter w(true);
        try {
            w.statement(node, true);
        } catch (const Refused&) {
            ustring shown;
            display(node, shown);
            throw CmdError{msg::NotPassedOn, {shown}};
        }
        return w.out;
    }
    ustring r;
    display(node, r);
    return r;
}

bool sameTree(const ParseNode& first, const ParseNode& other)
{
    const ParseNode* a = &first;
    const ParseNode* b = &other;
    // The right sides of operator chains are compared in a loop.
    for (;;) {
        if (a->kind != b->kind || !sameRedirections(a->redirections, b->redirections) || a->text1 != b->text1
            || a->text2 != b->text2 || a->flags != b->flags || a->hasElse != b->hasElse
            || a->forSwitches != b->forSwitches || a->forOptions != b->forOptions
            || a->forVariable != b->forVariable || a->forSet != b->forSet || a->compareOp != b->compareOp
            || !sameChild(a->left, b->left) || !sameChild(a->condition, b->condition)
            || !sameChild(a->thenBranch, b->thenBranch) || !sameChild(a->elseBranch, b->elseBranch)
            || !sameChild(a->body, b->body) || !sameChild(a->forCommand, b->forCommand))
            return false;
        if (!a->right || !b->right)
            return !a->right && !b->right;
        a = a->right.get();
        b = b->right.get();
    }
}

ustring childCommandText(const ParseNode& node, bool extensions)
{
    ChildWriter w(extensions);
    bool ok = true;
    try {
        w.statement(node, true);
    } catch (const Refused&) {
        ok = false;
    }
    if (ok)
        ok = !percentCouldExpand(w.out);
    if (ok) {
        // Parsed as the child parses it: a string source with a line break appended.
        // A FOR /F command inside is compared by the text this writer gave its set.
        CheckHost host(extensions);
        LineSource src = LineSource::fromString(w.out + u"\n");
        Parser parser(host);
        Parser::Result r = parser.parse(src);
        ok = r.status == Parser::Result::Ok && r.node;
        if (ok) {
            std::unique_ptr<ParseNode> expected = node.clone();
            // Sets whose command is a tree are written as text (see forLoop).
            std::vector<ParseNode*> pending{expected.get()};
            while (!pending.empty()) {
                ParseNode* n = pending.back();
                pending.pop_back();
                for (; n; n = n->right.get()) {
                    if (n->forCommand) {
                        n->forSet = u"'" + childCommandText(*n->forCommand, extensions) + u"'";
                        n->forCommand.reset();
                    }
                    for (ParseNode* c : {n->left.get(), n->condition.get(), n->thenBranch.get(),
                                         n->elseBranch.get(), n->body.get()})
                        if (c)
                            pending.push_back(c);
                }
            }
            ok = sameTree(*r.node, *expected);
        }
    }
    if (!ok) {
        ustring shown;
        display(node, shown);
        throw CmdError{msg::NotPassedOn, {shown}};
    }
    return w.out;
}

std::unique_ptr<ParseNode> parseChildCommand(uview text, const ExpandHost& host)
{
    PromptHost prompt(host);
    LineSource src = LineSource::fromString(ustring(text) + u"\n");
    Parser parser(prompt);
    Parser::Result r = parser.parse(src);
    if (r.status == Parser::Result::Error)
        throw r.error;
    if (r.node)
        return std::move(r.node);
    auto rem = std::make_unique<ParseNode>();
    rem->kind = KindRem;
    rem->text1 = u"rem";
    return rem;
}

std::optional<ustring> forCommandText(uview set)
{
    ustring s = trimBlanks(set);
    if (s.size() >= 2 && s[0] == '\'' && s.back() == '\'')
        return s.substr(1, s.size() - 2);
    return std::nullopt;
}

} // namespace console
