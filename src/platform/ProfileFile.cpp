#include "platform/ProfileFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

struct Line {
    QByteArray raw;      // the line as stored, without its line end
    QByteArray ending;   // "\n", "\r\n" or empty for a last line without one
};

struct Parsed {
    std::vector<Line> lines;
    QByteArray newline = "\n";
};

Parsed load(const QString& path)
{
    Parsed p;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return p;
    QByteArray data = f.readAll();
    qsizetype pos = 0;
    bool sawCrLf = false;
    while (pos < data.size()) {
        qsizetype nl = data.indexOf('\n', pos);
        Line l;
        if (nl < 0) {
            l.raw = data.mid(pos);
            pos = data.size();
        } else {
            qsizetype end = nl;
            if (end > pos && data[end - 1] == '\r') {
                --end;
                l.ending = "\r\n";
                sawCrLf = true;
            } else {
                l.ending = "\n";
            }
            l.raw = data.mid(pos, end - pos);
            pos = nl + 1;
        }
        p.lines.push_back(std::move(l));
    }
    if (sawCrLf)
        p.newline = "\r\n";
    return p;
}

// Only the file's first line may begin with a byte-order mark that is not part of the text:
// one at the start of any other line is a character of that line, so a line such as
// "\xEF\xBB\xBF[" never reads as a section header.
QString text(const QByteArray& raw, bool first)
{
    QByteArrayView r = raw;
    if (first && r.startsWith("\xEF\xBB\xBF"))
        r = r.sliced(3);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decode(r);
}

// The section name if the line is a section header.
std::optional<QString> sectionOf(const QString& line)
{
    QString t = line.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    qsizetype close = t.indexOf(']');
    if (close < 0)
        return t.mid(1).trimmed();
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString& t)
{
    return t.startsWith(';') || t.startsWith('#');
}

// The key of a key=value line, or nothing.
std::optional<QString> keyOf(const QString& line, QString* value = nullptr)
{
    QString t = line.trimmed();
    if (t.isEmpty() || isComment(t) || t.startsWith('['))
        return std::nullopt;
    qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    if (value)
        *value = t.mid(eq + 1).trimmed();
    return t.left(eq).trimmed();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index range [begin, end) of the first section's body, begin pointing at the header.
struct Range {
    qsizetype header = -1;
    qsizetype end = -1;
};

Range findSection(const Parsed& p, const QString& section)
{
    Range r;
    for (qsizetype i = 0; i < qsizetype(p.lines.size()); ++i) {
        auto s = sectionOf(text(p.lines[size_t(i)].raw, i == 0));
        if (!s)
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(*s, section))
            r.header = i;
    }
    if (r.header >= 0)
        r.end = qsizetype(p.lines.size());
    return r;
}

QString unquote(const QString& v)
{
    if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        return v.mid(1, v.size() - 2);
    return v;
}

std::optional<QString> lookup(const QString& path, const QString& section, const QString& key)
{
    Parsed p = load(path);
    Range r = findSection(p, section);
    if (r.header < 0)
        return std::nullopt;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        QString value;
        auto k = keyOf(text(p.lines[size_t(i)].raw, false), &value);
        if (k && sameName(*k, key))
            return unquote(value);
    }
    return std::nullopt;
}

// A name or value written to the file can never start a new line or a section.
QString clean(QString s, bool name)
{
    s.replace('\r', ' ').replace('\n', ' ').replace(QChar(0), ' ');
    if (name)
        s.replace('=', ' ').replace('[', ' ').replace(']', ' ');
    return s.trimmed();
}

bool writable(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return true;   // a missing file is created
    return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR);
}

bool save(const QString& path, const Parsed& p)
{
    QByteArray out;
    for (size_t i = 0; i < p.lines.size(); ++i) {
        out += p.lines[i].raw;
        if (!p.lines[i].ending.isEmpty())
            out += p.lines[i].ending;
        else if (i + 1 < p.lines.size())
            out += p.newline;
    }
    return atomicfile::write(path, out);
}

void ensureEndsWithNewline(Parsed& p)
{
    if (!p.lines.empty() && p.lines.back().ending.isEmpty())
        p.lines.back().ending = p.newline;
}

Line makeLine(const QString& s, const QByteArray& nl)
{
    return Line{s.toUtf8(), nl};
}

// Position after the last non-blank line of the section, where a new key goes.
qsizetype insertionPoint(const Parsed& p, const Range& r)
{
    qsizetype at = r.end;
    while (at - 1 > r.header && p.lines[size_t(at - 1)].raw.trimmed().isEmpty())
        --at;
    return at;
}

} // namespace

int ProfileFile::parseInt(const QString& v, int def)
{
    QString t = v.trimmed();
    if (t.isEmpty())
        return def;
    qsizetype i = 0;
    bool negative = false;
    if (t[i] == '-' || t[i] == '+') {
        negative = t[i] == '-';
        ++i;
    }
    quint32 value = 0;
    if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        for (i += 2; i < t.size(); ++i) {
            int d = QChar(t[i]).isDigit() ? t[i].unicode() - '0'
                  : (t[i].toLower() >= 'a' && t[i].toLower() <= 'f') ? t[i].toLower().unicode() - 'a' + 10 : -1;
            if (d < 0)
                break;
            value = value * 16u + quint32(d);
        }
    } else {
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
            value = value * 10u + quint32(t[i].unicode() - '0');
    }
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& def) const
{
    auto v = lookup(m_path, section, key);
    return v ? *v : def;
}

