#pragma once
// Encodings, open modes and line-end modes of text documents, and the byte-level
// codecs between a file's bytes and the UTF-8 held by the editing component.
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace textdoc {

// Files are read and written in blocks of this many bytes.
inline constexpr size_t kBlockSize = 102400;

enum Encoding : int {
    EncAnsi = 0,       // "ANSI": the process code page, no mark
    EncUtf16BE = 1,    // "UNICODE BE": FE FF, then UTF-16BE
    EncUtf16LE = 2,    // "UNICODE": FF FE, then UTF-16LE
    EncUtf8 = 3,       // "UTF-8": EF BB BF, then UTF-8
    EncUtf8NoBom = 4,  // "UTF-8 NOBOM"
};
inline constexpr int kEncodingCount = 5;

// Open modes 0-4 force that encoding; 5 detects it; 6 asks for the hex view.
enum OpenMode : int { OpenAutomatic = 5, OpenHex = 6 };

// Line-end modes are the editing component's SC_EOL_* values.
enum EolMode : int { EolCrLf = 0, EolCr = 1, EolLf = 2 };

bool isValidEncoding(int encoding);
// "ANSI", "UNICODE BE", "UNICODE", "UTF-8", "UTF-8 NOBOM"; empty for anything else.
QString encodingName(int encoding);

// Encoding of a file from its first block (automatic open mode).
int detectEncoding(const char* data, size_t n);
// Line-end mode from the first CR or LF before the end or the first zero byte;
// CR+LF when there is none.
int detectEolMode(const char* data, size_t n);

// Number of bytes at the end of `data` that start a UTF-8 sequence the data does
// not complete (0-3). Such bytes are held back until the next block arrives.
size_t incompleteUtf8Tail(const char* data, size_t n);

// Bytes of the process code page to UTF-8, appended to `out`.
void appendAnsiAsUtf8(const char* data, size_t n, std::string& out);

// UTF-16 bytes to UTF-8, one block at a time. The decoder never looks beyond the
// block it is given: an odd byte or a high surrogate at a block's end waits for the
// next block. Valid pairs become 4-byte sequences; every other code unit (lone
// surrogates included) becomes one 1-3 byte sequence, so a file with lone surrogates
// still saves back unchanged.
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool bigEndian) : big_(bigEndian) {}
    void decode(const char* data, size_t n, std::string& out);
    // End of input: a high surrogate still waiting is written like any lone surrogate.
    // Returns the odd last byte of a cut-off code unit (empty when there is none): it
    // has no character, so the caller keeps it aside.
    std::string finish(std::string& out);

private:
    bool big_;
    int pendingByte_ = -1;       // first byte of a cut-off code unit
    char16_t pendingHigh_ = 0;   // a high surrogate waiting for its partner
};

// UTF-8 to UTF-16 in the chosen byte order, fed in arbitrary pieces; a sequence cut
// by a piece boundary is carried to the next piece. A byte that starts no valid
// sequence stands for itself (its value is the code unit), like the lone surrogates
// the decoder produces, which go back as the code unit they came from.
class Utf16Encoder {
public:
    explicit Utf16Encoder(bool bigEndian) : big_(bigEndian) {}
    void encode(const char* data, size_t n, std::string& out);
    void finish(std::string& out);

private:
    void run(const char* data, size_t n, bool last, std::string& out);
    bool big_;
    std::string carry_;
};

// UTF-8 to the process code page, fed in pieces; characters the code page lacks
// become "?". Sequences cut by a piece boundary are carried over.
class AnsiEncoder {
public:
    void encode(const char* data, size_t n, std::string& out);
    void finish(std::string& out);
    // Characters written as "?" so far.
    size_t replaced() const { return replaced_; }

private:
    std::string carry_;
    size_t replaced_ = 0;
};

} // namespace textdoc
