// The update server's answer and the version record reader: any bytes as the answer, and
// the same bytes as a program file. The parser's results keep their shape, an installer
// name accepted as a plain file name can never leave the temporary folder, and the ELF
// reader never reads outside the file.
#include "../FuzzSupport.h"
#include "updater/UpdateProtocol.h"
#include "updater/VersionRecord.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const updater::Answer a = updater::parseAnswer(bytes);
    FUZZ_CHECK(!a.installer.contains('\n'));
    if (a.hasLineBreak) {
        FUZZ_CHECK(!a.servers.isEmpty());
        for (const QString& s : a.servers)
            FUZZ_CHECK(!s.contains('|') && !s.contains('\n'));
        FUZZ_CHECK(!a.notes.contains(QLatin1String("\r\n")));
    } else {
        FUZZ_CHECK(a.servers.isEmpty() && a.notes.isEmpty());
    }
    if (updater::isPlainFileName(a.installer)) {
        const QString temp = QStringLiteral("/tmp/velmo-fuzz-dir");
        const QString path = QDir::cleanPath(QDir(temp).filePath(a.installer));
        FUZZ_CHECK(path.startsWith(temp + '/') && !path.mid(temp.size() + 1).contains('/'));
    }
    const updater::Version v = updater::parseVersionText(QString::fromLatin1(bytes));
    (void)updater::isNewer(v, a.latest);
    (void)updater::formatVersion(v);

    const std::string file = fuzz::writeScratch("program", data, size);
    const auto section = updater::readElfSection(QString::fromStdString(file), updater::VersionSectionName);
    if (section)
        FUZZ_CHECK(section->size() <= bytes.size());
    (void)updater::parseVersionRecord(bytes);
    (void)updater::parseServerAddress(QString::fromUtf8(bytes));
    return 0;
}