int ProfileFile::readInt(const QString& section, const QString& key, int def) const
{
    auto v = lookup(m_path, section, key);
    return v ? parseInt(*v, def) : def;
}

bool ProfileFile::hasKey(const QString& section, const QString& key) const
{
    return lookup(m_path, section, key).has_value();
}

QStringList ProfileFile::readSection(const QString& section) const
{
    QStringList out;
    Parsed p = load(m_path);
    Range r = findSection(p, section);
    if (r.header < 0)
        return out;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        QString t = text(p.lines[size_t(i)].raw, false).trimmed();
        if (!t.isEmpty() && !isComment(t))
            out << t;
    }
    return out;
}

QStringList ProfileFile::sectionNames() const
{
    QStringList out;
    Parsed p = load(m_path);
    for (size_t i = 0; i < p.lines.size(); ++i)
        if (auto s = sectionOf(text(p.lines[i].raw, i == 0)))
            out << *s;
    return out;
}

namespace {

// Sets one key in the parsed file (replaced in place, appended to its section, or in a
// new section at the end). False when the section or key name is empty.
bool setKey(Parsed& p, const QString& sectionIn, const QString& keyIn, const QString& valueIn)
{
    const QString section = clean(sectionIn, true), key = clean(keyIn, true), value = clean(valueIn, false);
    if (section.isEmpty() || key.isEmpty())
        return false;
    Range r = findSection(p, section);
    const QString line = key + '=' + value;
    if (r.header < 0) {
        ensureEndsWithNewline(p);
        p.lines.push_back(makeLine('[' + section + ']', p.newline));
        p.lines.push_back(makeLine(line, p.newline));
        return true;
    }
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        auto k = keyOf(text(p.lines[size_t(i)].raw, false));
        if (k && sameName(*k, key)) {
            p.lines[size_t(i)].raw = line.toUtf8();
            return true;
        }
    }
    qsizetype at = insertionPoint(p, r);
    if (at > 0 && p.lines[size_t(at - 1)].ending.isEmpty())
        p.lines[size_t(at - 1)].ending = p.newline;
    p.lines.insert(p.lines.begin() + at, makeLine(line, p.newline));
    return true;
}

} // namespace

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value)
{
    if (!writable(m_path))
        return false;
    FileLock lock(m_path);   // another instance may be writing the same file
    Parsed p = load(m_path);
    if (!setKey(p, section, key, value))
        return false;
    return save(m_path, p);
}

bool ProfileFile::writeValues(const QList<Value>& values)
{
    return writeChanges(values, {});
}

bool ProfileFile::writeInt(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool ProfileFile::removeKey(const QString& section, const QString& key)
{
    if (!writable(m_path))
        return false;
    FileLock lock(m_path);   // another instance may be writing the same file
    Parsed p = load(m_path);
    Range r = findSection(p, section);
    if (r.header < 0)
        return true;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        auto k = keyOf(text(p.lines[size_t(i)].raw, false));
        if (k && sameName(*k, key)) {
            p.lines.erase(p.lines.begin() + i);
            return save(m_path, p);
        }
    }
    return true;
}

namespace {

// Empties the section and fills it with `lines` in place (a new section goes at the end).
bool replaceSection(Parsed& p, const QString& sectionIn, const QStringList& lines)
{
    const QString section = clean(sectionIn, true);
    if (section.isEmpty())
        return false;
    Range r = findSection(p, section);
    std::vector<Line> body;
    for (const QString& l : lines) {
        QString c = clean(l, false);
        if (!c.isEmpty() && !c.startsWith('['))
            body.push_back(makeLine(c, p.newline));
    }
    if (r.header < 0) {
        ensureEndsWithNewline(p);
        p.lines.push_back(makeLine('[' + section + ']', p.newline));
        p.lines.insert(p.lines.end(), body.begin(), body.end());
        return true;
    }
    // Keep the blank lines that separate this section from the next one.
    qsizetype bodyEnd = insertionPoint(p, r);
    if (p.lines[size_t(r.header)].ending.isEmpty())
        p.lines[size_t(r.header)].ending = p.newline;
    p.lines.erase(p.lines.begin() + r.header + 1, p.lines.begin() + bodyEnd);
    p.lines.insert(p.lines.begin() + r.header + 1, body.begin(), body.end());
    return true;
}

} // namespace

bool ProfileFile::writeSection(const QString& section, const QStringList& lines)
{
    if (!writable(m_path))
        return false;
    FileLock lock(m_path);   // another instance may be writing the same file
    Parsed p = load(m_path);
    if (!replaceSection(p, section, lines))
        return false;
    return save(m_path, p);
}

bool ProfileFile::writeChanges(const QList<Value>& values, const QList<Section>& sections)
{
    if (values.isEmpty() && sections.isEmpty())
        return true;
    if (!writable(m_path))
        return false;
    FileLock lock(m_path);   // another instance may be writing the same file
    Parsed p = load(m_path);
    for (const Section& s : sections)
        if (!replaceSection(p, s.section, s.lines))
            return false;
    for (const Value& v : values)
        if (!setKey(p, v.section, v.key, v.value))
            return false;
    return save(m_path, p);
}
