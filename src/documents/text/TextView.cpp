#include "documents/text/TextView.h"

#include "documents/text/Assist.h"
#include "documents/text/EditCommands.h"
#include "documents/text/Encoding.h"
#include "documents/text/GoToLineDialog.h"
#include "documents/text/Marks.h"
#include "language/LanguageStyler.h"

#include "app/commands/CommandTable.h"

#include <QContextMenuEvent>

#include <algorithm>
#include <cstdint>
#include <cstring>

CTextView::CTextView(QWidget* parent) : QsciScintillaBase(parent)
{
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    // New documents end their lines with CR+LF until told otherwise.
    SendScintilla(SCI_SETEOLMODE, SC_EOL_CRLF);
    // The editor's own context menu replaces the component's.
    SendScintilla(SCI_USEPOPUP, 0UL);
    initialZoom_ = int(call(SCI_GETZOOM));
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &CTextView::onUpdateUi);
    assist_ = new CTextAssist(this);
    // Bookmarks, folding and the occurrence highlight (scrolls arrive as updates too).
    connect(this, &QsciScintillaBase::SCN_MARGINCLICK, this,
            [this](int position, int modifiers, int margin) { marks::marginClick(*this, margin, position, modifiers); });
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char*, int, int, int line, int now, int prev, int, int) {
                if (type & SC_MOD_CHANGEFOLD)
                    marks::foldChanged(*this, line, now, prev);
            });
    connect(this, &QsciScintillaBase::SCN_NEEDSHOWN, this,
            [this](int position, int length) { marks::needShown(*this, position, length); });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { marks::highlightOccurrences(*this); });
}

long CTextView::call(unsigned msg, unsigned long w, long l) const
{
    return SendScintilla(msg, w, l);
}

void CTextView::setEncoding(int encoding)
{
    encoding_ = textdoc::isValidEncoding(encoding) ? encoding : textdoc::EncAnsi;
}

long CTextView::selectionLength() const
{
    return call(SCI_GETSELECTIONEND) - call(SCI_GETSELECTIONSTART);
}

namespace {

// How many of the n bytes at p start a character in UTF-8 (are not 10xxxxxx). Eight at a
// time: each continuation byte adds one to its own byte of a counter word, whose bytes are
// summed every 255 words, before any can overflow (a portable build has no popcount
// instruction, and the library call for it costs more than this).
long countLeadBytes(const unsigned char* p, long n)
{
    long continuation = 0, i = 0;
    while (i + 8 <= n) {
        uint64_t lanes = 0;
        for (int words = 0; words < 255 && i + 8 <= n; ++words, i += 8) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            lanes += (w & ~(w << 1) & 0x8080808080808080ULL) >> 7;
        }
        lanes = (lanes & 0x00FF00FF00FF00FFULL) + ((lanes >> 8) & 0x00FF00FF00FF00FFULL);
        continuation += long((lanes * 0x0001000100010001ULL) >> 48);
    }
    for (; i < n; ++i)
        continuation += (p[i] & 0xC0) == 0x80;
    return n - continuation;
}

} // namespace

long CTextView::ansiLength(long start, long end) const
{
    // One byte per character: count the bytes that start a UTF-8 sequence. The range is
    // kept inside the text: the buffer ends where the text does.
    start = std::max(start, 0L);
    end = std::min(end, length());
    if (end <= start)
        return 0;
    // Counted on each side of the component's gap, which stays where the last edit put
    // it: moving it would shift half of a big document, and the next key press would
    // shift it back.
    const long gap = call(SCI_GETGAPPOSITION);
    if (start < gap && gap < end)
        return ansiLength(start, gap) + ansiLength(gap, end);
    const auto* p = reinterpret_cast<const unsigned char*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    if (!p)
        return countCharacters(start, end);
    return countLeadBytes(p, end - start);
}

