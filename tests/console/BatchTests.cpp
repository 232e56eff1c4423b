// Batch files under batch/ run through the built velmocmd ("/C name.bat") in a fresh
// temporary folder; the merged output must equal name.out byte for byte, and the exit
// code name.rc when that file exists.
#include <QCoreApplication>
#include "BatchProcess.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString batchDir = testpaths::source("/tests/console/batch");
const QString velmocmd = testpaths::binary("/bin/velmocmd");

std::vector<std::string> scripts()
{
    std::vector<std::string> names;
    const QStringList files = QDir(batchDir).entryList({"*.bat", "*.cmd"}, QDir::Files, QDir::Name);
    for (const QString& f : files)
        if (QFile::exists(batchDir + "/" + QFileInfo(f).completeBaseName() + ".out"))
            names.push_back(f.toStdString());
    return names;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class BatchFileTest : public testing::TestWithParam<std::string> {};

TEST_P(BatchFileTest, OutputMatches)
{
    ASSERT_TRUE(QFile::exists(velmocmd)) << "velmocmd not built";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    // Every script and helper file is copied, so scripts can call each other.
    const QStringList all = QDir(batchDir).entryList(QDir::Files);
    for (const QString& f : all)
        QFile::copy(batchDir + "/" + f, tmp.path() + "/" + f);
    QDir(tmp.path()).mkdir(QStringLiteral("sub"));

    const QString script = QString::fromStdString(GetParam());
    const QString base = QFileInfo(script).completeBaseName();
    QProcess p;
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("TESTDIR"), tmp.path());
    console::test::startBatch(p, velmocmd, tmp.path(), script, extra);
    ASSERT_TRUE(p.waitForStarted());
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(60000));
    QByteArray output = p.readAll();
    output.replace(tmp.path().toUtf8(), "%TESTDIR%");
    // The depth at which the recursion guard fires depends on frame sizes. The output is
    // compared as bytes: it need not be UTF-8.
    const QByteArray count = "Recursion Count=";
    for (qsizetype at = output.indexOf(count); at >= 0; at = output.indexOf(count, at + 1)) {
        qsizetype digits = at + count.size(), end = digits;
        while (end < output.size() && output[end] >= '0' && output[end] <= '9')
            ++end;
        output.replace(digits, end - digits, "N");
    }
    // Volume names, serial numbers and free space belong to the machine.
    QString text = QString::fromLatin1(output);
    text.replace(QRegularExpression(QStringLiteral(" Volume in drive \\S+ ")), QStringLiteral(" Volume in drive X "));
    text.replace(QRegularExpression(QStringLiteral("Serial Number is [0-9A-F]{4}-[0-9A-F]{4}")),
                 QStringLiteral("Serial Number is XXXX-XXXX"));
    text.replace(QRegularExpression(QStringLiteral(" [0-9][0-9,]* bytes free")), QStringLiteral(" N bytes free"));
    output = text.toLatin1();
    QByteArray expected = readAll(batchDir + "/" + base + ".out");
    EXPECT_EQ(output.toStdString(), expected.toStdString()) << script.toStdString();
    QByteArray rc = readAll(batchDir + "/" + base + ".rc").trimmed();
    if (!rc.isEmpty()) {
        EXPECT_EQ(p.exitCode(), rc.toInt()) << script.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, BatchFileTest, testing::ValuesIn(scripts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string n = info.param;
                             for (auto& c : n)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

} // namespace
