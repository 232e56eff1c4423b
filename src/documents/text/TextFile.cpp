#include "documents/text/TextFile.h"

#include "documents/text/Encoding.h"
#include "documents/text/TextView.h"
#include "platform/CodePage.h"

#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <new>

namespace textdoc {
namespace {

// How the bytes of a file become the view's UTF-8.
enum class Source { Ansi, Utf8, Utf16BE, Utf16LE };

// While a file loads the view is writable and sends no modification notices (a
// notice per block costs time in proportion to the text already loaded); both are
// restored when the load ends.
struct LoadingState {
    CTextView& view;
    bool wasReadOnly;
    int eventMask;
    explicit LoadingState(CTextView& v) : view(v), wasReadOnly(v.isReadOnly()), eventMask(v.modEventMask())
    {
        view.setReadOnly(false);
        view.setModEventMask(0);
    }
    ~LoadingState()
    {
        view.setModEventMask(eventMask);
        view.setReadOnly(wasReadOnly);
    }
};

} // namespace

namespace {

// An odd last byte of a UTF-16 file has no character: the text shows U+FFFD in its place
// and the byte itself is kept beside the text, so that the file saves back unchanged
// while the text still ends with that U+FFFD and the encoding is the one it was read in.
constexpr char kReplacement[] = "\xEF\xBF\xBD";
constexpr size_t kReplacementSize = 3;
constexpr const char* kKeptTailBytes = "velmoKeptTailBytes";
constexpr const char* kKeptTailEncoding = "velmoKeptTailEncoding";

void keepTail(CTextView& view, const std::string& bytes, int encoding)
{
    if (bytes.empty()) {
        view.setProperty(kKeptTailBytes, QVariant());
        view.setProperty(kKeptTailEncoding, QVariant());
    } else {
        view.setProperty(kKeptTailBytes, QByteArray(bytes.data(), qsizetype(bytes.size())));
        view.setProperty(kKeptTailEncoding, encoding);
    }
}

// The kept bytes when they still apply to the view's text and encoding.
std::string keptTail(const CTextView& view)
{
    const QVariant bytes = view.property(kKeptTailBytes);
    if (!bytes.isValid() || view.property(kKeptTailEncoding).toInt() != view.encoding())
        return {};
    const long length = view.length();
    if (length < long(kReplacementSize))
        return {};
    std::string end;
    view.textRange(length - long(kReplacementSize), length, end);
    if (end != kReplacement)
        return {};
    const QByteArray b = bytes.toByteArray();
    return std::string(b.constData(), size_t(b.size()));
}

// The component reports a failed allocation through its status instead of throwing.
bool componentFailed(CTextView& view)
{
    const long status = long(view.SendScintilla(QsciScintillaBase::SCI_GETSTATUS));
    if (status <= 0 || status >= 1000)   // 1000 and up are warnings
        return false;
    view.SendScintilla(QsciScintillaBase::SCI_SETSTATUS, 0UL);
    return true;
}

} // namespace

namespace {

// A component that failed an allocation part-way through a change cannot be trusted
// any more (its undo history may describe text it never took): the view gets a new,
// empty document instead.
void replaceBrokenDocument(CTextView& view)
{
    view.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, 0L);
    view.SendScintilla(QsciScintillaBase::SCI_SETSTATUS, 0UL);
    view.SendScintilla(QsciScintillaBase::SCI_SETCODEPAGE, 65001UL);
}

// Whether `bytes` more could be allocated now; asked before the view is touched, so that
// a text that cannot fit fails the load while everything is still as it was.
bool memoryAvailable(int64_t bytes)
{
    if (bytes <= 0)
        return true;
    if (uint64_t(bytes) > uint64_t(std::numeric_limits<size_t>::max()) / 2)
        return false;
    std::unique_ptr<char[]> probe(new (std::nothrow) char[size_t(bytes)]);
    return probe != nullptr;
}

} // namespace

