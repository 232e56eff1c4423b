#pragma once
// The tagger's output read as bytes: one tag line at a time, or a stream of chunks that
// may cut lines anywhere. Lines end in LF or CR LF; a malformed line is skipped and the
// lines after it are read as usual.
#include "symbols/Tags.h"

#include <functional>
#include <string>
#include <string_view>

namespace symbols {

// Reads one line (without its line end). False for a line that carries no tag ("!"
// lines, empty lines) or is malformed.
bool parseTagLine(std::string_view line, LetterGroup group, TagRecord& out);

class TagStream {
public:
    using Deliver = std::function<void(TagRecord&)>;
    TagStream(LetterGroup group, uint32_t lowMask, uint32_t highMask, Deliver deliver);

    void feed(std::string_view chunk);
    // The output ended: a last line without a line end is read too.
    void finish();

    int delivered() const { return delivered_; }
    int skipped() const { return skipped_; }

private:
    void line(std::string_view text);

    LetterGroup group_;
    uint32_t low_, high_;
    Deliver deliver_;
    std::string carry_;   // an incomplete line, kept whatever its length
    int delivered_ = 0;
    int skipped_ = 0;
};

} // namespace symbols
