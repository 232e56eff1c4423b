// The properties reader: any bytes are read as a properties file (with imports from a
// folder that holds a few files, one of which imports itself), then every key is looked
// up plain, expanded, for a few file names and as a number.
#include "../FuzzSupport.h"
#include "language/PropSetFile.h"

#include <cstdint>
#include <string>

namespace {

const std::string& importFolder()
{
    static const std::string folder = [] {
        const std::string& f = fuzz::scratchFolder();
        const std::string a = "x=$(y)$(x)\ny=[$(x)]\nfile.patterns.c=*.c;*.h\nimport self\n";
        const std::string self = "import self\nimport a\nz=$(z)$(z)$(z)\n";
        fuzz::writeScratch("a.properties", reinterpret_cast<const uint8_t*>(a.data()), a.size());
        fuzz::writeScratch("self.properties", reinterpret_cast<const uint8_t*>(self.data()), self.size());
        return f;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PropSetFile parent(true);
    parent.ReadFromMemory("lexer.*.c=cpp\nkeywords.$(file.patterns.c)=int char\n", importFolder());
    PropSetFile props(size > 0 && (data[0] & 1));
    props.SetParent(&parent);
    props.ReadFromMemory(std::string_view(reinterpret_cast<const char*>(data), size), importFolder());
    FUZZ_CHECK(props.Size() <= size + 16);

    static const char* const names[] = {"a.c", "Makefile", "x.CPP", "", ".properties", "*"};
    for (const auto& [key, value] : props.All()) {
        FUZZ_CHECK(props.Lookup(key) == value);
        const std::string expanded = props.LookupExpanded(key);
        FUZZ_CHECK(expanded.size() <= PropSetFile::kMaxExpandedBytes + value.size());
        (void)props.LookupInt(key, 7);
        (void)props::ColourFromString(value);
        (void)props::StyleAndWords::Parse(value).Includes("x");
        for (const char* name : names) {
            (void)props.LookupForFileExpanded(key, name);
            (void)props::MatchesPatternList(value, name);
        }
    }
    return 0;
}
