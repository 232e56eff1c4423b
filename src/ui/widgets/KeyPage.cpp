#include "ui/widgets/Pages.h"

#include "app/commands/CommandTable.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace options {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// The "Press new shortcut" field: the next key pressed with its modifiers becomes the
// chord shown, instead of text. Tab and Shift+Tab alone still move the focus, and Escape
// alone still closes the dialog.
class CHotKeyEdit : public QLineEdit {
public:
    CHotKeyEdit(std::function<void(QKeyEvent*)> onKey, QWidget* parent) : QLineEdit(parent), m_onKey(std::move(onKey))
    {
        setReadOnly(true);
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->key() != Qt::Key_Escape) {
            e->accept();   // every key comes here, none triggers a shortcut
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            const bool plain = !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            const bool passOn = plain && (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab
                                          || (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier));
            if (!passOn) {
                m_onKey(k);
                return true;
            }
        }
        return QLineEdit::event(e);
    }

private:
    std::function<void(QKeyEvent*)> m_onKey;
};

} // namespace

void CKeyPage::setup(QWidget* page)
{
    m_model = std::make_unique<ui::KeyPageModel>(m_host.keyTable(), m_host.keyTools());

    auto* grid = new QGridLayout(page);
    m_tree = new QTreeWidget(page);
    m_tree->setObjectName(QStringLiteral("id122"));
    m_tree->setHeaderHidden(true);
    grid->addWidget(m_tree, 0, 0, 6, 1);

    m_keysLabel = label(page, -1, "Current keys:");
    grid->addWidget(m_keysLabel, 0, 1, 1, 3);
    m_keys = new QListWidget(page);
    m_keys->setObjectName(QStringLiteral("id120"));
    grid->addWidget(m_keys, 1, 1, 1, 3);
    m_hotkeyLabel = label(page, -1, "Press new shortcut");
    grid->addWidget(m_hotkeyLabel, 2, 1, 1, 3);
    m_hotkey = new CHotKeyEdit(
        [this](QKeyEvent* k) {
            if (!m_model->commandSelected())
                return;
            m_model->capture(k->key(), k->modifiers());
            m_hotkey->setText(m_model->pendingName());
        },
        page);
    m_hotkey->setObjectName(QStringLiteral("id121"));
    grid->addWidget(m_hotkey, 3, 1, 1, 3);
    auto makeButton = [&](int id, const char* english) {
        auto* b = new QToolButton(page);
        b->setObjectName(QStringLiteral("id%1").arg(id));
        b->setText(text(id, english));
        b->setMinimumWidth(32);
        return b;
    };
    m_minus = makeButton(123, "-");
    m_plus = makeButton(124, "+");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_minus);
    buttons->addWidget(m_plus);
    grid->addLayout(buttons, 4, 1, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);

    fillTree();
    QObject::connect(m_tree, &QTreeWidget::currentItemChanged, m_tree, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        m_model->select(item->data(0, kNodeRole).toInt());
        showSelected();
        m_hotkey->setFocus();
    });
    QObject::connect(m_plus, &QToolButton::clicked, m_plus, [this] { addKey(); });
    QObject::connect(m_minus, &QToolButton::clicked, m_minus, [this] { removeKey(); });
}

void CKeyPage::fillTree()
{
    const QSignalBlocker block(m_tree);
    m_tree->clear();
    const auto& nodes = m_model->nodes();
    std::function<void(QTreeWidgetItem*, int)> add = [&](QTreeWidgetItem* item, int node) {
        item->setText(0, nodes[size_t(node)].text);
        item->setData(0, kNodeRole, node);
        for (int child : nodes[size_t(node)].children)
            add(new QTreeWidgetItem(item), child);
    };
    for (int root : m_model->roots())
        add(new QTreeWidgetItem(m_tree), root);
    // The node selected in the model (the first popup at first) is the tree's current item.
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(0, kNodeRole).toInt() == m_model->selected()) {
            m_tree->setCurrentItem(*it);
            break;
        }
    showSelected();
}

void CKeyPage::showSelected()
{
    const bool command = m_model->commandSelected();
    m_keys->clear();
    m_keys->addItems(m_model->currentKeys());
    m_hotkey->clear();
    for (QWidget* w : std::initializer_list<QWidget*>{m_keys, m_hotkey, m_minus, m_plus, m_keysLabel, m_hotkeyLabel})
        w->setEnabled(command);
}

void CKeyPage::addKey()
{
    if (!m_model->pending())
        return;
    const ui::KeyPageModel::Outcome out = m_model->add();
    switch (out.result) {
    case ui::KeyPageModel::AddResult::Added:
        m_keys->clear();
        m_keys->addItems(m_model->currentKeys());
        m_hotkey->clear();
        m_model->setPending(std::nullopt);
        markChanged();
        break;
    case ui::KeyPageModel::AddResult::TooMany:
        seams::message(m_plus->window(), out.message, seams::MB_OK | seams::MB_ICONERROR);
        break;
    case ui::KeyPageModel::AddResult::InUse:
        seams::message(m_plus->window(), out.message, seams::MB_OK | seams::MB_ICONWARNING);
        m_hotkey->clear();
        m_hotkey->setFocus();
        break;
    case ui::KeyPageModel::AddResult::Nothing: break;
    }
}

void CKeyPage::removeKey()
{
    if (m_keys->count() == 0 || !m_model->remove(m_keys->currentRow()))
        return;
    delete m_keys->takeItem(m_keys->currentRow());
    markChanged();
}

bool CKeyPage::apply(QString* error)
{
    QString detail;
    if (m_host.applyKeys(*m_model, &detail))
        return true;
    *error = storeFailed();
    if (!detail.isEmpty())
        *error += QStringLiteral(" (%1)").arg(detail);
    return false;
}

void CKeyPage::otherPageApplied(int page)
{
    if (page != ToolPage || !m_model)
        return;
    // The tools were stored anew: the Tool popup shows them with their stored keys; the
    // keys of the other commands stay as edited here.
    std::vector<cmd::AccelEntry> table = m_model->keyMapEntries();
    for (const cmd::AccelEntry& e : m_host.keyTable())
        if (e.cmd >= cmd::ToolFirst && e.cmd <= cmd::ToolLast)
            table.push_back(e);
    const int selected = m_model->selected();
    const int command = selected >= 0 ? m_model->nodes()[size_t(selected)].command : 0;
    m_model = std::make_unique<ui::KeyPageModel>(table, m_host.keyTools());
    if (command && m_model->nodeOf(command) >= 0)
        m_model->select(m_model->nodeOf(command));
    fillTree();
}

} // namespace options
