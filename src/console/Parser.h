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
    // Level 0 "||", 1 "&&", 2 "|".
    std::unique_ptr<ParseNode> parseChain(int level, int firstFlags);
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

// The text that a second interpreter ("COMSPEC /S /C", for a side of a pipe or a FOR /F
// command) is given to run `node`. The child expands % in it and parses it; the text is
// built so that this gives back `node` exactly whatever its environment holds:
// - every character of a word is written outside double quotes, with "^" before the
//   characters the lexer would otherwise act on (a double quote becomes ^", which does not
//   start quoting);
// - every "%" is the last one on its physical line (the line goes on after "^" and a line
//   break), so no variable reference can form;
// - statements inside blocks are separated by line breaks, so REM text and help requests
//   end where they should.
// The result is then parsed here as the child will parse it and compared with `node`;
// a value that cannot be written (a line break in a name, "==" inside an IF operand, an
// empty word) is refused with CmdError msg::NotPassedOn instead of being run.
// `extensions` is the child's setting.
ustring childCommandText(const ParseNode& node, bool extensions);

// The command of a FOR /F 'command' set as a tree (see ParseNode::forCommand): `text` is
// expanded once as the second interpreter would expand it (outside any batch file), then
// parsed. An empty command gives a REM node. Throws CmdError for a syntax error.
std::unique_ptr<ParseNode> parseChildCommand(uview text, const ExpandHost& host);

// The command text of a FOR /F set in single quotes, or nothing for other sets.
std::optional<ustring> forCommandText(uview set);

} // namespace console