IoResult loadText(CTextView& view, const QString& path, int openMode, LoadKind kind)
{
    BlockReader reader;
    if (IoResult r = reader.open(path); !r)
        return r;
    if (reader.size() > kMaxTextFileSize)
        return IoResult::failure(EFBIG);
    std::string block;
    if (IoResult r = reader.next(block); !r)
        return r;

    const bool reload = kind == LoadKind::Reload;
    const int encoding = isValidEncoding(openMode) ? openMode : detectEncoding(block.data(), block.size());
    const int64_t size = reader.size();

    // The reader decides by the mark it finds, whatever the encoding is called.
    Source source = Source::Ansi;
    size_t skip = 0;
    const auto* b = reinterpret_cast<const unsigned char*>(block.data());
    if (encoding != EncAnsi) {
        source = Source::Utf8;
        if (block.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF)
            source = Source::Utf16BE, skip = 2;
        else if (block.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE)
            source = Source::Utf16LE, skip = 2;
        else if (block.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
            skip = 3;
    }

    Utf16Decoder decoder(source == Source::Utf16BE);
    std::string text;    // one block as UTF-8
    std::string carry;   // a UTF-8 sequence cut by the block edge
    auto decode = [&](const char* data, size_t n) {
        text.clear();
        switch (source) {
        case Source::Ansi:
            appendAnsiAsUtf8(data, n, text);
            break;
        case Source::Utf8: {
            text.append(carry);
            text.append(data, n);
            size_t tail = incompleteUtf8Tail(text.data(), text.size());
            carry.assign(text, text.size() - tail, tail);
            text.resize(text.size() - tail);
            break;
        }
        case Source::Utf16BE:
        case Source::Utf16LE:
            decoder.decode(data, n, text);
            break;
        }
    };

    // The first block tells how the file grows or shrinks in decoding, and so what the
    // component will need: the text and its styles, and for a reload the undo history's
    // copies of the old and the new text. All of it must be there before anything changes.
    int64_t expected = 0;
    try {
        text.reserve(kBlockSize * 3 + 16);
        decode(block.data() + skip, block.size() - skip);
    } catch (const std::bad_alloc&) {
        return IoResult::failure(ENOMEM);
    }
    if (size > 0 && block.size() > 0) {
        double ratio = double(text.size() + carry.size()) / double(block.size());
        expected = int64_t(double(size) * ratio) + int64_t(2 * kBlockSize);
    }
    const int64_t need = 2 * expected + (reload ? expected + int64_t(view.length()) : 0);
    if (!memoryAvailable(need + int64_t(16 << 20)))
        return IoResult::failure(ENOMEM);

    LoadingState loading(view);
    const int oldEncoding = view.encoding();
    if (expected > view.length()) {
        view.allocate(long(expected));
        if (componentFailed(view))
            return IoResult::failure(ENOMEM);
    }

    if (!reload)
        view.setUndoCollection(false);
    view.beginUndoAction();
    view.clearAll();
    view.setEncoding(encoding);

    // UTF-16 line ends are found in the decoded text; the others in the bytes.
    const int eol = (source == Source::Utf16BE || source == Source::Utf16LE)
                        ? detectEolMode(text.data(), text.size())
                        : detectEolMode(block.data(), block.size());
    IoResult result;
    bool broken = false;   // the component failed part-way through a change
    std::string keptBytes;
    try {
        while (!block.empty()) {
            view.addText(text);
            if (componentFailed(view)) {
                result = IoResult::failure(ENOMEM);
                broken = true;
                break;
            }
            result = reader.next(block);
            if (!result)
                break;
            decode(block.data(), block.size());
        }
        if (result) {
            // End of file: a UTF-8 sequence cut off by the end stays as the bytes it is,
            // as other malformed bytes do; a cut-off UTF-16 unit shows as U+FFFD and is kept.
            text = carry;
            keptBytes = decoder.finish(text);
            if (!keptBytes.empty())
                text.append(kReplacement, kReplacementSize);
            view.addText(text);
            if (componentFailed(view)) {
                result = IoResult::failure(ENOMEM);
                broken = true;
            }
        }
    } catch (const std::bad_alloc&) {
        result = IoResult::failure(ENOMEM);
        broken = true;
    }
    reader.close();

    if (!result) {
        // Never a partial document that looks saved.
        view.endUndoAction();
        if (broken) {
            // The old text cannot be had back: the view is left empty.
            replaceBrokenDocument(view);
            view.setEncoding(reload ? oldEncoding : encoding);
        } else if (reload) {
            view.undo();
            view.setEncoding(oldEncoding);
        } else {
            view.clearAll();
            view.setUndoCollection(true);
            view.emptyUndoBuffer();
        }
        return result;
    }
    keepTail(view, keptBytes, source == Source::Utf16BE ? EncUtf16BE : EncUtf16LE);

    // The caret goes to the start without asking the component to scroll it into view:
    // that would lay out the whole first line now, and again when the styled text is
    // painted, which costs in proportion to the line's length.
    view.SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION, 0UL);
    view.SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 0UL);
    view.SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 0UL);
    view.endUndoAction();
    view.setUndoCollection(true);
    view.setEolMode(eol);
    view.setSavePoint();
    if (!reload)
        view.emptyUndoBuffer();
    return {};
}

