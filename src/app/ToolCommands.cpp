#include "app/ToolCommands.h"

#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/TemplateCommands.h"
#include "app/commands/CommandStates.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "documents/text/FileAccess.h"
#include "platform/Seams.h"
#include "platform/Texts.h"
#include "tools/ToolPageModel.h"
#include "tools/ToolRunner.h"
#include "tools/ToolTexts.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>

namespace {

// The English texts keep their "%s" places: they are filled in order, and nothing in the
// values is read as a place of its own.
QString fill(QString text, const QStringList& values)
{
    qsizetype from = 0;
    for (const QString& v : values) {
        const qsizetype at = text.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        text.replace(at, 2, v);
        from = at + v.size();
    }
    return text;
}

// What is known of a file before a tool runs, finer than the outside-change stamp.
struct FileState {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileState&) const = default;
};

FileState fileState(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified()};
}

} // namespace

CToolCommands::CToolCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame) {}

QString CToolCommands::databasePath() const
{
    return m_frame.settings().Folder(AppSettings::DataFolder) + QStringLiteral("/velmo.db");
}

QString CToolCommands::batchPath() const
{
    return m_frame.settings().Folder(AppSettings::DataFolder) + QStringLiteral("/batch.bat");
}

const std::vector<cmd::AccelEntry>& CToolCommands::accelerators() const
{
    return m_keys;
}

void CToolCommands::reload()
{
    m_loaded.clear();
    m_keys.clear();
    cmd::CommandUi* ui = m_frame.commandUi();
    QMenu* menu = ui ? ui->popup(QStringLiteral("menu_tool")) : nullptr;
    if (menu) {
        for (QAction* a : menu->actions()) {
            const int id = a->data().toInt();
            if (!a->isSeparator() && !a->menu() && id >= cmd::ToolFirst && id <= cmd::ToolLast) {
                menu->removeAction(a);
                delete a;
            }
        }
        const QList<QAction*> left = menu->actions();
        if (!left.isEmpty() && left.first()->isSeparator()) {
            menu->removeAction(left.first());
            delete left.first();
        }
    }

    m_store.close();
    std::vector<tools::ToolRecord> rows;
    if (!m_store.open(databasePath()))
        seams::message(&m_frame, texts::str(tools::text::DatabaseCorrupted, "velmo.db is corrupted"),
                       seams::MB_OK | seams::MB_ICONWARNING);
    else
        rows = m_store.load(tools::MaxLoadedTools);

    QAction* separator = nullptr;
    for (size_t i = 0; i < rows.size(); ++i) {
        const tools::ToolRecord& t = rows[i];
        const int id = cmd::ToolFirst + int(i);
        m_loaded.push_back({t.id, t.flags, t.filters, t.name});
        const std::vector<cmd::AccelEntry> keys = cmd::toolAccelerators(t.shortcut, id);
        m_keys.insert(m_keys.end(), keys.begin(), keys.end());
        if (!menu)
            continue;
        if (!separator) {
            const QList<QAction*> fixed = menu->actions();
            separator = menu->insertSeparator(fixed.isEmpty() ? nullptr : fixed.first());
        }
        QAction* a = ui->addCommand(menu, id, t.name, separator);
        // The item shows its last key, as the fixed items do.
        if (!keys.empty())
            a->setText(t.name + QLatin1Char('\t') + cmd::shortcutName(keys.back()));
    }

    if (cmd::KeyDispatcher* dispatcher = m_frame.keyDispatcher()) {
        std::vector<cmd::AccelEntry> table = dispatcher->table();
        cmd::replaceAccelerators(table, cmd::ToolFirst, cmd::ToolLast, m_keys, size_t(tools::MaxLoadedTools));
        dispatcher->setTable(std::move(table));
    }
}

void CToolCommands::fillSnapshot(cmd::UiSnapshot& s) const
{
    s.tools.clear();
    for (const Loaded& t : m_loaded)
        s.tools.push_back({t.flags, t.filters});
}

bool CToolCommands::onCommand(int id)
{
    if (id < cmd::ToolFirst || id > cmd::ToolLast)
        return false;
    run(size_t(id - cmd::ToolFirst));
    return true;
}

bool CToolCommands::applyPage(tools::ToolPageModel& model)
{
    if (!m_store.isOpen())
        m_store.open(databasePath());
    if (!model.apply(m_store)) {
        seams::message(&m_frame,
                       fill(texts::str(tools::text::ApplyFailed, "The tools could not be stored (%s); they are unchanged."),
                            {model.error()}),
                       seams::MB_OK | seams::MB_ICONWARNING);
        return false;
    }
    reload();
    return true;
}

