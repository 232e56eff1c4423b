// The update client's rules without a network: command line, versions, the answer, the
// request's fields, the progress rule and the version record in program files.
#include "updater/UpdateProtocol.h"
#include "updater/VersionRecord.h"
#include "TestPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace updater;

namespace {
Version v(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    return Version{{a, b, c, d}};
}
QString velmoupdPath()
{
    return testpaths::binary("/bin/velmoupd");
}
} // namespace

TEST(UpdateCommandLine, SwitchesByTheirSecondCharacterAndTheLastTarget)
{
    CommandLine cl = parseCommandLine({"-id:1", "velmo"});
    EXPECT_EQ(cl.id, 1);
    EXPECT_FALSE(cl.silent);
    EXPECT_EQ(cl.target, "velmo");

    cl = parseCommandLine({"first.exe", "/S", "\\ID:27", "-x", "velmo.exe"});
    EXPECT_EQ(cl.id, 27);
    EXPECT_TRUE(cl.silent);
    EXPECT_EQ(cl.target, "velmo.exe");

    EXPECT_EQ(parseCommandLine({"velmo", "-s"}).id, -1);
    EXPECT_EQ(parseCommandLine({"-id:"}).id, 0);
    EXPECT_EQ(parseCommandLine({"-id:12abc"}).id, 12);
    EXPECT_EQ(parseCommandLine({}).target, QString());
}

TEST(UpdateCommandLine, CaptionCutsTheTargetAtItsLastPeriod)
{
    EXPECT_EQ(captionFor("velmo.exe"), "Update - velmo");
    EXPECT_EQ(captionFor("velmo"), "Update - velmo");
    EXPECT_EQ(captionFor("a.b.c"), "Update - a.b");
}

TEST(UpdateVersions, NewerComparesMajorMinorBeforeBuildRevision)
{
    EXPECT_FALSE(isNewer(v(3, 0, 2856, 0), v(3, 0, 2856, 0)));
    EXPECT_TRUE(isNewer(v(3, 1, 1, 0), v(3, 1, 0, 9)));
    EXPECT_TRUE(isNewer(v(3, 2, 0, 0), v(3, 1, 9999, 9)));
    EXPECT_FALSE(isNewer(v(3, 0, 9999, 9), v(3, 1, 0, 0)));
    EXPECT_TRUE(isNewer(v(4, 0, 0, 0), v(3, 9, 0, 0)));
    EXPECT_FALSE(isNewer(v(2, 9, 0, 0), v(3, 0, 0, 0)));
    EXPECT_TRUE(isNewer(v(3, 0, 0, 1), v(3, 0, 0, 0)));

    EXPECT_EQ(parseVersionText("3.1.0.5.exe"), v(3, 1, 0, 5));
    EXPECT_EQ(parseVersionText("3.1.exe"), v(3, 1, 0, 0));
    EXPECT_EQ(parseVersionText("beta"), v(0, 0, 0, 0));
    EXPECT_EQ(parseVersionText("99999999999.2"), v(UINT32_MAX, 2, 0, 0));
    EXPECT_EQ(formatVersion(v(3, 0, 2856, 0)), "3.0.2856.0");
}

