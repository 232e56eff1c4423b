#include "app/OptionsCommands.h"

#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/FrameShell.h"
#include "app/MainFrame.h"
#include "app/SearchCommands.h"
#include "app/SymbolCommands.h"
#include "app/TemplateCommands.h"
#include "app/ToolCommands.h"
#include "tools/ToolPageModel.h"
#include "app/commands/CommandTable.h"
#include "documents/text/TextView.h"
#include "framework/widgets/TrayIcon.h"
#include "language/LanguageStyler.h"
#include "search/widgets/FindView.h"
#include "symbols/widgets/FunctionDocker.h"
#include "templates/widgets/TemplateDocker.h"
#include "app/FileBrowserCommands.h"
#include "app/commands/Accelerators.h"
#include "filebrowser/widgets/FileDocker.h"
#include "platform/AtomicFile.h"
#include "platform/Texts.h"
#include "ui/KeyMap.h"
#include "ui/widgets/OptionsDialog.h"

#include <QFile>

CAppOptionsHost::CAppOptionsHost(CMainFrame& frame) : m_frame(frame), m_settings(frame.settings()) {}

options::Values CAppOptionsHost::values() const
{
    const AppSettings& s = m_settings;
    options::Values v;
    v.editorMask = s.editorMask;
    v.highLightColor = s.highLightColor;
    v.lineEdgeColor = s.lineEdgeColor;
    v.lineEdgePos = s.lineEdgePos;
    v.tabSize = s.tabSize;
    v.indentSize = s.indentSize;
    v.lineTransparent = s.lineTransparent;
    v.defaultScheme = s.defaultScheme;
    v.defaultEncoding = s.defaultEncoding;
    v.mruSize = s.mruSize;
    v.templateFore = s.templateFore;
    v.templateBack = s.templateBack;
    v.symbolFore = s.symbolFore;
    v.symbolBack = s.symbolBack;
    v.find1Fore = s.find1Fore;
    v.find1Back = s.find1Back;
    v.find2Fore = s.find2Fore;
    v.find2Back = s.find2Back;
    v.updateInterval = s.updateInterval;
    return v;
}

QString CAppOptionsHost::readString(const QString& section, const QString& key, const QString& def) const
{
    return m_settings.ReadString(section, key, def);
}

int CAppOptionsHost::readInt(const QString& section, const QString& key, int def) const
{
    return m_settings.ReadInt(section, key, def);
}

bool CAppOptionsHost::store(const QList<options::SettingWrite>& writes)
{
    return m_settings.WriteValues(writes);
}

void CAppOptionsHost::valuesApplied(int page, const options::Values& v)
{
    AppSettings& s = m_settings;
    const unsigned oldMask = s.editorMask;
    const int oldRecent = s.mruSize;
    s.editorMask = v.editorMask;
    s.highLightColor = v.highLightColor;
    s.lineEdgeColor = v.lineEdgeColor;
    s.lineEdgePos = v.lineEdgePos;
    s.tabSize = v.tabSize;
    s.indentSize = v.indentSize;
    s.lineTransparent = v.lineTransparent;
    s.defaultScheme = v.defaultScheme;
    s.defaultEncoding = v.defaultEncoding;
    s.templateFore = v.templateFore;
    s.templateBack = v.templateBack;
    s.symbolFore = v.symbolFore;
    s.symbolBack = v.symbolBack;
    s.find1Fore = v.find1Fore;
    s.find1Back = v.find1Back;
    s.find2Fore = v.find2Fore;
    s.find2Back = v.find2Back;
    s.updateInterval = v.updateInterval;
    switch (page) {
    case options::GeneralPage:
        if (v.mruSize != oldRecent)
            m_frame.SetRecentSize(v.mruSize);
        if (framework::TrayIcon* tray = m_frame.shell() ? m_frame.shell()->tray() : nullptr) {
            tray->setEnabled(false);
            if (s.editorBit(EditorBits::MinimiseToTray))
                tray->setEnabled(true);
        }
        break;
    case options::ColorPage:
        if (CSearchCommands* search = m_frame.searchCommands()) {
            search->resultView(0)->setColours(s.find1Fore, s.find1Back);
            search->resultView(1)->setColours(s.find2Fore, s.find2Back);
        }
        if (CTemplateCommands* t = m_frame.templateCommands(); t && t->docker())
            t->docker()->setColours(s.templateFore, s.templateBack);
        if (CSymbolCommands* sym = m_frame.symbolCommands(); sym && sym->docker())
            sym->docker()->setColours(s.symbolFore, s.symbolBack);
        break;
    default: break;
    }
    Q_UNUSED(oldMask);
    m_frame.refreshStatus();
}

void CAppOptionsHost::fontSchemesApplied(int curSel)
{
    if (curSel >= 1 && curSel < cmd::BaseFontLast - (cmd::BaseFontFirst - 1))
        m_frame.OnCommand(cmd::BaseFontFirst - 1 + curSel);
}

