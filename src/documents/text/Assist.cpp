#include "documents/text/Assist.h"

#include "documents/text/TextView.h"

#include "app/commands/CommandTable.h"
#include "language/LanguageStyler.h"
#include "language/PropSetFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using SB = QsciScintillaBase;

namespace assist {

Config configFrom(const LanguageState& st, const PropSetFile& props, const QString& propertiesFolder)
{
    Config c;
    c.lexer = st.realLexer;
    c.indentOpening = st.indentOpening;
    c.indentClosing = st.indentClosing;
    c.indentMaintain = st.indentMaintain;
    c.indentAutomatic = props.LookupInt("indent.automatic", 0) != 0;
    c.statementLookback = st.statementLookback;
    c.statementIndentStyle = st.statementIndent.styleNumber;
    c.statementIndent = st.statementIndent.words;
    c.statementEndStyle = st.statementEnd.styleNumber;
    c.statementEnd = st.statementEnd.words;
    c.blockStartStyle = st.blockStart.styleNumber;
    c.blockStart = st.blockStart.words;
    c.blockEndStyle = st.blockEnd.styleNumber;
    c.blockEnd = st.blockEnd.words;
    c.braceStyle = st.braceStyle;
    c.tip.ignoreCase = st.calltipIgnoreCase;
    c.tip.wordCharacters = st.calltipWordCharacters;
    c.tip.parametersStart = st.calltipParametersStart;
    c.tip.parametersEnd = st.calltipParametersEnd;
    c.tip.separators = st.calltipParametersSeparators;
    c.tip.endDefinition = st.calltipEndDefinition;
    c.autocompleteStart = st.autocompleteStartCharacters;
    c.autocompleteIgnoreCase = st.autocompleteIgnoreCase;
    // Without word.characters of its own, a language's words are letters, digits and "_".
    if (st.wordCharacters != styling::kDefaultWordCharacters)
        c.wordCharacters = st.wordCharacters;

    const std::string& L = st.lexer;
    c.commentBlock = props.LookupExpanded("comment.block." + L);
    c.commentBlockAtLineStart = props::ToInt(props.LookupExpanded("comment.block.at.line.start." + L)) != 0;
    c.commentBoxStart = props.LookupExpanded("comment.box.start." + L);
    c.commentBoxMiddle = props.LookupExpanded("comment.box.middle." + L);
    c.commentBoxEnd = props.LookupExpanded("comment.box.end." + L);
    c.commentStreamStart = props.LookupExpanded("comment.stream.start." + L);
    c.commentStreamEnd = props.LookupExpanded("comment.stream.end." + L);
    const std::string close = props.Lookup("xml.auto.close.tags");
    c.closeTags = !close.empty() && close != "0";
    c.autoWordCompletion = props.LookupInt("autocompleteword.automatic", 0) != 0;

    // The API files: names only, read from the properties folder.
    std::string all;
    size_t start = 0;
    const std::string& names = st.api;
    while (start < names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string::npos)
            end = names.size();
        const QString name = QFileInfo(QString::fromLocal8Bit(names.data() + start, qsizetype(end - start))).fileName();
        start = end + 1;
        if (name.isEmpty())
            continue;
        QFile f(propertiesFolder + "/" + name);
        if (f.open(QIODevice::ReadOnly)) {
            all += f.readAll().toStdString();
            all += '\n';
        }
    }
    c.api = parseApi(all);
    return c;
}

} // namespace assist

namespace {

bool in(char c, const std::string& set) { return !set.empty() && set.find(c) != std::string::npos; }

bool isBracket(char c) { return c && std::string_view("()[]{}").find(c) != std::string_view::npos; }

bool isOpening(char c) { return c == '(' || c == '[' || c == '{'; }

struct UndoStep {
    explicit UndoStep(CTextView* v) : view(v) { view->beginUndoAction(); }
    ~UndoStep() { view->endUndoAction(); }
    CTextView* view;
};

// Keeps positions in step with insertions and removals made one after another.
struct Tracked {
    long* pos[2];
    void inserted(long at, long n, bool stickStart)
    {
        for (long* p : pos)
            if (*p > at || (*p == at && !stickStart))
                *p += n;
    }
    void removed(long at, long n)
    {
        for (long* p : pos)
            if (*p > at)
                *p -= std::min(n, *p - at);
    }
};

} // namespace

