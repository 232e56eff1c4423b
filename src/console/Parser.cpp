#include "console/Parser.h"

#include <algorithm>

namespace console {

namespace {


bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }

size_t findOutsideQuotes(uview s, uview what)
{
    bool quoted = false;
    for (size_t i = 0; i + what.size() <= s.size(); ++i) {
        if (s[i] == '"')
            quoted = !quoted;
        else if (!quoted && s.substr(i, what.size()) == what)
            return i;
    }
    return uview::npos;
}

} // namespace

std::unique_ptr<ParseNode> ParseNode::clone() const
{
    // Chains of operators hang off the right: they are copied in a loop, the left sides
    // (nested no deeper than the parser allows) by recursion.
    auto copy = [](const std::unique_ptr<ParseNode>& p) { return p ? p->clone() : nullptr; };
    std::unique_ptr<ParseNode> root;
    std::unique_ptr<ParseNode>* slot = &root;
    for (const ParseNode* from = this; from; from = from->right.get()) {
        auto n = std::make_unique<ParseNode>();
        n->kind = from->kind;
        n->redirections = from->redirections;
        n->text1 = from->text1;
        n->text2 = from->text2;
        n->flags = from->flags;
        n->left = copy(from->left);
        n->condition = copy(from->condition);
        n->thenBranch = copy(from->thenBranch);
        n->elseBranch = copy(from->elseBranch);
        n->hasElse = from->hasElse;
        n->forSwitches = from->forSwitches;
        n->forOptions = from->forOptions;
        n->forVariable = from->forVariable;
        n->forSet = from->forSet;
        n->body = copy(from->body);
        n->forCommand = copy(from->forCommand);
        n->compareOp = from->compareOp;
        *slot = std::move(n);
        slot = &(*slot)->right;
    }
    return root;
}

ParseNode::~ParseNode()
{
    // Long chains of "&" hang off the right: unlink them one by one instead of
    // recursing once per statement.
    std::unique_ptr<ParseNode> next = std::move(right);
    while (next) {
        std::unique_ptr<ParseNode> after = std::move(next->right);
        next.reset();
        next = std::move(after);
    }
}

std::unique_ptr<ParseNode> Parser::makeNode(int kind)
{
    // A statement may not grow without bound (blocks can span any number of lines):
    // beyond the limit it is refused as out of memory.
    if (++nodes_ > MaxNodes)
        throw CmdError{msg::NotEnoughMemory, {}};
    auto n = std::make_unique<ParseNode>();
    n->kind = kind;
    return n;
}

std::unique_ptr<ParseNode> Parser::makeBinary(int kind, std::unique_ptr<ParseNode> l,
                                              std::unique_ptr<ParseNode> r)
{
    auto n = makeNode(kind);
    n->left = std::move(l);
    n->right = std::move(r);
    return n;
}

// ---- lexer ----

bool Parser::fetchLine(bool continuation)
{
    if (sourceEof_)
        return false;
    ustring line;
    LineSource::Read r = source_->readLine(line, continuation);
    if (r == LineSource::Read::Eof) {
        sourceEof_ = true;
        return false;
    }
    if (r == LineSource::Read::TooLong)
        throw CmdError{msg::InputLineTooLong, {}};
    if (echoInputLine && source_->isStandardInput())
        echoInputLine(line);
    ustring expanded;
    try {
        expanded = expandPercent(line, host_);
    } catch (const CmdError& e) {
        expansionError_ = e.id != msg::InputLineTooLong;
        throw;
    }
    lineStart_ = buf_.size();
    buf_ += expanded;
    return true;
}

bool Parser::atLineEnd() const
{
    for (size_t p = pos_; p < buf_.size(); ++p) {
        char16_t c = buf_[p];
        if (c == '\n')
            return true;
        if (!isBlank(c))
            return false;
    }
    return true;
}

bool Parser::isOperatorChar(size_t at, int flags) const
{
    char16_t c = buf_[at];
    switch (c) {
    case '&': case '|': case '<': case '>':
        return true;
    case '(':
        return (flags & CmdStart) != 0;
    case ')':
        return depth_ > 0;
    case '@':
        return (flags & StmtStart) != 0;
    default:
        break;
    }
    if (isDigit(c) && at + 1 < buf_.size() && (buf_[at + 1] == '<' || buf_[at + 1] == '>')) {
        if (at == 0 || buf_[at - 1] == '\n')
            return true;
        char16_t p = buf_[at - 1];
        return isBlank(p) || uview(u"()|&=,;\"").find(p) != uview::npos;
    }
    return false;
}

