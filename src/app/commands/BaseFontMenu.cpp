#include "app/commands/BaseFontMenu.h"

#include <QStringList>

namespace cmd {
namespace {

// The value of one "name:value" field of a style definition ("" when absent).
QString field(const QString& definition, QLatin1String name, bool* present = nullptr)
{
    if (present)
        *present = false;
    const QStringList parts = definition.split(QLatin1Char(','));
    for (const QString& p : parts) {
        const QString t = p.trimmed();
        int colon = t.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        if (t.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            if (present)
                *present = true;
            return t.mid(colon + 1).trimmed();
        }
    }
    return {};
}

} // namespace

QString styleFontName(const QString& definition)
{
    return field(definition, QLatin1String("font"));
}

int styleFontSize(const QString& definition)
{
    bool ok = false;
    int n = field(definition, QLatin1String("size")).toInt(&ok);
    return ok ? n : 0;
}

std::vector<BaseFontEntry> baseFontEntries(const std::function<QString(const QString& key)>& readFontKey)
{
    std::vector<BaseFontEntry> entries;
    if (!readFontKey)
        return entries;
    for (int n = 1; n <= 10; ++n) {
        const QString def = readFontKey(QString::number(n));
        if (def.trimmed().isEmpty())
            break;
        const QString name = styleFontName(def);
        if (name.isEmpty())
            break;
        BaseFontEntry e;
        e.number = n;
        e.label = QStringLiteral("&%1 %2").arg(n).arg(name);
        if (int size = styleFontSize(def))
            e.label += QStringLiteral(", %1").arg(size);
        entries.push_back(e);
    }
    return entries;
}

} // namespace cmd
