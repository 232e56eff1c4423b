#include "app/AppSettings.h"

#include "platform/CodePage.h"
#include "platform/DataFolder.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include <unistd.h>

namespace {

AppSettings* g_instance = nullptr;

QString chooseSettingsFile(const QString& programFolder)
{
    const QString inProgramFolder = programFolder + QStringLiteral("/velmo.ini");
    if (QFileInfo::exists(inProgramFolder))
        return inProgramFolder;
    if (::access(QFile::encodeName(programFolder).constData(), W_OK) == 0)
        return inProgramFolder;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    QDir().mkpath(base + QStringLiteral("/velmo"));
    return base + QStringLiteral("/velmo/velmo.ini");
}

} // namespace

QString clampSettingString(const QString& s)
{
    if (s.size() <= 259)
        return s;
    qsizetype n = 259;
    if (s[n - 1].isHighSurrogate())
        --n;
    return s.left(n);
}

AppSettings::AppSettings(const QString& folder)
    : programFolder(folder.isEmpty() ? paths::programFolder() : folder),
      m_file(QString())
{
    while (programFolder.size() > 1 && programFolder.endsWith('/'))
        programFolder.chop(1);
    dataFolder = datafolder::location();
    datafolder::create(dataFolder);
    datafolder::installDefaults(paths::shippedDataFolder(), dataFolder);
    settingsFile = chooseSettingsFile(programFolder);
    m_file = ProfileFile(settingsFile);
    reload();
    g_instance = this;
}

AppSettings::~AppSettings()
{
    if (g_instance == this)
        g_instance = nullptr;
}

AppSettings* AppSettings::instance()
{
    return g_instance;
}

void AppSettings::reload()
{
    const QString E = QStringLiteral("EDITOR");
    editorMask = unsigned(ReadInt(E, "EditorMask", 0));
    highLightColor = ReadInt(E, "HighLightColor", 0xFFFFFF);
    lineEdgeColor = ReadInt(E, "LineEdgeColor", 0xFFDAFA);
    lineEdgePos = ReadInt(E, "LineEdgePos", 90);
    if (lineEdgePos == 0 || unsigned(lineEdgePos) > 300u)
        lineEdgePos = 90;
    tabSize = ReadInt(E, "TabSize", 4) & 0xFF;
    if (tabSize == 0)
        tabSize = 4;
    backupInterval = std::clamp(ReadInt(E, "BackupInterval", 7), 0, 3600);
    indentSize = ReadInt(E, "IndentSize", 4) & 0xFF;
    if (indentSize == 0)
        indentSize = 4;
    lineTransparent = ReadInt(E, "LineTransparent", 0) & 0xFF;
    if (lineTransparent > 100)
        lineTransparent = 100;
    defaultScheme = ReadString(E, "DefaultScheme");
    defaultEncoding = ReadInt(E, "DefaultEncoding", 0);
    if (defaultEncoding < 0 || defaultEncoding > 4)
        defaultEncoding = 0;
    mruSize = qBound(2, ReadInt(E, "MRUSize", 12), 16);
    mui = ReadString(E, "MUI");
    ansiCodePage = ReadInt(E, "AnsiCodePage", 1252);
    ansi::setCodePage(ansiCodePage);
    ansiCodePage = ansi::codePage();
    templateFore = ReadInt(E, "TemplateFore", 0);
    templateBack = ReadInt(E, "TemplateBack", 0xFFFFFF);
    symbolFore = ReadInt(E, "SymbolFore", 0);
    symbolBack = ReadInt(E, "SymbolBack", 0xFFFFFF);
    find1Fore = ReadInt(E, "Find1Fore", 0);
    find1Back = ReadInt(E, "Find1Back", 0xFFFFFF);
    find2Fore = ReadInt(E, "Find2Fore", 0);
    find2Back = ReadInt(E, "Find2Back", 0xFFFFFF);

    search.setFindText(ReadString("SEARCH", "FindText"));
    search.setReplaceText(ReadString("SEARCH", "ReplaceText"));
    search.flags = unsigned(ReadInt("SEARCH", "SearchMask", 0)) & ~unsigned(search::Mask::MatchSelected);

    lastUpdate = ReadInt("UPDATE", "LastUpdate", 0);
    updateInterval = ReadInt("UPDATE", "UpdateInterval", 3);
    if (updateInterval < 1 || updateInterval > 30)
        updateInterval = 3;

    fileViewList = ReadString("FILEVIEW", editorBit(EditorBits::FileBrowserBlackList) ? "BlackList" : "WhiteList");
}

int AppSettings::ReadInt(const QString& section, const QString& key, int def) const
{
    return m_file.readInt(section, key, def);
}

QString AppSettings::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return clampSettingString(m_file.readString(section, key, def));
}

QStringList AppSettings::ReadSection(const QString& section) const
{
    return m_file.readSection(section);
}

void AppSettings::WriteInt(const QString& section, const QString& key, int value)
{
    m_file.writeInt(section, key, value);
}

void AppSettings::WriteString(const QString& section, const QString& key, const QString& value)
{
    m_file.writeString(section, key, value);
}

void AppSettings::WriteSection(const QString& section, const QStringList& lines)
{
    m_file.writeSection(section, lines);
}

bool AppSettings::WriteValues(const QList<ProfileFile::Value>& values)
{
    return m_file.writeValues(values);
}

bool AppSettings::WriteChanges(const QList<ProfileFile::Value>& values, const QList<ProfileFile::Section>& sections)
{
    return m_file.writeChanges(values, sections);
}

QString AppSettings::Folder(int kind) const
{
    switch (kind) {
    case DataFolder: return dataFolder;
    case PropertiesFolder: return dataFolder + QStringLiteral("/properties");
    case LanguageFolder: return dataFolder + QStringLiteral("/language");
    case DataSubFolder: return dataFolder + QStringLiteral("/data");
    default: return QString();
    }
}

void AppSettings::SaveAtExit()
{
    WriteInt("EDITOR", "EditorMask", int(editorMask));
    WriteString("SEARCH", "FindText", findText);
    WriteString("SEARCH", "ReplaceText", replaceText);
    WriteInt("SEARCH", "SearchMask", int(search.flags & ~unsigned(search::Mask::MatchSelected)));
}