namespace {

// Encodes the view's text [0, end) as `encoding` and hands the bytes to `sink` in pieces,
// the mark first and the kept tail bytes last.
template <typename Sink>
IoResult encodeText(const CTextView& view, int encoding, long end, const std::string& tail, Sink&& sink,
                    size_t* unmappable)
{
    if (encoding == EncUtf8) {
        if (IoResult r = sink("\xEF\xBB\xBF", 3); !r)
            return r;
    } else if (encoding == EncUtf16BE) {
        if (IoResult r = sink("\xFE\xFF", 2); !r)
            return r;
    } else if (encoding == EncUtf16LE) {
        if (IoResult r = sink("\xFF\xFE", 2); !r)
            return r;
    }

    Utf16Encoder utf16(encoding == EncUtf16BE);
    AnsiEncoder ansiEnc;
    std::string chunk, out;
    auto putChunk = [&](const std::string& bytes, bool last) -> IoResult {
        switch (encoding) {
        case EncUtf16BE:
        case EncUtf16LE:
            out.clear();
            if (last)
                utf16.finish(out);
            else
                utf16.encode(bytes.data(), bytes.size(), out);
            return sink(out.data(), out.size());
        case EncAnsi:
            out.clear();
            if (last)
                ansiEnc.finish(out);
            else
                ansiEnc.encode(bytes.data(), bytes.size(), out);
            return sink(out.data(), out.size());
        default:
            return last ? IoResult{} : sink(bytes.data(), bytes.size());
        }
    };

    long o = 0;
    while (o < end) {
        long r = end - o;
        long e = view.positionBefore(o + std::min<long>(r, long(kBlockSize)) + 1);
        if (e <= o || e > end)
            e = std::min<long>(end, o + long(kBlockSize));
        view.textRange(o, e, chunk);
        if (IoResult res = putChunk(chunk, false); !res)
            return res;
        o = e;
    }
    if (IoResult res = putChunk(chunk, true); !res)
        return res;
    if (!tail.empty())
        if (IoResult res = sink(tail.data(), tail.size()); !res)
            return res;
    if (unmappable)
        *unmappable = ansiEnc.replaced();
    return {};
}

} // namespace

size_t unmappableCharacters(const CTextView& view)
{
    if (view.encoding() != EncAnsi)
        return 0;
    size_t count = 0;
    encodeText(view, EncAnsi, view.length(), {}, [](const char*, size_t) { return IoResult{}; }, &count);
    return count;
}

