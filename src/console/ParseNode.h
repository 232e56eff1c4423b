#pragma once
// The parse tree: one ParseNode per command, operator, block, condition or loop.
#include "console/Text.h"

#include <memory>
#include <vector>

namespace console {

// Node kinds; each is also the row of the command table whose handler runs the node.
enum NodeKind : int {
    KindCommand = 0,
    KindFor = 41,
    KindIf = 42,
    KindRem = 43,
    KindSeparator = 44,
    KindOr = 45,
    KindAnd = 46,
    KindPipe = 47,
    KindBlock = 48,
    KindCmdExtVersion = 49,
    KindErrorLevel = 50,
    KindDefined = 51,
    KindExist = 52,
    KindNot = 53,
    KindStringEqual = 54,
    KindCompare = 55,
    KindQuiet = 56,
    KindHelp = 57,
};

enum CompareOp : int { OpEqu = 1, OpNeq, OpLss, OpLeq, OpGtr, OpGeq };

enum ForSwitch : int { ForL = 1, ForD = 2, ForR = 4, ForF = 8 };

struct Redirection {
    int handle = 1;       // 0 to 9
    ustring target;       // a file name, or "&d" for handle duplication
    bool append = false;  // >>
    char16_t direction = '>';
};

struct ParseNode {
    int kind = KindCommand;
    std::vector<Redirection> redirections;
    // Command: name and argument text (leading separators kept). FOR/IF/REM/help:
    // the keyword in text1; REM: the comment in text2. Conditions: the operands.
    ustring text1;
    ustring text2;
    int flags = 0; // conditions: 2 = compare without case (IF /I)
    // Binary operators: left and right; block, quiet, NOT: left.
    std::unique_ptr<ParseNode> left;
    std::unique_ptr<ParseNode> right;
    // IF.
    std::unique_ptr<ParseNode> condition;
    std::unique_ptr<ParseNode> thenBranch;
    std::unique_ptr<ParseNode> elseBranch;
    bool hasElse = false;
    // FOR.
    int forSwitches = 0;
    ustring forOptions; // /F options or /R root
    char16_t forVariable = 0;
    ustring forSet;
    std::unique_ptr<ParseNode> body;
    // FOR /F with a command set inside another loop: the command as a tree, so that the
    // outer loop's values go into it as values (see Parser.h, childCommandText). Null
    // while the command is still the text of the set.
    std::unique_ptr<ParseNode> forCommand;
    // Comparison.
    int compareOp = 0;

    ParseNode() = default;
    ParseNode(const ParseNode&) = delete;
    ParseNode& operator=(const ParseNode&) = delete;
    ~ParseNode();

    std::unique_ptr<ParseNode> clone() const;
};

// The tree back to text as it is shown when a batch line is echoed. With `escape` the
// text is the one handed to a second interpreter, without the checks that
// childCommandText (Parser.h) adds; refuses by throwing CmdError.
ustring unparse(const ParseNode& node, bool escape = false);

// Whether two trees are the same node for node.
bool sameTree(const ParseNode& a, const ParseNode& b);

inline bool isBinaryKind(int kind)
{
    return kind == KindSeparator || kind == KindOr || kind == KindAnd || kind == KindPipe;
}

} // namespace console