bool CToolCommands::send(const QString& toolName, const QStringList& lines, int flags)
{
    if (!m_sender || !m_sender(lines)) {
        seams::message(&m_frame,
                       fill(texts::str(tools::text::NoCommandWindow,
                                       "The command window is not available: the tool '%s' was not run."),
                            {toolName}),
                       seams::MB_OK | seams::MB_ICONWARNING);
        return false;
    }
    if (flags & tools::AutoExpand) {
        const cmd::UiSnapshot s = m_frame.snapshot();
        if (!s.bottomPanelVisible || s.bottomPanelTab != 0)
            m_frame.OnCommand(cmd::DockCommand);
    }
    return true;
}

void CToolCommands::run(size_t index)
{
    if (index >= m_loaded.size() || !m_store.isOpen())
        return;
    // The row is read afresh, so the last applied edits count.
    const std::optional<tools::ToolRecord> row = m_store.read(m_loaded[index].id);
    if (!row)
        return;
    const tools::ToolRecord& tool = *row;
    auto warn = [this](const QString& text) { seams::message(&m_frame, text, seams::MB_OK | seams::MB_ICONWARNING); };

    QPointer<CChildFrame> child = m_frame.activeChild();
    tools::ActiveDocument doc;
    if (child) {
        doc.exists = true;
        doc.path = child->path();
        doc.modified = child->isModified();
        doc.text = !child->isHex();
    }

    if (tool.flags & tools::NeedsFile) {
        if (tools::applies(tool, doc) != tools::Applies::Yes)
            return;
        if (doc.modified) {
            bool save = tools::savesWithoutAsking(tool.flags);
            if (!save) {
                const int answer = seams::message(
                    &m_frame,
                    fill(texts::str(tools::text::SaveQuestion, "file '%s' had changed, save and execute command: '%s'?"),
                         {doc.path, tool.name}),
                    seams::MB_YESNOCANCEL | seams::MB_ICONWARNING);
                if (answer == seams::IDCANCEL)
                    return;
                save = answer == seams::IDYES;
            }
            if (!child)
                return;   // closed while the question was up
            // A tool never runs on the old file when the save failed.
            if (save && !child->save()) {
                warn(fill(texts::str(tools::text::SaveFailed, "The tool '%s' was not run: the document was not saved."),
                          {tool.name}));
                return;
            }
        }
    }

    const QString dir = tools::workingDirectory(tool, doc);
    templates::MacroContext context;
    if (CTemplateCommands* t = m_frame.templateCommands())
        context = t->macroContext();
    const QString text = tools::commandText(tool.command, context);

    switch (tools::modeOf(tool.flags)) {
    case tools::Mode::BatchFile: {
        QString error;
        // A batch file left from an earlier run must not run in place of this one.
        if (!tools::writeBatchFile(batchPath(), text, &error)) {
            warn(fill(texts::str(tools::text::BatchNotWritten, "The tool '%s' was not run: %s cannot be written (%s)."),
                      {tool.name, batchPath(), error}));
            return;
        }
        send(tool.name, {tools::batchLine(batchPath())}, tool.flags);
        return;
    }
    case tools::Mode::CommandWindow:
        send(tool.name, tools::commandLines(text), tool.flags);
        return;
    case tools::Mode::Process: break;
    }

    const bool wait = (tool.flags & tools::WaitForEnd) != 0;
    const FileState before = child && doc.text ? fileState(child->path()) : FileState();
    const tools::StartResult started = tools::startProcess(text, dir, wait);
    switch (started.error) {
    case tools::StartResult::Error::None: break;
    case tools::StartResult::Error::EmptyCommand:
        warn(fill(texts::str(tools::text::EmptyCommand, "The tool '%s' has no command."), {tool.name}));
        break;
    case tools::StartResult::Error::ProgramNotFound:
        warn(fill(texts::str(tools::text::ProgramNotFound, "The tool '%s' cannot start: the program '%s' was not found."),
                  {tool.name, started.program}));
        break;
    case tools::StartResult::Error::FolderMissing:
        warn(fill(texts::str(tools::text::FolderMissing, "The tool '%s' cannot start: the folder '%s' does not exist."),
                  {tool.name, started.detail}));
        break;
    case tools::StartResult::Error::CannotStart:
        warn(fill(texts::str(tools::text::CannotStart, "The tool '%s' cannot start '%s': %s."),
                  {tool.name, started.program, started.detail}));
        break;
    }

    // Afterwards the document is checked for changes the tool made to its file.
    if (!child || child != m_frame.activeChild())
        return;
    // The file is compared finer than its stamp, so that a tool that rewrites it within the
    // stamp's two seconds is seen too: the document then counts as changed outside.
    textdoc::DocumentRecord& record = child->record();
    if (wait && record.fileStamp != -1 && fileState(child->path()) != before
        && record.fileStamp == textdoc::fileStamp(child->path()))
        record.fileStamp ^= 1;
    // Unsaved edits are never thrown away without asking: only an unmodified document
    // reloads silently; otherwise the usual question comes.
    const bool silentReload = (tool.flags & tools::NeedsFile) && (tool.flags & tools::ReloadAfter);
    if (silentReload && !child->isModified()) {
        if (child->checkFile(true))
            child->reload();
        return;
    }
    child->checkFile(false);
}