void CAppOptionsHost::reapplyDocuments()
{
    for (CChildFrame* c : m_frame.children()) {
        CTextView* view = c->textView();
        if (!view || c->languageIndex() < 0)
            continue;
        view->setViewFlags(ViewFlagsFromMask(m_settings.editorMask));
        c->applyLanguage(c->languageIndex(), true);
    }
    m_frame.refreshStatus();
}

void CAppOptionsHost::checkForUpdate()
{
    m_frame.OnCommand(cmd::HelpCheckUpdate);
}

void CAppOptionsHost::loadTools(tools::ToolPageModel& model)
{
    CToolCommands* tc = m_frame.toolCommands();
    tools::ToolStore& store = tc->store();
    if (!store.isOpen())
        store.open(tc->databasePath());
    model.load(store);
}

bool CAppOptionsHost::applyTools(tools::ToolPageModel& model)
{
    CToolCommands* tc = m_frame.toolCommands();
    tools::ToolStore& store = tc->store();
    if (!store.isOpen())
        store.open(tc->databasePath());
    if (!model.apply(store))
        return false;
    tc->reload();   // the Tool menu and the tools' keys follow at once
    return true;
}

QStringList CAppOptionsHost::readSection(const QString& section) const
{
    return m_settings.ReadSection(section);
}

bool CAppOptionsHost::storeSections(const QList<options::SettingWrite>& writes,
                                    const QList<options::SectionWrite>& sections)
{
    return m_settings.WriteChanges(writes, sections);
}

std::vector<cmd::AccelEntry> CAppOptionsHost::keyTable() const
{
    cmd::KeyDispatcher* keys = m_frame.keyDispatcher();
    return keys ? keys->table() : std::vector<cmd::AccelEntry>();
}

std::vector<ui::KeyPageModel::Tool> CAppOptionsHost::keyTools() const
{
    std::vector<ui::KeyPageModel::Tool> out;
    if (CToolCommands* tc = m_frame.toolCommands()) {
        const auto& loaded = tc->loaded();
        for (size_t i = 0; i < loaded.size(); ++i)
            out.push_back({cmd::ToolFirst + int(i), loaded[i].name});
    }
    return out;
}

bool CAppOptionsHost::applyKeys(const ui::KeyPageModel& model, QString* error)
{
    const QString path = m_frame.keyMapFile();
    const std::vector<cmd::AccelEntry> entries = model.keyMapEntries();
    // The tools' keys go to the tools as the Tool menu holds them now (tool i is command 600 + i).
    std::vector<std::pair<qint64, QString>> toolKeys;
    // Only the tools whose keys changed, so that keys of menu commands alone never wait on velmo.db.
    CToolCommands* tc = m_frame.toolCommands();
    const std::vector<cmd::AccelEntry> inForce = keyTable();
    for (const ui::KeyPageModel::ToolShortcut& t : model.toolShortcuts()) {
        const size_t index = size_t(t.command - cmd::ToolFirst);
        if (!tc || index >= tc->loaded().size())
            continue;
        std::vector<cmd::AccelEntry> current;
        for (const cmd::AccelEntry& e : inForce)
            if (e.cmd == t.command)
                current.push_back(e);
        if (keymap::toolShortcutValue(current) != t.value)
            toolKeys.emplace_back(tc->loaded()[index].id, t.value);
    }

    QFile old(path);
    const bool existed = old.exists();
    const QByteArray before = existed && old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray();
    QString fileError;
    bool fileWritten = false;
    auto writeFile = [&] {
        fileWritten = keymap::write(path, entries, &fileError);
        return fileWritten;
    };
    bool ok = false;
    if (toolKeys.empty() || !tc) {
        ok = writeFile();
    } else {
        tools::ToolStore& store = tc->store();
        if (!store.isOpen())
            store.open(tc->databasePath());
        ok = store.setShortcuts(toolKeys, writeFile);
        if (!ok && fileWritten) {
            // The file went in but the tools' keys did not: the old file comes back.
            if (existed)
                atomicfile::write(path, before);
            else
                QFile::remove(path);
        }
        if (!ok && fileError.isEmpty())
            fileError = texts::str(2400, "Execute %s failure")
                            .replace(QLatin1String("%s"), QStringLiteral("UPDATE tools SET Shortcut=? WHERE ID=?"))
                        + QStringLiteral(": ") + store.lastError();
    }
    if (!ok) {
        if (error)
            *error = fileError;
        return false;
    }
    if (tc && !toolKeys.empty())
        tc->reload();   // the Tool menu shows the tools' new keys
    m_frame.LoadKeyMap();
    return true;
}

void CAppOptionsHost::fileBrowserApplied()
{
    m_settings.fileViewList = m_settings.ReadString(
        "FILEVIEW", m_settings.editorBit(EditorBits::FileBrowserBlackList) ? "BlackList" : "WhiteList");
    if (CFileCommands* files = m_frame.fileCommands(); files && files->docker())
        files->docker()->reloadSettings();
}

QString CAppOptionsHost::languageFolder() const
{
    return m_settings.Folder(AppSettings::LanguageFolder);
}

void runOptionsDialog(CMainFrame& frame, int command)
{
    CAppOptionsHost host(frame);
    options::COptionsDialog dialog(host, options::pageForCommand(command), frame.dialogParent());
    dialog.exec();
}
