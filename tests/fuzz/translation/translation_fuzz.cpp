// The translation reader: any bytes as a translation file. Reading never fails badly, and a
// file that reads gives texts for any number asked, each either used or refused by the
// format check against an English text.
#include "../FuzzSupport.h"
#include "platform/Texts.h"
#include "ui/Translation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto t = ui::Translation::parse(bytes);
    if (!t)
        return 0;
    static const QString english[] = {QStringLiteral("%s"), QStringLiteral("%d of %d"), QStringLiteral("%1 and %2"),
                                      QStringLiteral("plain")};
    for (int id : {-1, 0, 1, 2, 16, 99, 100, 1000, 1191, 65535}) {
        for (const QString& e : english)
            (void)texts::formatCompatible(e, t->string(id));
        (void)t->command(id);
        (void)t->popup(id, id % 7 - 1);
        (void)t->contextCommand(id % 11, id);
        (void)t->dialog(id % 30, id);
    }
    FUZZ_CHECK(t->stringCount() >= 0);
    return 0;
}
