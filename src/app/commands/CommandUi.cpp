#include "app/commands/CommandUi.h"

#include "app/commands/CommandTable.h"
#include "app/commands/ToolbarIcons.h"
#include "language/FontSchemes.h"
#include "platform/Texts.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>

namespace cmd {
namespace {

const char* kLabelProperty = "velmoLabel";

// Items that show a check mark or a pressed state at some time.
bool isCheckable(int id)
{
    return (id >= ViewMenuBar && id <= ViewHideTitle) || (id >= ViewSyntax && id <= ViewIndentGuides) ||
           (id >= DocUseTabs && id <= DocEncodeUtf8NoBom) || id == DocReadOnly ||
           id == ToolMonitorClipboard || (id >= LanguageHex && id <= LanguageLast) ||
           id == WindowAlwaysOnTop || (id >= DockFile && id <= DockFindResult2) ||
           (id >= BaseFontFirst && id <= WindowDocLast);
}

int commandOf(const QAction* a)
{
    bool ok = false;
    int id = a->data().toInt(&ok);
    return ok ? id : 0;
}

void applyState(QAction* a, CommandState st)
{
    a->setEnabled(st.enabled);
    if (a->isCheckable())
        a->setChecked(st.checked);
}

} // namespace

QString documentListLabel(const QString& path)
{
    if (path.startsWith(QLatin1Char('<')))
        return path;
    int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return slash >= 0 ? path.mid(slash + 1) : path;
}

CommandUi::CommandUi(QObject* parent) : QObject(parent) {}

CommandUi::~CommandUi()
{
    setIdleRefresh(false);
}

QAction* CommandUi::makeAction(QObject* parent, int id, const QString& text)
{
    auto* a = new QAction(text, parent);
    a->setData(id);
    a->setObjectName(QStringLiteral("cmd_%1").arg(id));
    a->setProperty(kLabelProperty, text);
    a->setCheckable(isCheckable(id));
    const QString prompt = statusPrompt(id);
    if (!prompt.isEmpty())
        a->setStatusTip(prompt);
    connect(a, &QAction::triggered, this, [this, id] { emit command(id, false); });
    return a;
}

QAction* CommandUi::addCommand(QMenu* menu, int id, const QString& text, QAction* before)
{
    QAction* a = makeAction(menu, id, text);
    menu->insertAction(before, a);
    return a;
}

void CommandUi::fillMenu(QMenu* menu, const std::vector<MenuItem>& items, int top, bool mainMenu)
{
    int position = 0;
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuItem::Kind::Popup: {
            auto* sub = new QMenu(texts::menu(popupTextId(top, position), item.text), menu);
            sub->setObjectName(QString::fromLatin1(item.name));
            menu->addMenu(sub);
            if (mainMenu)
                m_popups[sub->objectName()] = sub;
            fillMenu(sub, item.items, top, mainMenu);
            break;
        }
        case MenuItem::Kind::Command: {
            const CommandInfo* info = find(item.id);
            const char* english = item.text ? item.text : (info ? info->label : "");
            // A context menu (`top` is its number) may name its items in its own way.
            QAction* a = makeAction(menu, item.id, mainMenu ? texts::menu(item.id, english)
                                                            : texts::contextMenu(top, item.id, QString::fromUtf8(english)));
            menu->addAction(a);
            if (mainMenu)
                m_menuActions[item.id] = a;
            break;
        }
        }
        ++position;
    }
}

QMenuBar* CommandUi::createMenuBar(QWidget* parent)
{
    if (m_menuBar)
        return m_menuBar;
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QStringLiteral("menubar_main"));
    const std::vector<MenuItem>& model = mainMenu();
    for (size_t p = 0; p < model.size(); ++p) {
        const MenuItem& top = model[p];
        auto* menu = new QMenu(texts::menu(popupTextId(static_cast<int>(p)), top.text), bar);
        menu->setObjectName(QString::fromLatin1(top.name));
        m_popups[menu->objectName()] = menu;
        fillMenu(menu, top.items, static_cast<int>(p), true);
        bar->addMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuAboutToShow(menu); });
    }
    if (QMenu* window = popup(QStringLiteral("menu_window")))
        m_windowFixedCount = static_cast<int>(window->actions().size());
    m_menuBar = bar;
    setShortcutTexts(defaultAccelerators());
    return bar;
}

QMenu* CommandUi::createContextMenu(int menuId, QWidget* parent)
{
    const std::vector<MenuItem>& model = contextMenu(menuId);
    if (model.empty())
        return nullptr;
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("context_%1").arg(menuId));
    fillMenu(menu, model, menuId, false);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuAboutToShow(menu); });
    return menu;
}