CTextAssist::CTextAssist(CTextView* view) : QObject(view), view_(view)
{
    connect(view, &SB::SCN_CHARADDED, this, &CTextAssist::onCharAdded);
    connect(view, &SB::SCN_UPDATEUI, this, &CTextAssist::onUpdateUi);
    connect(view, &SB::SCN_CALLTIPCLICK, this, [this](int direction) {
        // The arrows step through the matching entries.
        if (tipEntries_ < 2 || (direction != 1 && direction != 2))
            return;
        tipIndex_ = (tipIndex_ + (direction == 1 ? tipEntries_ - 1 : 1)) % tipEntries_;
        showTip();
    });
}

void CTextAssist::configure(assist::Config config) { config_ = std::move(config); }

long CTextAssist::S(unsigned msg, unsigned long w, long l) const { return view_->SendScintilla(msg, w, l); }

std::string CTextAssist::range(long start, long end) const
{
    std::string s;
    view_->textRange(start, end, s);
    return s;
}

long CTextAssist::lineStart(long line) const { return S(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)); }

std::pair<long, long> CTextAssist::selectedLines(long anchor, long caret) const
{
    const long selStart = std::min(anchor, caret), selEnd = std::max(anchor, caret);
    const long first = view_->lineFromPosition(selStart);
    long last = view_->lineFromPosition(selEnd);
    // A selection that ends at the start of a line does not take that line in.
    if (last > first && selEnd == lineStart(last))
        --last;
    return {first, last};
}
long CTextAssist::lineEnd(long line) const { return S(SB::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line)); }
std::string CTextAssist::lineText(long line) const { return range(lineStart(line), lineEnd(line)); }
int CTextAssist::indentOf(long line) const
{
    return int(S(SB::SCI_GETLINEINDENTATION, static_cast<unsigned long>(line)));
}

void CTextAssist::setIndent(long line, int indent)
{
    if (indent < 0)
        indent = 0;
    const long caret = view_->currentPos();
    const long oldIndentPos = S(SB::SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(line));
    if (indent == indentOf(line))
        return;
    S(SB::SCI_SETLINEINDENTATION, static_cast<unsigned long>(line), indent);
    const long newIndentPos = S(SB::SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(line));
    // The caret keeps its place in the text after the indentation.
    long pos = caret;
    if (caret >= oldIndentPos)
        pos = caret + (newIndentPos - oldIndentPos);
    else if (caret > newIndentPos)
        pos = newIndentPos;
    view_->setSel(pos, pos);
}

bool CTextAssist::isWordChar(char c) const { return assist::isWordChar(static_cast<unsigned char>(c), config_.wordCharacters); }

bool CTextAssist::command(int id)
{
    switch (id) {
    case cmd::EditBlockComment: blockComment(); return true;
    case cmd::EditBoxComment: boxComment(); return true;
    case cmd::EditStreamComment: streamComment(); return true;
    case cmd::EditCallTip:
        if (!S(SB::SCI_CALLTIPACTIVE))
            braceDepth_ = 1;
        startCallTip();
        return true;
    case cmd::EditAutoComplete: autoComplete(); return true;
    case cmd::EditCompleteWord: completeWord(false); return true;
    case cmd::SearchMatchBrace: matchBrace(false); return true;
    case cmd::SearchSelectToBrace: matchBrace(true); return true;
    default: return false;
    }
}

// --- typed characters ---

