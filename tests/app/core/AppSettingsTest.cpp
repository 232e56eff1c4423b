#include "app/AppSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct AppSettingsTest : ::testing::Test {
    QTemporaryDir program, data;
    void SetUp() override { qputenv("VELMO_DATA_DIR", data.path().toUtf8()); }
    void TearDown() override { qunsetenv("VELMO_DATA_DIR"); }
    void ini(const QByteArray& text)
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
    }
};

TEST_F(AppSettingsTest, DefaultsWithoutSettingsFile)
{
    AppSettings s(program.path());
    EXPECT_EQ(s.settingsFile, program.filePath("velmo.ini"));
    EXPECT_EQ(s.editorMask, 0u);   // one instance, remember files, status bar
    EXPECT_EQ(s.tabSize, 4);
    EXPECT_EQ(s.lineEdgePos, 90);
    EXPECT_EQ(s.lineEdgeColor, 0xFFDAFA);
    EXPECT_EQ(s.updateInterval, 3);
    EXPECT_EQ(s.mruSize, 12);
    EXPECT_EQ(s.Folder(AppSettings::DataFolder), data.path());
    EXPECT_EQ(s.Folder(AppSettings::PropertiesFolder), data.path() + "/properties");
    EXPECT_EQ(s.Folder(AppSettings::LanguageFolder), data.path() + "/language");
    EXPECT_EQ(s.Folder(AppSettings::DataSubFolder), data.path() + "/data");
    EXPECT_EQ(AppSettings::instance(), &s);
}

struct Clamp {
    const char* key;
    const char* stored;
    int expected;
};

class AppSettingsClampTest : public AppSettingsTest, public ::testing::WithParamInterface<Clamp> {};

TEST_P(AppSettingsClampTest, StoredValuesAreClamped)
{
    const Clamp c = GetParam();
    const QByteArray section = QByteArray(c.key) == "UpdateInterval" ? "UPDATE" : "EDITOR";
    ini("[" + section + "]\n" + c.key + "=" + c.stored + "\n");
    AppSettings s(program.path());
    const QString key = c.key;
    int actual = key == "TabSize" ? s.tabSize
               : key == "IndentSize" ? s.indentSize
               : key == "LineEdgePos" ? s.lineEdgePos
               : key == "UpdateInterval" ? s.updateInterval
               : key == "DefaultEncoding" ? s.defaultEncoding
               : key == "LineTransparent" ? s.lineTransparent
               : key == "MRUSize" ? s.mruSize : -999;
    EXPECT_EQ(actual, c.expected) << c.key << "=" << c.stored;
}

INSTANTIATE_TEST_SUITE_P(Keys, AppSettingsClampTest, ::testing::Values(
    Clamp{"TabSize", "0", 4}, Clamp{"TabSize", "256", 4}, Clamp{"TabSize", "300", 44}, Clamp{"TabSize", "8", 8},
    Clamp{"IndentSize", "512", 4}, Clamp{"LineEdgePos", "0", 90}, Clamp{"LineEdgePos", "301", 90},
    Clamp{"LineEdgePos", "-5", 90}, Clamp{"LineEdgePos", "300", 300}, Clamp{"UpdateInterval", "31", 3},
    Clamp{"UpdateInterval", "0", 3}, Clamp{"UpdateInterval", "30", 30}, Clamp{"DefaultEncoding", "7", 0},
    Clamp{"DefaultEncoding", "-1", 0}, Clamp{"DefaultEncoding", "4", 4}, Clamp{"LineTransparent", "101", 100},
    Clamp{"LineTransparent", "356", 100}, Clamp{"MRUSize", "1", 2}, Clamp{"MRUSize", "40", 16}));

TEST_F(AppSettingsTest, UnusedMaskBitsAreWrittenBackAsRead)
{
    ini("[EDITOR]\nEditorMask=-1073741792\n[SEARCH]\nFindText=foo\n");   // bits 5, 30, 31
    {
        AppSettings s(program.path());
        EXPECT_EQ(s.editorMask, 0xC0000020u);
        s.findText = "bar";
        s.SaveAtExit();
    }
    AppSettings again(program.path());
    EXPECT_EQ(again.editorMask, 0xC0000020u);
    EXPECT_EQ(again.findText, "bar");
    EXPECT_EQ(again.ReadInt("SEARCH", "SearchMask", 99), 0);
}

TEST_F(AppSettingsTest, StringsKeepAtMost259CharactersWithoutSplittingOne)
{
    QString longText = QString(258, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80") + "tail";
    EXPECT_EQ(clampSettingString(longText), QString(258, 'a'));
    EXPECT_EQ(clampSettingString(QString(300, 'b')).size(), 259);
    ini("[EDITOR]\nDefaultScheme=" + QByteArray(400, 'x') + "\n");
    AppSettings s(program.path());
    EXPECT_EQ(s.defaultScheme.size(), 259);
}

TEST_F(AppSettingsTest, FileBrowserListFollowsBit29)
{
    ini("[EDITOR]\nEditorMask=536870912\n[FILEVIEW]\nWhiteList=c;h\nBlackList=exe;dll\n");
    AppSettings s(program.path());
    EXPECT_EQ(s.fileViewList, "exe;dll");
}

} // namespace
