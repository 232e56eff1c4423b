#pragma once
// Applying a language to an editing component: lexer, keywords, lexer options,
// styles, tabs, folding, margins, markers and the view flags. The component is
// passed in; the view class keeps the returned LanguageState.
#include "language/FontSchemes.h"
#include "language/LanguageTable.h"
#include "language/PropSetFile.h"
#include "language/StyleDefinition.h"

#include <cstdint>
#include <string>
#include <string_view>

class QsciScintillaBase;

// The view's own flags, initialised from the option word when a language is applied.
enum ViewFlag : unsigned {
    kViewWordWrap = 0x01,
    kViewSyntaxHighlight = 0x02,
    kViewLineNumbers = 0x04,
    kViewWhiteSpace = 0x08,
    kViewLineEnds = 0x10,
    kViewIndentGuides = 0x20,
};

// The option-word bits the language step reads.
namespace editormask {
inline constexpr uint32_t kSyntaxHighlight = 1u << 9;
inline constexpr uint32_t kWordWrap = 1u << 10;
inline constexpr uint32_t kLineNumbers = 1u << 11;
inline constexpr uint32_t kWhiteSpace = 1u << 12;
inline constexpr uint32_t kLineEnds = 1u << 13;
inline constexpr uint32_t kIndentGuides = 1u << 14;
inline constexpr uint32_t kHighlightLine = 1u << 15;
inline constexpr uint32_t kColumnEdge = 1u << 16;
inline constexpr uint32_t kEdgeAsLine = 1u << 17;
inline constexpr int kTabModeShift = 18;   // bits 18-19: 0 properties, 1 spaces, 2 tabs
inline constexpr uint32_t kTransparentLine = 1u << 20;
} // namespace editormask

unsigned ViewFlagsFromMask(uint32_t editorMask);
int TabModeFromMask(uint32_t editorMask);

// What the settings contribute to applying a language. Colours have red in the low
// byte, as stored in the settings.
struct LanguageInputs {
    uint32_t editorMask = 0;
    // -1: take the view flags from editorMask; otherwise the view's own flags
    // (re-applying after the View menu changed them).
    int viewFlags = -1;
    int tabSize = 4;      // 0 read as 4
    int indentSize = 4;   // 0 read as 4
    uint32_t highlightColor = 0xFFFFFF;
    uint32_t lineEdgeColor = 0xFFDAFA;
    int lineEdgePos = 90;
    int lineTransparent = 0;
    std::string defaultStyle = fonts::kDefaultScheme;   // the current font scheme
    bool unicode = false;   // the document is stored in a Unicode encoding
};

// Per-view results of applying a language, for the assistance features.
struct LanguageState {
    int index = 0;
    std::string lookupName;
    std::string lexer;        // as configured (keys such as comment.block.<lexer>)
    std::string realLexer;    // the component's lexer it was mapped to
    int lexerNumber = 0;      // SCI_GETLEXER after setting it
    int characterSet = 1;
    unsigned viewFlags = 0;

    std::string api;          // ";"-separated API file names for the lookup name

    int indentOpening = 0;
    int indentClosing = 0;
    bool indentMaintain = false;
    int statementLookback = 0;
    props::StyleAndWords statementIndent, statementEnd, blockStart, blockEnd;
    bool indentAutomatic = false;
    int braceStyle = 0;

    bool calltipIgnoreCase = false;
    std::string calltipWordCharacters;
    std::string calltipParametersStart;
    std::string calltipParametersEnd;
    std::string calltipParametersSeparators;
    std::string calltipEndDefinition;
    std::string autocompleteStartCharacters;
    std::string autocompleteFillups;
    bool autocompleteIgnoreCase = false;
    bool autocompleteChooseSingle = false;

    std::string wordCharacters;

    bool SyntaxHighlight() const { return (viewFlags & kViewSyntaxHighlight) != 0; }
};

namespace styling {

inline constexpr const char* kDefaultWordCharacters =
    "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The 33 lexer options passed unchanged to the component, in order.
const std::vector<std::string_view>& LexerOptionNames();

// The full language step. fileName (ANSI bytes) is the file name right after
// opening; empty means "use the language's first pattern". The view flags are
// applied as well (wrap, line numbers, white space, line ends, guides).
LanguageState ApplyLanguage(QsciScintillaBase* sci, LanguageTable& table, int index,
                            std::string_view fileName, const LanguageInputs& inputs);

// Re-applying a language to a view that already shows text: shows every line,
// clears the styling, applies the language with the first-pattern lookup name,
// updates the line-number margin and restyles the whole text.
LanguageState ReapplyLanguage(QsciScintillaBase* sci, LanguageTable& table, int index,
                              const LanguageInputs& inputs);

// Only the styles, for a new font scheme or new colour options, then the margin
// width and a full restyle.
void ApplyStyles(QsciScintillaBase* sci, LanguageTable& table, const LanguageState& state,
                 const std::string& defaultStyle);

// The style steps alone (reset, default style 32, style.*.N and style.<lexer>.N).
void ApplyStyleSteps(QsciScintillaBase* sci, LanguageTable& table, const std::string& lexer,
                     const std::string& defaultStyle, int characterSet);

// Sends one parsed definition to style number style (only the given attributes).
void ApplyStyleSpec(QsciScintillaBase* sci, int style, const StyleSpec& def, int characterSet);

// Syntax highlighting off: the container lexer, every line shown, the text in the
// default style. (On is ReapplyLanguage with the view's flags.)
void SyntaxHighlightOff(QsciScintillaBase* sci);

// Makes every line visible with one SCI_SHOWLINES call, expanding collapsed headers.
void ShowAllLines(QsciScintillaBase* sci);

// Line-number margin: d digits of the line count (at least 4) times the width of
// "9" in style 33, plus 4 pixels; 0 when line numbers are off.
void UpdateLineNumberMargin(QsciScintillaBase* sci, bool lineNumbers);

// Fold markers 25-31 for a fold.symbols value.
void DefineFoldMarkers(QsciScintillaBase* sci, int foldSymbols);

// Tab use, tab width and indent width by the tab mode (0 properties, 1 spaces,
// 2 tabs).
void ApplyTabs(QsciScintillaBase* sci, const PropSetFile& props, const std::string& lookupName,
               int tabMode, int tabSize, int indentSize);

} // namespace styling
