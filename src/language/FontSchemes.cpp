#include "language/FontSchemes.h"

#include "platform/CodePage.h"

#include <QFontDatabase>
#include <QHash>

namespace fonts {

std::vector<FontScheme> SchemeMenu(const SchemeReader& read) {
    std::vector<FontScheme> schemes;
    for (int n = 1; n <= kMaxSchemes; ++n) {
        QString value = read(n);
        if (value.isEmpty())
            break;
        std::string definition = ansi::fromUnicode(value).toStdString();
        StyleSpec def = StyleSpec::Parse(definition);
        if (def.font.empty())
            break;
        FontScheme scheme;
        scheme.number = n;
        scheme.definition = definition;
        scheme.label = QStringLiteral("&%1 %2").arg(n).arg(ansi::toUnicode(def.font));
        if (def.size != 0)
            scheme.label += QStringLiteral(", %1").arg(def.size);
        scheme.command = kFirstSchemeCommand + n - 1;
        schemes.push_back(std::move(scheme));
    }
    return schemes;
}

std::string SelectedScheme(const SchemeReader& read, int curSel) {
    QString value = (curSel >= 1 && curSel <= kMaxSchemes) ? read(curSel) : QString();
    if (value.isEmpty())
        return kDefaultScheme;
    return ansi::fromUnicode(value).toStdString();
}

QString ScreenFamily(const std::string& configuredFonts) {
    static QHash<QByteArray, QString> cache;
    QByteArray key = QByteArray::fromStdString(configuredFonts);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QString chosen;
    const QStringList families = QFontDatabase::families();
    for (const QString& raw : ansi::toUnicode(configuredFonts).split(',', Qt::SkipEmptyParts)) {
        QString name = raw.trimmed();
        if (!name.isEmpty() && families.contains(name, Qt::CaseInsensitive)) {
            chosen = name;
            break;
        }
    }
    if (chosen.isEmpty())
        chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    cache.insert(key, chosen);
    return chosen;
}

QFont SchemeFont(const StyleSpec& scheme) {
    QFont font(ScreenFamily(scheme.font));
    font.setPointSize(scheme.size > 0 ? scheme.size : 10);
    font.setBold(scheme.bold);
    font.setItalic(scheme.italics);
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace fonts
