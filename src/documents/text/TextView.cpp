#include "documents/text/TextView.h"

#include "documents/text/Encoding.h"

CTextView::CTextView(QWidget* parent) : QsciScintillaBase(parent)
{
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    // New documents end their lines with CR+LF until told otherwise.
    SendScintilla(SCI_SETEOLMODE, SC_EOL_CRLF);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &CTextView::onUpdateUi);
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

void CTextView::onUpdateUi(int updated)
{
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

long CTextView::positionRelative(long pos, long characters) const
{
    return call(SCI_POSITIONRELATIVE, static_cast<unsigned long>(pos), characters);
}
