#include "language/LanguageStyler.h"

#include "language/LexerAliases.h"
#include "documents/text/Markers.h"

#include <Qsci/qsciscintillabase.h>
#include <QAbstractScrollArea>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

using SB = QsciScintillaBase;

namespace {

long Send(QsciScintillaBase* sci, unsigned msg, unsigned long w = 0, long l = 0) {
    return sci->SendScintilla(msg, w, l);
}

long SendText(QsciScintillaBase* sci, unsigned msg, uintptr_t w, const std::string& text) {
    return sci->SendScintilla(msg, w, text.c_str());
}

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }

uint32_t FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

// "calltip.<lexer>.x", else "calltip.*.x", else the default.
std::string LexerOrStar(const PropSetFile& props, const std::string& group, const std::string& lexer,
                        const char* item, const char* fallback) {
    std::string value = props.LookupExpanded(group + "." + lexer + "." + item);
    if (value.empty())
        value = props.LookupExpanded(group + ".*." + item);
    if (value.empty())
        value = fallback;
    return value;
}

} // namespace

unsigned ViewFlagsFromMask(uint32_t mask) {
    using namespace editormask;
    unsigned flags = 0;
    if (mask & kWordWrap) flags |= kViewWordWrap;
    if (mask & kSyntaxHighlight) flags |= kViewSyntaxHighlight;
    if (mask & kLineNumbers) flags |= kViewLineNumbers;
    if (mask & kWhiteSpace) flags |= kViewWhiteSpace;
    if (mask & kLineEnds) flags |= kViewLineEnds;
    if (mask & kIndentGuides) flags |= kViewIndentGuides;
    return flags;
}

int TabModeFromMask(uint32_t mask) { return int((mask >> editormask::kTabModeShift) & 3u); }

