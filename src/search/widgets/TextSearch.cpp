#include "search/widgets/TextSearch.h"

#include "documents/text/Markers.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>

namespace search {

namespace {

using SB = QsciScintillaBase;

constexpr long kWordLimit = 256;

long send(SB& v, unsigned msg, unsigned long w = 0, long l = 0) { return v.SendScintilla(msg, w, l); }

// Searches [from, to) (backward when from > to); the match in `ms`/`me`.
bool searchIn(SB& v, const std::string& text, int flags, long from, long to, long* ms, long* me)
{
    send(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(from));
    send(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(to));
    send(v, SB::SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
    const long pos = v.SendScintilla(SB::SCI_SEARCHINTARGET, static_cast<unsigned long>(text.size()), text.data());
    if (pos < 0)
        return false;
    *ms = send(v, SB::SCI_GETTARGETSTART);
    *me = send(v, SB::SCI_GETTARGETEND);
    return true;
}

long replaceTarget(SB& v, const std::string& text, bool regExp)
{
    const unsigned msg = regExp ? SB::SCI_REPLACETARGETRE : SB::SCI_REPLACETARGET;
    const long n = v.SendScintilla(msg, static_cast<unsigned long>(text.size()), text.data());
    return regExp ? n : long(text.size());
}

QWidget* ownerOf(const SearchOptions& o, SB& view)
{
    if (auto* w = qobject_cast<QWidget*>(o.owner.data()))
        return w;
    return view.window();
}

class RunStateHolder : public QObject {
public:
    explicit RunStateHolder(QObject* parent) : QObject(parent) {}
    SearchRunState state;
};

bool isStartOnlyPattern(const std::string& text, unsigned flags)
{
    return (flags & Mask::RegExp) && text == "^";
}

} // namespace

SearchRunState& runStateOf(SB& view)
{
    for (QObject* child : view.children())
        if (auto* holder = dynamic_cast<RunStateHolder*>(child))
            return holder->state;
    return (new RunStateHolder(&view))->state;
}

int findNext(SB& v, SearchOptions& o)
{
    const std::string text = prepareText(o.findText, o.flags);
    if (text.empty())
        return FindEmpty;
    const int flags = componentFlags(o.flags);
    const bool forward = o.has(Mask::Forward);
    o.set(Mask::MatchSelected, false);
    const long s = send(v, SB::SCI_GETSELECTIONSTART);
    const long e = send(v, SB::SCI_GETSELECTIONEND);
    const long length = send(v, SB::SCI_GETLENGTH);

    SearchRunState& st = runStateOf(v);
    bool continues = false;
    if (st.componentFlags == flags && st.forward == forward) {
        continues = s == st.lastMatch;
    } else {
        st.lastResult = 0;
        st.lastMatch = -1;
        st.componentFlags = flags;
        st.forward = forward;
    }

    long ms = -1, me = -1;
    // Backward from the selection start; never below the document start.
    bool found = forward ? searchIn(v, text, flags, e, length, &ms, &me)
                         : (s > 0 && searchIn(v, text, flags, s - 1, 0, &ms, &me));
    if (!found && o.has(Mask::Wrap))
        found = forward ? searchIn(v, text, flags, 0, length, &ms, &me)
                        : searchIn(v, text, flags, length, 0, &ms, &me);

    int result = FindNotFound;
    if (found) {
        if (continues && st.lastResult == FindFound && ms == st.firstMatch) {
            result = FindPassedEnd;
        } else {
            const long first = send(v, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(ms));
            const long last = send(v, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(me));
            for (long line = first; line <= last; ++line)
                send(v, SB::SCI_ENSUREVISIBLE, static_cast<unsigned long>(line));
            send(v, SB::SCI_SETSEL, static_cast<unsigned long>(ms), me);
            result = FindFound;
        }
        o.set(Mask::MatchSelected, true);
    }
    st.lastResult = result;
    st.lastMatch = found ? ms : -1;
    if (!continues)
        st.firstMatch = send(v, SB::SCI_GETSELECTIONSTART);
    if (result == FindPassedEnd)
        seams::message(ownerOf(o, v), texts::str(1190, "Passed the end of file."), texts::str(1, "Velmo"),
                       seams::MB_OK | seams::MB_ICONINFORMATION);
    return result;
}

int findPrevious(SB& v, SearchOptions& o)
{
    const unsigned saved = o.flags & Mask::Forward;
    o.flags ^= Mask::Forward;
    const int r = findNext(v, o);
    o.flags = (o.flags & ~Mask::Forward) | saved;
    return r;
}

bool replaceOnce(SB& v, SearchOptions& o)
{
    if (send(v, SB::SCI_GETREADONLY))
        return false;
    if (!o.has(Mask::MatchSelected)) {
        const long s = send(v, SB::SCI_GETSELECTIONSTART);
        send(v, SB::SCI_SETSEL, static_cast<unsigned long>(s), s);
        if (findNext(v, o) <= FindNotFound)
            return false;
    }
    const long s = send(v, SB::SCI_GETSELECTIONSTART);
    const long e = send(v, SB::SCI_GETSELECTIONEND);
    const std::string replacement = prepareText(o.replaceText, o.flags);
    send(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(s));
    send(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(e));
    const long n = replaceTarget(v, replacement, o.has(Mask::RegExp));
    send(v, SB::SCI_SETSEL, static_cast<unsigned long>(s + n), s);
    o.set(Mask::MatchSelected, false);
    findNext(v, o);
    return true;
}

int replaceAll(SB& v, const SearchOptions& o)
{
    const std::string text = prepareText(o.findText, o.flags);
    if (text.empty() || send(v, SB::SCI_GETREADONLY))
        return 0;
    const bool selectionRange = o.range() == Mask::RangeSelection;
    const bool regExp = o.has(Mask::RegExp);
    long start = 0;
    long end = send(v, SB::SCI_GETLENGTH);
    if (selectionRange) {
        start = send(v, SB::SCI_GETSELECTIONSTART);
        end = send(v, SB::SCI_GETSELECTIONEND);
        if (start == end)
            return 0;
    } else if (!o.has(Mask::Wrap)) {
        start = send(v, SB::SCI_GETSELECTIONSTART);
    }
    const std::string replacement = prepareText(o.replaceText, o.flags);
    const int flags = componentFlags(o.flags);
    long ts = -1, te = -1;
    bool found = searchIn(v, text, flags, start, end, &ts, &te);
    if (isStartOnlyPattern(text, o.flags)) {
        found = true;
        ts = te = start;
    }
    if (!found || ts > end)
        return 0;

    // One modification notice per replacement would cost time in proportion to the text
    // each (the component's accessibility layer measures it): the loop runs without them.
    const long eventMask = send(v, SB::SCI_GETMODEVENTMASK);
    send(v, SB::SCI_SETMODEVENTMASK, 0);
    send(v, SB::SCI_BEGINUNDOACTION);
    int count = 0;
    long next = start;
    for (;;) {
        const long m = te - ts;
        send(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(ts));
        send(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(te));
        const long n = replaceTarget(v, replacement, regExp);
        ++count;
        end += n - m;
        next = ts + n;
        if (m == 0) {
            // An empty match always moves on by one character (a CR+LF pair counts as one),
            // so the same place is never matched again.
            const long after = send(v, SB::SCI_POSITIONAFTER, static_cast<unsigned long>(next));
            next = std::max(after, next + 1);
        }
        if (next >= end || !searchIn(v, text, flags, next, end, &ts, &te) || ts > end)
            break;
    }
    if (selectionRange)
        send(v, SB::SCI_SETSEL, static_cast<unsigned long>(start), end);
    else
        send(v, SB::SCI_SETSEL, static_cast<unsigned long>(std::min(next, end)), std::min(next, end));
    send(v, SB::SCI_ENDUNDOACTION);
    send(v, SB::SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    return count;
}

int forEachMatch(SB& v, const SearchOptions& o, const std::function<void(long, long)>& sink)
{
    const std::string text = prepareText(o.findText, o.flags);
    if (text.empty())
        return 0;
    const long step = long(text.size());
    const int flags = componentFlags(o.flags);
    const long length = send(v, SB::SCI_GETLENGTH);
    long ms = -1, me = -1;
    bool found = searchIn(v, text, flags, 0, length, &ms, &me);
    if (isStartOnlyPattern(text, o.flags)) {
        found = true;
        ms = me = 0;
    }
    int count = 0;
    while (found && ms <= length) {
        sink(ms, me);
        ++count;
        const long next = ms + step;
        if (next > length)
            break;
        found = searchIn(v, text, flags, next, length, &ms, &me);
    }
    return count;
}

int markAll(SB& v, const SearchOptions& o, bool bookmarks)
{
    if (!bookmarks)
        send(v, SB::SCI_SETINDICATORCURRENT, textdoc::kMarkIndicator);
    return forEachMatch(v, o, [&](long ms, long me) {
        if (bookmarks) {
            const long line = send(v, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(ms));
            if (!(send(v, SB::SCI_MARKERGET, static_cast<unsigned long>(line)) & textdoc::kBookmarkMask))
                send(v, SB::SCI_MARKERADD, static_cast<unsigned long>(line), textdoc::kBookmarkMarker);
        } else if (me > ms) {
            send(v, SB::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(ms), me - ms);
        }
    });
}

bool takeSearchWord(SB& v, QString* word)
{
    long s = send(v, SB::SCI_GETSELECTIONSTART);
    long e = send(v, SB::SCI_GETSELECTIONEND);
    if (s == e) {
        const long caret = send(v, SB::SCI_GETCURRENTPOS);
        s = send(v, SB::SCI_WORDSTARTPOSITION, static_cast<unsigned long>(caret), 1);
        e = send(v, SB::SCI_WORDENDPOSITION, static_cast<unsigned long>(caret), 1);
        if (s == e)
            return false;
    } else if (send(v, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(s))
               != send(v, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(e))) {
        return false;
    }
    if (e - s >= kWordLimit)
        return false;
    std::string bytes(size_t(e - s) + 1, '\0');
    struct {
        long cpMin, cpMax;
        char* text;
    } range{s, e, bytes.data()};
    v.SendScintilla(SB::SCI_GETTEXTRANGE, 0, &range);
    bytes.resize(size_t(e - s));
    *word = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return true;
}

QString lineText(SB& v, long line)
{
    const long length = send(v, SB::SCI_LINELENGTH, static_cast<unsigned long>(line));
    std::string bytes(size_t(length) + 1, '\0');
    v.SendScintilla(SB::SCI_GETLINE, static_cast<unsigned long>(line), bytes.data());
    bytes.resize(size_t(length));
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
        bytes.pop_back();
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

void showLine(SB& v, int line)
{
    const long target = std::max(0, line - 1);
    send(v, SB::SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(target));
    send(v, SB::SCI_GOTOLINE, static_cast<unsigned long>(target));
    const long visible = send(v, SB::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(target));
    send(v, SB::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(std::max(0L, visible - 2)));
}

} // namespace search