void CTextAssist::onCharAdded(int code)
{
    if (view_->selectionLength() > 0 || view_->currentPos() == 0 || code <= 0 || code > 0x7F)
        return;
    const char ch = char(code);
    const assist::TipSettings& tip = config_.tip;
    if (S(SB::SCI_CALLTIPACTIVE)) {
        if (in(ch, tip.parametersEnd)) {
            if (--braceDepth_ < 1)
                S(SB::SCI_CALLTIPCANCEL);
            else
                startCallTip();
        } else if (in(ch, tip.parametersStart)) {
            ++braceDepth_;
            startCallTip();
        } else {
            continueCallTip();
        }
        return;
    }
    if (S(SB::SCI_AUTOCACTIVE)) {
        if (in(ch, tip.parametersStart)) {
            ++braceDepth_;
            startCallTip();
        } else if (in(ch, tip.parametersEnd)) {
            --braceDepth_;
        } else if (!isWordChar(ch)) {
            S(SB::SCI_AUTOCCANCEL);
            if (in(ch, config_.autocompleteStart))
                autoComplete();
        } else if (autoCompleteWordOpen_) {
            completeWord(true);
        }
        return;
    }
    if (closeTag(ch))
        return;
    if (in(ch, tip.parametersStart)) {
        braceDepth_ = 1;
        startCallTip();
        return;
    }
    autoCompleteWordOpen_ = false;
    if (config_.indentMaintain)
        maintainIndent(ch);
    else if (config_.indentAutomatic)
        automaticIndent(ch);
    if (in(ch, config_.autocompleteStart))
        autoComplete();
    else if (config_.autoWordCompletion && isWordChar(ch))
        autoCompleteWordOpen_ = completeWord(true);
}

// --- indentation ---

void CTextAssist::maintainIndent(char ch)
{
    const char eolChar = view_->eolMode() == SB::SC_EOL_CR ? '\r' : '\n';
    if (ch != eolChar)
        return;
    const long line = view_->lineFromPosition(view_->currentPos());
    long source = line - 1;
    if (config_.indentAutomatic)
        while (source >= 0 && this->lineEnd(source) == lineStart(source))
            --source;
    if (source < 0)
        return;
    const int indent = indentOf(source);
    if (indent > 0) {
        S(SB::SCI_SETLINEINDENTATION, static_cast<unsigned long>(line), indent);
        const long pos = S(SB::SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(line));
        view_->setSel(pos, pos);
    }
}

namespace {

bool includes(const std::string& words, std::string_view word)
{
    size_t start = 0;
    while (start < words.size()) {
        size_t end = words.find(' ', start);
        if (end == std::string::npos)
            end = words.size();
        if (end > start && std::string_view(words).substr(start, end - start) == word)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

// The parts of a line in one style: runs of word characters, or single other characters.
bool CTextAssist::firstWordInStyleIs(long line, int style, const std::string& words) const
{
    const long start = lineStart(line), end = lineEnd(line);
    S(SB::SCI_COLOURISE, static_cast<unsigned long>(start), end);
    for (long i = start; i < end; ++i) {
        const char c = char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(i)));
        if (int(S(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(i))) != style || c == ' ' || c == '\t')
            continue;
        long j = i + 1;
        if (isWordChar(c))
            while (j < end && isWordChar(char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(j))))
                   && int(S(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(j))) == style)
                ++j;
        return includes(words, range(i, j));
    }
    return false;
}

