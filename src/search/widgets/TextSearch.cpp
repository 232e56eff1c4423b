#include "search/widgets/TextSearch.h"

#include "documents/text/Markers.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace search {

namespace {

using SB = QsciScintillaBase;

constexpr long kWordLimit = 256;

long send(SB& v, unsigned msg, unsigned long w = 0, long l = 0) { return v.SendScintilla(msg, w, l); }

// A forward, case-sensitive search for plain bytes looks straight into the component's
// buffer: the range after its gap is one block, so after the first call no text moves.
// Byte equality is the component's own rule for this case, except where a match could start
// inside a UTF-8 sequence (a pattern beginning with a continuation byte).
bool searchBytes(SB& v, const std::string& text, int flags, long from, long to, long* ms, long* me)
{
    const long codePage = send(v, SB::SCI_GETCODEPAGE);
    const auto first = static_cast<unsigned char>(text.front());
    if (flags != SB::SCFIND_MATCHCASE || from > to || (codePage != 0 && codePage != SB::SC_CP_UTF8)
        || (codePage == SB::SC_CP_UTF8 && first >= 0x80 && first < 0xC0))
        return false;
    *ms = -1;
    if (to - from >= long(text.size())) {
        const auto* base = reinterpret_cast<const char*>(
            send(v, SB::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
        if (base) {
            if (const void* hit = memmem(base, size_t(to - from), text.data(), text.size()))
                *ms = from + long(static_cast<const char*>(hit) - base);
        }
    }
    if (*ms >= 0) {
        *me = *ms + long(text.size());
        send(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(*ms));
        send(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(*me));
    }
    return true;
}

// Searches [from, to) (backward when from > to); the match in `ms`/`me`.
bool searchIn(SB& v, const std::string& text, int flags, long from, long to, long* ms, long* me)
{
    if (!text.empty() && searchBytes(v, text, flags, from, to, ms, me))
        return *ms >= 0;
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

// Plain text found without word rules matches the same places whatever the text around it
// becomes, so the matches can be replaced a run of lines at a time instead of one by one.
// A run never reaches past the start of a line with a marker (taking lines away would move
// its markers), and the whole way is kept for text with indicators or folded lines.
bool canReplaceInRuns(SB& v, int flags, bool regExp, long start, long end)
{
    if (regExp || (flags & (SB::SCFIND_WHOLEWORD | SB::SCFIND_WORDSTART)) || !send(v, SB::SCI_GETALLLINESVISIBLE))
        return false;
    for (int indicator = 0; indicator <= SB::INDIC_MAX; ++indicator) {
        if (send(v, SB::SCI_INDICATORVALUEAT, static_cast<unsigned long>(indicator), start))
            return false;
        const long runEnd = send(v, SB::SCI_INDICATOREND, static_cast<unsigned long>(indicator), start);
        if (runEnd != 0 && runEnd < end)
            return false;
    }
    return true;
}

// Replaces every match from the first one (`ts`..`te`) up to `*end`; moves `*end` and leaves
// in `*next` the position after the last replacement.
int replaceInRuns(SB& v, const std::string& text, int flags, const std::string& replacement, long ts, long te,
                  long* end, long* next)
{
    std::vector<std::pair<long, long>> matches;
    for (;;) {
        matches.emplace_back(ts, te);
        const long from = std::max(te, ts + 1);
        if (from >= *end || !searchIn(v, text, flags, from, *end, &ts, &te) || ts > *end)
            break;
    }
    // Positions in `matches` are those before any replacement; the text from a run on is
    // still unchanged, only moved by `shift`.
    long shift = 0;
    const auto markedLineStart = [&](long position) {
        const long line = send(v, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position + shift));
        const long marked = send(v, SB::SCI_MARKERNEXT, static_cast<unsigned long>(line + 1), -1);
        return marked < 0 ? std::numeric_limits<long>::max()
                          : send(v, SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(marked)) - shift;
    };
    std::string runText;
    for (size_t first = 0; first < matches.size();) {
        const long limit = markedLineStart(matches[first].first);
        size_t last = first;
        while (last + 1 < matches.size() && matches[last + 1].second < limit)
            ++last;
        const long runStart = matches[first].first;
        const long runEnd = matches[last].second;
        const auto* old = reinterpret_cast<const char*>(send(
            v, SB::SCI_GETRANGEPOINTER, static_cast<unsigned long>(runStart + shift), runEnd - runStart));
        runText.clear();
        long copied = runStart;
        for (size_t i = first; i <= last; ++i) {
            runText.append(old + (copied - runStart), size_t(matches[i].first - copied));
            runText += replacement;
            copied = matches[i].second;
        }
        send(v, SB::SCI_SETTARGETSTART, static_cast<unsigned long>(runStart + shift));
        send(v, SB::SCI_SETTARGETEND, static_cast<unsigned long>(runEnd + shift));
        v.SendScintilla(SB::SCI_REPLACETARGET, static_cast<unsigned long>(runText.size()), runText.data());
        shift += long(runText.size()) - (runEnd - runStart);
        first = last + 1;
    }
    *end += shift;
    *next = matches.back().second + shift;
    return int(matches.size());
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
    if (canReplaceInRuns(v, flags, regExp, start, end)) {
        count = replaceInRuns(v, text, flags, replacement, ts, te, &end, &next);
        ts = te = -1;
    }
    for (; ts >= 0;) {
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
