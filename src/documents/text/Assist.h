#pragma once
// A text view's typing assistance: indentation, call tips, completion, brace
// highlighting and jumping, comments and closing tags. It listens to the view's typed
// characters and selection changes and runs the commands 225-230, 410 and 411.
#include "documents/text/AssistText.h"

#include <QObject>
#include <QString>

#include <string>
#include <utility>
#include <vector>

class CTextView;
class PropSetFile;
struct LanguageState;

namespace assist {

// What the assistance needs of the document's language; read when a language is applied.
struct Config {
    std::string lexer;
    int indentOpening = 0, indentClosing = 0;
    bool indentMaintain = false, indentAutomatic = false;
    int statementLookback = 0;
    int statementIndentStyle = 0, statementEndStyle = 0, blockStartStyle = 0, blockEndStyle = 0;
    std::string statementIndent, statementEnd, blockStart, blockEnd;   // blank-separated words
    int braceStyle = 0;
    TipSettings tip;
    std::string autocompleteStart;
    bool autocompleteIgnoreCase = false;
    std::string wordCharacters;
    std::vector<std::string> api;
    std::string commentBlock;
    bool commentBlockAtLineStart = false;
    std::string commentBoxStart, commentBoxMiddle, commentBoxEnd;
    std::string commentStreamStart, commentStreamEnd;
    bool closeTags = false;
    bool autoWordCompletion = false;
};

// Reads the configuration for a language state; the API files are read from
// `propertiesFolder`.
Config configFrom(const LanguageState& state, const PropSetFile& props, const QString& propertiesFolder);

} // namespace assist

class CTextAssist : public QObject {
    Q_OBJECT
public:
    explicit CTextAssist(CTextView* view);

    void configure(assist::Config config);
    const assist::Config& config() const { return config_; }

    // The definition of the call tip shown last (arrow marks included).
    const std::string& callTipText() const { return tipDefinition_; }

    // Runs 225-230, 410 or 411; false for other commands.
    bool command(int id);

    // Automatic word completion looks at most this many bytes either side of the caret.
    static constexpr long kWordWindow = 1L << 20;

private:
    long S(unsigned msg, unsigned long w = 0, long l = 0) const;
    std::string range(long start, long end) const;
    std::string lineText(long line) const;
    long lineStart(long line) const;
    // First and last line a selection covers, for commands that work on whole lines.
    std::pair<long, long> selectedLines(long anchor, long caret) const;
    long lineEnd(long line) const;
    int indentOf(long line) const;
    void setIndent(long line, int indent);

    void onCharAdded(int ch);
    void onUpdateUi(int updated);

    // Call tips.
    void startCallTip();
    void continueCallTip();
    void showTip();
    // Completion.
    void autoComplete();
    bool completeWord(bool singleCandidate);
    // Indentation.
    void maintainIndent(char ch);
    void automaticIndent(char ch);
    int blockIndent(long line) const;
    enum class LineState { None, KeywordStart, BlockStart, BlockEnd };
    LineState lineState(long line) const;
    bool firstWordInStyleIs(long line, int style, const std::string& words) const;
    // Braces.
    void highlightBraces();
    long braceAt(long pos, bool before) const;
    void matchBrace(bool select);
    // Comments.
    void blockComment();
    void boxComment();
    void streamComment();
    // Closing tags.
    bool closeTag(char ch);

    bool isWordChar(char c) const;

    CTextView* view_;
    assist::Config config_;
    int braceDepth_ = 0;
    long tipWordStart_ = 0;
    std::string tipDefinition_;
    long tipEntries_ = 0;
    long tipIndex_ = 0;
    std::vector<std::string> tipMatches_;
    long lastTipPos_ = -1;
    bool autoCompleteWordOpen_ = false;
};
