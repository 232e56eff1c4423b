#include "ui/widgets/Pages.h"

#include "filebrowser/BrowserSettings.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace options {

namespace {

// The file browser's settings as a page sees them: reads from the settings, writes
// gathered so that the page stores them in one write of velmo.ini.
struct Gathered {
    QList<SettingWrite> values;
    QList<SectionWrite> sections;
    unsigned mask = 0;
    QString listInForce;
};

filebrowser::SettingsAccess gatherInto(OptionsHost& host, Gathered& g)
{
    g.mask = host.values().editorMask;
    filebrowser::SettingsAccess s;
    OptionsHost* h = &host;
    s.read = [h](const QString& section, const QString& key) { return h->readString(section, key); };
    s.readSection = [h](const QString& section) { return h->readSection(section); };
    s.write = [&g](const QString& section, const QString& key, const QString& value) {
        g.values.append({section, key, value});
    };
    s.writeSection = [&g](const QString& section, const QStringList& lines) { g.sections.append({section, lines}); };
    s.editorMask = [&g] { return g.mask; };
    s.setEditorMask = [&g](unsigned mask) { g.mask = mask; };
    s.listInForce = [&g] { return g.listInForce; };
    s.setListInForce = [&g](const QString& list) { g.listInForce = list; };
    return s;
}

QToolButton* toolButton(QWidget* parent, int id, const QString& caption)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QStringLiteral("id%1").arg(id));
    b->setText(caption);
    b->setToolTip(caption);
    return b;
}

} // namespace

// Favorite page ----------------------------------------------------------------------------

void CFavPage::setup(QWidget* page)
{
    Gathered g;
    m_model.load(gatherInto(m_host, g));

    auto* box = new QVBoxLayout(page);
    auto* bar = new QWidget(page);
    bar->setObjectName(QStringLiteral("id121"));
    auto* barBox = new QHBoxLayout(bar);
    barBox->setContentsMargins(0, 0, 0, 0);
    m_new = toolButton(bar, 1105, text(1105, "New"));
    m_delete = toolButton(bar, 1106, text(1106, "Delete"));
    m_up = toolButton(bar, 1107, text(1107, "Move Up"));
    m_down = toolButton(bar, 1108, text(1108, "Move Down"));
    for (QToolButton* b : {m_new, m_delete, m_up, m_down})
        barBox->addWidget(b);
    barBox->addStretch();
    box->addWidget(bar);
    m_list = new QListWidget(page);
    m_list->setObjectName(QStringLiteral("id120"));
    box->addWidget(m_list, 1);
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(page);
    m_path->setObjectName(QStringLiteral("id123"));
    m_browse = toolButton(page, 122, text(122, "..."));
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    box->addLayout(pathRow);

    QObject::connect(m_list, &QListWidget::currentRowChanged, m_list, [this](int row) {
        if (m_filling)
            return;
        m_model.select(row);
        refresh();
    });
    QObject::connect(m_path, &QLineEdit::textEdited, m_path, [this](const QString& t) {
        m_model.setSelectedPath(t);
        if (QListWidgetItem* item = m_list->item(m_model.selected()))
            item->setText(t);
        markChanged();
    });
    QObject::connect(m_browse, &QToolButton::clicked, m_browse, [this] {
        const QString folder = seams::fileDialogs().folder(m_path->window(), name(), m_path->text());
        if (folder.isEmpty())
            return;
        m_path->setText(folder);
        m_model.setSelectedPath(folder);
        if (QListWidgetItem* item = m_list->item(m_model.selected()))
            item->setText(folder);
        markChanged();
    });
    QObject::connect(m_new, &QToolButton::clicked, m_new, [this] {
        if (!m_model.addRow(texts::str(3030, "<New Favorite Path>")))
            return;
        refill();
        markChanged();
        m_path->setFocus();
        m_path->selectAll();
    });
    auto rowAction = [this](void (filebrowser::FavoritesModel::*act)()) {
        (m_model.*act)();
        refill();
        markChanged();
    };
    QObject::connect(m_delete, &QToolButton::clicked, m_delete,
                     [rowAction] { rowAction(&filebrowser::FavoritesModel::deleteSelected); });
    QObject::connect(m_up, &QToolButton::clicked, m_up, [rowAction] { rowAction(&filebrowser::FavoritesModel::moveUp); });
    QObject::connect(m_down, &QToolButton::clicked, m_down,
                     [rowAction] { rowAction(&filebrowser::FavoritesModel::moveDown); });
    refill();
}