CTextAssist::LineState CTextAssist::lineState(long line) const
{
    const long start = lineStart(line), end = lineEnd(line);
    S(SB::SCI_COLOURISE, static_cast<unsigned long>(start), end);
    LineState state = LineState::None;
    LineState block = LineState::None;
    for (long i = start; i < end;) {
        const char c = char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(i)));
        const int style = int(S(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(i)));
        long j = i + 1;
        if (isWordChar(c))
            while (j < end && isWordChar(char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(j))))
                   && int(S(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(j))) == style)
                ++j;
        if (c != ' ' && c != '\t') {
            const std::string part = range(i, j);
            if (style == config_.statementIndentStyle && includes(config_.statementIndent, part))
                state = LineState::KeywordStart;
            if (style == config_.statementEndStyle && includes(config_.statementEnd, part))
                state = LineState::None;
            if (style == config_.blockEndStyle && includes(config_.blockEnd, part))
                block = LineState::BlockEnd;
            if (style == config_.blockStartStyle && includes(config_.blockStart, part))
                block = LineState::BlockStart;
        }
        i = j;
    }
    return block != LineState::None ? block : state;
}

int CTextAssist::blockIndent(long line) const
{
    if (line < 0)
        return 0;
    const int indentSize = int(S(SB::SCI_GETINDENT)) > 0 ? int(S(SB::SCI_GETINDENT)) : int(S(SB::SCI_GETTABWIDTH));
    int indent = indentOf(line);
    if (config_.statementIndent.empty() && config_.statementEnd.empty() && config_.blockStart.empty()
        && config_.blockEnd.empty())
        return indent;
    const long minLine = std::max(0L, line - config_.statementLookback);
    for (long back = line; back >= minLine; --back) {
        const LineState state = lineState(back);
        if (state == LineState::None)
            continue;
        indent = indentOf(back);
        if (state == LineState::BlockStart && !config_.indentOpening)
            indent += indentSize;
        if (state == LineState::BlockEnd && config_.indentClosing)
            indent = std::max(0, indent - indentSize);
        if (state == LineState::KeywordStart && back == line)
            indent += indentSize;
        break;
    }
    return indent;
}

void CTextAssist::automaticIndent(char ch)
{
    const long caret = view_->currentPos();
    const long line = view_->lineFromPosition(caret);
    const int indentSize = int(S(SB::SCI_GETINDENT)) > 0 ? int(S(SB::SCI_GETINDENT)) : int(S(SB::SCI_GETTABWIDTH));
    // The typed character is the first non-blank of its line.
    const bool firstOnLine = S(SB::SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(line)) == caret - 1;
    const bool singleEnd = config_.blockEnd.size() == 1, singleStart = config_.blockStart.size() == 1;
    if (singleEnd && ch == config_.blockEnd[0]) {
        if (!config_.indentClosing && firstOnLine)
            setIndent(line, blockIndent(line - 1) - indentSize);
    } else if (singleStart && ch == config_.blockStart[0]) {
        if (!config_.indentOpening && firstOnLine && line > 0 && lineState(line - 1) == LineState::KeywordStart)
            setIndent(line, blockIndent(line - 1) - indentSize);
    } else if (ch == (view_->eolMode() == SB::SC_EOL_CR ? '\r' : '\n') && caret == lineStart(line)) {
        if (!config_.indentClosing && !config_.blockEnd.empty() && !singleEnd && line > 0
            && firstWordInStyleIs(line - 1, config_.blockEndStyle, config_.blockEnd))
            setIndent(line - 1, blockIndent(line - 2) - indentSize);
        const int indent = blockIndent(line - 1);
        if (indent > 0) {
            S(SB::SCI_SETLINEINDENTATION, static_cast<unsigned long>(line), indent);
            const long pos = S(SB::SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(line));
            view_->setSel(pos, pos);
        }
    }
}

// --- call tips ---

void CTextAssist::startCallTip()
{
    const long caret = view_->currentPos();
    const long start = lineStart(view_->lineFromPosition(caret));
    const assist::TipWord tw = assist::findTipWord(range(start, caret), config_.tip);
    lastTipPos_ = caret;
    if (!tw.found)
        return;
    tipMatches_ = assist::tipEntries(config_.api, tw.word, config_.tip);
    tipEntries_ = long(tipMatches_.size());
    if (tipMatches_.empty())
        return;
    tipWordStart_ = start + long(tw.start);
    tipIndex_ = 0;
    showTip();
}

