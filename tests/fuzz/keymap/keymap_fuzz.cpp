// The key map reader: any bytes as keymap.key. A file that reads writes back to the same
// bytes; one that does not is one the rules refuse.
#include "../FuzzSupport.h"
#include "ui/KeyMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto entries = keymap::decode(bytes);
    if (!entries) {
        if (bytes.size() >= 4) {
            const qint32 n = qint32(quint32(quint8(bytes[0])) | quint32(quint8(bytes[1])) << 8 |
                                    quint32(quint8(bytes[2])) << 16 | quint32(quint8(bytes[3])) << 24);
            FUZZ_CHECK(n < 0 || n >= keymap::kMaxEntries || bytes.size() != 4 + 6 * qsizetype(n));
        }
        return 0;
    }
    FUZZ_CHECK(entries->size() < size_t(keymap::kMaxEntries));
    FUZZ_CHECK(keymap::encode(*entries).size() == bytes.size());
    // The reserved byte is not kept; everything else is.
    const auto again = keymap::decode(keymap::encode(*entries));
    FUZZ_CHECK(again && *again == *entries);
    for (const auto& e : *entries)
        (void)keymap::parseToolShortcuts(QString::number(keymap::toolShortcutNumber(e)), e.cmd);
    return 0;
}