void CFavPage::refill()
{
    m_filling = true;
    m_list->clear();
    m_list->addItems(m_model.rows());
    m_list->setCurrentRow(m_model.selected());
    m_filling = false;
    refresh();
}

void CFavPage::refresh()
{
    if (m_path->text() != m_model.selectedPath())
        m_path->setText(m_model.selectedPath());
    m_path->setEnabled(m_model.pathEditable());
    m_browse->setEnabled(m_model.pathEditable());
    m_new->setEnabled(m_model.canAdd());
    m_delete->setEnabled(m_model.canDelete());
    m_up->setEnabled(m_model.canMoveUp());
    m_down->setEnabled(m_model.canMoveDown());
}

bool CFavPage::apply(QString* error)
{
    Gathered g;
    m_model.apply(gatherInto(m_host, g));
    if (!m_host.storeSections(g.values, g.sections)) {
        *error = storeFailed();
        return false;
    }
    m_host.fileBrowserApplied();
    return true;
}

// File Window page -------------------------------------------------------------------------

void CFileViewPage::setup(QWidget* page)
{
    Gathered g;
    m_model.load(gatherInto(m_host, g));

    auto* grid = new QGridLayout(page);
    m_white = radio(page, 101, "Extensions open by Velmo:");
    m_black = radio(page, 102, "Extensions NOT open by Velmo:");
    m_white->setChecked(!m_model.blackList);
    m_black->setChecked(m_model.blackList);
    auto field = [&](int id, const QString& value) {
        auto* e = new QLineEdit(page);
        e->setObjectName(QStringLiteral("id%1").arg(id));
        e->setMaxLength(filebrowser::FileWindowModel::kListLimit);
        e->setText(value);
        watch(e);
        return e;
    };
    grid->addWidget(m_white, 0, 0, 1, 2);
    m_whiteList = field(110, m_model.whiteList);
    grid->addWidget(m_whiteList, 1, 1);
    grid->addWidget(m_black, 2, 0, 1, 2);
    m_blackList = field(111, m_model.blackListText);
    grid->addWidget(m_blackList, 3, 1);
    grid->addWidget(new QLabel(texts::str(3031, "Filters of the file panel (description|pattern, one a line):"), page),
                    4, 0, 1, 2);
    m_filters = new QPlainTextEdit(page);
    m_filters->setObjectName(QStringLiteral("id112"));
    m_filters->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_filters->setPlainText(QString(m_model.filterText).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    grid->addWidget(m_filters, 5, 0, 1, 2);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    watch(m_white);
    watch(m_filters);
}

bool CFileViewPage::apply(QString* error)
{
    filebrowser::FileWindowModel model = m_model;
    model.blackList = m_black->isChecked();
    model.setWhiteList(m_whiteList->text());
    model.setBlackList(m_blackList->text());
    model.filterText = m_filters->toPlainText();
    Gathered g;
    model.apply(gatherInto(m_host, g));
    Values v = m_host.values();
    v.editorMask = withBits(v.editorMask, filebrowser::kBlackListBit, g.mask);
    g.values.append({QStringLiteral("EDITOR"), QStringLiteral("EditorMask"), QString::number(int(v.editorMask))});
    if (!m_host.storeSections(g.values, g.sections)) {
        *error = storeFailed();
        return false;
    }
    m_model = model;
    m_host.valuesApplied(FileWindowPage, v);
    m_host.fileBrowserApplied();
    return true;
}

} // namespace options
