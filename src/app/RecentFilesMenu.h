#pragma once
// The File menu's "&Recent Files" submenu over the recent-files list: one item per entry
// (commands 57616 + i), or one disabled "(empty)" item.
#include "app/RecentFiles.h"

#include <functional>

class AppSettings;
class QMenu;
namespace cmd {
class CommandUi;
}

class RecentFilesMenu {
public:
    RecentFilesMenu(cmd::CommandUi& ui, AppSettings& settings);

    const RecentFiles& list() const { return m_list; }

    // Reads the list from the registry store with [EDITOR] "MRUSize" and rebuilds the menu.
    void load();
    // Puts a path on top, writes the list and rebuilds the menu.
    void add(const QString& path);
    // SetRecentSize: stores "MRUSize", sets the maximum, writes the list and reads it back.
    void setSize(int n);

    static bool isRecentCommand(int id);
    // A recent-file command: `open` opens the path (true on success). The entry moves to
    // the top when it opens and leaves the list when it does not; a command without an
    // entry beeps.
    void onCommand(int id, const std::function<bool(const QString&)>& open);

private:
    void store();
    void rebuild();

    cmd::CommandUi& m_ui;
    AppSettings& m_settings;
    RecentFiles m_list;
};
