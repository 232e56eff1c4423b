#include "platform/Texts.h"

#include <QStringList>

namespace texts {
namespace {
Provider& provider()
{
    static Provider p;
    return p;
}

QString lookup(Kind kind, int id, const QString& english)
{
    if (provider()) {
        QString t = provider()(kind, id);
        if (!t.isNull() && formatCompatible(english, t))
            return t;
    }
    return english;
}

QString lookup(Kind kind, int id, const char* english)
{
    return lookup(kind, id, QString::fromUtf8(english));
}

// The conversions of a printf format, each as its length modifier and a type class.
QStringList conversions(const QString& s)
{
    QStringList out;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s.at(i) != QLatin1Char('%') || i + 1 >= n)
            continue;
        qsizetype j = i + 1;
        if (s.at(j) == QLatin1Char('%')) {
            i = j;
            continue;
        }
        if (s.at(j).isDigit() && s.at(j) != QLatin1Char('0') &&
            (j + 1 >= n || !(s.at(j + 1).isDigit() || s.at(j + 1) == QLatin1Char('$')))) {
            out << QStringLiteral("#") + s.at(j);   // a "%1" insert
            i = j;
            continue;
        }
        while (j < n && QStringLiteral("-+#0").contains(s.at(j)))
            ++j;
        auto digits = [&] {
            if (j < n && s.at(j) == QLatin1Char('*')) {
                out << QStringLiteral("int");
                ++j;
                return;
            }
            while (j < n && s.at(j).isDigit())
                ++j;
        };
        digits();
        if (j < n && s.at(j) == QLatin1Char('$')) {
            out << QStringLiteral("positional");
            i = j;
            continue;
        }
        if (j < n && s.at(j) == QLatin1Char('.')) {
            ++j;
            digits();
        }
        QString length;
        while (j < n && QStringLiteral("hlLqjztI").contains(s.at(j)))
            length += s.at(j++);
        if (j >= n)
            break;
        const QChar c = s.at(j);
        QString type;
        if (QStringLiteral("diouxXc").contains(c))
            type = QStringLiteral("int");
        else if (QStringLiteral("eEfFgGaA").contains(c))
            type = QStringLiteral("double");
        else if (c == QLatin1Char('s') || c == QLatin1Char('S'))
            type = QStringLiteral("string");
        else if (c == QLatin1Char('p'))
            type = QStringLiteral("pointer");
        else if (c == QLatin1Char('n'))
            type = QStringLiteral("store");
        else
            continue;   // not a conversion ("50% off")
        out << length + type;
        i = j;
    }
    return out;
}
} // namespace

bool formatCompatible(const QString& english, const QString& translated)
{
    if (!english.contains(QLatin1Char('%')) && !translated.contains(QLatin1Char('%')))
        return true;
    return conversions(english) == conversions(translated);
}

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

QString contextMenu(int menuId, int id, const QString& english)
{
    return lookup(Kind::ContextMenu, menuId * 65536 + id, english);
}

} // namespace texts
