// The profile (velmo.ini) reader: any bytes as the file. Every section and key it shows
// can be read back, and a write of one key changes that key only: every other line
// survives byte for byte.
#include "../FuzzSupport.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = QString::fromStdString(fuzz::writeScratch("velmo.ini", data, size));
    ProfileFile ini(path);
    const QStringList sections = ini.sectionNames();
    for (const QString& s : sections) {
        for (const QString& line : ini.readSection(s)) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) {
                const QString key = line.left(eq).trimmed();
                (void)ini.readString(s, key);
                (void)ini.readInt(s, key, -1);
                FUZZ_CHECK(ini.hasKey(s, key) || key.isEmpty());
            }
        }
    }

    // A key of its own in a section of its own: after the write it reads back, and the
    // old bytes are all still there, in order, in front of what was added.
    const QString value = QStringLiteral("v=1 \"q\"");
    FUZZ_CHECK(ini.writeString(QStringLiteral("FUZZ_NEW"), QStringLiteral("FuzzKey"), value) || sections.contains("FUZZ_NEW", Qt::CaseInsensitive));
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    if (!sections.contains(QStringLiteral("FUZZ_NEW"), Qt::CaseInsensitive)) {
        FUZZ_CHECK(after.startsWith(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
        FUZZ_CHECK(ini.readString(QStringLiteral("fuzz_new"), QStringLiteral("fuzzkey")) == value);
        FUZZ_CHECK(ini.sectionNames().size() == sections.size() + 1);
    }
    // Names holding a character a written name may not hold (a line break, NUL, "=" or a
    // bracket) are written cleaned, as another section; the rest must read back.
    static const QRegularExpression unwritable(QStringLiteral("[\\r\\n\\x{0}=\\[\\]]"));
    if (!sections.isEmpty() && !sections.front().contains(unwritable) && !sections.front().isEmpty()) {
        (void)ini.writeInt(sections.front(), QStringLiteral("Number"), -5);
        FUZZ_CHECK(ini.readInt(sections.front(), QStringLiteral("Number"), 0) == -5 || ini.sectionNames().isEmpty());
        (void)ini.removeKey(sections.front(), QStringLiteral("Number"));
    }
    (void)ProfileFile::parseInt(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)), 3);
    return 0;
}
