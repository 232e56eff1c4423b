#pragma once
// The file panel on the side panel and the two file commands of the Tool menu: Locate File
// (680) shows the active document's file in the panel, File Properties (682) opens the
// report on the active text document.
#include "filebrowser/BrowserSettings.h"

#include <QObject>

class CMainFrame;
class AppSettings;

namespace filebrowser {
class CFileDocker;
}

class CFileCommands : public QObject {
    Q_OBJECT
public:
    // Puts the file panel into the side panel.
    explicit CFileCommands(CMainFrame& frame);

    // 680 and 682; false for other commands.
    bool onCommand(int id);

    filebrowser::CFileDocker* docker() const { return m_docker; }
    // The settings as the file browser and its option pages reach them.
    static filebrowser::SettingsAccess accessTo(AppSettings& settings);

private:
    void locateFile();
    void fileProperties();

    CMainFrame& m_frame;
    filebrowser::CFileDocker* m_docker = nullptr;
};
