#pragma once
// What the options pages need from the editor: the values in force, reads of velmo.ini,
// one all-or-nothing write of it, and the places where applied values take effect.
#include "platform/ProfileFile.h"

#include "ui/KeyPage.h"

#include <QList>

namespace tools {
class ToolPageModel;
}
#include <QString>
#include <QStringList>

namespace options {

// The settings the pages edit, as the editor holds them in memory (after the read clamps).
struct Values {
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
    int templateFore = 0, templateBack = 0xFFFFFF;
    int symbolFore = 0, symbolBack = 0xFFFFFF;
    int find1Fore = 0, find1Back = 0xFFFFFF;
    int find2Fore = 0, find2Back = 0xFFFFFF;
    int updateInterval = 3;
};

using SettingWrite = ProfileFile::Value;
using SectionWrite = ProfileFile::Section;

// The pages, by their dialog number.
enum PageId : int {
    GeneralPage = 11, EditPage = 12, FavoritePage = 13, ToolPage = 14, KeyPage = 15, MacroPage = 16,
    FontPage = 17, ColorPage = 18, UpdatePage = 19, DocumentPage = 20, MuiPage = 21, FileWindowPage = 23,
};

class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    virtual Values values() const = 0;
    virtual QString readString(const QString& section, const QString& key, const QString& def = QString()) const = 0;
    virtual int readInt(const QString& section, const QString& key, int def) const = 0;
    // Writes every entry to velmo.ini at once: true when all are stored, false when none is.
    virtual bool store(const QList<SettingWrite>& writes) = 0;
    // The lines of a section of velmo.ini, and keys and whole sections written at once
    // (all stored, or none).
    virtual QStringList readSection(const QString& section) const = 0;
    virtual bool storeSections(const QList<SettingWrite>& writes, const QList<SectionWrite>& sections) = 0;
    // After a page's values were stored: they take effect in memory and wherever they show at once.
    virtual void valuesApplied(int page, const Values& values) = 0;
    // After the font schemes were stored: scheme `curSel` becomes the base style again.
    virtual void fontSchemesApplied(int curSel) = 0;
    // Every open text document takes its view options from the settings and re-applies its language.
    virtual void reapplyDocuments() = 0;
    // Starts the update check at once.
    virtual void checkForUpdate() = 0;
    // The Tool page: its copy of the tool table, and writing it back (the Tool menu and the
    // tools' keys follow at once). False when nothing was stored; the model says why.
    virtual void loadTools(tools::ToolPageModel& model) = 0;
    virtual bool applyTools(tools::ToolPageModel& model) = 0;
    // The Key page: a copy of the keys in force and the user tools of the Tool menu.
    virtual std::vector<cmd::AccelEntry> keyTable() const = 0;
    virtual std::vector<ui::KeyPageModel::Tool> keyTools() const = 0;
    // Writes keymap.key and the tools' keys, all or nothing, and the frame takes the keys at
    // once. False with `error` set when nothing was stored.
    virtual bool applyKeys(const ui::KeyPageModel& model, QString* error) = 0;
    // After the File Window or Favorite page was stored: the list in force and the file
    // panel follow the settings.
    virtual void fileBrowserApplied() = 0;
    // The folder of the translation files.
    virtual QString languageFolder() const = 0;
};

} // namespace options
