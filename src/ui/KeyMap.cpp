#include "ui/KeyMap.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace keymap {
namespace {

std::uint16_t le16(const char* p)
{
    return std::uint16_t(std::uint8_t(p[0]) | (std::uint8_t(p[1]) << 8));
}

void put16(QByteArray& out, std::uint16_t v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

} // namespace

QByteArray encode(const std::vector<AccelEntry>& entries)
{
    QByteArray out;
    out.reserve(4 + 6 * qsizetype(entries.size()));
    const std::uint32_t n = std::uint32_t(entries.size());
    for (int i = 0; i < 4; ++i)
        out.append(char((n >> (8 * i)) & 0xFF));
    for (const AccelEntry& e : entries) {
        out.append(char(e.flags));
        out.append('\0');
        put16(out, e.key);
        put16(out, e.cmd);
    }
    return out;
}

std::optional<std::vector<AccelEntry>> decode(const QByteArray& bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    const char* p = bytes.constData();
    const std::int32_t n = std::int32_t(std::uint32_t(std::uint8_t(p[0])) | (std::uint32_t(std::uint8_t(p[1])) << 8) |
                                        (std::uint32_t(std::uint8_t(p[2])) << 16) |
                                        (std::uint32_t(std::uint8_t(p[3])) << 24));
    // A negative count would pass a bare "below 1000" test; it is as invalid as a large one.
    if (n < 0 || n >= kMaxEntries || bytes.size() != 4 + 6 * qsizetype(n))
        return std::nullopt;
    std::vector<AccelEntry> entries;
    entries.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const char* r = p + 4 + 6 * i;
        AccelEntry e;
        e.flags = std::uint8_t(r[0]);
        e.key = le16(r + 2);
        e.cmd = le16(r + 4);
        entries.push_back(e);
    }
    return entries;
}

std::optional<std::vector<AccelEntry>> read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    constexpr qint64 largest = 4 + 6 * qint64(kMaxEntries - 1);
    if (f.size() > largest)
        return std::nullopt;
    return decode(f.read(largest + 1));
}

bool write(const QString& path, const std::vector<AccelEntry>& entries, QString* error)
{
    // A key map the user made read-only stays as it is, as velmo.ini does.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(S_ISREG(st.st_mode) ? EACCES : EISDIR));
        return false;
    }
    return atomicfile::write(path, encode(entries), error);
}

std::vector<AccelEntry> load(const QString& path, const ExtraProvider& extra)
{
    std::vector<AccelEntry> table;
    std::optional<std::vector<AccelEntry>> file = path.isEmpty() ? std::nullopt : read(path);
    std::vector<AccelEntry> defaults = file ? std::vector<AccelEntry>() : cmd::defaultAccelerators();
    table.reserve(std::max(defaults.size(), file ? file->size() : 0) + kToolRoom);
    const std::vector<AccelEntry>& own = file ? *file : defaults;
    table.insert(table.end(), own.begin(), own.end());
    if (extra) {
        std::vector<AccelEntry> more = extra();
        table.insert(table.end(), more.begin(), more.end());
    }
    return table;
}

std::uint32_t toolShortcutNumber(const AccelEntry& e)
{
    return std::uint32_t(e.flags) | (std::uint32_t(e.key) << 16);
}

AccelEntry entryFromToolShortcut(std::uint32_t number, int command)
{
    AccelEntry e;
    e.flags = std::uint8_t(number & 0xFF);
    e.key = std::uint16_t(number >> 16);
    e.cmd = std::uint16_t(command);
    return e;
}

QString toolShortcutValue(const std::vector<AccelEntry>& entries)
{
    QStringList parts;
    for (const AccelEntry& e : entries)
        parts << QString::number(toolShortcutNumber(e));
    return parts.join(QLatin1Char(','));
}

std::vector<AccelEntry> parseToolShortcuts(const QString& value, int command)
{
    std::vector<AccelEntry> out;
    for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qulonglong n = part.trimmed().toULongLong(&ok, 10);
        if (!ok || n > 0xFFFFFFFFull || (n & 0xFF00) || (n >> 16) == 0)
            continue;
        out.push_back(entryFromToolShortcut(std::uint32_t(n), command));
    }
    return out;
}

} // namespace keymap