Token Parser::lex(int flags)
{
    for (;;) {
        if (pos_ >= buf_.size()) {
            if (!fetchLine(!buf_.empty())) {
                lastStart_ = pos_;
                return Token{Token::End, {}};
            }
        }
        if (!(flags & (ArgText | Literal))) {
            while (pos_ < buf_.size()) {
                char16_t c = buf_[pos_];
                if (c == '\n')
                    break;
                bool skip = c == '\r' || isBlank(c) || c == ',' || c == ';'
                            || (c == '=' && !(flags & EqAllowed));
                if (!skip)
                    break;
                ++pos_;
            }
            if (pos_ >= buf_.size())
                continue;
        }
        break;
    }
    lastStart_ = pos_;
    Token t;
    if (flags & Literal) {
        t.type = Token::Text;
        while (pos_ < buf_.size() && buf_[pos_] != '\n') {
            if (buf_[pos_] != '\r')
                t.text += buf_[pos_];
            ++pos_;
        }
        return t;
    }
    char16_t c = buf_[pos_];
    if (c == '\n') {
        ++pos_;
        t.type = Token::Newline;
        t.text = u"\n";
        return t;
    }
    if (isOperatorChar(pos_, flags)) {
        t.type = Token::Op;
        if (isDigit(c)) {
            t.text += c;
            c = buf_[++pos_];
        }
        t.text += c;
        ++pos_;
        if (c == '&' || c == '|') {
            if (pos_ < buf_.size() && buf_[pos_] == c) {
                t.text += c;
                ++pos_;
            }
        } else if (c == '<' || c == '>') {
            if (pos_ < buf_.size() && buf_[pos_] == c) {
                t.text += c;
                ++pos_;
            }
            if (pos_ < buf_.size() && buf_[pos_] == '&') {
                t.text += u'&';
                ++pos_;
                size_t p = pos_;
                while (p < buf_.size() && buf_[p] != '\n' && isSeparator(buf_[p]))
                    ++p;
                if (p < buf_.size() && isDigit(buf_[p])) {
                    t.text += buf_[p];
                    pos_ = p + 1;
                }
            }
        }
        return t;
    }
    t.type = Token::Text;
    bool quoted = false;
    while (pos_ < buf_.size()) {
        c = buf_[pos_];
        if (c == '\n')
            break;
        if (c == '\r') {
            ++pos_;
            continue;
        }
        if (quoted) {
            if (c == '"')
                quoted = false;
            t.text += c;
            ++pos_;
        } else if (c == '"') {
            quoted = true;
            t.text += c;
            ++pos_;
        } else if (c == '^') {
            size_t n = pos_ + 1;
            while (n < buf_.size() && buf_[n] == '\r')
                ++n;
            if (n >= buf_.size()) {
                // A caret at the very end of the input is dropped.
                buf_.erase(pos_);
                if (!fetchLine(true))
                    break;
                continue;
            }
            if (buf_[n] == '\n') {
                // A caret at the end of a line joins the next line.
                buf_.erase(pos_, n + 1 - pos_);
                if (pos_ >= buf_.size() && !fetchLine(true))
                    break;
                continue;
            }
            t.text += buf_[n];
            pos_ = n + 1;
        } else if (isOperatorChar(pos_, flags)) {
            break;
        } else if (!(flags & ArgText)
                   && (isBlank(c) || c == ',' || c == ';' || (c == '=' && !(flags & EqAllowed)))) {
            break;
        } else {
            t.text += c;
            ++pos_;
        }
        if (t.text.size() > MaxToken)
            throw CmdError{msg::StringTooLong, {t.text}};
    }
    return t;
}

bool Parser::isRedirection(const Token& t) const
{
    return t.type == Token::Op && t.text.find_first_of(u"<>") != ustring::npos;
}

void Parser::unexpected(const Token& t)
{
    if (t.type == Token::Newline || t.type == Token::End)
        throw CmdError{msg::SyntaxIncorrect, {}};
    throw CmdError{msg::Unexpected, {t.text}};
}

void Parser::readRedirection(const Token& op, std::vector<Redirection>& into)
{
    const ustring& s = op.text;
    Redirection r;
    size_t k = 0;
    if (isDigit(s[0])) {
        r.handle = s[0] - '0';
        k = 1;
    } else {
        r.handle = s[0] == '<' ? 0 : 1;
    }
    r.direction = s[k];
    bool doubled = k + 1 < s.size() && s[k + 1] == s[k];
    if (doubled && r.direction == '<')
        throw CmdError{msg::Unexpected, {u"<"}};
    r.append = doubled;
    size_t amp = s.find('&');
    if (amp != ustring::npos) {
        if (amp + 1 >= s.size())
            throw CmdError{msg::Unexpected, {u"&"}};
        r.target = u"&" + s.substr(amp + 1);
    } else {
        Token t = lex(0);
        if (t.type != Token::Text)
            unexpected(t);
        r.target = t.text;
    }
    into.push_back(r);
}