void CTextAssist::showTip()
{
    tipDefinition_ = assist::tipDefinition(tipMatches_[size_t(tipIndex_)], tipMatches_.size(), config_.tip);
    view_->SendScintilla(SB::SCI_CALLTIPSHOW, static_cast<unsigned long>(tipWordStart_), tipDefinition_.c_str());
    continueCallTip();
}

void CTextAssist::continueCallTip()
{
    if (tipDefinition_.empty())
        return;
    const long caret = view_->currentPos();
    if (caret < tipWordStart_)
        return;
    const auto hl = assist::tipHighlight(tipDefinition_, range(tipWordStart_, caret), config_.tip);
    S(SB::SCI_CALLTIPSETHLT, static_cast<unsigned long>(hl.first), long(hl.second));
}

// --- completion ---

void CTextAssist::autoComplete()
{
    if (config_.api.empty())
        return;
    const long caret = view_->currentPos();
    const long start = lineStart(view_->lineFromPosition(caret));
    const std::string root = assist::completionRoot(range(start, caret),
                                                    config_.tip.wordCharacters + config_.autocompleteStart);
    const std::vector<std::string> names = assist::apiCompletions(config_.api, root, config_.autocompleteIgnoreCase,
                                                                  config_.tip.parametersStart);
    if (names.empty())
        return;
    std::string list;
    for (const std::string& n : names) {
        if (!list.empty())
            list += ' ';
        list += n;
    }
    view_->SendScintilla(SB::SCI_AUTOCSHOW, static_cast<unsigned long>(root.size()), list.c_str());
}

bool CTextAssist::completeWord(bool singleCandidate)
{
    const long caret = view_->currentPos();
    long rootStart = caret;
    while (rootStart > 0 && caret - rootStart < 1000
           && isWordChar(char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(rootStart - 1)))))
        --rootStart;
    const std::string root = range(rootStart, caret);
    if (root.empty() || root.find_first_not_of("0123456789") == std::string::npos)
        return false;
    // Typing completes from the text around the caret; the command looks at everything.
    const long len = view_->length();
    long from = 0, to = len;
    if (singleCandidate) {
        from = std::max(0L, rootStart - kWordWindow);
        to = std::min(len, caret + kWordWindow);
    }
    const char* p = reinterpret_cast<const char*>(
        S(SB::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    if (!p)
        return false;
    assist::WordSearch q;
    q.root = root;
    q.wordCharacters = config_.wordCharacters;
    q.ignoreCase = config_.autocompleteIgnoreCase;
    q.singleCandidate = singleCandidate;
    q.skipAt = size_t(rootStart - from);
    const assist::WordResult r = assist::collectWords(std::string_view(p, size_t(to - from)), q);
    if (r.words.empty()) {
        S(SB::SCI_AUTOCCANCEL);
        return false;
    }
    std::string list;
    for (const std::string& w : r.words) {
        if (!list.empty())
            list += ' ';
        list += w;
    }
    view_->SendScintilla(SB::SCI_AUTOCSHOW, static_cast<unsigned long>(root.size()), list.c_str());
    return true;
}

// --- braces ---

namespace {
// How far from a brace its partner is looked for as the caret moves (bytes).
constexpr long kBraceWindow = 256 * 1024;
} // namespace

void CTextAssist::onUpdateUi(int updated)
{
    if (updated & (SB::SC_UPDATE_SELECTION | SB::SC_UPDATE_CONTENT))
        highlightBraces();
}

void CTextAssist::highlightBraces()
{
    const long caret = view_->currentPos();
    long brace = -1;
    if (caret > 0 && isBracket(char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(caret - 1)))))
        brace = caret - 1;
    else if (isBracket(char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(caret)))))
        brace = caret;
    if (brace < 0) {
        S(SB::SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(-1), -1);
        S(SB::SCI_SETHIGHLIGHTGUIDE, 0);
        return;
    }
    // Matched as the caret moves: the search stops a window's length from the brace, so a
    // brace of a line of millions of characters costs no walk along the whole line. A
    // partner beyond the window is neither shown nor called missing.
    const long partner = S(SB::SCI_BRACEMATCH, static_cast<unsigned long>(brace), kBraceWindow);
    if (partner == -2) {
        S(SB::SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(-1), -1);
        S(SB::SCI_SETHIGHLIGHTGUIDE, 0);
        return;
    }
    if (partner < 0) {
        S(SB::SCI_BRACEBADLIGHT, static_cast<unsigned long>(brace));
        S(SB::SCI_SETHIGHLIGHTGUIDE, 0);
        return;
    }
    S(SB::SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(brace), partner);
    const long c1 = view_->column(brace);
    const long c2 = view_->column(partner);
    S(SB::SCI_SETHIGHLIGHTGUIDE, static_cast<unsigned long>(std::min(c1, c2)));
}

