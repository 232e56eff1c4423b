#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace paths {

QString programFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) {
        QFileInfo self(QStringLiteral("/proc/self/exe"));
        dir = QFileInfo(self.symLinkTarget()).absolutePath();
    }
    while (dir.size() > 1 && dir.endsWith('/'))
        dir.chop(1);
    return dir;
}

QString shippedDataFolder()
{
    return QDir::cleanPath(programFolder() + QStringLiteral("/../share/velmo"));
}

QString pathPart(const QString& path, int part)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QString name = slash >= 0 ? path.mid(slash + 1) : path;
    const qsizetype dot = name.lastIndexOf('.');
    switch (part) {
    case FullPath: return path;
    case FileName: return name;
    case Folder:
        if (slash < 0) return QString();
        return slash == 0 ? QStringLiteral("/") : path.left(slash);
    case BaseName: return dot > 0 ? name.left(dot) : name;
    case Extension: return dot > 0 ? name.mid(dot + 1) : QString();
    default: return QString();
    }
}

namespace {
bool matchAt(const QChar* n, qsizetype nlen, const QChar* p, qsizetype plen)
{
    // Iterative wildcard match with one back-tracking point for the last "*".
    qsizetype ni = 0, pi = 0, starP = -1, starN = 0;
    while (ni < nlen) {
        if (pi < plen && (p[pi] == '?' || p[pi].toCaseFolded() == n[ni].toCaseFolded())) {
            ++ni;
            ++pi;
        } else if (pi < plen && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (starP >= 0) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < plen && p[pi] == '*')
        ++pi;
    return pi == plen;
}
} // namespace

bool matchPattern(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    // "name.*" also matches a name without a dot.
    if (pattern.endsWith(QLatin1String(".*")) && !name.contains('.')) {
        QString stem = pattern.left(pattern.size() - 2);
        if (matchAt(name.constData(), name.size(), stem.constData(), stem.size()))
            return true;
    }
    return matchAt(name.constData(), name.size(), pattern.constData(), pattern.size());
}

bool matchSpec(const QString& name, const QString& patterns)
{
    for (const QString& raw : patterns.split(';')) {
        qsizetype i = 0;
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
        QString pat = raw.mid(i);
        if (pat.isEmpty())
            continue;
        if (matchPattern(name, pat))
            return true;
    }
    return false;
}

QStringList splitCommandLine(const QString& line, bool hasProgram)
{
    QStringList out;
    const QChar* s = line.constData();
    const QChar* end = s + line.size();
    auto blank = [](QChar c) { return c == ' ' || c == '\t'; };

    if (hasProgram) {
        // The program's own name: quotes delimit it, backslashes are literal.
        QString arg;
        if (s < end && *s == '"') {
            ++s;
            while (s < end && *s != '"')
                arg += *s++;
            if (s < end)
                ++s;
        } else {
            while (s < end && !blank(*s))
                arg += *s++;
        }
        out << arg;
    }
    while (s < end && blank(*s))
        ++s;
    if (s >= end)
        return out;

    QString arg;
    int bcount = 0;   // backslashes just seen
    int qcount = 0;   // quote state: odd while inside quotes
    while (s < end) {
        QChar c = *s;
        if (blank(c) && qcount == 0) {
            out << arg;
            arg.clear();
            bcount = 0;
            while (s < end && blank(*s))
                ++s;
            if (s >= end)
                return out;
            continue;
        }
        if (c == '\\') {
            arg += c;
            ++bcount;
            ++s;
        } else if (c == '"') {
            if ((bcount & 1) == 0) {
                arg.chop(bcount / 2);
                ++qcount;
            } else {
                arg.chop(bcount / 2 + 1);
                arg += '"';
            }
            ++s;
            bcount = 0;
            // Runs of quotes: every third one is a literal quote.
            while (s < end && *s == '"') {
                if (++qcount == 3) {
                    arg += '"';
                    qcount = 0;
                }
                ++s;
            }
            if (qcount == 2)
                qcount = 0;
        } else {
            arg += c;
            bcount = 0;
            ++s;
        }
    }
    out << arg;
    return out;
}

QString quoteArgument(const QString& arg)
{
    if (!arg.isEmpty() && !arg.contains(QRegularExpression(QStringLiteral("[ \t\"]"))))
        return arg;
    QString out = QStringLiteral("\"");
    int backslashes = 0;
    for (QChar c : arg) {
        if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            out += QString(backslashes * 2 + 1, '\\');
            out += '"';
            backslashes = 0;
            continue;
        } else {
            out += QString(backslashes, '\\');
            backslashes = 0;
        }
        if (c != '\\')
            out += c;
    }
    out += QString(backslashes * 2, '\\');
    out += '"';
    return out;
}

QString joinCommandLine(const QStringList& args)
{
    QStringList quoted;
    for (const QString& a : args)
        quoted << quoteArgument(a);
    return quoted.join(' ');
}

bool sameFile(const QString& a, const QString& b)
{
    if (!hasFile(a) || !hasFile(b))
        return false;
    QString ca = QFileInfo(a).canonicalFilePath();
    QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && ca == cb)
        return true;
    struct stat sa {}, sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace paths
