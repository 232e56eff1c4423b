#include "templates/widgets/TemplateDocker.h"

#include "platform/Seams.h"
#include "templates/TemplateTexts.h"
#include "templates/widgets/TemplateDialogs.h"
#include "templates/widgets/TemplateInsert.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <Qsci/qsciscintillabase.h>

namespace templates {

namespace {

QColor fromColorRef(int v)
{
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

constexpr int IdRole = Qt::UserRole;

} // namespace

// --- CRListBox ---

void CRListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid())
            setCurrentRow(at.row());
        else if (count() > 0)
            setCurrentRow(count() - 1);
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void CRListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid()) {
        setCurrentRow(at.row());
        emit rowActivated(at.row());
        event->accept();
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

void CRListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        emit rowActivated(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CRListBox::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint at = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse && currentItem())
        at = viewport()->mapToGlobal(visualItemRect(currentItem()).bottomLeft());
    emit menuRequested(at);
    event->accept();
}

// --- CTemplateDocker ---

CTemplateDocker::CTemplateDocker(const QString& databasePath, ITemplateHost& host, QWidget* parent)
    : QWidget(parent), m_host(host)
{
    setObjectName(QStringLiteral("CTemplateDocker"));
    m_groups = new QComboBox(this);
    m_groups->setObjectName(QStringLiteral("groups"));
    m_groups->setEditable(false);
    m_list = new CRListBox(this);
    m_list->setObjectName(QStringLiteral("templates"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_groups);
    layout->addWidget(m_list, 1);

    connect(m_groups, &QComboBox::currentIndexChanged, this, [this] {
        m_list->clear();
        listGroup();
        emit groupChanged(currentGroup());
    });
    connect(m_list, &CRListBox::rowActivated, this, &CTemplateDocker::insertRow);
    connect(m_list, &CRListBox::menuRequested, this, &CTemplateDocker::showMenu);

    if (!m_store.open(databasePath))
        seams::message(parent, texts::str(StrDatabaseCorrupted, "template.db is corrupted"), texts::str(1, "Velmo"),
                       seams::MB_OK);
    listGroups();
}

QString CTemplateDocker::currentGroup() const
{
    return m_groups->currentText();
}

void CTemplateDocker::setColours(int fore, int back)
{
    QPalette p = m_list->palette();
    p.setColor(QPalette::Text, fromColorRef(fore));
    p.setColor(QPalette::Base, fromColorRef(back));
    m_list->setPalette(p);
}

void CTemplateDocker::listGroups(const QString& select)
{
    const QStringList names = m_store.groups();
    if (!m_store.lastFailure().statement.isEmpty())
        reportFailure(this, m_store);
    int index = names.isEmpty() ? -1 : 0;
    for (int i = 0; i < names.size() && !select.isEmpty(); ++i)
        if (names[i].compare(select, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    {
        const QSignalBlocker block(m_groups);
        m_groups->clear();
        m_groups->addItems(names);
        m_groups->setCurrentIndex(index);
    }
    m_list->clear();
    listGroup();
    emit groupChanged(currentGroup());
}

void CTemplateDocker::listGroup()
{
    const int keep = m_list->currentRow();
    m_list->clear();
    const QString group = currentGroup();
    if (group.isEmpty() || !m_store.isOpen())
        return;
    const std::vector<TemplateRow> rows = m_store.list(group);
    if (!m_store.lastFailure().statement.isEmpty())
        reportFailure(this, m_store);
    for (const TemplateRow& r : rows) {
        auto* item = new QListWidgetItem(r.gap ? QString() : r.name, m_list);
        item->setData(IdRole, r.id);
    }
    if (keep >= 0 && m_list->count() > 0)
        m_list->setCurrentRow(qMin(keep, m_list->count() - 1));
}

bool CTemplateDocker::insertRow(int row)
{
    QListWidgetItem* item = m_list->item(row);
    if (!item)
        return false;
    const QVariant id = item->data(IdRole);
    if (!id.isValid()) {
        seams::message(this, texts::str(StrNoItemData, "no item data"), texts::str(1, "Velmo"),
                       seams::MB_OK | seams::MB_ICONERROR);
        return false;
    }
    return insertTemplate(id.toLongLong());
}

bool CTemplateDocker::insertTemplate(qint64 id)
{
    QsciScintillaBase* view = m_host.activeTextView();
    if (!view || !m_store.isOpen())
        return false;
    view->setFocus();
    const std::optional<QString> content = m_store.content(currentGroup(), id);
    if (!content) {
        if (!m_store.lastFailure().statement.isEmpty())
            reportFailure(this, m_store);
        return false;
    }
    if (content->isEmpty())
        return false;   // a separator: nothing to insert, and a selection stays
    return templates::insertTemplate(*view, *content, m_host.macroContext());
}

QMenu* CTemplateDocker::menu()
{
    if (m_menu)
        return m_menu;
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("context_%1").arg(MenuTemplatePanel));
    auto add = [this](int id, const char* english) {
        QAction* a = m_menu->addAction(texts::contextMenu(MenuTemplatePanel, id, QString::fromUtf8(english)));
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { runMenuCommand(id); });
    };
    add(MenuAddTemplate, "Add Template");
    add(MenuEditTemplate, "Edit Template");
    add(MenuDeleteTemplate, "Delete Template");
    m_menu->addSeparator();
    add(MenuAddGroup, "Add &New Template Group");
    add(MenuDeleteGroup, "Delete &This Template Group");
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        const bool open = m_store.isOpen();
        const bool group = open && !currentGroup().isEmpty();
        const bool row = group && m_list->currentRow() >= 0;
        for (QAction* a : m_menu->actions()) {
            switch (a->data().toInt()) {
            case MenuAddTemplate: case MenuDeleteGroup: a->setEnabled(group); break;
            case MenuEditTemplate: case MenuDeleteTemplate: a->setEnabled(row); break;
            case MenuAddGroup: a->setEnabled(open); break;
            default: break;
            }
        }
    });
    return m_menu;
}

