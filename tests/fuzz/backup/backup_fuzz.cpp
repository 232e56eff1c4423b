// The backup index reader: any bytes as a "<name>.idx" file left by a run that ended without
// cleaning up. What it accepts has a usable path and numbers in range, and writing that
// entry and reading it back gives the same index again.
#include "../FuzzSupport.h"
#include "documents/backup/BackupStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    backup::Entry e;
    e.folder = QStringLiteral("/backup/run");
    e.name = QStringLiteral("doc-1");
    if (!backup::parseIndex(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &e))
        return 0;
    FUZZ_CHECK(!e.path.isEmpty() && !e.path.contains(QChar(0)));
    FUZZ_CHECK(!e.title.isEmpty());
    FUZZ_CHECK(e.encoding >= 0 && e.encoding <= 4 && e.eolMode >= 0 && e.eolMode <= 2);
    FUZZ_CHECK(e.savedEncoding >= -1 && e.savedEncoding <= 4);
    FUZZ_CHECK(e.folder == QStringLiteral("/backup/run") && e.name == QStringLiteral("doc-1"));
    const QByteArray text = backup::indexText(e);
    backup::Entry again;
    FUZZ_CHECK(backup::parseIndex(text, &again));
    FUZZ_CHECK(again.path == e.path && again.title == e.title && again.encoding == e.encoding);
    FUZZ_CHECK(again.eolMode == e.eolMode && again.savedEncoding == e.savedEncoding && again.fileStamp == e.fileStamp);
    FUZZ_CHECK(backup::indexText(again) == text);
    return 0;
}