long CTextView::documentBytes() const
{
    if (encoding_ != textdoc::EncAnsi)
        return length();
    // Counted again after every change of the text (the component reports it with the
    // next update), or at once when the length moved.
    const long len = length();
    if (cachedBytes_ < 0 || cachedLength_ != len) {
        cachedBytes_ = ansiLength(0, len);
        cachedLength_ = len;
    }
    return cachedBytes_;
}

long CTextView::selectionBytes() const
{
    const long start = call(SCI_GETSELECTIONSTART), end = call(SCI_GETSELECTIONEND);
    return encoding_ == textdoc::EncAnsi ? ansiLength(start, end) : end - start;
}

void CTextView::onUpdateUi(int updated)
{
    if (updated & SC_UPDATE_CONTENT)
        cachedBytes_ = -1;
    if (!(updated & SC_UPDATE_SELECTION))
        return;
    long len = selectionLength();
    if (len != selectionLength_) {
        selectionLength_ = len;
        emit selectionLengthChanged(len);
    }
}

long CTextView::length() const { return call(SCI_GETLENGTH); }
long CTextView::currentPos() const { return call(SCI_GETCURRENTPOS); }
long CTextView::anchor() const { return call(SCI_GETANCHOR); }
void CTextView::setSel(long anchor, long caret) { call(SCI_SETSEL, static_cast<unsigned long>(anchor), caret); }
void CTextView::clearAll() { call(SCI_CLEARALL); }

void CTextView::addText(const char* text, long length)
{
    if (length > 0)
        SendScintilla(SCI_ADDTEXT, static_cast<unsigned long>(length), text);
}

void CTextView::allocate(long bytes) { call(SCI_ALLOCATE, static_cast<unsigned long>(bytes)); }
int CTextView::modEventMask() const { return int(call(SCI_GETMODEVENTMASK)); }
void CTextView::setModEventMask(int mask) { call(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask)); }
void CTextView::beginUndoAction() { call(SCI_BEGINUNDOACTION); }
void CTextView::endUndoAction() { call(SCI_ENDUNDOACTION); }
void CTextView::setUndoCollection(bool collect) { call(SCI_SETUNDOCOLLECTION, collect ? 1 : 0); }
bool CTextView::undoCollection() const { return call(SCI_GETUNDOCOLLECTION) != 0; }
void CTextView::emptyUndoBuffer() { call(SCI_EMPTYUNDOBUFFER); }
bool CTextView::canUndo() const { return call(SCI_CANUNDO) != 0; }
void CTextView::undo() { call(SCI_UNDO); }
int CTextView::eolMode() const { return int(call(SCI_GETEOLMODE)); }
void CTextView::setEolMode(int mode) { call(SCI_SETEOLMODE, static_cast<unsigned long>(mode)); }
void CTextView::convertEols(int mode) { call(SCI_CONVERTEOLS, static_cast<unsigned long>(mode)); }
void CTextView::setSavePoint() { call(SCI_SETSAVEPOINT); }
bool CTextView::isModified() const { return call(SCI_GETMODIFY) != 0; }
bool CTextView::isReadOnly() const { return call(SCI_GETREADONLY) != 0; }
void CTextView::setReadOnly(bool readOnly) { call(SCI_SETREADONLY, readOnly ? 1 : 0); }
long CTextView::positionBefore(long pos) const { return call(SCI_POSITIONBEFORE, static_cast<unsigned long>(pos)); }
long CTextView::positionAfter(long pos) const { return call(SCI_POSITIONAFTER, static_cast<unsigned long>(pos)); }

void CTextView::textRange(long start, long end, std::string& out) const
{
    if (end < start)
        end = start;
    out.resize(size_t(end - start) + 1);
    Sci_TextRange tr{{start, end}, out.data()};
    SendScintilla(SCI_GETTEXTRANGE, 0UL, static_cast<void*>(&tr));
    out.resize(size_t(end - start));
}

