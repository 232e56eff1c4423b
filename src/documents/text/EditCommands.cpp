#include "documents/text/EditCommands.h"

#include "documents/text/TextView.h"

#include "app/commands/CommandTable.h"

#include <QApplication>
#include <QClipboard>

namespace editops {

namespace {

// Calls f(lineStart, lineEnd) for every line of text (line ends excluded).
template <typename F>
void forEachLine(std::string_view text, F&& f)
{
    size_t start = 0;
    const size_t n = text.size();
    while (true) {
        size_t end = start;
        while (end < n && text[end] != '\n' && text[end] != '\r')
            ++end;
        f(start, end);
        if (end >= n)
            return;
        start = end + ((text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ? 2 : 1);
    }
}

} // namespace

std::string tabsToSpaces(std::string_view text, int width)
{
    // The result's size first, so that the text is written once without growing.
    const size_t w = size_t(width > 0 ? width : 0);
    size_t tabs = 0;
    forEachLine(text, [&](size_t start, size_t end) {
        for (size_t i = start; i < end && (text[i] == ' ' || text[i] == '\t'); ++i)
            tabs += text[i] == '\t';
    });
    std::string out;
    out.reserve(text.size() + tabs * w - tabs);
    const std::string spaces(w, ' ');
    size_t copied = 0;
    forEachLine(text, [&](size_t start, size_t end) {
        size_t i = start;
        while (i < end && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (text.substr(start, i - start).find('\t') == std::string_view::npos)
            return;
        out.append(text.substr(copied, start - copied));
        for (size_t k = start; k < i; ++k) {
            if (text[k] == '\t')
                out.append(spaces);
            else
                out.push_back(' ');
        }
        copied = i;
    });
    out.append(text.substr(copied));
    return out;
}

std::string spacesToTabs(std::string_view text, int width)
{
    if (width <= 0)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    const size_t w = size_t(width);
    size_t copied = 0;
    forEachLine(text, [&](size_t start, size_t end) {
        size_t tabsEnd = start;
        while (tabsEnd < end && text[tabsEnd] == '\t')
            ++tabsEnd;
        size_t spacesEnd = tabsEnd;
        while (spacesEnd < end && text[spacesEnd] == ' ')
            ++spacesEnd;
        const size_t groups = (spacesEnd - tabsEnd) / w;
        if (groups == 0)
            return;
        out.append(text.substr(copied, tabsEnd - copied));
        out.append(groups, '\t');
        copied = tabsEnd + groups * w;
    });
    out.append(text.substr(copied));
    return out;
}

size_t trailingBlankLength(std::string_view line)
{
    size_t n = line.size();
    while (n > 0 && (line[n - 1] == ' ' || line[n - 1] == '\t'))
        --n;
    return line.size() - n;
}

bool isBlankLine(std::string_view line)
{
    return trailingBlankLength(line) == line.size();
}

} // namespace editops

namespace editcmd {

namespace {

using SB = QsciScintillaBase;

long S(CTextView& v, unsigned msg, unsigned long w = 0, long l = 0)
{
    return v.SendScintilla(msg, w, l);
}

// Text of line `line` without its line end.
std::string lineText(CTextView& v, long line)
{
    const long start = S(v, SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = S(v, SB::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    std::string s;
    v.textRange(start, end, s);
    return s;
}

struct UndoStep {
    explicit UndoStep(CTextView& v) : view(v) { view.beginUndoAction(); }
    ~UndoStep() { view.endUndoAction(); }
    CTextView& view;
};

void moveLine(CTextView& v, bool up)
{
    const long line = v.lineFromPosition(v.currentPos());
    const long last = S(v, SB::SCI_GETLINECOUNT) - 1;
    if (up ? line == 0 : line >= last)
        return;
    UndoStep step(v);
    if (up) {
        S(v, SB::SCI_LINETRANSPOSE);
        S(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(line - 1));
    } else {
        S(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(line + 1));
        S(v, SB::SCI_LINETRANSPOSE);
        S(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(line + 1));
    }
}

void deleteEmptyLines(CTextView& v)
{
    long caretLine = v.lineFromPosition(v.currentPos());
    UndoStep step(v);
    for (long i = 0; i < S(v, SB::SCI_GETLINECOUNT);) {
        if (!editops::isBlankLine(lineText(v, i))) {
            ++i;
            continue;
        }
        const long count = S(v, SB::SCI_GETLINECOUNT);
        S(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(i));
        // The last line has no line end: deleting it only empties it, and the text keeps
        // its final line end.
        S(v, SB::SCI_LINEDELETE);
        if (i < caretLine)
            --caretLine;
        if (i >= count - 1)
            break;
    }
    const long lines = S(v, SB::SCI_GETLINECOUNT);
    S(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(caretLine < lines ? caretLine : lines - 1));
}

void trimTrailing(CTextView& v)
{
    UndoStep step(v);
    const long lines = S(v, SB::SCI_GETLINECOUNT);
    for (long i = 0; i < lines; ++i) {
        const std::string t = lineText(v, i);
        const size_t n = editops::trailingBlankLength(t);
        if (n == 0)
            continue;
        const long end = S(v, SB::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(i));
        S(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(end - long(n)));
        S(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(end));
        v.SendScintilla(SB::SCI_REPLACETARGET, 0UL, "");
    }
}

// Replaces the document with `after`, touching only the span that differs, as one step.
void replaceChanged(CTextView& v, std::string_view before, const std::string& after)
{
    if (before == after)
        return;
    size_t head = 0;
    const size_t common = std::min(before.size(), after.size());
    while (head < common && before[head] == after[head])
        ++head;
    size_t tail = 0;
    while (tail < common - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const long caretLine = v.lineFromPosition(v.currentPos());
    UndoStep step(v);
    S(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(head));
    S(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(before.size() - tail));
    v.SendScintilla(SB::SCI_REPLACETARGET, static_cast<unsigned long>(after.size() - tail - head),
                    after.data() + head);
    S(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(caretLine));
}

void convertIndentation(CTextView& v, bool toSpaces)
{
    const int width = int(S(v, SB::SCI_GETTABWIDTH));
    if (!toSpaces && width <= 0)
        return;
    const long len = v.length();
    const char* p = reinterpret_cast<const char*>(S(v, SB::SCI_GETCHARACTERPOINTER));
    const std::string_view before(p ? p : "", p ? size_t(len) : 0);
    std::string after = toSpaces ? editops::tabsToSpaces(before, width) : editops::spacesToTabs(before, width);
    replaceChanged(v, before, after);
}

void swapWithClipboard(CTextView& v)
{
    QClipboard* clip = QApplication::clipboard();
    const QString pasted = clip->text();
    if (v.selectionLength() <= 0 || pasted.isEmpty())
        return;
    std::string saved;
    v.textRange(S(v, SB::SCI_GETSELECTIONSTART), S(v, SB::SCI_GETSELECTIONEND), saved);
    // The component holds text as UTF-8: what goes on the clipboard is that text, so a
    // character arrives as itself whatever the document's file encoding.
    const QByteArray utf8 = pasted.toUtf8();
    v.SendScintilla(SB::SCI_REPLACESEL, 0UL, utf8.constData());
    clip->setText(QString::fromUtf8(saved.data(), qsizetype(saved.size())));
}

void targetFromSelection(CTextView& v) { S(v, SB::SCI_TARGETFROMSELECTION); }

} // namespace

bool runEditCommand(CTextView& v, int id)
{
    switch (id) {
    case cmd::EditDelete: S(v, SB::SCI_DELETEBACK); return true;
    case cmd::EditSwapClipboard: swapWithClipboard(v); return true;
    case cmd::EditCutLine: S(v, SB::SCI_LINECUT); return true;
    case cmd::EditCopyLine: S(v, SB::SCI_LINECOPY); return true;
    case cmd::EditDuplicate: S(v, SB::SCI_SELECTIONDUPLICATE); return true;
    case cmd::EditDeleteLine: S(v, SB::SCI_LINEDELETE); return true;
    case cmd::EditMoveUp: moveLine(v, true); return true;
    case cmd::EditMoveDown: moveLine(v, false); return true;
    case cmd::EditSplitLines: {
        UndoStep step(v);
        targetFromSelection(v);
        S(v, SB::SCI_LINESSPLIT, 0);
        return true;
    }
    case cmd::EditJoinLines: {
        UndoStep step(v);
        targetFromSelection(v);
        S(v, SB::SCI_LINESJOIN);
        return true;
    }
    case cmd::EditDeleteEmptyLines: deleteEmptyLines(v); return true;
    case cmd::EditTrimTrailing: trimTrailing(v); return true;
    case cmd::EditLowercase: S(v, SB::SCI_LOWERCASE); return true;
    case cmd::EditUppercase: S(v, SB::SCI_UPPERCASE); return true;
    case cmd::EditTabsToSpaces: convertIndentation(v, true); return true;
    case cmd::EditSpacesToTabs: convertIndentation(v, false); return true;
    case cmd::EditTab: S(v, SB::SCI_TAB); return true;
    case cmd::EditBackTab: S(v, SB::SCI_BACKTAB); return true;
    case cmd::DocUseTabs: S(v, SB::SCI_SETUSETABS, S(v, SB::SCI_GETUSETABS) ? 0 : 1); return true;
    default: return false;
    }
}

} // namespace editcmd
