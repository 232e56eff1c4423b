#pragma once
// The text side of a text view's typing assistance: API lists, call-tip words and
// definitions, completion lists, comment decisions and closing tags. Plain functions over
// bytes; the view applies their results.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace assist {

// The lines of the concatenated API files, without empty lines, sorted.
std::vector<std::string> parseApi(std::string_view text);

struct TipSettings {
    bool ignoreCase = false;
    std::string wordCharacters = "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string parametersStart = "(";
    std::string parametersEnd = ")";
    std::string separators = ",;";
    std::string endDefinition;
};

// The word a call tip is for, from the text of the line up to the caret: walks back to
// the nearest unmatched parameters-start character (and on while the character before
// it is not a word character). `start` is the word's offset in the line.
struct TipWord {
    bool found = false;
    size_t start = 0;
    std::string word;
};
TipWord findTipWord(std::string_view lineToCaret, const TipSettings& s);

// The API entries for a call-tip word: those whose name (the text before the
// parameters-start character) is the word.
std::vector<std::string> tipEntries(const std::vector<std::string>& api, std::string_view word,
                                    const TipSettings& s);

// The definition shown for `count` matching entries, with the arrow marks (character 1
// for up, 2 for down) when there are several.
std::string tipDefinition(const std::string& first, size_t count, const TipSettings& s);

// The byte range of the definition to highlight for the parameter the caret is in;
// `typed` is the text from the tip word's start up to the caret. {0, 0} for none.
std::pair<size_t, size_t> tipHighlight(std::string_view definition, std::string_view typed, const TipSettings& s);

// The root of an API completion: the text before the caret made of the given characters.
std::string completionRoot(std::string_view lineToCaret, std::string_view characters);

// The sorted, distinct API names starting with `root`, each cut at the parameters-start
// character.
std::vector<std::string> apiCompletions(const std::vector<std::string>& api, std::string_view root,
                                        bool ignoreCase, std::string_view parametersStart);

// Words of a text that start with a root, for word completion.
struct WordSearch {
    std::string_view root;
    std::string_view wordCharacters;   // empty: letters, digits and "_"
    bool ignoreCase = false;
    bool singleCandidate = false;      // a second distinct word ends the search with nothing
    size_t skipAt = std::string::npos; // offset of the caret's own word, not collected
};
struct WordResult {
    std::vector<std::string> words;    // sorted, distinct, longer than the root
    bool ambiguous = false;            // single-candidate search met a second word
};
WordResult collectWords(std::string_view text, const WordSearch& search);

// True when c is a word character of the set (bytes of multi-byte characters count);
// an empty set means letters, digits and "_".
bool isWordChar(unsigned char c, std::string_view wordCharacters);

// The tag name to close after ">" was typed; `before` is the text before the caret
// (ending with the ">"). Empty when nothing is to be closed.
std::string closingTagName(std::string_view before);

// What a block comment does to one line, given the line's text from the insertion point.
enum class CommentAction { Skip, Add, Remove };
CommentAction blockCommentAction(std::string_view fromInsertion, std::string_view comment);
// The number of bytes removed when uncommenting (the comment and one following space).
size_t blockCommentRemoval(std::string_view fromInsertion, std::string_view comment);

} // namespace assist