void CTextView::copyText(std::string& out) const
{
    const size_t n = size_t(length());
    if (out.capacity() < n + 1)
        out.reserve(n + n / 8 + 4096);
    textRange(0, long(n), out);
}

std::string CTextView::text() const
{
    std::string s;
    textRange(0, length(), s);
    return s;
}

long CTextView::firstVisibleLine() const { return call(SCI_GETFIRSTVISIBLELINE); }
long CTextView::docLineFromVisible(long v) const { return call(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(v)); }
long CTextView::visibleFromDocLine(long d) const { return call(SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(d)); }
long CTextView::lineFromPosition(long pos) const { return call(SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos)); }
void CTextView::ensureVisibleEnforcePolicy(long line) { call(SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(line)); }
void CTextView::lineScroll(long columns, long lines) { call(SCI_LINESCROLL, static_cast<unsigned long>(columns), lines); }

long CTextView::countCharacters(long start, long end) const
{
    return call(SCI_COUNTCHARACTERS, static_cast<unsigned long>(start), end);
}

long CTextView::column(long pos) const
{
    // The component walks the line a character at a time, which takes a noticeable time
    // on a line of millions of characters; count its bytes directly there: a tab moves
    // to the next tab stop, every other character takes one column, and a stray UTF-8
    // continuation byte goes with the character before it.
    const long start = call(SCI_POSITIONFROMLINE, static_cast<unsigned long>(lineFromPosition(pos)));
    const long codePage = call(SCI_GETCODEPAGE);
    if (pos - start < 10000 || (codePage != 0 && codePage != SC_CP_UTF8))
        return call(SCI_GETCOLUMN, static_cast<unsigned long>(pos));
    const auto* p = reinterpret_cast<const unsigned char*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), pos - start));
    if (!p)
        return call(SCI_GETCOLUMN, static_cast<unsigned long>(pos));
    const long tab = std::max(1L, call(SCI_GETTABWIDTH));
    const bool utf8 = codePage == SC_CP_UTF8;
    long col = 0;
    const unsigned char* const last = p + (pos - start);
    while (p < last) {
        const auto* t = static_cast<const unsigned char*>(std::memchr(p, '\t', size_t(last - p)));
        const unsigned char* const runEnd = t ? t : last;
        col += utf8 ? countLeadBytes(p, runEnd - p) : runEnd - p;
        if (!t)
            break;
        col = (col / tab + 1) * tab;
        p = t + 1;
    }
    return col;
}

long CTextView::positionRelative(long pos, long characters) const
{
    return call(SCI_POSITIONRELATIVE, static_cast<unsigned long>(pos), characters);
}

bool CTextView::command(int id)
{
    switch (id) {
    case cmd::EditUndo: call(SCI_UNDO); return true;
    case cmd::EditRedo: call(SCI_REDO); return true;
    case cmd::EditSelectAll: call(SCI_SELECTALL); return true;
    case cmd::ViewSyntax: toggleViewFlag(kViewSyntaxHighlight); return true;
    case cmd::ViewWordWrap: toggleViewFlag(kViewWordWrap); return true;
    case cmd::ViewLineNumbers: toggleViewFlag(kViewLineNumbers); return true;
    case cmd::ViewWhiteSpace: toggleViewFlag(kViewWhiteSpace); return true;
    case cmd::ViewEndOfLine: toggleViewFlag(kViewLineEnds); return true;
    case cmd::ViewIndentGuides: toggleViewFlag(kViewIndentGuides); return true;
    case cmd::ViewZoomIn: call(SCI_ZOOMIN); return true;
    case cmd::ViewZoomOut: call(SCI_ZOOMOUT); return true;
    case cmd::ViewDefaultZoom: call(SCI_SETZOOM, static_cast<unsigned long>(initialZoom_)); return true;
    case cmd::ViewToggleFold: toggleFoldAtCaret(); return true;
    case cmd::ViewCollapseAll: foldAll(true); return true;
    case cmd::ViewExpandAll: foldAll(false); return true;
    case cmd::SearchGoTo: marks::goToLine(*this); return true;
    default: break;
    }
    return marks::command(*this, id) || editcmd::runEditCommand(*this, id) || assist_->command(id);
}

