// The session reader: any bytes as a session file. What it reads is written again and read
// back: the names, marks and active entry survive, and a second round writes the same bytes
// (the first fills in view state an entry lacked).
#include "../FuzzSupport.h"
#include "app/Session.h"

namespace {

bool same(const session::Session& a, const session::Session& b)
{
    if (a.index != b.index || a.files.size() != b.files.size())
        return false;
    for (size_t i = 0; i < a.files.size(); ++i) {
        const auto& x = a.files[i];
        const auto& y = b.files[i];
        if (x.path != y.path || x.marks != y.marks)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto s = session::fromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!s)
        return 0;
    const QByteArray bytes = session::toBytes(*s);
    const auto again = session::fromBytes(bytes);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(same(*s, *again));
    FUZZ_CHECK(session::toBytes(*again) == bytes);
    return 0;
}