long CTextAssist::braceAt(long pos, bool before) const
{
    const long at = before ? pos - 1 : pos;
    if (at < 0 || at >= view_->length())
        return -1;
    // Bracket characters are single bytes; a byte of a multi-byte character never is one.
    const char c = char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(at)));
    if (!isBracket(c))
        return -1;
    if (config_.braceStyle != 0) {
        // Styled on demand, from where the styling stopped: restyling from the start of the
        // brace's line would lex the whole of a long line again.
        const long styled = S(SB::SCI_GETENDSTYLED);
        if (styled <= at)
            S(SB::SCI_COLOURISE, static_cast<unsigned long>(lineStart(view_->lineFromPosition(styled))), at + 1);
        if (int(S(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(at))) != config_.braceStyle)
            return -1;
    }
    return at;
}

void CTextAssist::matchBrace(bool select)
{
    const long caret = view_->currentPos();
    long brace = braceAt(caret, true);
    const bool braceBeforeCaret = brace >= 0;
    if (brace < 0)
        brace = braceAt(caret, false);
    if (brace < 0)
        return;
    const long partner = S(SB::SCI_BRACEMATCH, static_cast<unsigned long>(brace));
    if (partner < 0)
        return;
    const bool opening = isOpening(char(S(SB::SCI_GETCHARAT, static_cast<unsigned long>(brace))));
    // Inside the pair: after an opening brace or before a closing one.
    const bool inside = braceBeforeCaret == opening;
    const bool partnerOpening = !opening;
    const auto side = [&](long b, bool open) { return inside == open ? b + 1 : b; };
    S(SB::SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(view_->lineFromPosition(partner)));
    const long to = side(partner, partnerOpening);
    if (select)
        view_->setSel(side(brace, opening), to);
    else
        S(SB::SCI_GOTOPOS, static_cast<unsigned long>(to));
    S(SB::SCI_SCROLLCARET);
}

// --- comments ---

void CTextAssist::blockComment()
{
    const std::string& comment = config_.commentBlock;
    if (comment.empty())
        return;
    long anchor = view_->anchor(), caret = view_->currentPos();
    const auto [first, last] = selectedLines(anchor, caret);
    Tracked track{{&anchor, &caret}};
    UndoStep step(view_);
    for (long line = first; line <= last; ++line) {
        const long at = config_.commentBlockAtLineStart
            ? lineStart(line) : S(SB::SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(line));
        const std::string rest = range(at, lineEnd(line));
        switch (assist::blockCommentAction(rest, comment)) {
        case assist::CommentAction::Skip: break;
        case assist::CommentAction::Remove: {
            const long n = long(assist::blockCommentRemoval(rest, comment));
            S(SB::SCI_DELETERANGE, static_cast<unsigned long>(at), n);
            track.removed(at, n);
            break;
        }
        case assist::CommentAction::Add: {
            const std::string text = comment + " ";
            view_->SendScintilla(SB::SCI_INSERTTEXT, static_cast<unsigned long>(at), text.c_str());
            track.inserted(at, long(text.size()), line == first);
            break;
        }
        }
    }
    view_->setSel(anchor, caret);
}

