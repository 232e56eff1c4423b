#include "templates/MacroExpander.h"

#include "platform/Seams.h"

#include <cstdio>

namespace templates {

namespace {

std::string utf8(const QString& s)
{
    return s.toStdString();
}

std::string number(const char* format, int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

const char* monthName(int month)
{
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

bool caseFixed(std::string_view name)
{
    return name == "USER" || name == "EMAIL" || name == "COMPANY" || name == "LINE";
}

} // namespace

MacroExpander::MacroExpander(MacroContext context) : m_context(std::move(context))
{
    reset();
}

void MacroExpander::reset()
{
    m_out.clear();
    m_out.reserve(4096);
    m_caret = -1;
    m_now = seams::clock().now().toLocalTime();
}

std::optional<std::string> MacroExpander::value(std::string_view name) const
{
    const QString& path = m_context.path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString fileName = slash >= 0 ? path.mid(slash + 1) : QString();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QDate d = m_now.date();
    const QTime t = m_now.time();

    if (name == "FILE") return utf8(path);
    if (name == "FILENAME") return utf8(fileName);
    if (name == "FILE_PATH") return utf8(slash >= 0 ? path.left(slash) : QString());
    if (name == "FILE_BASE") return utf8(dot > 0 ? fileName.left(dot) : fileName);
    if (name == "FILE_EXT") return utf8(dot > 0 ? fileName.mid(dot + 1) : QString());
    if (name == "LINE") return std::to_string(m_context.line);
    if (name == "YEAR") return number("%d", d.year());
    if (name == "MONTH") return number("%d", d.month());
    if (name == "MONTH_02") return number("%02d", d.month());
    if (name == "MONTHNAME") return monthName(d.month());
    if (name == "DAY") return number("%d", d.day());
    if (name == "DAY_02") return number("%02d", d.day());
    if (name == "HOUR") return number("%d", t.hour());
    if (name == "HOUR_02") return number("%02d", t.hour());
    if (name == "MINUTE") return number("%d", t.minute());
    if (name == "DATE")
        return number("%d", d.year()) + '-' + number("%02d", d.month()) + '-' + number("%02d", d.day());
    if (name == "DATENAME")
        return std::string(monthName(d.month())) + '-' + number("%02d", d.day()) + '-' + number("%02d", d.year());
    if (name == "USER") return utf8(m_context.user);
    if (name == "EMAIL") return utf8(m_context.email);
    if (name == "COMPANY") return utf8(m_context.company);
    return std::nullopt;
}

void MacroExpander::appendLiteral(std::string_view text)
{
    if (m_marker && m_caret < 0) {
        const size_t bar = text.find('|');
        if (bar != std::string_view::npos) {
            m_out.append(text.substr(0, bar));
            m_caret = long(m_out.size());
            m_out.append(text.substr(bar + 1));
            return;
        }
    }
    m_out.append(text);
}

void MacroExpander::expand(std::string_view line)
{
    size_t pos = 0;
    while (pos <= line.size()) {
        const size_t open = line.find("$(", pos);
        if (open == std::string_view::npos) {
            appendLiteral(line.substr(pos));
            return;
        }
        size_t nameStart = open + 2;
        Case form = Case::None;
        const std::string_view after = line.substr(nameStart);
        if (after.substr(0, 6) == "UPPER(") {
            form = Case::Upper;
            nameStart += 6;
        } else if (after.substr(0, 6) == "LOWER(") {
            form = Case::Lower;
            nameStart += 6;
        }
        const size_t close = line.find(')', nameStart);
        if (close == std::string_view::npos || close - nameStart > MaxNameLength) {
            // Plain text: go on searching after the "$(".
            appendLiteral(line.substr(pos, open + 2 - pos));
            pos = open + 2;
            continue;
        }
        const std::string_view name = line.substr(nameStart, close - nameStart);
        std::optional<std::string> v = value(name);
        if (!v) {
            // Left as written; the search goes on after the "$(" and the case form.
            appendLiteral(line.substr(pos, nameStart - pos));
            pos = nameStart;
            continue;
        }
        appendLiteral(line.substr(pos, open - pos));
        if (form != Case::None && !caseFixed(name))
            for (char& c : *v) {
                if (form == Case::Upper && c >= 'a' && c <= 'z')
                    c = char(c - 'a' + 'A');
                else if (form == Case::Lower && c >= 'A' && c <= 'Z')
                    c = char(c - 'A' + 'a');
            }
        m_out.append(*v);
        pos = close + 1;
        // The case form's own ")" closes it.
        if (form != Case::None && pos < line.size() && line[pos] == ')')
            ++pos;
    }
}

std::string MacroExpander::expandText(const MacroContext& context, std::string_view text)
{
    MacroExpander e(context);
    e.expand(text);
    return e.result();
}

} // namespace templates
