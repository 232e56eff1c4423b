#include "app/commands/StatusTexts.h"

#include "platform/Texts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

namespace cmd {
namespace {

// Groups of three digits joined by the separator.
QString grouped(qint64 n, const QString& separator)
{
    QString digits = QString::number(n < 0 ? -n : n);
    QString out;
    int lead = static_cast<int>(digits.size()) % 3;
    if (lead == 0)
        lead = 3;
    out = digits.left(lead);
    for (int i = lead; i < digits.size(); i += 3)
        out += separator + digits.mid(i, 3);
    return n < 0 ? QLatin1Char('-') + out : out;
}

} // namespace

QString positionText(int caretLine, int lineCount, int caretColumn, int selectionLength)
{
    // The format may come from a translation: only "%d" is filled in, in order, so a
    // malformed text cannot read arguments that are not there.
    const QString format = texts::str(StrPosition, "Ln %d/%d  Col %d  Sel %d");
    const int values[] = {caretLine + 1, lineCount, caretColumn + 1, selectionLength};
    QString out;
    size_t next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('%') && i + 1 < format.size() && format[i + 1] == QLatin1Char('d') &&
            next < std::size(values)) {
            out += QString::number(values[next++]);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

SizeFormat SizeFormat::fromLocale(const QLocale& locale)
{
    SizeFormat f;
    const QString group = locale.groupSeparator();
    if (!group.isEmpty() && !(locale.numberOptions() & QLocale::OmitGroupSeparator))
        f.groupSeparator = group;
    if (!locale.decimalPoint().isEmpty())
        f.decimalPoint = locale.decimalPoint();
    return f;
}

QString sizeText(qint64 bytes, const SizeFormat& format)
{
    if (bytes < 1024)
        return grouped(bytes, format.groupSeparator) + texts::str(StrBytes, " Bytes");
    const QString units[] = {texts::str(StrKB, " KB"), texts::str(StrMB, " MB"), texts::str(StrGB, " GB")};
    double v = static_cast<double>(bytes);
    int unit = -1;
    while (v >= 1024.0 && unit < 2) {
        v /= 1024.0;
        ++unit;
    }
    // "%.2f" first, then the locale's separators on the whole and fraction parts.
    const QString fixed = QString::asprintf("%.2f", v);
    const int dot = static_cast<int>(fixed.indexOf(QLatin1Char('.')));
    const qint64 whole = fixed.left(dot).toLongLong();
    return grouped(whole, format.groupSeparator) + format.decimalPoint + fixed.mid(dot + 1) +
           units[unit];
}

QString sizeText(qint64 bytes, const QLocale& locale)
{
    return sizeText(bytes, SizeFormat::fromLocale(locale));
}

QString encodingName(int encoding)
{
    static const char* const names[] = {"ANSI", "UNICODE BE", "UNICODE", "UTF-8", "UTF-8 NOBOM"};
    if (encoding < 0 || encoding > 4)
        encoding = 0;
    return texts::str(StrEncodingFirst + encoding, names[encoding]);
}

QString hexText()
{
    return texts::str(StrHex, "Hex");
}

QString insertModeText(bool overtype)
{
    return overtype ? texts::str(StrOvr, "OVR") : texts::str(StrIns, "INS");
}

std::array<int, 4> paneWidths(const QFontMetrics& fm)
{
    constexpr int margin = 9;
    return {180, fm.horizontalAdvance(QStringLiteral("9'999'999 Bytes")) + margin,
            fm.horizontalAdvance(QStringLiteral("Unicode BE BOM")) + margin,
            fm.horizontalAdvance(QStringLiteral("OVR")) + 10 + margin};
}

std::array<QString, 4> paneTexts(const StatusInfo& info, const QLocale& locale)
{
    if (!info.hasDocument)
        return {};
    std::array<QString, 4> t;
    if (info.hex)
        t[0] = info.hexPosition;
    else
        t[0] = positionText(info.caretLine, info.lineCount, info.caretColumn, info.selectionLength);
    t[1] = sizeText(info.size, locale);
    t[2] = info.hex ? hexText() : encodingName(info.encoding);
    t[3] = insertModeText(info.hex || info.overtype);
    return t;
}

StatusPanes::StatusPanes(QStatusBar* bar) : m_bar(bar)
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("status_pane_%1").arg(i + 1));
        label->setAlignment(i == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignCenter));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(label);
        m_panes[i] = label;
    }
    updateWidths();
}

void StatusPanes::updateWidths()
{
    const std::array<int, 4> w = paneWidths(QFontMetrics(m_bar->font()));
    for (size_t i = 0; i < m_panes.size(); ++i)
        m_panes[i]->setFixedWidth(w[i]);
}

void StatusPanes::show(const StatusInfo& info)
{
    const std::array<QString, 4> t = paneTexts(info);
    for (size_t i = 0; i < m_panes.size(); ++i)
        m_panes[i]->setText(t[i]);
}

void StatusPanes::clear()
{
    for (QLabel* l : m_panes)
        l->clear();
}

QLabel* StatusPanes::pane(int index) const
{
    if (index < 1 || index > 4)
        return nullptr;
    return m_panes[static_cast<size_t>(index - 1)];
}

} // namespace cmd
