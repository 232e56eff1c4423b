#pragma once
// The lexer and the parser: one statement, possibly over several physical lines, from a
// LineSource into a ParseNode tree.
#include "console/Expand.h"
#include "console/LineSource.h"
#include "console/ParseNode.h"

namespace console {

struct Token {
    enum Type { Text, Op, Newline, End };
    Type type = End;
    ustring text;
    bool is(uview op) const { return type == Op && text == op; }
};

class Parser {
public:
    explicit Parser(const ExpandHost& host) : host_(host) {}

    struct Result {
        enum Status { Ok, Empty, Eof, Error };
        Status status = Empty;
        std::unique_ptr<ParseNode> node;
        CmdError error;   // with Error
        ustring lines;    // the substituted text read for this statement
        bool lineOnly = false; // a substitution error: only this line is abandoned
    };

    // Reads and parses one statement. `labels` false keeps a leading ":label" as a
    // command (CALL re-parses its argument text that way).
    Result parse(LineSource& source, bool labels = true);

    // A token may hold at most this many characters.
    static constexpr size_t MaxToken = 4095;
    // Nodes one statement may hold.
    static constexpr int MaxNodes = 10000;
    // Blocks, IF, FOR and "@" nested inside each other.
    static constexpr int MaxNesting = 512;

    // Called with each line read from redirected standard input (for echoing).
    std::function<void(uview line)> echoInputLine;

private:
    enum LexFlag : int {
        CmdStart = 1,
        StmtStart = 2,
        EqAllowed = 4,
        ArgText = 8,
        Literal = 16,
    };

    Token lex(int flags);
    void pushBack() { pos_ = lastStart_; }
    bool fetchLine(bool continuation);
    bool atLineEnd() const;
    bool isOperatorChar(size_t at, int flags) const;
    bool isRedirection(const Token& t) const;
    [[noreturn]] void unexpected(const Token& t);

    std::unique_ptr<ParseNode> makeNode(int kind);
    std::unique_ptr<ParseNode> makeBinary(int kind, std::unique_ptr<ParseNode> l, std::unique_ptr<ParseNode> r);
    std::unique_ptr<ParseNode> parseSequence(int firstFlags);
    std::unique_ptr<ParseNode> parseOr(int firstFlags);
    std::unique_ptr<ParseNode> parseAnd(int firstFlags);
    std::unique_ptr<ParseNode> parsePipe(int firstFlags);
    std::unique_ptr<ParseNode> parsePrimary(int firstFlags);
    std::unique_ptr<ParseNode> parseStatementBody();
    std::unique_ptr<ParseNode> parseFor(const Token& keyword);
    std::unique_ptr<ParseNode> parseIf(const Token& keyword);
    std::unique_ptr<ParseNode> parseRem(const Token& keyword);
    std::unique_ptr<ParseNode> parseCondition(Token t, int depthOfNot);
    void readRedirection(const Token& op, std::vector<Redirection>& into);
    std::unique_ptr<ParseNode> helpNode(uview keyword);
    void skipStatement();

    const ExpandHost& host_;
    LineSource* source_ = nullptr;
    ustring buf_;
    size_t pos_ = 0;
    size_t lastStart_ = 0;
    size_t lineStart_ = 0;
    bool sourceEof_ = false;
    int depth_ = 0;
    bool labels_ = true;
    bool expansionError_ = false;
    int nodes_ = 0;
    int nesting_ = 0;
};

} // namespace console
