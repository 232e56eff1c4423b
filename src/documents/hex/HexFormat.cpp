#include "documents/hex/HexFormat.h"

#include <QLocale>

namespace hex {

QString formatPrintf(const QString& format, const std::vector<QVariant>& args)
{
    QString out;
    out.reserve(format.size() + 32);
    size_t next = 0;
    const int n = int(format.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        if (i + 1 < n && format.at(i + 1) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        int j = i + 1;
        bool zero = false;
        if (j < n && format.at(j) == QLatin1Char('0')) {
            zero = true;
            ++j;
        }
        int width = 0;
        while (j < n && format.at(j).isDigit() && width < 100)
            width = width * 10 + format.at(j++).digitValue();
        // Length modifiers a translator may copy from C are accepted and ignored.
        while (j < n && (format.at(j) == QLatin1Char('l') || format.at(j) == QLatin1Char('h')))
            ++j;
        if (j >= n || next >= args.size()) {
            out += format.mid(i, j - i);
            i = j - 1;
            continue;
        }
        const QChar conv = format.at(j);
        QString field;
        const QVariant& arg = args[next];
        switch (conv.unicode()) {
        case 'd':
        case 'i': field = QString::number(arg.toLongLong()); break;
        case 'u': field = QString::number(arg.toULongLong()); break;
        case 'x': field = QString::number(arg.toULongLong(), 16); break;
        case 'X': field = QString::number(arg.toULongLong(), 16).toUpper(); break;
        case 's': field = arg.toString(); break;
        default:
            out += format.mid(i, j - i + 1);
            i = j;
            continue;
        }
        ++next;
        if (field.size() < width) {
            const bool negative = zero && field.startsWith(QLatin1Char('-'));
            const QString pad(width - field.size(), zero && conv != QLatin1Char('s') ? QLatin1Char('0') : QLatin1Char(' '));
            field = negative ? QLatin1Char('-') + pad + field.mid(1) : pad + field;
        }
        out += field;
        i = j;
    }
    return out;
}

QString sizeText(int64_t size)
{
    const QLocale locale = QLocale::system();
    if (size < 1024) {
        QString sep = locale.groupSeparator();
        if (sep.isEmpty())
            sep = QStringLiteral("'");
        QString digits = QString::number(size);
        for (int i = int(digits.size()) - 3; i > 0; i -= 3)
            digits.insert(i, sep);
        return digits + QStringLiteral(" Bytes");
    }
    static const char* const units[] = {" KB", " MB", " GB"};
    double value = double(size);
    int unit = -1;
    while (value >= 1024 && unit < 2) {
        value /= 1024;
        ++unit;
    }
    return locale.toString(value, 'f', 2) + QLatin1String(units[unit]);
}

} // namespace hex
