#include "app/FileBrowserCommands.h"

#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/FrameShell.h"
#include "app/MainFrame.h"
#include "app/commands/CommandTable.h"
#include "app/commands/DocumentCommands.h"
#include "documents/properties/widgets/DocumentProp.h"
#include "documents/text/TextView.h"
#include "filebrowser/widgets/FileDocker.h"
#include "framework/widgets/PanelHost.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QUrl>

namespace {
constexpr int kFileTab = 0;   // the side panel's first tab, "File"
}

filebrowser::SettingsAccess CFileCommands::accessTo(AppSettings& settings)
{
    filebrowser::SettingsAccess s;
    AppSettings* st = &settings;
    s.read = [st](const QString& section, const QString& key) { return st->ReadString(section, key); };
    s.write = [st](const QString& section, const QString& key, const QString& value) {
        st->WriteString(section, key, value);
    };
    s.readSection = [st](const QString& section) { return st->ReadSection(section); };
    s.writeSection = [st](const QString& section, const QStringList& lines) { st->WriteSection(section, lines); };
    s.editorMask = [st] { return st->editorMask; };
    s.setEditorMask = [st](unsigned mask) { st->editorMask = mask; };
    s.listInForce = [st] { return st->fileViewList; };
    s.setListInForce = [st](const QString& list) { st->fileViewList = list; };
    return s;
}

CFileCommands::CFileCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    m_docker = new filebrowser::CFileDocker(accessTo(frame.settings()));
    m_docker->setLauncher([](const QString& path) { return cmd::openUrl(QUrl::fromLocalFile(path)); });
    frame.shell()->panels()->panel(framework::PanelHost::Side)->setPage(kFileTab, m_docker);
    connect(m_docker, &filebrowser::CFileDocker::openRequested, this,
            [this](const QString& path) { m_frame.OpenFile(path, 5, true); });
    connect(m_docker, &filebrowser::CFileDocker::commandRequested, this, [this](int id) { m_frame.OnCommand(id); });
}

bool CFileCommands::onCommand(int id)
{
    switch (id) {
    case cmd::ToolLocateFile: locateFile(); return true;
    case cmd::ToolFileProperties: fileProperties(); return true;
    default: return false;
    }
}

void CFileCommands::locateFile()
{
    CChildFrame* c = m_frame.activeChild();
    if (!c || !c->record().hasFile())
        return;
    framework::PanelHost* panels = m_frame.shell()->panels();
    panels->panel(framework::PanelHost::Side)->selectId(kFileTab);
    panels->setShown(framework::PanelHost::Side, true);
    m_docker->locate(c->path());
}

void CFileCommands::fileProperties()
{
    CChildFrame* c = m_frame.activeChild();
    if (!c || !c->textView())
        return;
    QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : m_frame.dialogParent();
    properties::DocumentProp dialog(c->textView(), c->path(), parent);
    dialog.exec();
}