void CTextView::toggleViewFlag(unsigned flag)
{
    viewFlags_ ^= flag;
    const bool on = (viewFlags_ & flag) != 0;
    switch (flag) {
    case kViewSyntaxHighlight:
        if (on)
            emit syntaxHighlightRequested();
        else
            styling::SyntaxHighlightOff(this);
        break;
    case kViewWordWrap: call(SCI_SETWRAPMODE, on ? SC_WRAP_WORD : SC_WRAP_NONE); break;
    case kViewLineNumbers: styling::UpdateLineNumberMargin(this, on); break;
    case kViewWhiteSpace: call(SCI_SETVIEWWS, on ? SCWS_VISIBLEALWAYS : SCWS_INVISIBLE); break;
    case kViewLineEnds: call(SCI_SETVIEWEOL, on ? 1 : 0); break;
    case kViewIndentGuides: call(SCI_SETINDENTATIONGUIDES, on ? SC_IV_REAL : SC_IV_NONE); break;
    default: break;
    }
    emit viewFlagsChanged(viewFlags_);
}

void CTextView::toggleFoldAtCaret()
{
    long line = lineFromPosition(currentPos());
    if (!(call(SCI_GETFOLDLEVEL, static_cast<unsigned long>(line)) & SC_FOLDLEVELHEADERFLAG))
        line = call(SCI_GETFOLDPARENT, static_cast<unsigned long>(line));
    if (line >= 0)
        call(SCI_TOGGLEFOLD, static_cast<unsigned long>(line));
}

void CTextView::foldAll(bool collapse)
{
    // Fold levels are known only where the text has been coloured.
    call(SCI_COLOURISE, 0, -1);
    const long lines = call(SCI_GETLINECOUNT);
    for (long line = 0; line < lines; ++line) {
        const auto l = static_cast<unsigned long>(line);
        if ((call(SCI_GETFOLDLEVEL, l) & SC_FOLDLEVELHEADERFLAG) && (call(SCI_GETFOLDEXPANDED, l) != 0) == collapse)
            call(SCI_TOGGLEFOLD, l);
    }
}

void CTextView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        // A click outside the selection moves the caret to the click first.
        const QPoint at = viewport()->mapFromGlobal(global);
        const long pos = call(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(at.x()), at.y());
        const long start = call(SCI_GETSELECTIONSTART), end = call(SCI_GETSELECTIONEND);
        if (pos < start || pos > end || start == end)
            call(SCI_GOTOPOS, static_cast<unsigned long>(pos));
    } else {
        const long pos = currentPos();
        const QPoint caret(int(call(SCI_POINTXFROMPOSITION, 0, pos)),
                           int(call(SCI_POINTYFROMPOSITION, 0, pos) + call(SCI_TEXTHEIGHT, 0)));
        global = viewport()->mapToGlobal(caret);
    }
    event->accept();
    emit contextMenuRequested(global);
}

QVariant CTextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query != Qt::ImCursorPosition && query != Qt::ImSurroundingText && query != Qt::ImAnchorPosition)
        return QsciScintillaBase::inputMethodQuery(query);
    const long pos = currentPos();
    const long line = lineFromPosition(pos);
    const long start = call(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = call(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    std::string before;
    if (query == Qt::ImSurroundingText) {
        textRange(start, end, before);
        return QString::fromUtf8(before.data(), qsizetype(before.size()));
    }
    // Offsets in characters from the line's start.
    const long at = query == Qt::ImAnchorPosition ? qBound(start, anchor(), end) : pos;
    textRange(start, at, before);
    return QString::fromUtf8(before.data(), qsizetype(before.size())).size();
}