QToolBar* CommandUi::createToolBar(QWidget* parent)
{
    if (m_toolBar)
        return m_toolBar;
    auto* tb = new QToolBar(texts::menu(ViewToolBar, "Tool Bar").remove(QLatin1Char('&')), parent);
    tb->setObjectName(QStringLiteral("toolbar_main"));
    tb->setIconSize(QSize(16, 16));
    tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : toolbarButtons()) {
        if (id == 0) {
            tb->addSeparator();
            continue;
        }
        QString tip = tooltip(id);
        QAction* a;
        if (id == ViewBaseFont) {
            // A drop-down-only button: pressing it opens the base-font menu.
            a = new QAction(tb);
            a->setData(id);
            a->setObjectName(QStringLiteral("cmd_%1").arg(id));
            m_fontMenu = new QMenu(tb);
            m_fontMenu->setObjectName(QStringLiteral("menu_base_font"));
            a->setMenu(m_fontMenu);
            connect(m_fontMenu, &QMenu::aboutToShow, this, &CommandUi::rebuildBaseFontMenu);
        } else {
            a = makeAction(tb, id, tip);
        }
        a->setText(tip);
        a->setToolTip(tip);
        a->setIcon(commandIcon(id));
        tb->addAction(a);
        if (id == ViewBaseFont)
            if (auto* button = qobject_cast<QToolButton*>(tb->widgetForAction(a)))
                button->setPopupMode(QToolButton::InstantPopup);
        m_toolActions[id] = a;
    }
    m_toolBar = tb;
    return tb;
}

QMenu* CommandUi::popup(const QString& objectName) const
{
    auto it = m_popups.find(objectName);
    return it == m_popups.end() ? nullptr : it->second.data();
}

QAction* CommandUi::menuAction(int id) const
{
    auto it = m_menuActions.find(id);
    return it == m_menuActions.end() ? nullptr : it->second.data();
}

QAction* CommandUi::toolAction(int id) const
{
    auto it = m_toolActions.find(id);
    return it == m_toolActions.end() ? nullptr : it->second.data();
}

void CommandUi::setShortcutTexts(const std::vector<AccelEntry>& table)
{
    for (auto& [id, a] : m_menuActions)
        if (a)
            a->setText(a->property(kLabelProperty).toString());
    for (const AccelEntry& e : table) {
        QAction* a = menuAction(e.cmd);
        if (!a)
            continue;
        const QString name = shortcutName(e);
        if (!name.isEmpty())
            a->setText(a->property(kLabelProperty).toString() + QLatin1Char('\t') + name);
    }
}

void CommandUi::applyMenuStates(QMenu* menu, const UiSnapshot& s)
{
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        if (QMenu* sub = a->menu()) {
            applyMenuStates(sub, s);
            continue;
        }
        if (int id = commandOf(a))
            applyState(a, menuState(s, id));
    }
}

void CommandUi::menuAboutToShow(QMenu* menu)
{
    if (!m_snapshot)
        return;
    const UiSnapshot s = m_snapshot();
    if (menu == popup(QStringLiteral("menu_window")))
        rebuildDocumentList(s.documentPaths, s.activeDocument);
    applyMenuStates(menu, s);
}

void CommandUi::applyToolbarStates(const UiSnapshot& s)
{
    for (auto& [id, a] : m_toolActions)
        if (a && id != ViewBaseFont)
            applyState(a, toolbarState(s, id));
}

void CommandUi::refreshToolbar()
{
    if (m_snapshot && m_toolBar)
        applyToolbarStates(m_snapshot());
}

void CommandUi::setIdleRefresh(bool on)
{
    if (m_idle) {
        disconnect(m_idle);
        m_idle = {};
    }
    if (!on)
        return;
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(thread()))
        m_idle = connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &CommandUi::refreshToolbar);
}

void CommandUi::rebuildDocumentList(const QStringList& paths, int active)
{
    QMenu* window = popup(QStringLiteral("menu_window"));
    if (!window)
        return;
    const QList<QAction*> actions = window->actions();
    for (int i = m_windowFixedCount; i < actions.size(); ++i) {
        window->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    if (paths.isEmpty())
        return;
    window->addSeparator();
    const int count = std::min<int>(static_cast<int>(paths.size()), WindowDocLast - WindowDocFirst + 1);
    for (int n = 0; n < count; ++n) {
        QAction* a = addCommand(window, WindowDocFirst + n, documentListLabel(paths[n]));
        a->setChecked(n == active);
    }
}

void CommandUi::rebuildBaseFontMenu()
{
    if (!m_fontMenu)
        return;
    for (QAction* a : m_fontMenu->actions()) {
        m_fontMenu->removeAction(a);
        a->deleteLater();
    }
    // The entries read the definitions exactly as the styles do.
    std::vector<fonts::FontScheme> entries;
    if (m_fontReader)
        entries = fonts::SchemeMenu([this](int n) { return m_fontReader(QString::number(n)); });
    int current = 1;
    if (m_fontReader) {
        bool ok = false;
        int n = m_fontReader(QStringLiteral("CurSel")).toInt(&ok);
        if (ok)
            current = n;
    }
    for (const fonts::FontScheme& e : entries) {
        QAction* a = addCommand(m_fontMenu, e.command, e.label);
        a->setChecked(e.number == current);
    }
    m_fontMenu->addSeparator();
    addCommand(m_fontMenu, ToolOptionsFont, texts::str(1052, "Change Font/Color..."));
}

} // namespace cmd
