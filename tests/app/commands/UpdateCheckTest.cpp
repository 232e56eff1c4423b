// Starting the update client: a stub velmoupd in a temporary program folder records its
// arguments.
#include "TestSupport.h"
#include "app/commands/AboutDialog.h"
#include "app/commands/UpdateCheck.h"
#include "platform/Seams.h"

#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace cmd;

namespace {

// velmo.ini integers in memory.
struct FakeIni {
    QMap<QString, int> values;
    int ReadInt(const QString& section, const QString& key, int def) const
    {
        return values.value(section + '/' + key, def);
    }
    void WriteInt(const QString& section, const QString& key, int value) { values[section + '/' + key] = value; }
};

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        ASSERT_TRUE(dir.isValid());
        QFile stub(dir.filePath("velmoupd"));
        ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
                   "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.txt\"\n");
        stub.close();
        stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // 2026-12-09 12:00 UTC is day 20796 (a multiple of 3).
        clock.time = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);
    }

    // The arguments the stub received, waiting for it to write them.
    QStringList argsSeen()
    {
        const QString path = dir.filePath("args.txt");
        if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 10000))
            return {QStringLiteral("<not started>")};
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QStringList args = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        f.close();
        QFile::remove(path);
        return args;
    }
    bool startedWithin(int ms)
    {
        QTest::qWait(ms);
        return QFile::exists(dir.filePath("args.txt"));
    }

    QTemporaryDir dir;
    seams::FixedClock clock;
    seams::ScopedClock scopedClock{&clock};
    FakeIni ini;
};

} // namespace

TEST(UpdateDays, DayNumbersAndTheDueRule)
{
    EXPECT_EQ(dayNumber(QDateTime(QDate(1970, 1, 1), QTime(23, 59), Qt::UTC)), 0);
    EXPECT_EQ(dayNumber(QDateTime(QDate(1970, 1, 2), QTime(0, 0), Qt::UTC)), 1);
    // Local midnight elsewhere is still the previous UTC day.
    EXPECT_EQ(dayNumber(QDateTime(QDate(1970, 1, 2), QTime(0, 30), Qt::OffsetFromUTC, 3600)), 0);
    EXPECT_EQ(clampUpdateInterval(31), 3);
    EXPECT_EQ(clampUpdateInterval(0), 3);
    EXPECT_EQ(clampUpdateInterval(30), 30);
    EXPECT_TRUE(automaticCheckDue(0, 3, 20797));      // never checked: always
    EXPECT_FALSE(automaticCheckDue(20796, 3, 20796)); // checked today
    EXPECT_FALSE(automaticCheckDue(20790, 3, 20797)); // not a multiple of the interval
    EXPECT_TRUE(automaticCheckDue(20790, 3, 20796));
    EXPECT_TRUE(automaticCheckDue(20790, 31, 20796)); // 31 is read as 3
}

TEST_F(UpdateCheckTest, AutomaticCheckStartsTheSilentClientAndRecordsToday)
{
    ASSERT_TRUE(autoCheckAtStartup(intSettingsOf(ini), 1u << 21, dir.path()));
    EXPECT_EQ(argsSeen(), QStringList({"-id:1", "velmo", "-s"}));
    EXPECT_EQ(ini.ReadInt("UPDATE", "LastUpdate", -1), 20796);

    // The same day again: nothing runs and nothing changes.
    EXPECT_FALSE(autoCheckAtStartup(intSettingsOf(ini), 1u << 21, dir.path()));
    EXPECT_FALSE(startedWithin(300));

    // Without "Auto Update" nothing runs even when due.
    ini.values.clear();
    EXPECT_FALSE(autoCheckAtStartup(intSettingsOf(ini), 0, dir.path()));
    EXPECT_FALSE(ini.values.contains("UPDATE/LastUpdate"));
}

TEST_F(UpdateCheckTest, ManualCheckRunsAtOnceInNormalModeAndAMissingClientIsSilent)
{
    ini.WriteInt("UPDATE", "LastUpdate", 20796);
    ASSERT_TRUE(CheckForUpdate(intSettingsOf(ini), true, false, dir.path()));
    EXPECT_EQ(argsSeen(), QStringList({"-id:1", "velmo"}));
    EXPECT_EQ(ini.ReadInt("UPDATE", "LastUpdate", -1), 20796);

    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scoped(&box);
    QTemporaryDir empty;
    EXPECT_FALSE(CheckForUpdate(intSettingsOf(ini), true, false, empty.path()));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(UpdateCheckTest, AboutBoxShowsTheVersionAndChecksForUpdates)
{
    EXPECT_EQ(formatVersion(-1, 0, 0), QStringLiteral("1.0"));
    EXPECT_EQ(formatVersion(3, 1, 2856), QStringLiteral("3.1.2856"));

    CAboutDialog about(nullptr, [&] { CheckForUpdate(intSettingsOf(ini), true, false, dir.path()); });
    EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Velmo ") + programVersion());
    EXPECT_TRUE(about.versionLabel()->text().contains(QRegularExpression("^Velmo \\d+\\.\\d+(\\.\\d+)?$")));
    EXPECT_EQ(about.checkUpdateButton()->text(), QStringLiteral("Check for &Update"));
    EXPECT_EQ(about.feedbackButton()->text(), QStringLiteral("&Feedback"));
    about.checkUpdateButton()->click();
    EXPECT_EQ(argsSeen(), QStringList({"-id:1", "velmo"}));
}
