// Encoding detection and decoding: the first two bytes choose the code page and the block
// size, the rest is a file. The file is detected and decoded block by block the way a load
// does, then encoded back in pieces of another size; a file saved without edits must come
// back byte for byte (for ANSI: when no character had to become "?").
#include "../FuzzSupport.h"
#include "documents/text/Encoding.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <string>

using namespace textdoc;

namespace {

// Decodes `bytes` (the mark already skipped) in blocks of `block` bytes as a load does.
std::string decode(int source, const std::string& bytes, size_t block, std::string& kept)
{
    std::string text, carry;
    Utf16Decoder utf16(source == EncUtf16BE);
    for (size_t at = 0; at < bytes.size(); at += block) {
        const size_t n = std::min(block, bytes.size() - at);
        const char* p = bytes.data() + at;
        switch (source) {
        case EncAnsi: appendAnsiAsUtf8(p, n, text); break;
        case EncUtf16BE:
        case EncUtf16LE: utf16.decode(p, n, text); break;
        default: {
            std::string piece = carry + std::string(p, n);
            const size_t tail = incompleteUtf8Tail(piece.data(), piece.size());
            FUZZ_CHECK(tail <= 3 && tail <= piece.size());
            carry.assign(piece, piece.size() - tail, tail);
            text.append(piece, 0, piece.size() - tail);
        }
        }
    }
    text += carry;
    kept = utf16.finish(text);
    FUZZ_CHECK(kept.size() <= 1);
    return text;
}

std::string encode(int source, const std::string& text, size_t piece, size_t* replaced)
{
    std::string out;
    Utf16Encoder utf16(source == EncUtf16BE);
    AnsiEncoder ansiEnc;
    for (size_t at = 0; at < text.size(); at += piece) {
        const size_t n = std::min(piece, text.size() - at);
        if (source == EncAnsi)
            ansiEnc.encode(text.data() + at, n, out);
        else if (source == EncUtf16BE || source == EncUtf16LE)
            utf16.encode(text.data() + at, n, out);
        else
            out.append(text, at, n);
    }
    ansiEnc.finish(out);
    utf16.finish(out);
    *replaced = ansiEnc.replaced();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const int pages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
    ansi::setCodePage(pages[data[0] % 10]);
    const size_t block = 1 + data[1] % 7 + (data[0] & 0x80 ? 100 : 0);
    const size_t piece = 1 + (data[0] >> 4 & 7);
    const std::string file(reinterpret_cast<const char*>(data + 2), size - 2);

    const int detected = detectEncoding(file.data(), file.size());
    FUZZ_CHECK(isValidEncoding(detected));
    const int eol = detectEolMode(file.data(), file.size());
    FUZZ_CHECK(eol == EolCrLf || eol == EolCr || eol == EolLf);

    // Every source, whatever was detected: a forced open mode reads any file as any of them.
    for (int source : {detected, int(EncAnsi), int(EncUtf8NoBom), int(EncUtf16LE), int(EncUtf16BE)}) {
        std::string kept;
        const std::string text = decode(source, file, block, kept);
        if (source == EncUtf16LE || source == EncUtf16BE)
            FUZZ_CHECK(text.size() <= file.size() / 2 * 3 + 3);
        size_t replaced = 0;
        const std::string back = encode(source, text, piece, &replaced) + kept;
        if (source != EncAnsi || replaced == 0)
            FUZZ_CHECK(back == file);
    }
    return 0;
}
