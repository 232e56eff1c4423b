#include "platform/Texts.h"

namespace texts {
namespace {
Provider& provider()
{
    static Provider p;
    return p;
}

QString lookup(Kind kind, int id, const char* english)
{
    if (provider()) {
        QString t = provider()(kind, id);
        if (!t.isNull())
            return t;
    }
    return QString::fromUtf8(english);
}
} // namespace

void setProvider(Provider p)
{
    provider() = std::move(p);
}

QString str(int id, const char* english)
{
    return lookup(Kind::String, id, english);
}

QString menu(int id, const char* english)
{
    return lookup(Kind::Menu, id, english);
}

QString dialog(int dialogId, int controlId, const char* english)
{
    // Dialog texts are keyed by dialog number and control id together.
    return lookup(Kind::Dialog, dialogId * 65536 + controlId, english);
}

} // namespace texts