namespace styling {

const std::vector<std::string_view>& LexerOptionNames() {
    static const std::vector<std::string_view> names = {
        "asp.default.language", "fold", "fold.at.else", "fold.comment", "fold.comment.yaml",
        "fold.compact", "fold.directive", "fold.html", "fold.html.preprocessor",
        "fold.perl.package", "fold.perl.pod", "fold.preprocessor", "fold.quotes.python",
        "fold.sql.only.begin", "fold.verilog.flags", "html.tags.case.sensitive",
        "lexer.caml.magic", "lexer.cpp.allow.dollars", "lexer.d.fold.at.else",
        "lexer.metapost.comment.process", "lexer.metapost.interface.default",
        "lexer.sql.backticks.identifier", "lexer.tex.auto.if", "lexer.tex.comment.process",
        "lexer.tex.interface.default", "lexer.tex.use.keywords", "nsis.ignorecase",
        "nsis.uservars", "ps.level", "ps.tokenize", "sql.backslash.escapes",
        "styling.within.preprocessor", "tab.timmy.whinge.level",
    };
    return names;
}

void ApplyStyleSpec(QsciScintillaBase* sci, int style, const StyleSpec& def, int characterSet) {
    const unsigned long s = static_cast<unsigned long>(style);
    if (def.Has(StyleSpec::kItalics))
        Send(sci, SB::SCI_STYLESETITALIC, s, def.italics);
    if (def.Has(StyleSpec::kBold))
        Send(sci, SB::SCI_STYLESETBOLD, s, def.bold);
    if (def.Has(StyleSpec::kFont)) {
        QByteArray family = fonts::ScreenFamily(def.font).toUtf8();
        sci->SendScintilla(SB::SCI_STYLESETFONT, static_cast<uintptr_t>(style), family.constData());
    }
    if (def.Has(StyleSpec::kFore))
        Send(sci, SB::SCI_STYLESETFORE, s, long(def.ForeColour()));
    if (def.Has(StyleSpec::kBack))
        Send(sci, SB::SCI_STYLESETBACK, s, long(def.BackColour()));
    if (def.Has(StyleSpec::kSize))
        Send(sci, SB::SCI_STYLESETSIZE, s, def.size);
    if (def.Has(StyleSpec::kEolFilled))
        Send(sci, SB::SCI_STYLESETEOLFILLED, s, def.eolfilled);
    if (def.Has(StyleSpec::kUnderlined))
        Send(sci, SB::SCI_STYLESETUNDERLINE, s, def.underlined);
    if (def.Has(StyleSpec::kCase))
        Send(sci, SB::SCI_STYLESETCASE, s, def.caseMode);
    if (def.Has(StyleSpec::kVisible))
        Send(sci, SB::SCI_STYLESETVISIBLE, s, def.visible);
    if (def.Has(StyleSpec::kChangeable))
        Send(sci, SB::SCI_STYLESETCHANGEABLE, s, def.changeable);
    Send(sci, SB::SCI_STYLESETCHARACTERSET, s, characterSet);
}

void ApplyStyleSteps(QsciScintillaBase* sci, LanguageTable& table, const std::string& lexer,
                     const std::string& defaultStyle, int characterSet) {
    PropSetFile& props = table.Props();
    Send(sci, SB::SCI_STYLERESETDEFAULT);
    ApplyStyleSpec(sci, SB::STYLE_DEFAULT, StyleSpec::Parse(defaultStyle), characterSet);
    props.Assign("style.*.32", defaultStyle);
    ApplyStyleSpec(sci, SB::STYLE_DEFAULT,
                   StyleSpec::Parse(props.LookupForFileExpanded("style." + lexer + ".32", "")), characterSet);
    Send(sci, SB::SCI_STYLECLEARALL);
    const std::string starPrefix = "style.*.";
    const std::string lexerPrefix = "style." + lexer + ".";
    for (int n = 0; n <= 255; ++n) {
        if (n == SB::STYLE_DEFAULT)
            continue;
        const std::string number = std::to_string(n);
        std::string star = props.LookupExpanded(starPrefix + number);
        if (!star.empty())
            ApplyStyleSpec(sci, n, StyleSpec::Parse(star), characterSet);
        std::string own = props.LookupExpanded(lexerPrefix + number);
        if (!own.empty())
            ApplyStyleSpec(sci, n, StyleSpec::Parse(own), characterSet);
    }
}

void ShowAllLines(QsciScintillaBase* sci) {
    long lines = Send(sci, SB::SCI_GETLINECOUNT);
    // Collapsed headers are marked expanded so the fold margin agrees with the text.
    for (long line = Send(sci, SB::SCI_CONTRACTEDFOLDNEXT, 0); line >= 0;
         line = Send(sci, SB::SCI_CONTRACTEDFOLDNEXT, static_cast<unsigned long>(line + 1)))
        Send(sci, SB::SCI_SETFOLDEXPANDED, static_cast<unsigned long>(line), 1);
    if (lines > 0)
        Send(sci, SB::SCI_SHOWLINES, 0, lines - 1);
}

void UpdateLineNumberMargin(QsciScintillaBase* sci, bool lineNumbers) {
    if (!lineNumbers) {
        Send(sci, SB::SCI_SETMARGINWIDTHN, 0, 0);
        return;
    }
    long lines = Send(sci, SB::SCI_GETLINECOUNT);
    int digits = 1;
    for (long n = lines; n >= 10; n /= 10)
        ++digits;
    if (digits < 4)
        digits = 4;
    long nine = sci->SendScintilla(SB::SCI_TEXTWIDTH, static_cast<uintptr_t>(SB::STYLE_LINENUMBER), "9");
    Send(sci, SB::SCI_SETMARGINWIDTHN, 0, digits * nine + 4);
}

void DefineFoldMarkers(QsciScintillaBase* sci, int foldSymbols) {
    struct Set {
        int open, folder, sub, tail, end, openMid, midTail;
        uint32_t fore, back, foreConnected, backConnected;
    };
    const uint32_t white = Rgb(255, 255, 255), black = 0;
    Set set;
    switch (foldSymbols) {
    case 0:
        set = {SB::SC_MARK_BOXMINUS, SB::SC_MARK_BOXPLUS, SB::SC_MARK_VLINE, SB::SC_MARK_LCORNER,
               SB::SC_MARK_BOXPLUSCONNECTED, SB::SC_MARK_BOXMINUSCONNECTED, SB::SC_MARK_TCORNER,
               white, Rgb(128, 128, 128), white, Rgb(128, 128, 128)};
        break;
    case 1:
        set = {SB::SC_MARK_CIRCLEMINUS, SB::SC_MARK_CIRCLEPLUS, SB::SC_MARK_VLINE, SB::SC_MARK_LCORNERCURVE,
               SB::SC_MARK_CIRCLEPLUSCONNECTED, SB::SC_MARK_CIRCLEMINUSCONNECTED, SB::SC_MARK_TCORNERCURVE,
               white, Rgb(64, 64, 64), white, Rgb(64, 64, 64)};
        break;
    case 2:
        set = {SB::SC_MARK_MINUS, SB::SC_MARK_PLUS, SB::SC_MARK_EMPTY, SB::SC_MARK_EMPTY,
               SB::SC_MARK_EMPTY, SB::SC_MARK_EMPTY, SB::SC_MARK_EMPTY, white, black, white, black};
        break;
    default:
        set = {SB::SC_MARK_ARROWDOWN, SB::SC_MARK_ARROW, SB::SC_MARK_EMPTY, SB::SC_MARK_EMPTY,
               SB::SC_MARK_EMPTY, SB::SC_MARK_EMPTY, SB::SC_MARK_EMPTY, black, black, white, black};
        break;
    }
    auto define = [&](int marker, int symbol, uint32_t fore, uint32_t back) {
        Send(sci, SB::SCI_MARKERDEFINE, static_cast<unsigned long>(marker), symbol);
        Send(sci, SB::SCI_MARKERSETFORE, static_cast<unsigned long>(marker), long(fore));
        Send(sci, SB::SCI_MARKERSETBACK, static_cast<unsigned long>(marker), long(back));
    };
    define(SB::SC_MARKNUM_FOLDEROPEN, set.open, set.fore, set.back);
    define(SB::SC_MARKNUM_FOLDER, set.folder, set.fore, set.back);
    define(SB::SC_MARKNUM_FOLDERSUB, set.sub, set.fore, set.back);
    define(SB::SC_MARKNUM_FOLDERTAIL, set.tail, set.fore, set.back);
    define(SB::SC_MARKNUM_FOLDEREND, set.end, set.foreConnected, set.backConnected);
    define(SB::SC_MARKNUM_FOLDEROPENMID, set.openMid, set.foreConnected, set.backConnected);
    define(SB::SC_MARKNUM_FOLDERMIDTAIL, set.midTail, set.foreConnected, set.backConnected);
}

void ApplyTabs(QsciScintillaBase* sci, const PropSetFile& props, const std::string& lookupName,
               int tabMode, int tabSize, int indentSize) {
    if (tabSize == 0)
        tabSize = 4;
    if (indentSize == 0)
        indentSize = 4;
    if (tabMode == 1 || tabMode == 2) {
        Send(sci, SB::SCI_SETUSETABS, tabMode == 1 ? 0 : 1);
        Send(sci, SB::SCI_SETTABWIDTH, static_cast<unsigned long>(tabSize));
        Send(sci, SB::SCI_SETINDENT, static_cast<unsigned long>(indentSize));
        return;
    }
    int useTabs = props.LookupInt("use.tabs", 1);
    std::string fileUseTabs = props.LookupForFileExpanded("use.tabs.", lookupName);
    if (!fileUseTabs.empty())
        useTabs = props::ToInt(fileUseTabs);
    Send(sci, SB::SCI_SETUSETABS, static_cast<unsigned long>(useTabs != 0));
    std::string fileTab = props.LookupForFileExpanded("tab.size.", lookupName);
    if (!fileTab.empty())
        Send(sci, SB::SCI_SETTABWIDTH, static_cast<unsigned long>(props::ToInt(fileTab)));
    else
        Send(sci, SB::SCI_SETTABWIDTH, static_cast<unsigned long>(tabSize));
    std::string fileIndent = props.LookupForFileExpanded("indent.size.", lookupName);
    Send(sci, SB::SCI_SETINDENT,
         static_cast<unsigned long>(fileIndent.empty() ? indentSize : props::ToInt(fileIndent)));
}

void SyntaxHighlightOff(QsciScintillaBase* sci) {
    Send(sci, SB::SCI_SETLEXER, SB::SCLEX_CONTAINER);
    ShowAllLines(sci);
    Send(sci, SB::SCI_CLEARDOCUMENTSTYLE);
    sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    Send(sci, SB::SCI_STYLECLEARALL);
}

LanguageState ApplyLanguage(QsciScintillaBase* sci, LanguageTable& table, int index,
                            std::string_view fileName, const LanguageInputs& in) {
    PropSetFile& props = table.Props();
    if (index < 0 || index >= table.Count())
        index = 0;
    const LanguageEntry& entry = table.Entry(index);

    LanguageState st;
    st.index = index;
    st.lookupName = table.LookupName(index, fileName);
    st.lexer = entry.lexer;
    st.realLexer = lexers::RealLexerName(entry.lexer);
    st.viewFlags = in.viewFlags >= 0 ? unsigned(in.viewFlags) : ViewFlagsFromMask(in.editorMask);
    const std::string& name = st.lookupName;
    const std::string& L = st.lexer;

    if (st.SyntaxHighlight()) {
        sci->SendScintilla(SB::SCI_SETLEXERLANGUAGE, static_cast<uintptr_t>(0), st.realLexer.c_str());
        Send(sci, SB::SCI_SETSTYLEBITS, 7);
        st.lexerNumber = int(Send(sci, SB::SCI_GETLEXER));
        SendText(sci, SB::SCI_SETKEYWORDS, 0, props.LookupForFileExpanded("keywords.", name));
        for (int list = 1; list <= 8; ++list) {
            std::string key = "keywords" + std::to_string(list + 1) + ".";
            SendText(sci, SB::SCI_SETKEYWORDS, static_cast<uintptr_t>(list), props.LookupForFileExpanded(key, name));
        }
    }

    st.api = props.LookupForFileExpanded("api.", name);

    ApplyTabs(sci, props, name, TabModeFromMask(in.editorMask), in.tabSize, in.indentSize);

    Send(sci, SB::SCI_CALLTIPUSESTYLE, 32);

    st.indentOpening = props.LookupInt("indent.opening", 0);
    st.indentClosing = props.LookupInt("indent.closing", 0);
    st.indentMaintain = props::ToInt(props.LookupForFileExpanded("indent.maintain.", name)) != 0;
    st.statementLookback = props::ToInt(props.LookupForFileExpanded("statement.lookback.", name));
    st.statementIndent = props::StyleAndWords::Parse(props.LookupForFileExpanded("statement.indent.", name));
    st.statementEnd = props::StyleAndWords::Parse(props.LookupForFileExpanded("statement.end.", name));
    st.blockStart = props::StyleAndWords::Parse(props.LookupForFileExpanded("block.start.", name));
    st.blockEnd = props::StyleAndWords::Parse(props.LookupForFileExpanded("block.end.", name));

    for (std::string_view option : LexerOptionNames()) {
        std::string key(option);
        std::string value = props.Lookup(key);
        sci->SendScintilla(SB::SCI_SETPROPERTY, key.c_str(), value.c_str());
    }

    Send(sci, SB::SCI_SETCODEPAGE, in.unicode ? 65001 : static_cast<unsigned long>(props.LookupInt("code.page", 0)));
    st.characterSet = props.LookupInt("character.set", 1);
    Send(sci, SB::SCI_SETCARETFORE, 0);
    Send(sci, SB::SCI_SETMOUSEDWELLTIME, static_cast<unsigned long>(props.LookupInt("dwell.period", 10000000)));

    if (in.editorMask & editormask::kHighlightLine) {
        Send(sci, SB::SCI_SETCARETLINEVISIBLE, 1);
        Send(sci, SB::SCI_SETCARETLINEBACK, in.highlightColor);
        Send(sci, SB::SCI_SETCARETLINEBACKALPHA,
             (in.editorMask & editormask::kTransparentLine) ? static_cast<unsigned long>(in.lineTransparent)
                                                            : static_cast<unsigned long>(SB::SC_ALPHA_NOALPHA));
    } else {
        Send(sci, SB::SCI_SETCARETLINEVISIBLE, 0);
    }
    if (in.editorMask & editormask::kColumnEdge) {
        Send(sci, SB::SCI_SETEDGECOLUMN, static_cast<unsigned long>(in.lineEdgePos));
        Send(sci, SB::SCI_SETEDGEMODE, (in.editorMask & editormask::kEdgeAsLine) ? 1 : 2);
        Send(sci, SB::SCI_SETEDGECOLOUR, in.lineEdgeColor);
    } else {
        Send(sci, SB::SCI_SETEDGEMODE, 0);
    }

    auto optionalColour = [&](unsigned msg, const char* key) {
        std::string value = props.Lookup(key);
        if (value.empty())
            Send(sci, msg, 0, 0);
        else
            Send(sci, msg, 1, long(props::ColourFromString(value)));
    };
    optionalColour(SB::SCI_SETFOLDMARGINCOLOUR, "fold.margin.colour");
    optionalColour(SB::SCI_SETFOLDMARGINHICOLOUR, "fold.margin.highlight.colour");
    Send(sci, SB::SCI_SETBUFFEREDDRAW, static_cast<unsigned long>(props.LookupInt("buffered.draw", 1)));
    Send(sci, SB::SCI_SETTWOPHASEDRAW, static_cast<unsigned long>(props.LookupInt("two.phase.draw", 1)));
    Send(sci, SB::SCI_SETLAYOUTCACHE, static_cast<unsigned long>(props.LookupInt("cache.layout", 1)));
    optionalColour(SB::SCI_SETWHITESPACEFORE, "whitespace.fore");
    optionalColour(SB::SCI_SETWHITESPACEBACK, "whitespace.back");

    ApplyStyleSteps(sci, table, L, in.defaultStyle, st.characterSet);

    Send(sci, SB::SCI_SETPRINTMAGNIFICATION, static_cast<unsigned long>(props.LookupInt("print.magnification", 0)));
    Send(sci, SB::SCI_SETPRINTCOLOURMODE, static_cast<unsigned long>(props.LookupInt("print.colour.mode", 0)));
    Send(sci, SB::SCI_SETMARGINLEFT, 0, props.LookupInt("blank.margin.left", 1));
    Send(sci, SB::SCI_SETMARGINRIGHT, 0, props.LookupInt("blank.margin.right", 1));
    Send(sci, SB::SCI_SETFOLDFLAGS, static_cast<unsigned long>(props.LookupInt("fold.flags", 0)));
    Send(sci, SB::SCI_SETMODEVENTMASK, SB::SC_MOD_CHANGEFOLD);

    Send(sci, SB::SCI_SETMARGINTYPEN, 2, SB::SC_MARGIN_SYMBOL);
    Send(sci, SB::SCI_SETMARGINWIDTHN, 1, 12);
    Send(sci, SB::SCI_SETMARGINWIDTHN, 2, 12);
    Send(sci, SB::SCI_SETMARGINMASKN, 2, long(SB::SC_MASK_FOLDERS));
    Send(sci, SB::SCI_SETMARGINSENSITIVEN, 2, 1);
    DefineFoldMarkers(sci, props.LookupInt("fold.symbols", 0));

    Send(sci, SB::SCI_SETSCROLLWIDTHTRACKING, 1);
    Send(sci, SB::SCI_SETSCROLLWIDTH, 1);
    Send(sci, SB::SCI_SETENDATLASTLINE, static_cast<unsigned long>(props.LookupInt("end.at.last.line", 1)));
    Send(sci, SB::SCI_SETCARETSTICKY, static_cast<unsigned long>(props.LookupInt("caret.sticky", 0)));

    Send(sci, SB::SCI_MARKERSETFORE, textdoc::kBookmarkMarker, 0);
    Send(sci, SB::SCI_MARKERSETBACK, textdoc::kBookmarkMarker, long(Rgb(0, 255, 255)));
    Send(sci, SB::SCI_MARKERDEFINE, textdoc::kBookmarkMarker, SB::SC_MARK_CIRCLE);
    Send(sci, SB::SCI_SETMARGINSENSITIVEN, 1, 1);

    st.indentAutomatic = props.LookupInt("indent.automatic", 0) != 0;
    st.braceStyle = props.LookupInt("braces." + L + ".style", 0);

    st.calltipIgnoreCase = LexerOrStar(props, "calltip", L, "ignorecase", "") == "1";
    st.calltipWordCharacters = LexerOrStar(props, "calltip", L, "word.characters", styling::kDefaultWordCharacters);
    st.calltipParametersStart = LexerOrStar(props, "calltip", L, "parameters.start", "(");
    st.calltipParametersEnd = LexerOrStar(props, "calltip", L, "parameters.end", ")");
    st.calltipParametersSeparators = LexerOrStar(props, "calltip", L, "parameters.separators", ",;");
    st.calltipEndDefinition = LexerOrStar(props, "calltip", L, "end.definition", "");
    st.autocompleteStartCharacters = LexerOrStar(props, "autocomplete", L, "start.characters", "");
    st.autocompleteFillups = LexerOrStar(props, "autocomplete", L, "fillups", "");
    std::string ignore = props.LookupForFileExpanded("autocomplete.*.ignorecase", "");
    std::string lexerIgnore = props.LookupForFileExpanded("autocomplete." + L + ".ignorecase", "");
    if (!lexerIgnore.empty())
        ignore = lexerIgnore;
    st.autocompleteIgnoreCase = ignore == "1";
    st.autocompleteChooseSingle = props.LookupInt("autocomplete.choose.single", 0) != 0;
    SendText(sci, SB::SCI_AUTOCSETFILLUPS, 0, st.autocompleteFillups);
    Send(sci, SB::SCI_AUTOCSETIGNORECASE, st.autocompleteIgnoreCase);
    Send(sci, SB::SCI_AUTOCSETCHOOSESINGLE, st.autocompleteChooseSingle);
    Send(sci, SB::SCI_AUTOCSETCANCELATSTART, 0);
    Send(sci, SB::SCI_AUTOCSETDROPRESTOFWORD, 0);

    Send(sci, SB::SCI_SETCHARSDEFAULT);
    std::string words = props.LookupForFileExpanded("word.characters.", name);
    if (!words.empty()) {
        SendText(sci, SB::SCI_SETWORDCHARS, 0, words);
        st.wordCharacters = words;
    } else {
        st.wordCharacters = styling::kDefaultWordCharacters;
    }

    for (int indicator : {textdoc::kFirstSpareIndicator, textdoc::kFirstSpareIndicator + 1,
                          textdoc::kFirstSpareIndicator + 2, textdoc::kOccurrenceIndicator, textdoc::kMarkIndicator}) {
        const unsigned long i = static_cast<unsigned long>(indicator);
        Send(sci, SB::SCI_INDICSETSTYLE, i, SB::INDIC_ROUNDBOX);
        Send(sci, SB::SCI_INDICSETALPHA, i, 100);
        Send(sci, SB::SCI_INDICSETUNDER, i, 1);
    }
    Send(sci, SB::SCI_INDICSETFORE, textdoc::kOccurrenceIndicator, long(Rgb(255, 255, 0)));
    Send(sci, SB::SCI_INDICSETFORE, textdoc::kMarkIndicator, long(Rgb(255, 0, 0)));

    const QPalette palette = QGuiApplication::palette();
    Send(sci, SB::SCI_SETSELFORE, 1, long(FromQColor(palette.color(QPalette::Active, QPalette::HighlightedText))));
    Send(sci, SB::SCI_SETSELBACK, 1, long(FromQColor(palette.color(QPalette::Active, QPalette::Highlight))));

    if (!st.SyntaxHighlight()) {
        Send(sci, SB::SCI_SETLEXER, SB::SCLEX_CONTAINER);
        Send(sci, SB::SCI_STYLECLEARALL);
    }

    // The view flags that travel with the language.
    Send(sci, SB::SCI_SETWRAPMODE, (st.viewFlags & kViewWordWrap) ? SB::SC_WRAP_WORD : SB::SC_WRAP_NONE);
    Send(sci, SB::SCI_SETVIEWWS, (st.viewFlags & kViewWhiteSpace) ? SB::SCWS_VISIBLEALWAYS : SB::SCWS_INVISIBLE);
    Send(sci, SB::SCI_SETVIEWEOL, (st.viewFlags & kViewLineEnds) ? 1 : 0);
    Send(sci, SB::SCI_SETINDENTATIONGUIDES, (st.viewFlags & kViewIndentGuides) ? SB::SC_IV_REAL : SB::SC_IV_NONE);
    UpdateLineNumberMargin(sci, st.viewFlags & kViewLineNumbers);
    return st;
}

LanguageState ReapplyLanguage(QsciScintillaBase* sci, LanguageTable& table, int index,
                              const LanguageInputs& inputs) {
    ShowAllLines(sci);
    Send(sci, SB::SCI_CLEARDOCUMENTSTYLE);
    LanguageState st = ApplyLanguage(sci, table, index, {}, inputs);
    UpdateLineNumberMargin(sci, st.viewFlags & kViewLineNumbers);
    sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    sci->viewport()->update();
    return st;
}

void ApplyStyles(QsciScintillaBase* sci, LanguageTable& table, const LanguageState& state,
                 const std::string& defaultStyle) {
    ApplyStyleSteps(sci, table, state.lexer, defaultStyle, state.characterSet);
    if (!state.SyntaxHighlight())
        Send(sci, SB::SCI_STYLECLEARALL);
    UpdateLineNumberMargin(sci, state.viewFlags & kViewLineNumbers);
    sci->SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    sci->viewport()->update();
}

} // namespace styling