IoResult saveText(CTextView& view, const QString& path, size_t* unmappable)
{
    if (unmappable)
        *unmappable = 0;
    SafeFileWriter writer;
    if (IoResult r = writer.open(path); !r)
        return r;

    const int encoding = view.encoding();
    const std::string tail = keptTail(view);
    const long end = view.length() - (tail.empty() ? 0 : long(kReplacementSize));

    if (writer.writesInPlace()) {
        // The old file is overwritten: make sure the disk holds the whole new text first.
        int64_t total = 0;
        encodeText(view, encoding, end, tail, [&](const char*, size_t n) { total += int64_t(n); return IoResult{}; },
                   nullptr);
        if (IoResult r = writer.reserve(total); !r)
            return r;
    }
    size_t replaced = 0;
    if (IoResult r = encodeText(view, encoding, end, tail,
                                [&](const char* data, size_t n) { return writer.write(data, n); }, &replaced);
        !r)
        return r;
    if (IoResult r = writer.commit(); !r)
        return r;
    if (unmappable)
        *unmappable = replaced;
    if (tail.empty())
        keepTail(view, {}, 0);   // the file no longer ends in the kept bytes
    view.setSavePoint();
    return {};
}

IoResult reloadText(CTextView& view, const QString& path)
{
    const long caret = view.currentPos();
    const long firstLine = view.docLineFromVisible(view.firstVisibleLine());
    if (IoResult r = loadText(view, path, view.encoding(), LoadKind::Reload); !r)
        return r;
    if (view.length() < caret)
        return {};
    // Never leave the caret inside a multi-byte character.
    long p = caret;
    for (int back = 0; back < 3 && p > 0; ++back, --p)
        if ((view.SendScintilla(QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(p)) & 0xC0) != 0x80)
            break;
    view.ensureVisibleEnforcePolicy(view.lineFromPosition(p));
    view.setSel(p, p);
    view.lineScroll(0, view.visibleFromDocLine(firstLine) - view.firstVisibleLine());
    view.viewport()->update();
    return {};
}

bool changeEncoding(CTextView& view, int encoding)
{
    const int old = view.encoding();
    if (!isValidEncoding(encoding) || encoding == old)
        return false;
    if (old != EncAnsi && encoding != EncAnsi) {
        view.setEncoding(encoding);
        return true;
    }
    if (encoding == EncAnsi) {
        // Characters the code page lacks become "?"; everything else stays as it is.
        std::string utf8 = view.text();
        std::string bytes, back;
        if (ansi::appendAnsi(utf8, bytes) > 0) {
            if (view.isReadOnly())
                return false;
            ansi::appendUtf8(bytes, back);
            const long caretChars = view.countCharacters(0, view.currentPos());
            const long anchorChars = view.countCharacters(0, view.anchor());
            const long firstLine = view.docLineFromVisible(view.firstVisibleLine());
            view.beginUndoAction();
            view.SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, 0UL);
            view.SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(view.length()));
            view.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<uintptr_t>(back.size()), back.data());
            view.endUndoAction();
            view.setSel(view.positionRelative(0, anchorChars), view.positionRelative(0, caretChars));
            view.lineScroll(0, view.visibleFromDocLine(firstLine) - view.firstVisibleLine());
        }
    }
    view.setEncoding(encoding);
    return true;
}

bool convertLineEnds(CTextView& view, int eolMode)
{
    if (eolMode < EolCrLf || eolMode > EolLf || eolMode == view.eolMode() || view.isReadOnly())
        return false;
    view.setEolMode(eolMode);
    // One modification notice per converted line end would cost time in proportion to
    // the text each, so the conversion runs without them.
    const int mask = view.modEventMask();
    view.setModEventMask(0);
    view.convertEols(eolMode);
    view.setModEventMask(mask);
    return true;
}

} // namespace textdoc
