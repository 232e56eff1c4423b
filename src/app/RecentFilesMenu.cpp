#include "app/RecentFilesMenu.h"

#include "app/AppSettings.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QMenu>

RecentFilesMenu::RecentFilesMenu(cmd::CommandUi& ui, AppSettings& settings) : m_ui(ui), m_settings(settings) {}

void RecentFilesMenu::load()
{
    m_list.clear();
    m_list.read(registry::user(), m_settings.mruSize);
    rebuild();
}

void RecentFilesMenu::add(const QString& path)
{
    m_list.add(path);
    store();
    rebuild();
}

void RecentFilesMenu::setSize(int n)
{
    m_settings.mruSize = RecentFiles::clampSize(n);
    m_settings.WriteInt("EDITOR", "MRUSize", m_settings.mruSize);
    m_list.setMaxSize(n);
    store();
    load();
}

bool RecentFilesMenu::isRecentCommand(int id)
{
    return id >= cmd::RecentFirst && id <= cmd::RecentLast;
}

void RecentFilesMenu::onCommand(int id, const std::function<bool(const QString&)>& open)
{
    const int index = id - cmd::RecentFirst;
    if (index < 0 || index >= m_list.entries().size()) {
        QApplication::beep();
        return;
    }
    const QString path = m_list.entries()[index];
    if (open(path)) {
        m_list.add(path);
    } else {
        // The open may have changed the list; the failed name goes whatever its place.
        const qsizetype at = m_list.entries().indexOf(path);
        m_list.remove(int(at));
    }
    store();
    rebuild();
}

void RecentFilesMenu::store()
{
    // A store that refuses the write leaves the list as it is in memory.
    m_list.write(registry::user());
}

void RecentFilesMenu::rebuild()
{
    QMenu* menu = m_ui.popup(QStringLiteral("menu_recent"));
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        menu->removeAction(a);
        a->deleteLater();
    }
    const QStringList& entries = m_list.entries();
    if (entries.isEmpty()) {
        QAction* empty = menu->addAction(QStringLiteral("(empty)"));
        empty->setObjectName(QStringLiteral("recent_empty"));
        empty->setEnabled(false);
        return;
    }
    for (int i = 0; i < entries.size() && i <= cmd::RecentLast - cmd::RecentFirst; ++i)
        m_ui.addCommand(menu, cmd::RecentFirst + i, recentMenuLabel(i, entries[i]));
}