TEST(UpdateAnswer, LinesServersAndNotes)
{
    Answer a = parseAnswer("setup_3.1.0.5.exe\r\nhttp://a/|http://b/dl/\r\nFixed things.\r\nAdded more.\n");
    ASSERT_TRUE(a.hasLineBreak);
    EXPECT_EQ(a.installer, "setup_3.1.0.5.exe");
    EXPECT_TRUE(a.hasUnderscore);
    EXPECT_EQ(a.latest, v(3, 1, 0, 5));
    EXPECT_EQ(a.servers, QStringList({"http://a/", "http://b/dl/"}));
    EXPECT_EQ(a.notes, "Fixed things.\nAdded more.\n");
    // Text converted twice (CR CR LF) leaves no CR LF behind.
    a = parseAnswer("setup_3.1.0.5.exe\nhttp://a/\none\r\r\ntwo\rthree\r\n");
    EXPECT_EQ(a.notes, "one\ntwo\rthree\n");

    // An empty second line gives one empty server entry.
    a = parseAnswer("setup_3.1.0.5.exe\n\nnotes");
    EXPECT_EQ(a.servers, QStringList({""}));
    EXPECT_EQ(a.notes, "notes");
    // One line break only: the rest is the server line.
    a = parseAnswer("setup_3.1.0.5.exe\nhttp://a/");
    EXPECT_EQ(a.servers, QStringList({"http://a/"}));
    EXPECT_EQ(a.notes, "");

    EXPECT_FALSE(parseAnswer("setup_3.1.0.5.exe").hasLineBreak);
    EXPECT_FALSE(parseAnswer("").hasLineBreak);
    a = parseAnswer("setup.exe\nhttp://a/\n");
    EXPECT_TRUE(a.hasLineBreak);
    EXPECT_FALSE(a.hasUnderscore);
    // The version is what follows the first underscore.
    EXPECT_EQ(parseAnswer("my_setup_3.1.exe\n\n").latest, v(0, 0, 0, 0));
}

TEST(UpdateAnswer, OnlyTheFirst512BytesCount)
{
    QByteArray body = "setup_1.2.3.4.exe\nhttp://a/\n" + QByteArray(600, 'n');
    const Answer a = parseAnswer(body);
    EXPECT_EQ(a.notes.size(), 512 - QByteArray("setup_1.2.3.4.exe\nhttp://a/\n").size());
    // A line break past the limit does not count.
    EXPECT_FALSE(parseAnswer(QByteArray(512, 'x') + "\n\n").hasLineBreak);
}

