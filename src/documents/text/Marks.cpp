#include "documents/text/Marks.h"

#include "documents/text/Markers.h"
#include "documents/text/TextView.h"

#include "app/commands/CommandTable.h"

#include <algorithm>
#include <string>

namespace marks {
namespace {

using SB = QsciScintillaBase;

long send(CTextView& v, unsigned msg, long w = 0, long l = 0)
{
    return long(v.SendScintilla(msg, static_cast<unsigned long>(w), l));
}

long lineCount(CTextView& v) { return send(v, SB::SCI_GETLINECOUNT); }
int foldLevel(CTextView& v, long line) { return int(send(v, SB::SCI_GETFOLDLEVEL, line)); }
bool isHeader(CTextView& v, long line) { return (foldLevel(v, line) & SB::SC_FOLDLEVELHEADERFLAG) != 0; }
bool isExpanded(CTextView& v, long line) { return send(v, SB::SCI_GETFOLDEXPANDED, line) != 0; }

// Lines longer than this are searched only around the part on screen.
constexpr long kWholeLineLimit = 64 * 1024;

} // namespace

void toggleBookmark(CTextView& v, long line)
{
    if (send(v, SB::SCI_MARKERGET, line) & textdoc::kBookmarkMask)
        send(v, SB::SCI_MARKERDELETE, line, textdoc::kBookmarkMarker);
    else
        send(v, SB::SCI_MARKERADD, line, textdoc::kBookmarkMarker);
}

void clearBookmarks(CTextView& v)
{
    send(v, SB::SCI_MARKERDELETEALL, textdoc::kBookmarkMarker);
}

void nextBookmark(CTextView& v, bool forward)
{
    const long caretLine = v.lineFromPosition(v.currentPos());
    long line;
    if (forward) {
        line = send(v, SB::SCI_MARKERNEXT, caretLine + 1, textdoc::kBookmarkMask);
        if (line < 0)
            line = send(v, SB::SCI_MARKERNEXT, 0, textdoc::kBookmarkMask);
    } else {
        line = caretLine > 0 ? send(v, SB::SCI_MARKERPREVIOUS, caretLine - 1, textdoc::kBookmarkMask) : -1;
        if (line < 0)
            line = send(v, SB::SCI_MARKERPREVIOUS, lineCount(v) - 1, textdoc::kBookmarkMask);
    }
    if (line < 0 || line == caretLine)
        return;
    send(v, SB::SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    send(v, SB::SCI_GOTOLINE, line);
}

void clearMarks(CTextView& v)
{
    send(v, SB::SCI_SETINDICATORCURRENT, textdoc::kMarkIndicator);
    send(v, SB::SCI_INDICATORCLEARRANGE, 0, v.length());
}

void foldAll(CTextView& v, bool collapse)
{
    // Fold levels are known only where the text has been coloured.
    send(v, SB::SCI_COLOURISE, 0, -1);
    const long lines = lineCount(v);
    for (long line = 0; line < lines; ++line)
        if (isHeader(v, line) && isExpanded(v, line) == collapse)
            send(v, SB::SCI_TOGGLEFOLD, line);
}

void foldLevel(CTextView& v, int level, bool collapse)
{
    send(v, SB::SCI_COLOURISE, 0, -1);
    const long lines = lineCount(v);
    for (long line = 0; line < lines; ++line) {
        const int l = foldLevel(v, line);
        if ((l & SB::SC_FOLDLEVELHEADERFLAG) && (l & SB::SC_FOLDLEVELNUMBERMASK) - SB::SC_FOLDLEVELBASE == level
            && isExpanded(v, line) == collapse)
            send(v, SB::SCI_TOGGLEFOLD, line);
    }
}

void marginClick(CTextView& v, int margin, long position, int modifiers)
{
    const long line = v.lineFromPosition(position);
    if (margin == 1) {
        toggleBookmark(v, line);
        return;
    }
    if (margin != 2 || !isHeader(v, line))
        return;
    const bool shift = modifiers & SB::SCMOD_SHIFT, ctrl = modifiers & SB::SCMOD_CTRL;
    if (shift && ctrl)
        foldAll(v, true);
    else if (shift)
        send(v, SB::SCI_FOLDCHILDREN, line, SB::SC_FOLDACTION_EXPAND);
    else if (ctrl)
        send(v, SB::SCI_FOLDCHILDREN, line, isExpanded(v, line) ? SB::SC_FOLDACTION_CONTRACT : SB::SC_FOLDACTION_EXPAND);
    else
        send(v, SB::SCI_TOGGLEFOLD, line);
}

void foldChanged(CTextView& v, long line, int levelNow, int levelPrev)
{
    const bool nowHeader = levelNow & SB::SC_FOLDLEVELHEADERFLAG;
    const bool wasHeader = levelPrev & SB::SC_FOLDLEVELHEADERFLAG;
    if (nowHeader && !wasHeader)
        send(v, SB::SCI_SETFOLDEXPANDED, line, 1);   // a new header starts expanded
    // The rest only shows hidden lines. Finding a block's last line styles the whole block,
    // which a document styled for the first time (where a block may run for hundreds of
    // thousands of lines and nothing is hidden) must not pay for.
    if (send(v, SB::SCI_GETALLLINESVISIBLE))
        return;
    if (nowHeader && !wasHeader) {
        // Its lines are shown.
        const long last = send(v, SB::SCI_GETLASTCHILD, line, levelNow & SB::SC_FOLDLEVELNUMBERMASK);
        if (last > line)
            send(v, SB::SCI_SHOWLINES, line + 1, last);
    } else if (wasHeader && !nowHeader && !isExpanded(v, line)) {
        // No line may stay hidden under a header that is gone.
        send(v, SB::SCI_SETFOLDEXPANDED, line, 1);
        const long last = send(v, SB::SCI_GETLASTCHILD, line, levelPrev & SB::SC_FOLDLEVELNUMBERMASK);
        if (last > line)
            send(v, SB::SCI_SHOWLINES, line + 1, last);
    }
    if (!(levelNow & SB::SC_FOLDLEVELWHITEFLAG)
        && (levelNow & SB::SC_FOLDLEVELNUMBERMASK) < (levelPrev & SB::SC_FOLDLEVELNUMBERMASK)) {
        const long parent = send(v, SB::SCI_GETFOLDPARENT, line);
        if (parent < 0 || (isExpanded(v, parent) && send(v, SB::SCI_GETLINEVISIBLE, parent)))
            send(v, SB::SCI_SHOWLINES, line, line);
    }
}

void needShown(CTextView& v, long position, long length)
{
    const long first = v.lineFromPosition(position);
    const long last = v.lineFromPosition(position + length);
    for (long line = first; line <= last; ++line)
        send(v, SB::SCI_ENSUREVISIBLE, line);
}

bool isWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '`'
        || c >= 0x7F;
}

void highlightOccurrences(CTextView& v)
{
    const long len = v.length();
    send(v, SB::SCI_SETINDICATORCURRENT, textdoc::kOccurrenceIndicator);
    // Clearing an empty indicator would still repaint the whole view.
    if (send(v, SB::SCI_INDICATORVALUEAT, textdoc::kOccurrenceIndicator, 0) != 0
        || send(v, SB::SCI_INDICATOREND, textdoc::kOccurrenceIndicator, 0) < len)
        send(v, SB::SCI_INDICATORCLEARRANGE, 0, len);

    const long selStart = send(v, SB::SCI_GETSELECTIONSTART), selEnd = send(v, SB::SCI_GETSELECTIONEND);
    const long selLen = selEnd - selStart;
    if (selLen <= 0)
        return;
    auto charAt = [&](long pos) { return static_cast<unsigned char>(send(v, SB::SCI_GETCHARAT, pos)); };
    if (isWordByte(charAt(selStart - 1)) || isWordByte(charAt(selEnd)))
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(
        v.SendScintilla(SB::SCI_GETRANGEPOINTER, static_cast<unsigned long>(selStart), selLen));
    if (!bytes || !std::all_of(bytes, bytes + selLen, isWordByte))
        return;
    const std::string word(reinterpret_cast<const char*>(bytes), size_t(selLen));

    const long targetStart = send(v, SB::SCI_GETTARGETSTART), targetEnd = send(v, SB::SCI_GETTARGETEND);
    const long first = v.firstVisibleLine();
    const long onScreen = std::min(send(v, SB::SCI_LINESONSCREEN), 400L);
    const long lines = lineCount(v);
    const int width = v.viewport()->width();
    long previous = -1;
    for (long visible = first; visible <= first + onScreen; ++visible) {
        const long line = v.docLineFromVisible(visible);
        if (line == previous || line >= lines)
            continue;
        previous = line;
        long lo = send(v, SB::SCI_POSITIONFROMLINE, line);
        long hi = line + 1 < lines ? send(v, SB::SCI_POSITIONFROMLINE, line + 1) : len;
        if (hi - lo > kWholeLineLimit) {
            // A very long line: only the part on screen, widened by one word each side.
            const long height = send(v, SB::SCI_TEXTHEIGHT, line);
            const long top = v.visibleFromDocLine(line);
            const long rows = send(v, SB::SCI_WRAPCOUNT, line);
            const long firstRow = std::max(top, first), lastRow = std::min(top + rows - 1, first + onScreen);
            const long yFirst = (firstRow - first) * height, yLast = (lastRow - first) * height;
            const long from = send(v, SB::SCI_POSITIONFROMPOINT, 0, yFirst);
            const long to = send(v, SB::SCI_POSITIONFROMPOINT, width, yLast);
            lo = std::max(lo, from - selLen);
            hi = std::min(hi, to + selLen);
        }
        for (long from = lo; hi - from >= selLen;) {
            send(v, SB::SCI_SETTARGETRANGE, from, hi);
            const long match = long(v.SendScintilla(SB::SCI_SEARCHINTARGET, static_cast<unsigned long>(selLen),
                                                    word.c_str()));
            if (match < 0)
                break;
            const long end = send(v, SB::SCI_GETTARGETEND);
            if (end > hi)
                break;
            if (match != selStart)
                send(v, SB::SCI_INDICATORFILLRANGE, match, end - match);
            from = end > match ? end : match + 1;
        }
    }
    send(v, SB::SCI_SETTARGETRANGE, targetStart, targetEnd);
}

bool command(CTextView& v, int id)
{
    if (id >= cmd::ViewCollapseLevel1 && id < cmd::ViewCollapseLevel1 + 8) {
        foldLevel(v, id - cmd::ViewCollapseLevel1, true);
        return true;
    }
    if (id >= cmd::ViewExpandLevel1 && id < cmd::ViewExpandLevel1 + 8) {
        foldLevel(v, id - cmd::ViewExpandLevel1, false);
        return true;
    }
    switch (id) {
    case cmd::SearchClearMarks: clearMarks(v); return true;
    case cmd::SearchToggleBookmark: toggleBookmark(v, v.lineFromPosition(v.currentPos())); return true;
    case cmd::SearchClearBookmarks: clearBookmarks(v); return true;
    case cmd::SearchNextBookmark: nextBookmark(v, true); return true;
    case cmd::SearchPreviousBookmark: nextBookmark(v, false); return true;
    default: return false;
    }
}

} // namespace marks
