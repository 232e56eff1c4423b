// The batch-file parser with % substitution, and SET /A. The first byte chooses: odd runs
// the rest as a SET /A expression, even reads it as a batch file (from a real file, with
// parameters %0-%9 set), parsing statement after statement to its end; every tree is also
// turned into the text a second interpreter would be given.
#include "../FuzzSupport.h"
#include "console/Parser.h"
#include "console/SetArithmetic.h"

namespace console {
namespace {

struct Host : ExpandHost {
    Environment env;
    ustring cwd = u"/fuzz/dir";
    BatchParams params;
    bool ext = true;

    Host()
    {
        env.set(u"PATH", u"/usr/bin:/bin");
        env.set(u"A", u"0x10");
        env.set(u"LONG", ustring(300, u'x'));
        env.set(u"PCT", u"%A%");
        for (int i = 0; i < 10; ++i) {
            params.params[size_t(i)] = u"\"/fuzz/dir/arg " + number(i) + u".txt\"";
            params.present[size_t(i)] = i < 5;
        }
        params.argText = u"a b c";
        params.fullPath = u"/fuzz/dir/run.bat";
    }
    bool extensions() const override { return ext; }
    std::optional<ustring> variable(uview name) const override
    {
        if (equalsNoCase(name, u"CD"))
            return cwd;
        return env.get(name);
    }
    const Environment& environment() const override { return env; }
    const ustring& currentDirectory() const override { return cwd; }
    const BatchParams* batchParams() const override { return &params; }
};

} // namespace
} // namespace console

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace console;
    if (size < 1)
        return 0;
    Host host;
    host.ext = !(data[0] & 2);
    if (data[0] & 1) {
        const ustring expr = fromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
        (void)evaluateArithmetic(expr, host.env);
        return 0;
    }
    const std::string path = fuzz::writeScratch("run.bat", data + 1, size - 1);
    LineSource source = LineSource::fromFile(path, 0);
    Parser parser(host);
    for (int statements = 0; statements < 500; ++statements) {
        Parser::Result r = parser.parse(source);
        if (r.status == Parser::Result::Eof)
            break;
        if (r.status == Parser::Result::Ok && r.node) {
            try {
                (void)childCommandText(*r.node, host.ext);
            } catch (const CmdError&) {
            }
        }
    }
    return 0;
}
