#pragma once
// How the file browser reaches velmo.ini: plain functions, filled by the program from its
// settings object and by tests from a profile file of their own.
#include <QString>
#include <QStringList>

#include <functional>

class ProfileFile;

namespace filebrowser {

struct SettingsAccess {
    std::function<QString(const QString& section, const QString& key)> read;
    std::function<void(const QString& section, const QString& key, const QString& value)> write;
    std::function<QStringList(const QString& section)> readSection;
    std::function<void(const QString& section, const QStringList& lines)> writeSection;
    // The option word and the pattern list in force, as the settings object keeps them.
    std::function<unsigned()> editorMask;
    std::function<void(unsigned)> setEditorMask;
    std::function<QString()> listInForce;
    std::function<void(const QString&)> setListInForce;

    int readInt(const QString& section, const QString& key, int def) const;
};

// Over a profile file, with the option word and the list kept in the given variables.
SettingsAccess accessOver(ProfileFile& file, unsigned& editorMask, QString& listInForce);

// EditorMask bit 29: set, the [FILEVIEW] list in force is the black list.
constexpr unsigned kBlackListBit = 0x20000000u;

// [USER] keys of the panel.
struct PanelState {
    QString path;                        // "" = the desktop
    QString filter = QStringLiteral("*.*");
    int viewMode = 3;
    int viewFlags = 4;
};
PanelState readPanelState(const SettingsAccess& s);
void writePanelState(const SettingsAccess& s, const PanelState& state);

// The documents folder is stored as this text.
QString documentsToken();
// The folder a saved "path" stands for: the desktop for "", the documents folder for its
// token, otherwise the path itself.
QString resolveSavedPath(const QString& saved);
// The text saved for a folder (the documents folder becomes its token).
QString savedPathFor(const QString& folder);
// The desktop folder (the home folder when there is no desktop folder).
QString desktopFolder();

} // namespace filebrowser
