#include "ui/KeyPage.h"

#include "app/commands/CommandTable.h"
#include "app/commands/MenuModel.h"
#include "platform/Texts.h"
#include "ui/KeyMap.h"

namespace ui {
namespace {

bool inTree(int id)
{
    return (id >= 100 && id <= 700) || (id >= 782 && id <= 825);
}

bool isTool(int id)
{
    return id >= cmd::ToolFirst && id <= cmd::ToolLast;
}

QString cutAtTab(const QString& s)
{
    const qsizetype tab = s.indexOf(QLatin1Char('\t'));
    return tab < 0 ? s : s.left(tab);
}

QString withoutMnemonics(QString s)
{
    s = cutAtTab(s);
    s.replace(QLatin1String("&&"), QString(QChar(0xE000)));
    s.remove(QLatin1Char('&'));
    s.replace(QChar(0xE000), QLatin1Char('&'));
    return s;
}

} // namespace

KeyPageModel::KeyPageModel(const std::vector<AccelEntry>& table, const std::vector<Tool>& tools)
    : m_table(table), m_tools(tools)
{
    const std::vector<cmd::MenuItem>& menu = cmd::mainMenu();
    for (size_t p = 0; p < menu.size(); ++p) {
        Node n;
        n.menuText = cutAtTab(texts::menu(cmd::popupTextId(int(p)), menu[p].text));
        n.text = withoutMnemonics(n.menuText);
        const int node = addNode(std::move(n), -1);
        m_roots.push_back(node);
        if (menu[p].name && QLatin1String(menu[p].name) == QLatin1String("menu_tool")) {
            for (const Tool& t : m_tools) {
                if (!isTool(t.command))
                    continue;
                Node leaf;
                leaf.command = t.command;
                leaf.menuText = cutAtTab(t.name);
                leaf.text = withoutMnemonics(t.name);
                addNode(std::move(leaf), node);
            }
        }
        addItems(node, &menu[p].items, int(p));
    }
    if (!m_roots.empty())
        select(m_roots.front());
    for (const AccelEntry& e : m_table)
        if (!isTool(e.cmd) && nodeOf(e.cmd) < 0)
            m_outside.push_back(e);
}

int KeyPageModel::addNode(Node n, int parent)
{
    n.parent = parent;
    if (n.command)
        for (const AccelEntry& e : m_table)
            if (e.cmd == n.command && int(n.keys.size()) < kMaxShortcuts)
                n.keys.push_back(e);
    m_nodes.push_back(std::move(n));
    const int index = int(m_nodes.size()) - 1;
    if (parent >= 0)
        m_nodes[size_t(parent)].children.push_back(index);
    return index;
}

void KeyPageModel::addItems(int parent, const void* itemsPtr, int top)
{
    const auto& items = *static_cast<const std::vector<cmd::MenuItem>*>(itemsPtr);
    int position = 0;
    for (const cmd::MenuItem& item : items) {
        if (item.kind == cmd::MenuItem::Kind::Popup) {
            Node n;
            n.menuText = cutAtTab(texts::menu(cmd::popupTextId(top, position), item.text));
            n.text = withoutMnemonics(n.menuText);
            const int node = addNode(std::move(n), parent);
            addItems(node, &item.items, top);
        } else if (item.kind == cmd::MenuItem::Kind::Command && inTree(item.id)) {
            Node n;
            n.command = item.id;
            n.menuText = cutAtTab(cmd::label(item.id));
            n.text = withoutMnemonics(n.menuText);
            if (!n.text.isEmpty())
                addNode(std::move(n), parent);
        }
        ++position;
    }
}

int KeyPageModel::nodeOf(int command) const
{
    for (size_t i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].command == command)
            return int(i);
    return -1;
}

void KeyPageModel::select(int node)
{
    m_selected = (node >= 0 && node < int(m_nodes.size())) ? node : -1;
    m_pending.reset();
}

bool KeyPageModel::commandSelected() const
{
    return m_selected >= 0 && m_nodes[size_t(m_selected)].command != 0;
}

QStringList KeyPageModel::currentKeys() const
{
    QStringList names;
    if (commandSelected())
        for (const AccelEntry& e : m_nodes[size_t(m_selected)].keys)
            names << cmd::shortcutName(e);
    return names;
}

