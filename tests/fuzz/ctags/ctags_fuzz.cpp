// The tagger's output reader: any bytes as ctags output. The first byte picks the language's
// kind letters, the second where the output is cut into chunks. A tag read has a name
// without tabs, a known kind and a line that is not negative, and the stream delivers the
// same tags however its input is cut.
#include "../FuzzSupport.h"
#include "symbols/TagParser.h"

#include <string>
#include <vector>

namespace {

struct Seen {
    std::vector<std::string> names;
    std::vector<int> kinds, lines;
    bool operator==(const Seen&) const = default;
};

symbols::TagStream::Deliver collect(Seen& seen)
{
    return [&seen](symbols::TagRecord& tag) {
        FUZZ_CHECK(!tag.name.empty() && tag.name.find('\t') == std::string::npos);
        FUZZ_CHECK(tag.line >= 0 && tag.kind >= 0);
        FUZZ_CHECK(symbols::kindImage(tag.kind) >= 0 && symbols::kindImage(tag.kind) < symbols::kImageCount);
        FUZZ_CHECK(tag.hasPattern || tag.pattern.empty());
        FUZZ_CHECK(tag.hasScope || tag.scope.empty());
        seen.names.push_back(tag.name);
        seen.kinds.push_back(tag.kind);
        seen.lines.push_back(tag.line);
    };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const auto group = symbols::LetterGroup(data[0] % 10);
    const size_t step = size_t(data[1] % 7) + 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    Seen whole, cut;
    symbols::TagStream a(group, ~0u, ~0u, collect(whole));
    a.feed(text);
    a.finish();
    symbols::TagStream b(group, ~0u, ~0u, collect(cut));
    for (size_t at = 0; at < text.size(); at += step)
        b.feed(text.substr(at, step));
    b.finish();
    FUZZ_CHECK(whole == cut);
    FUZZ_CHECK(a.delivered() == int(whole.names.size()) && a.skipped() == b.skipped());
    return 0;
}