void CTemplateDocker::showMenu(const QPoint& globalPos)
{
    menu()->popup(globalPos);
}

void CTemplateDocker::runMenuCommand(int id)
{
    switch (id) {
    case MenuAddTemplate: addTemplate(); break;
    case MenuEditTemplate: editTemplate(); break;
    case MenuDeleteTemplate: deleteTemplate(); break;
    case MenuAddGroup: addGroup(); break;
    case MenuDeleteGroup: deleteGroup(); break;
    default: break;
    }
}

void CTemplateDocker::addTemplate(const QString& content)
{
    if (!m_store.isOpen() || currentGroup().isEmpty())
        return;
    CEditTempDialog dialog(m_store, currentGroup(), -1, content, window());
    if (dialog.exec() == QDialog::Accepted)
        listGroup();
}

void CTemplateDocker::editTemplate()
{
    QListWidgetItem* item = m_list->currentItem();
    if (!item || !m_store.isOpen())
        return;
    CEditTempDialog dialog(m_store, currentGroup(), item->data(IdRole).toLongLong(), QString(), window());
    if (dialog.exec() == QDialog::Accepted)
        listGroup();
}

void CTemplateDocker::deleteTemplate()
{
    QListWidgetItem* item = m_list->currentItem();
    if (!item || !m_store.isOpen())
        return;
    const QString question =
        texts::str(StrConfirmDelete, "Are you sure to delete template: %s?").replace(QLatin1String("%s"), item->text());
    if (seams::message(this, question, texts::str(1, "Velmo"), seams::MB_YESNO | seams::MB_ICONQUESTION) != seams::IDYES)
        return;
    if (!m_store.remove(currentGroup(), item->data(IdRole).toLongLong()))
        reportFailure(this, m_store);
    listGroup();
}

void CTemplateDocker::addGroup()
{
    if (!m_store.isOpen())
        return;
    CAddTempGroupDialog dialog(m_store, window());
    if (dialog.exec() == QDialog::Accepted)
        listGroups(dialog.createdName());
}

void CTemplateDocker::deleteGroup()
{
    const QString group = currentGroup();
    if (group.isEmpty() || !m_store.isOpen())
        return;
    const QString question = texts::str(StrConfirmDeleteGroup, "Are you sure to delete template group: '%s'?")
                                 .replace(QLatin1String("%s"), group);
    if (seams::message(this, question, texts::str(1, "Velmo"), seams::MB_YESNO | seams::MB_ICONQUESTION) != seams::IDYES)
        return;
    if (!m_store.dropGroup(group))
        reportFailure(this, m_store);
    listGroups();
}

} // namespace templates
