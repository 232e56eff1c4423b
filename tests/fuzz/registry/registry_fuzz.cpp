// The registry store reader: any bytes as the store's file. Every key and value it shows
// can be queried, and setting one new value rewrites the file without changing anything
// else it held.
#include "../FuzzSupport.h"
#include "platform/Registry.h"

#include <map>
#include <optional>

namespace {

using Snapshot = std::map<QString, std::map<QString, std::optional<registry::Value>>>;

bool sameValue(const std::optional<registry::Value>& a, const std::optional<registry::Value>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    if (a->type != b->type)
        return false;
    switch (a->type) {
    case registry::Type::String: return a->string == b->string;
    case registry::Type::Dword: return a->dword == b->dword;
    case registry::Type::Binary: return a->binary == b->binary;
    }
    return false;
}

void walk(const registry::Store& store, const QString& key, Snapshot& out, int depth)
{
    if (depth > 8)
        return;
    if (!key.isEmpty()) {
        FUZZ_CHECK(store.keyExists(key));
        auto& values = out[key.toCaseFolded()];
        for (const QString& name : store.valueNames(key))
            if (!values.count(name.toCaseFolded()))   // the first of equal names wins
                values[name.toCaseFolded()] = store.query(key, name);
    }
    for (const QString& sub : store.subKeys(key))
        walk(store, key.isEmpty() ? sub : key + '\\' + sub, out, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = QString::fromStdString(fuzz::writeScratch("registry.txt", data, size));
    registry::Store store(path);
    Snapshot before;
    walk(store, QString(), before, 0);
    (void)store.queryString(QStringLiteral("Software\\Velmo"), QStringLiteral("File1"));
    (void)store.queryDword(QStringLiteral("Software\\Velmo"), QString());

    if (!store.setDword(QStringLiteral("FuzzOwn\\Key"), QStringLiteral("n"), 42))
        return 0;
    FUZZ_CHECK(store.queryDword(QStringLiteral("FuzzOwn\\Key"), QStringLiteral("n")) == 42u);
    Snapshot after;
    walk(store, QString(), after, 0);
    for (const auto& [key, values] : before) {
        if (key.startsWith(QStringLiteral("fuzzown")))
            continue;
        auto it = after.find(key);
        FUZZ_CHECK(it != after.end());
        for (const auto& [name, v] : values) {
            auto jt = it->second.find(name);
            FUZZ_CHECK(jt != it->second.end());
            FUZZ_CHECK(sameValue(v, jt->second));
        }
    }
    return 0;
}