TEST(UpdateAnswer, InstallerNameMustBeAPlainFileName)
{
    EXPECT_TRUE(isPlainFileName("setup_3.1.0.5.exe"));
    EXPECT_TRUE(isPlainFileName("velmo setup_3.1 (x64).run"));
    for (const char* bad : {"", "../../x", "../x_3.1.0.0.exe", "a/b_3.1", "a\\b_3.1", ".hidden_3.1", "..", ".",
                            "/etc/passwd_9", "x_1\tz", "x_1\x7f", ":setup_3.1.0.5.exe"})
        EXPECT_FALSE(isPlainFileName(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(isPlainFileName(QString(256, 'a')));
    EXPECT_TRUE(isPlainFileName("setup:3.1.run"));   // a colon inside is an ordinary character
}

TEST(UpdateRequest, PathHeadersMacAndCpuid)
{
    EXPECT_EQ(requestPath(1, "001122AABBCC", "0D00"), "/version.asp?id=1&mac=001122AABBCC&cpuid=0D00");
    EXPECT_EQ(requestPath(-5, "", ""), "/version.asp?id=-5&mac=&cpuid=");
    EXPECT_EQ(requestText("upd.example", 80, "/version.asp?id=1&mac=&cpuid="),
              "GET /version.asp?id=1&mac=&cpuid= HTTP/1.0\r\nAccept: */*\r\nUser-Agent: upd.example\r\n"
              "Host: upd.example\r\nPragma: no-cache\r\n\r\n");
    EXPECT_TRUE(requestText("127.0.0.1", 8080, "/").contains("\r\nHost: 127.0.0.1:8080\r\n"));

    const QByteArray vmware = QByteArray::fromHex("005056c00001");
    const QByteArray real = QByteArray::fromHex("0a1b2c3d4e5f");
    EXPECT_EQ(macText({{"VMware Virtual Ethernet Adapter", vmware}, {"eth0", real}}), "0A1B2C3D4E5F");
    EXPECT_EQ(macText({{"eth0", real}, {"eth1", vmware}}), "0A1B2C3D4E5F");
    EXPECT_EQ(macText({}), "");
    EXPECT_EQ(macText({{"big", QByteArray(4096, 1)}}), "");
    EXPECT_EQ(macText({{"long", QByteArray(8, char(0xAB))}}), "ABABABABABABABAB");
    const QString machine = macText(machineAdapters());
    EXPECT_TRUE(machine.isEmpty() || QRegularExpression("^([0-9A-F]{2})+$").match(machine).hasMatch()) << machine.toStdString();

    // "GenuineIntel" with highest function 0x0D: words 0x000D 0x0000 0x6547 0x756E ...
    EXPECT_EQ(cpuidText(0x0D, 0x756E6547, 0x6C65746E, 0x49656E69), "0D006575746C6E490000000000000000");
    EXPECT_EQ(cpuidText(0x10000, 1, 2, 3), "");
    const QString cpu = machineCpuid();
    EXPECT_TRUE(cpu.isEmpty() || cpu.size() == 32);
}

TEST(UpdateProgress, RoundedAndHeldAtNinetyUntilDone)
{
    EXPECT_EQ(progressPercent(0, 100), 0);
    EXPECT_EQ(progressPercent(1, 3), 33);
    EXPECT_EQ(progressPercent(2, 3), 67);
    EXPECT_EQ(progressPercent(1, 200), 1);   // 0.5 rounds up
    EXPECT_EQ(progressPercent(89, 100), 89);
    EXPECT_EQ(progressPercent(95, 100), 90);
    EXPECT_EQ(progressPercent(100, 100), 90);
    EXPECT_EQ(progressPercent(500, 100), 90);
    EXPECT_EQ(progressPercent(50, 0), 0);
    EXPECT_EQ(progressPercent(50, -1), 0);
    EXPECT_EQ(progressPercent(qint64(1) << 60, (qint64(1) << 61)), 50);
}

TEST(UpdateServerAddress, HostAndPort)
{
    EXPECT_EQ(parseServerAddress("127.0.0.1:8080").host, "127.0.0.1");
    EXPECT_EQ(parseServerAddress("127.0.0.1:8080").port, 8080);
    EXPECT_EQ(parseServerAddress("upd.example").port, 80);
    EXPECT_EQ(parseServerAddress("upd.example:x").port, 80);
    EXPECT_EQ(parseServerAddress("[::1]:81").host, "::1");
    EXPECT_EQ(parseServerAddress("[::1]:81").port, 81);
    EXPECT_EQ(parseServerAddress("::1").host, "::1");
}

TEST(VersionRecordFile, BuildWritesTheProjectVersionAndTheReaderFindsIt)
{
    const QByteArray record = makeVersionRecord(v(3, 1, 2856, 7));
    ASSERT_EQ(record.size(), VersionRecordSize);
    EXPECT_EQ(record.left(4), QByteArray::fromHex("bd04effe"));
    // File version: major high, minor low; build high, revision low (little-endian words).
    EXPECT_EQ(record.mid(8, 8), QByteArray::fromHex("01000300" "0700280b"));
    EXPECT_EQ(parseVersionRecord(record), v(3, 1, 2856, 7));
    EXPECT_FALSE(parseVersionRecord(record.left(51)));
    QByteArray badSignature = record;
    badSignature[0] = 0;
    EXPECT_FALSE(parseVersionRecord(badSignature));

    const auto built = readProgramVersion(velmoupdPath());
    ASSERT_TRUE(built.has_value());
    const QStringList project = QStringLiteral(VELMO_PROJECT_VERSION).split('.');
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(built->part[size_t(i)], uint32_t(project.value(i, "0").toUInt())) << i;
}

TEST(VersionRecordFile, FilesWithoutARecordOrBrokenFilesGiveNone)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("text");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho hi\n");
    f.close();
    EXPECT_FALSE(readProgramVersion(text));
    EXPECT_FALSE(readProgramVersion(dir.filePath("missing")));
    // A program without the section (the shell) and cut-off copies of one with it.
    EXPECT_FALSE(readProgramVersion("/bin/sh"));
    QFile built(velmoupdPath());
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray whole = built.readAll();
    for (qsizetype cut : {qsizetype(16), qsizetype(64), whole.size() / 2, whole.size() - 1}) {
        QFile part(dir.filePath("cut"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(whole.left(cut));
        part.close();
        EXPECT_FALSE(readProgramVersion(part.fileName())) << cut;
    }
}
