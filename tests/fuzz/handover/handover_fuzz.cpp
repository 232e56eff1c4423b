// The single-instance hand-over message: any bytes as the body a second start sent. A body
// that decodes encodes back to exactly the same bytes.
#include "../FuzzSupport.h"
#include "app/SingleInstance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    QString directory, commandLine;
    if (!SingleInstance::decode(body, directory, commandLine))
        return 0;
    const QByteArray again = SingleInstance::encode(directory, commandLine);
    FUZZ_CHECK(again.size() >= 8);
    FUZZ_CHECK(again.mid(8) == body);
    return 0;
}
