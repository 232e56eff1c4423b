#include "documents/text/TextFile.h"

#include "documents/text/Encoding.h"
#include "documents/text/TextView.h"
#include "platform/CodePage.h"

#include <algorithm>

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

IoResult loadText(CTextView& view, const QString& path, int openMode, LoadKind kind)
{
    BlockReader reader;
    if (IoResult r = reader.open(path); !r)
        return r;
    if (reader.size() > 0x7FFFFFFF - int64_t(4 * kBlockSize))
        return IoResult::failure(EFBIG);
    std::string block;
    if (IoResult r = reader.next(block); !r)
        return r;

    LoadingState loading(view);
    const bool reload = kind == LoadKind::Reload;
    const int encoding = isValidEncoding(openMode) ? openMode : detectEncoding(block.data(), block.size());

    if (!reload)
        view.setUndoCollection(false);
    view.beginUndoAction();
    view.clearAll();
    view.setEncoding(encoding);

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

    const int64_t size = reader.size();

    Utf16Decoder decoder(source == Source::Utf16BE);
    std::string text;       // the block as UTF-8
    std::string carry;      // a UTF-8 sequence cut by the block edge
    text.reserve(kBlockSize * 3 / 2 + 16);
    int eol = -1;
    bool first = true;
    IoResult result;
    while (!block.empty()) {
        const char* data = block.data() + (first ? skip : 0);
        size_t n = block.size() - (first ? skip : 0);
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
        if (first) {
            // Reserve the component's memory once, scaled by how the first block grew
            // or shrank in decoding, with room to spare so the last block fits.
            if (size > 0 && block.size() > 0) {
                double ratio = double(text.size() + carry.size()) / double(block.size());
                view.allocate(long(double(size) * ratio) + long(2 * kBlockSize));
            }
            // UTF-16 line ends are found in the decoded text; the others in the bytes.
            eol = (source == Source::Utf16BE || source == Source::Utf16LE)
                      ? detectEolMode(text.data(), text.size())
                      : detectEolMode(block.data(), block.size());
            first = false;
        }
        view.addText(text);
        result = reader.next(block);
        if (!result)
            break;
    }
    reader.close();

    if (!result) {
        // Never a partial document that looks saved.
        view.endUndoAction();
        if (reload) {
            view.undo();
        } else {
            view.clearAll();
            view.setUndoCollection(true);
            view.emptyUndoBuffer();
        }
        return result;
    }

    // End of file: a cut-off sequence shows as U+FFFD, nothing else is lost.
    text.clear();
    decoder.finish(text);
    if (!carry.empty())
        text.append("\xEF\xBF\xBD");
    view.addText(text);
    if (eol < 0)
        eol = EolCrLf;

    view.setSel(0, 0);
    view.endUndoAction();
    view.setUndoCollection(true);
    view.setEolMode(eol);
    view.setSavePoint();
    if (!reload)
        view.emptyUndoBuffer();
    return {};
}

IoResult saveText(CTextView& view, const QString& path, size_t* unmappable)
{
    if (unmappable)
        *unmappable = 0;
    SafeFileWriter writer;
    if (IoResult r = writer.open(path); !r)
        return r;

    const int encoding = view.encoding();
    if (encoding == EncUtf8) {
        if (IoResult r = writer.write("\xEF\xBB\xBF", 3); !r)
            return r;
    } else if (encoding == EncUtf16BE) {
        if (IoResult r = writer.write("\xFE\xFF", 2); !r)
            return r;
    } else if (encoding == EncUtf16LE) {
        if (IoResult r = writer.write("\xFF\xFE", 2); !r)
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
            return writer.write(out);
        case EncAnsi:
            out.clear();
            if (last)
                ansiEnc.finish(out);
            else
                ansiEnc.encode(bytes.data(), bytes.size(), out);
            return writer.write(out);
        default:
            return last ? IoResult{} : writer.write(bytes);
        }
    };

    const long length = view.length();
    long o = 0;
    while (o < length) {
        long r = length - o;
        long e = view.positionBefore(o + std::min<long>(r, long(kBlockSize)) + 1);
        if (e <= o)
            e = std::min<long>(length, o + long(kBlockSize));
        view.textRange(o, e, chunk);
        if (IoResult res = putChunk(chunk, false); !res)
            return res;
        o = e;
    }
    if (IoResult res = putChunk(chunk, true); !res)
        return res;
    if (IoResult res = writer.commit(); !res)
        return res;
    if (unmappable)
        *unmappable = ansiEnc.replaced();
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
