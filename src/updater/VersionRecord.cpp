#include "updater/VersionRecord.h"

#include <QFile>

#include <cstring>
#include <elf.h>

namespace updater {

QString formatVersion(const Version& v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v.part[0]).arg(v.part[1]).arg(v.part[2]).arg(v.part[3]);
}

namespace {

void putWord(QByteArray& out, uint32_t w)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((w >> (8 * i)) & 0xFF));
}

uint32_t wordAt(const QByteArray& b, int index)
{
    uint32_t w = 0;
    for (int i = 3; i >= 0; --i)
        w = (w << 8) | uint8_t(b[index * 4 + i]);
    return w;
}

// Reads integers of the file's byte order at an offset, with bounds checks.
struct ElfReader {
    const QByteArray& data;
    bool bigEndian;
    bool ok = true;

    uint64_t get(uint64_t offset, int size)
    {
        if (offset > uint64_t(data.size()) || uint64_t(data.size()) - offset < uint64_t(size)) {
            ok = false;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < size; ++i) {
            const int at = bigEndian ? i : size - 1 - i;
            v = (v << 8) | uint8_t(data[qsizetype(offset) + at]);
        }
        return v;
    }
};

} // namespace

QByteArray makeVersionRecord(const Version& v)
{
    QByteArray out;
    const uint32_t ms = ((v.part[0] & 0xFFFF) << 16) | (v.part[1] & 0xFFFF);
    const uint32_t ls = ((v.part[2] & 0xFFFF) << 16) | (v.part[3] & 0xFFFF);
    for (uint32_t w : {VersionSignature, 0x00010000u, ms, ls, ms, ls, 0x3Fu, 0u, 0u, 1u, 0u, 0u, 0u})
        putWord(out, w);
    return out;
}

std::optional<Version> parseVersionRecord(const QByteArray& record)
{
    if (record.size() < VersionRecordSize || wordAt(record, 0) != VersionSignature)
        return std::nullopt;
    const uint32_t ms = wordAt(record, 2);
    const uint32_t ls = wordAt(record, 3);
    return Version{{ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF}};
}

std::optional<QByteArray> readElfSection(const QString& path, const char* sectionName)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Program files are read whole; anything far larger than a program is not one.
    if (f.size() < EI_NIDENT || f.size() > (qint64(1) << 30))
        return std::nullopt;
    const QByteArray data = f.readAll();
    if (data.size() < EI_NIDENT || std::memcmp(data.constData(), ELFMAG, SELFMAG) != 0)
        return std::nullopt;
    const uint8_t cls = uint8_t(data[EI_CLASS]);
    const uint8_t enc = uint8_t(data[EI_DATA]);
    if ((cls != ELFCLASS32 && cls != ELFCLASS64) || (enc != ELFDATA2LSB && enc != ELFDATA2MSB))
        return std::nullopt;
    const bool is64 = cls == ELFCLASS64;
    ElfReader r{data, enc == ELFDATA2MSB};

    // The header fields that locate the section table and the section of names.
    const uint64_t shoff = is64 ? r.get(0x28, 8) : r.get(0x20, 4);
    const uint64_t shentsize = is64 ? r.get(0x3A, 2) : r.get(0x2E, 2);
    uint64_t shnum = is64 ? r.get(0x3C, 2) : r.get(0x30, 2);
    uint64_t shstrndx = is64 ? r.get(0x3E, 2) : r.get(0x32, 2);
    const uint64_t minEntry = is64 ? 0x40 : 0x28;
    if (!r.ok || shoff == 0 || shentsize < minEntry)
        return std::nullopt;

    auto field = [&](uint64_t index, uint64_t off64, uint64_t off32, int size64, int size32) {
        return r.get(shoff + index * shentsize + (is64 ? off64 : off32), is64 ? size64 : size32);
    };
    // Large tables keep the real count and the names' index in section 0.
    if (shnum == 0)
        shnum = field(0, 0x20, 0x14, 8, 4);
    if (shstrndx == SHN_XINDEX)
        shstrndx = field(0, 0x28, 0x18, 4, 4);
    // The whole table must lie within the file: a cut-off file is not read.
    if (!r.ok || shnum == 0 || shnum > uint64_t(data.size()) / shentsize || shstrndx >= shnum
        || shoff > uint64_t(data.size()) || shnum * shentsize > uint64_t(data.size()) - shoff)
        return std::nullopt;

    const uint64_t namesOffset = field(shstrndx, 0x18, 0x10, 8, 4);
    const uint64_t namesSize = field(shstrndx, 0x20, 0x14, 8, 4);
    if (!r.ok || namesOffset > uint64_t(data.size()) || namesSize > uint64_t(data.size()) - namesOffset)
        return std::nullopt;
    const size_t wantedLength = std::strlen(sectionName);

    for (uint64_t i = 0; i < shnum; ++i) {
        const uint64_t name = field(i, 0x00, 0x00, 4, 4);
        const uint64_t type = field(i, 0x04, 0x04, 4, 4);
        const uint64_t offset = field(i, 0x18, 0x10, 8, 4);
        const uint64_t size = field(i, 0x20, 0x14, 8, 4);
        if (!r.ok)
            return std::nullopt;
        if (name >= namesSize || namesSize - name < wantedLength + 1)
            continue;
        const char* n = data.constData() + namesOffset + name;
        if (std::memcmp(n, sectionName, wantedLength + 1) != 0)
            continue;
        if (type == SHT_NOBITS || offset > uint64_t(data.size()) || size > uint64_t(data.size()) - offset)
            return std::nullopt;
        return data.mid(qsizetype(offset), qsizetype(size));
    }
    return std::nullopt;
}

std::optional<Version> readProgramVersion(const QString& path)
{
    const auto section = readElfSection(path, VersionSectionName);
    if (!section)
        return std::nullopt;
    return parseVersionRecord(*section);
}

} // namespace updater