void CTextAssist::boxComment()
{
    if (config_.commentBoxStart.empty() || config_.commentBoxMiddle.empty() || config_.commentBoxEnd.empty())
        return;
    const std::string start = config_.commentBoxStart + " ", middle = config_.commentBoxMiddle + " ";
    const std::string& end = config_.commentBoxEnd;
    long anchor = view_->anchor(), caret = view_->currentPos();
    const auto [first, last] = selectedLines(anchor, caret);
    Tracked track{{&anchor, &caret}};
    UndoStep step(view_);
    auto insert = [&](long at, const std::string& text, bool stick) {
        view_->SendScintilla(SB::SCI_INSERTTEXT, static_cast<unsigned long>(at), text.c_str());
        track.inserted(at, long(text.size()), stick);
    };
    auto begins = [&](long line, const std::string& s) { return lineText(line).compare(0, s.size(), s) == 0; };
    if (!begins(first, start))
        insert(lineStart(first), start, true);
    if (first == last) {
        const std::string t = lineText(first);
        if (t.size() < end.size() || t.compare(t.size() - end.size(), end.size(), end) != 0)
            insert(lineEnd(first), " " + end, false);
    } else {
        for (long line = first + 1; line < last; ++line)
            if (!begins(line, middle))
                insert(lineStart(line), middle, true);
        if (!begins(last, end)) {
            if (!begins(last, middle))
                insert(lineStart(last), middle, true);
            const std::string eol = view_->eolMode() == SB::SC_EOL_CRLF ? "\r\n"
                                    : view_->eolMode() == SB::SC_EOL_CR ? "\r" : "\n";
            if (last + 1 < S(SB::SCI_GETLINECOUNT)) {
                if (!begins(last + 1, end))
                    insert(lineStart(last + 1), end + eol, true);
            } else {
                insert(view_->length(), eol + end, true);
            }
        }
    }
    view_->setSel(anchor, caret);
}

void CTextAssist::streamComment()
{
    const std::string& open = config_.commentStreamStart;
    const std::string& close = config_.commentStreamEnd;
    if (open.empty() || close.empty())
        return;
    long anchor = view_->anchor(), caret = view_->currentPos();
    if (anchor == caret) {
        const long line = view_->lineFromPosition(caret);
        const std::string t = lineText(line);
        if (t.find_first_not_of(" \t") == std::string::npos)
            return;
        const long ws = S(SB::SCI_WORDSTARTPOSITION, static_cast<unsigned long>(caret), 1);
        const long we = S(SB::SCI_WORDENDPOSITION, static_cast<unsigned long>(caret), 1);
        if (ws >= caret || we <= ws)
            return;
        anchor = ws;
        caret = we;
    }
    const long from = std::min(anchor, caret), to = std::max(anchor, caret);
    UndoStep step(view_);
    view_->SendScintilla(SB::SCI_INSERTTEXT, static_cast<unsigned long>(to), close.c_str());
    view_->SendScintilla(SB::SCI_INSERTTEXT, static_cast<unsigned long>(from), open.c_str());
    const long n = long(open.size());
    view_->setSel(anchor + n, caret + n);
}

// --- closing tags ---

bool CTextAssist::closeTag(char ch)
{
    if (ch != '>' || !config_.closeTags || (config_.lexer != "hypertext" && config_.lexer != "xml"))
        return false;
    const long caret = view_->currentPos();
    const std::string name = assist::closingTagName(range(std::max(0L, caret - 511), caret));
    if (name.empty())
        return false;
    const std::string text = "</" + name + ">";
    UndoStep step(view_);
    view_->SendScintilla(SB::SCI_INSERTTEXT, static_cast<unsigned long>(caret), text.c_str());
    view_->setSel(caret, caret);
    return true;
}