std::optional<AccelEntry> KeyPageModel::chordFromKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case 0:
    case Qt::Key_unknown:
        return std::nullopt;
    default: break;
    }
    const int vk = cmd::virtualKeyFromQt(qtKey, modifiers);
    if (vk == 0)
        return std::nullopt;
    AccelEntry e;
    e.flags = cmd::flagsFromQt(modifiers);
    // Backtab is Shift+Tab.
    if (qtKey == Qt::Key_Backtab)
        e.flags |= cmd::FSHIFT;
    e.key = std::uint16_t(vk);
    return e;
}

void KeyPageModel::capture(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (auto chord = chordFromKey(qtKey, modifiers))
        m_pending = chord;
}

QString KeyPageModel::pendingName() const
{
    return m_pending ? cmd::shortcutName(*m_pending) : QString();
}

void KeyPageModel::walk(int node, const std::function<void(const Node&)>& visit) const
{
    for (int c : m_nodes[size_t(node)].children)
        walk(c, visit);
    visit(m_nodes[size_t(node)]);
}

int KeyPageModel::findUser(const AccelEntry& chord) const
{
    int found = -1;
    for (int r : m_roots)
        walk(r, [&](const Node& n) {
            if (found >= 0 || !n.command)
                return;
            for (const AccelEntry& e : n.keys)
                if ((e.flags | cmd::FVIRTKEY) == (chord.flags | cmd::FVIRTKEY) && e.key == chord.key) {
                    found = int(&n - m_nodes.data());
                    return;
                }
        });
    return found;
}

KeyPageModel::Outcome KeyPageModel::add()
{
    Outcome out;
    if (!m_pending || !commandSelected())
        return out;
    Node& node = m_nodes[size_t(m_selected)];
    if (int(node.keys.size()) >= kMaxShortcuts) {
        out.result = AddResult::TooMany;
        out.message = texts::str(StrMaximum, "Maximum support %d shortcut items.")
                          .replace(QLatin1String("%d"), QString::number(kMaxShortcuts));
        return out;
    }
    AccelEntry chord = *m_pending;
    chord.flags |= cmd::FVIRTKEY;
    chord.cmd = std::uint16_t(node.command);
    const int user = findUser(chord);
    if (user >= 0) {
        out.result = AddResult::InUse;
        out.message = texts::str(StrAlreadyUsed, "The shortcut already used by:' %s', please input other.")
                          .replace(QLatin1String("%s"), m_nodes[size_t(user)].menuText);
        m_pending.reset();
        return out;
    }
    node.keys.push_back(chord);
    m_changed = true;
    out.result = AddResult::Added;
    return out;
}

bool KeyPageModel::remove(int row)
{
    if (!commandSelected())
        return false;
    Node& node = m_nodes[size_t(m_selected)];
    if (row < 0 || row >= int(node.keys.size()))
        return false;
    node.keys.erase(node.keys.begin() + row);
    m_changed = true;
    return true;
}

std::vector<AccelEntry> KeyPageModel::keyMapEntries() const
{
    std::vector<AccelEntry> out;
    for (int r : m_roots)
        walk(r, [&](const Node& n) {
            if (n.command && !isTool(n.command))
                out.insert(out.end(), n.keys.begin(), n.keys.end());
        });
    out.insert(out.end(), m_outside.begin(), m_outside.end());
    return out;
}

std::vector<KeyPageModel::ToolShortcut> KeyPageModel::toolShortcuts() const
{
    std::vector<ToolShortcut> out;
    for (int r : m_roots)
        walk(r, [&](const Node& n) {
            if (isTool(n.command))
                out.push_back({n.command, n.menuText, keymap::toolShortcutValue(n.keys)});
        });
    return out;
}

bool KeyPageModel::apply(const QString& keyMapPath, const ToolSink& toolSink, QStringList* errors)
{
    QString error;
    const bool written = keymap::write(keyMapPath, keyMapEntries(), &error);
    if (!written && errors)
        errors->append(error);
    if (toolSink) {
        for (const ToolShortcut& t : toolShortcuts()) {
            QString e;
            if (!toolSink(t, &e) && errors)
                errors->append(e);
        }
    }
    return written;
}

} // namespace ui
