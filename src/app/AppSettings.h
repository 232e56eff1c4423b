#pragma once
// The process-wide settings object: knows the program folder, velmo.ini, the data folder and
// the registry, reads velmo.ini at construction and offers typed access to it.
#include "platform/ProfileFile.h"
#include "search/SearchOptions.h"

#include <QString>
#include <QStringList>

// Bits of the option word.
namespace EditorBits {
enum : unsigned {
    AllowMultipleInstances = 1u << 0,
    MaximiseNewDocuments = 1u << 1,
    ShowFullPath = 1u << 2,
    StartWithNewDocument = 1u << 3,
    TabsAtBottom = 1u << 4,
    DoubleClickActionMask = 3u << 6,
    CloseFindDialog = 1u << 8,
    SyntaxHighlight = 1u << 9,
    WordWrap = 1u << 10,
    LineNumbers = 1u << 11,
    WhiteSpace = 1u << 12,
    EndOfLine = 1u << 13,
    IndentGuides = 1u << 14,
    HighlightLine = 1u << 15,
    ColumnEdge = 1u << 16,
    EdgeAsLine = 1u << 17,
    TabUseMask = 3u << 18,
    TransparentHighlight = 1u << 20,
    AutoUpdate = 1u << 21,
    DoubleClickTabCloses = 1u << 22,
    TabsNotDraggable = 1u << 23,
    MinimiseToTray = 1u << 24,
    DontRememberFiles = 1u << 25,
    SaveToFilePanelPath = 1u << 26,
    NewFileOnTabSpaceDoubleClick = 1u << 27,
    CaptionButtons = 1u << 28,
    FileBrowserBlackList = 1u << 29,
};
}

class AppSettings {
public:
    // Folder kinds answered by Folder().
    enum FolderKind { DataFolder = 1, PropertiesFolder = 2, LanguageFolder = 3, DataSubFolder = 5 };

    // Reads everything from velmo.ini in `programFolder` (the running program's folder when
    // empty). The data folder is created and the shipped defaults copied into it.
    explicit AppSettings(const QString& programFolder = QString());
    ~AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    // The process-wide instance (the most recently constructed one still alive).
    static AppSettings* instance();

    int ReadInt(const QString& section, const QString& key, int def) const;
    QString ReadString(const QString& section, const QString& key, const QString& def = QString()) const;
    QStringList ReadSection(const QString& section) const;
    void WriteInt(const QString& section, const QString& key, int value);
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteSection(const QString& section, const QStringList& lines);
    // Several keys in one write: true when all are stored, false when none is.
    bool WriteValues(const QList<ProfileFile::Value>& values);
    bool WriteChanges(const QList<ProfileFile::Value>& values, const QList<ProfileFile::Section>& sections);

    QString Folder(int kind) const;
    // Writes "EditorMask", "FindText", "ReplaceText" and "SearchMask".
    void SaveAtExit();

    // Re-reads the keys of [EDITOR], [SEARCH], [UPDATE] and the active [FILEVIEW] list.
    void reload();

    bool editorBit(unsigned bit) const { return (editorMask & bit) != 0; }
    int tabUse() const { return int((editorMask >> 18) & 3u); }

    // Places.
    QString programFolder;
    QString settingsFile;
    QString dataFolder;

    // [EDITOR]
    unsigned editorMask = 0;
    int highLightColor = 0xFFFFFF;
    int lineEdgeColor = 0xFFDAFA;
    int lineEdgePos = 90;
    int tabSize = 4;
    int indentSize = 4;
    int lineTransparent = 0;
    QString defaultScheme;
    int defaultEncoding = 0;
    int mruSize = 12;
    QString mui;
    int ansiCodePage = 1252;
    int templateFore = 0, templateBack = 0xFFFFFF;
    int symbolFore = 0, symbolBack = 0xFFFFFF;
    int find1Fore = 0, find1Back = 0xFFFFFF;
    int find2Fore = 0, find2Back = 0xFFFFFF;
    // Seconds of quiet after a change before a modified document is backed up; 0 = never.
    int backupInterval = 7;

    // [SEARCH]: the search record every search dialog and command shares.
    search::SearchOptions search;
    QString& findText = search.findText;
    QString& replaceText = search.replaceText;

    // [UPDATE]
    int lastUpdate = 0;
    int updateInterval = 3;

    // [FILEVIEW]: the list of the active kind ("BlackList" when bit 29 is set).
    QString fileViewList;

private:
    ProfileFile m_file;
};

// Strings keep at most 259 characters, never splitting a character in two.
QString clampSettingString(const QString& s);