static std::vector<Redirection> lastPerHandle(const std::vector<Redirection>& in)
{
    std::vector<Redirection> out;
    for (const auto& r : in) {
        out.erase(std::remove_if(out.begin(), out.end(),
                                 [&](const Redirection& o) { return o.handle == r.handle; }),
                  out.end());
        out.push_back(r);
    }
    return out;
}

void Parser::skipStatement()
{
    size_t nl = buf_.find(u'\n', pos_);
    pos_ = nl == ustring::npos ? buf_.size() : nl;
}

std::unique_ptr<ParseNode> Parser::helpNode(uview keyword)
{
    auto n = makeNode(KindHelp);
    ustring k(keyword);
    if (k.size() > 2 && k.substr(k.size() - 2) == u"/?")
        k.resize(k.size() - 2);
    n->text1 = upper(k);
    skipStatement();
    return n;
}

// ---- grammar ----

Parser::Result Parser::parse(LineSource& source, bool labels)
{
    Result r;
    source_ = &source;
    buf_.clear();
    pos_ = lastStart_ = lineStart_ = 0;
    sourceEof_ = false;
    depth_ = 0;
    labels_ = labels;
    expansionError_ = false;
    nodes_ = 0;
    nesting_ = 0;
    try {
        Token t = lex(StmtStart | CmdStart);
        if (t.type == Token::End) {
            r.status = buf_.empty() ? Result::Eof : Result::Empty;
        } else if (t.type == Token::Newline) {
            r.status = Result::Empty;
        } else if (labels && t.type == Token::Text && t.text[0] == ':') {
            skipStatement();
            r.status = Result::Empty;
        } else {
            pushBack();
            r.node = parseSequence(StmtStart | CmdStart);
            Token end = lex(0);
            if (end.type != Token::Newline && end.type != Token::End)
                unexpected(end);
            r.status = Result::Ok;
        }
    } catch (const CmdError& e) {
        r.status = Result::Error;
        r.error = e;
        r.lineOnly = expansionError_;
        r.node.reset();
        // The rest of the offending line is not run.
        skipStatement();
    }
    r.lines = buf_;
    return r;
}

std::unique_ptr<ParseNode> Parser::parseSequence(int firstFlags)
{
    // a & b & c is a & (b & c): the items are collected first and joined from the right,
    // so a long block does not nest the parser once per line.
    std::vector<std::unique_ptr<ParseNode>> items;
    items.push_back(parseChain(0, firstFlags));
    for (;;) {
        Token t = lex(0);
        if (t.is(u"&")) {
            items.push_back(parseChain(0, CmdStart));
            continue;
        }
        if (t.type == Token::Newline && depth_ > 0) {
            Token n;
            do {
                n = lex(CmdStart | StmtStart);
            } while (n.type == Token::Newline);
            if (n.is(u")")) {
                pushBack();
                break;
            }
            if (n.type == Token::End)
                unexpected(n);
            pushBack();
            items.push_back(parseChain(0, CmdStart | StmtStart));
            continue;
        }
        pushBack();
        break;
    }
    std::unique_ptr<ParseNode> tree = std::move(items.back());
    for (size_t i = items.size() - 1; i-- > 0;)
        tree = makeBinary(KindSeparator, std::move(items[i]), std::move(tree));
    return tree;
}

std::unique_ptr<ParseNode> Parser::parseChain(int level, int firstFlags)
{
    // a || b || c is a || (b || c): the operands are collected first and joined from the
    // right, so a long chain does not nest the parser once per operator.
    static const char16_t* const ops[] = {u"||", u"&&", u"|"};
    static const int kinds[] = {KindOr, KindAnd, KindPipe};
    auto operand = [&](int flags) {
        return level < 2 ? parseChain(level + 1, flags) : parsePrimary(flags);
    };
    std::vector<std::unique_ptr<ParseNode>> items;
    items.push_back(operand(firstFlags));
    for (;;) {
        Token t = lex(0);
        if (!t.is(ops[level])) {
            pushBack();
            break;
        }
        items.push_back(operand(CmdStart));
    }
    std::unique_ptr<ParseNode> tree = std::move(items.back());
    for (size_t i = items.size() - 1; i-- > 0;)
        tree = makeBinary(kinds[level], std::move(items[i]), std::move(tree));
    return tree;
}

