#include "tools/ToolPageModel.h"

#include "platform/Texts.h"
#include "tools/ToolTexts.h"

#include <algorithm>
#include <utility>

namespace tools {

void ToolPageModel::load(ToolStore& store)
{
    load(store.load(MaxLoadedTools));
}

void ToolPageModel::load(std::vector<ToolRecord> rows)
{
    m_rows = std::move(rows);
    m_selected = m_rows.empty() ? -1 : 0;
    m_changed = false;
    m_error.clear();
}

QStringList ToolPageModel::names() const
{
    QStringList out;
    for (const ToolRecord& r : m_rows)
        out << r.name;
    return out;
}

void ToolPageModel::select(int row)
{
    m_selected = row >= 0 && row < count() ? row : -1;
}

ToolRecord* ToolPageModel::current()
{
    return m_selected >= 0 && m_selected < count() ? &m_rows[size_t(m_selected)] : nullptr;
}

const ToolRecord* ToolPageModel::current() const
{
    return m_selected >= 0 && m_selected < count() ? &m_rows[size_t(m_selected)] : nullptr;
}

QString ToolPageModel::name() const { return current() ? current()->name : QString(); }
QString ToolPageModel::command() const { return current() ? current()->command : QString(); }
QString ToolPageModel::dir() const { return current() ? current()->dir : QString(); }
QString ToolPageModel::filters() const { return current() ? current()->filters : QString(); }

int ToolPageModel::shownFlags() const
{
    return current() ? current()->flags : (InCommandWindow | NeedsFile);
}

void ToolPageModel::edit(QString ToolRecord::*field, const QString& value)
{
    ToolRecord* r = current();
    if (!r || r->*field == value)
        return;
    r->*field = value;
    m_changed = true;
}

void ToolPageModel::setName(const QString& name) { edit(&ToolRecord::name, name); }
void ToolPageModel::setCommand(const QString& command) { edit(&ToolRecord::command, command); }
void ToolPageModel::setDir(const QString& dir) { edit(&ToolRecord::dir, dir); }
void ToolPageModel::setFilters(const QString& filters) { edit(&ToolRecord::filters, filters); }

void ToolPageModel::setFlag(int bit, bool on)
{
    ToolRecord* r = current();
    if (!r)
        return;
    const int flags = on ? (r->flags | bit) : (r->flags & ~bit);
    if (flags == r->flags)
        return;
    r->flags = flags;
    m_changed = true;
}

bool ToolPageModel::newTool()
{
    if (count() >= MaxTools)
        return false;
    ToolRecord r;
    r.name = texts::str(text::NewToolName, "<New Tool>");
    r.flags = InCommandWindow | AutoExpand;
    m_rows.push_back(std::move(r));
    m_selected = count() - 1;
    m_changed = true;
    return true;
}

bool ToolPageModel::deleteTool()
{
    if (!current())
        return false;
    m_rows.erase(m_rows.begin() + m_selected);
    m_selected = m_rows.empty() ? -1 : 0;
    m_changed = true;
    return true;
}

bool ToolPageModel::moveUp()
{
    if (!current() || m_selected == 0)
        return false;
    std::swap(m_rows[size_t(m_selected)], m_rows[size_t(m_selected - 1)]);
    --m_selected;
    m_changed = true;
    return true;
}

bool ToolPageModel::moveDown()
{
    if (!current() || m_selected == count() - 1)
        return false;
    std::swap(m_rows[size_t(m_selected)], m_rows[size_t(m_selected + 1)]);
    ++m_selected;
    m_changed = true;
    return true;
}

ToolPageModel::Enabling ToolPageModel::enabling() const
{
    Enabling e;
    const bool row = current() != nullptr;
    e.newTool = count() < MaxTools;
    e.deleteTool = row;
    e.moveUp = row && m_selected > 0;
    e.moveDown = row && m_selected < count() - 1;
    e.fields = e.wait = e.commandWindow = e.needsFile = e.batch = row;
    // With no row the boxes show 104 and 106 ticked, but there is nothing to edit.
    e.autoExpand = row && flag(InCommandWindow);
    e.fileOptions = row && flag(NeedsFile);
    return e;
}

bool ToolPageModel::apply(ToolStore& store)
{
    m_error.clear();
    // The page does not edit keys: each tool keeps the keys stored for it now, which the
    // Key page may have changed since this copy was read.
    std::vector<ToolRecord> rows = m_rows;
    for (ToolRecord& t : rows)
        if (t.id)
            if (const std::optional<ToolRecord> stored = store.read(t.id))
                t.shortcut = stored->shortcut;
    if (!store.replaceAll(rows)) {
        m_error = store.lastError();
        if (m_error.isEmpty())
            m_error = QStringLiteral("velmo.db is not open");
        return false;
    }
    const int keep = m_selected;
    load(store);
    select(keep);
    return true;
}

const QStringList& ToolPageModel::variables()
{
    static const QStringList list{QStringLiteral("$(FILE)"),      QStringLiteral("$(FILENAME)"),
                                  QStringLiteral("$(FILE_PATH)"), QStringLiteral("$(FILE_BASE)"),
                                  QStringLiteral("$(FILE_EXT)"),  QStringLiteral("$(LINE)")};
    return list;
}

int ToolPageModel::insertVariable(QString& text, int selStart, int selEnd, int index)
{
    if (index < 0 || index >= variables().size())
        return selEnd;
    const int from = std::clamp(std::min(selStart, selEnd), 0, int(text.size()));
    const int to = std::clamp(std::max(selStart, selEnd), from, int(text.size()));
    text.replace(from, to - from, variables()[index]);
    return from + int(variables()[index].size());
}

} // namespace tools
