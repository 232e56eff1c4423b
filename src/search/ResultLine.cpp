#include "search/ResultLine.h"

namespace search {

FindResultLine FindResultLine::result(const QString& file, int line, const QString& lineText, QObject* document)
{
    QString body = lineText;
    while (body.endsWith(QLatin1Char('\n')) || body.endsWith(QLatin1Char('\r')))
        body.chop(1);
    body.replace(QLatin1Char('\r'), QLatin1Char(' '));
    body.replace(QLatin1Char('\n'), QLatin1Char(' '));
    FindResultLine r;
    r.text = QStringLiteral("%1(%2): %3").arg(file).arg(line).arg(body).left(kMaxResultLine);
    r.file = file;
    r.line = line;
    r.document = document;
    return r;
}

FindResultLine FindResultLine::plain(const QString& text)
{
    FindResultLine r;
    r.text = text.left(kMaxResultLine);
    r.text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    r.text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return r;
}

bool parseResultLine(const QString& text, QString* file, int* line)
{
    const int open = text.indexOf(QLatin1Char('('));
    if (open < 0)
        return false;
    *file = text.left(open);
    int n = 0;
    for (int i = open + 1; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i)
        n = n * 10 + (text.at(i).unicode() - '0');
    *line = n;
    return true;
}

} // namespace search