std::unique_ptr<ParseNode> Parser::parseStatementBody()
{
    Token b = lex(CmdStart | StmtStart);
    if (b.type == Token::Newline || b.type == Token::End)
        unexpected(b);
    pushBack();
    return parseSequence(CmdStart | StmtStart);
}

std::unique_ptr<ParseNode> Parser::parsePrimary(int firstFlags)
{
    struct Nesting {
        int& n;
        explicit Nesting(int& count) : n(count)
        {
            if (++n > MaxNesting)
                throw CmdError{msg::NotEnoughMemory, {}};
        }
        ~Nesting() { --n; }
    } nesting(nesting_);
    std::vector<Redirection> redirs;
    Token t = lex(firstFlags);
    bool leading = false;
    while (isRedirection(t)) {
        readRedirection(t, redirs);
        leading = true;
        t = lex(CmdStart);
    }
    std::unique_ptr<ParseNode> node;
    if (t.is(u"(")) {
        ++depth_;
        Token n;
        do {
            n = lex(CmdStart | StmtStart);
        } while (n.type == Token::Newline);
        if (n.is(u")") || n.type == Token::End)
            unexpected(n);
        pushBack();
        auto inner = parseSequence(CmdStart | StmtStart);
        Token close = lex(0);
        if (!close.is(u")"))
            unexpected(close);
        --depth_;
        node = makeNode(KindBlock);
        node->left = std::move(inner);
        for (;;) {
            Token r = lex(0);
            if (!isRedirection(r)) {
                pushBack();
                break;
            }
            readRedirection(r, redirs);
        }
    } else if (t.is(u"@")) {
        node = makeNode(KindQuiet);
        node->left = parseStatementBody();
    } else if (t.type == Token::Text && t.text.empty()) {
        // Only a caret at the very end of the input leaves an empty word: the statement
        // ends too early.
        throw CmdError{msg::SyntaxIncorrect, {}};
    } else if (t.type == Token::Text) {
        bool isFor = equalsNoCase(t.text, u"FOR") || equalsNoCase(t.text, u"FOR/?");
        bool isIf = equalsNoCase(t.text, u"IF") || equalsNoCase(t.text, u"IF/?");
        if ((isFor || isIf) && leading)
            unexpected(t);
        if (isFor) {
            node = parseFor(t);
        } else if (isIf) {
            node = parseIf(t);
        } else if (equalsNoCase(t.text, u"REM") || equalsNoCase(t.text, u"REM/?")) {
            node = parseRem(t);
        } else {
            node = makeNode(KindCommand);
            node->text1 = t.text;
            for (;;) {
                Token a = lex(ArgText);
                if (a.type == Token::Text) {
                    node->text2 += a.text;
                } else if (isRedirection(a)) {
                    readRedirection(a, redirs);
                } else {
                    pushBack();
                    break;
                }
            }
        }
    } else {
        unexpected(t);
    }
    node->redirections = lastPerHandle(redirs);
    return node;
}

std::unique_ptr<ParseNode> Parser::parseFor(const Token& keyword)
{
    if (keyword.text.size() > 3)
        return helpNode(keyword.text);
    auto n = makeNode(KindFor);
    n->text1 = keyword.text;
    Token t = lex(0);
    if (t.type == Token::Text && t.text == u"/?")
        return helpNode(u"FOR");
    while (host_.extensions() && t.type == Token::Text && t.text.size() == 2 && t.text[0] == '/') {
        char16_t s = upperChar(t.text[1]);
        int bit = s == 'L' ? ForL : s == 'D' ? ForD : s == 'F' ? ForF : s == 'R' ? ForR : 0;
        if (!bit)
            unexpected(t);
        n->forSwitches |= bit;
        if (bit == ForF || bit == ForR) {
            Token o = lex(0);
            if (o.type == Token::Text && o.text[0] != '%')
                n->forOptions = o.text;
            else
                pushBack();
        }
        t = lex(0);
    }
    if (t.type != Token::Text || t.text.size() != 2 || t.text[0] != '%' || isSeparator(t.text[1]))
        unexpected(t);
    n->forVariable = t.text[1];
    t = lex(0);
    if (t.type != Token::Text || !equalsNoCase(t.text, u"IN"))
        unexpected(t);
    t = lex(CmdStart);
    if (!t.is(u"("))
        unexpected(t);
    ++depth_;
    for (;;) {
        t = lex(0);
        if (t.type == Token::Newline)
            continue;
        if (t.is(u")"))
            break;
        if (t.type != Token::Text)
            unexpected(t);
        if (!n->forSet.empty())
            n->forSet += u' ';
        n->forSet += t.text;
    }
    --depth_;
    t = lex(0);
    if (t.type != Token::Text || !equalsNoCase(t.text, u"DO"))
        unexpected(t);
    n->body = parseStatementBody();
    return n;
}

std::unique_ptr<ParseNode> Parser::parseIf(const Token& keyword)
{
    if (keyword.text.size() > 2)
        return helpNode(keyword.text);
    auto n = makeNode(KindIf);
    n->text1 = keyword.text;
    Token t = lex(EqAllowed);
    if (t.type == Token::Text && t.text == u"/?")
        return helpNode(u"IF");
    int flags = 0;
    if (host_.extensions() && t.type == Token::Text && equalsNoCase(t.text, u"/I")) {
        flags = 2;
        t = lex(EqAllowed);
    }
    n->flags = flags;
    n->condition = parseCondition(t, flags);
    n->thenBranch = parseStatementBody();
    if (!atLineEnd()) {
        Token e = lex(0);
        if (e.type == Token::Text && equalsNoCase(e.text, u"ELSE")) {
            n->hasElse = true;
            n->elseBranch = parseStatementBody();
        } else {
            pushBack();
        }
    }
    return n;
}

std::unique_ptr<ParseNode> Parser::parseCondition(Token t, int flags)
{
    if (t.type != Token::Text)
        unexpected(t);
    if (equalsNoCase(t.text, u"NOT")) {
        Token inner = lex(EqAllowed);
        if (inner.type == Token::Text && equalsNoCase(inner.text, u"NOT"))
            unexpected(inner);
        auto n = makeNode(KindNot);
        n->flags = flags;
        n->left = parseCondition(inner, flags);
        return n;
    }
    int kind = -1;
    if (equalsNoCase(t.text, u"ERRORLEVEL"))
        kind = KindErrorLevel;
    else if (equalsNoCase(t.text, u"EXIST"))
        kind = KindExist;
    else if (host_.extensions() && equalsNoCase(t.text, u"CMDEXTVERSION"))
        kind = KindCmdExtVersion;
    else if (host_.extensions() && equalsNoCase(t.text, u"DEFINED"))
        kind = KindDefined;
    if (kind >= 0) {
        Token op = lex(0);
        if (op.type != Token::Text)
            unexpected(op);
        auto n = makeNode(kind);
        n->flags = flags;
        n->text1 = t.text;
        n->text2 = op.text;
        return n;
    }
    auto n = makeNode(KindStringEqual);
    n->flags = flags;
    auto rightOf = [&](uview after) -> ustring {
        if (!after.empty())
            return ustring(after);
        Token r = lex(EqAllowed);
        if (r.type != Token::Text)
            unexpected(r);
        return r.text;
    };
    size_t eq = findOutsideQuotes(t.text, u"==");
    if (eq != uview::npos) {
        if (eq == 0)
            throw CmdError{msg::SyntaxIncorrect, {}};
        n->text1 = t.text.substr(0, eq);
        n->text2 = rightOf(uview(t.text).substr(eq + 2));
        return n;
    }
    n->text1 = t.text;
    Token op = lex(EqAllowed);
    if (op.type == Token::Text && op.text.substr(0, 2) == u"==") {
        n->text2 = rightOf(uview(op.text).substr(2));
        return n;
    }
    static const char16_t* ops[] = {u"EQU", u"NEQ", u"LSS", u"LEQ", u"GTR", u"GEQ"};
    if (host_.extensions() && op.type == Token::Text) {
        for (int i = 0; i < 6; ++i) {
            if (op.text == ops[i]) {
                n->kind = KindCompare;
                n->compareOp = i + 1;
                n->text2 = rightOf(u"");
                return n;
            }
        }
    }
    unexpected(op);
}

std::unique_ptr<ParseNode> Parser::parseRem(const Token& keyword)
{
    if (keyword.text.size() > 3)
        return helpNode(keyword.text);
    Token t = lex(0);
    if (t.type == Token::Text && t.text == u"/?")
        return helpNode(u"REM");
    pushBack();
    auto n = makeNode(KindRem);
    n->text1 = keyword.text;
    if (t.type != Token::Newline && t.type != Token::End)
        n->text2 = lex(Literal).text;
    return n;
}

} // namespace console
