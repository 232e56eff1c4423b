#include "ui/widgets/Pages.h"

#include "platform/Seams.h"
#include "platform/Texts.h"
#include "tools/ToolTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace options {

namespace {
struct FlagBox {
    int id;
    int bit;
    const char* text;
};
const FlagBox kFlags[] = {
    {103, tools::WaitForEnd, "Wait command terminate"},
    {104, tools::InCommandWindow, "Execute in command window"},
    {105, tools::AutoExpand, "Auto expand command window"},
    {106, tools::NeedsFile, "Only execute if exist open files"},
    {107, tools::SaveWithoutAsking, "Before execute, prompt save if modified"},
    {108, tools::ReloadAfter, "After execute, reload if modified"},
    {109, tools::AsBatchFile, "Run as batch file"},
};
} // namespace

QToolButton* CToolPage::button(QWidget* parent, int id, const char* english)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QStringLiteral("id%1").arg(id));
    b->setText(text(id, english));
    b->setToolTip(b->text());
    return b;
}

void CToolPage::setup(QWidget* page)
{
    m_host.loadTools(m_model);

    auto* grid = new QGridLayout(page);
    m_list = new QListWidget(page);
    m_list->setObjectName(QStringLiteral("id1017"));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* bar = new QHBoxLayout;
    m_new = button(page, 1105, "New");
    m_delete = button(page, 1106, "Delete");
    m_up = button(page, 1107, "Move Up");
    m_down = button(page, 1108, "Move Down");
    for (QToolButton* b : {m_new, m_delete, m_up, m_down})
        bar->addWidget(b);
    bar->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(bar);
    left->addWidget(m_list);
    grid->addLayout(left, 0, 0, 8, 1);

    auto field = [&](int row, int id, const char* caption) {
        grid->addWidget(label(page, -1, caption), row, 1);
        auto* e = new QLineEdit(page);
        e->setObjectName(QStringLiteral("id%1").arg(id));
        grid->addWidget(e, row, 2);
        return e;
    };
    m_name = field(0, 1207, "Name:");
    m_dir = field(1, 1213, "Initial Directory:");
    m_dirButton = button(page, 1214, "...");
    grid->addWidget(m_dirButton, 1, 3);
    grid->addWidget(label(page, -1, "Command:"), 2, 1);
    m_command = new QPlainTextEdit(page);
    m_command->setObjectName(QStringLiteral("id1209"));
    m_command->setTabChangesFocus(true);
    m_command->setLineWrapMode(QPlainTextEdit::NoWrap);   // a command line is not broken inside a word
    m_command->setMaximumHeight(m_command->fontMetrics().lineSpacing() * 4 + 12);
    grid->addWidget(m_command, 2, 2);
    auto* commandButtons = new QVBoxLayout;
    m_fileButton = button(page, 1210, "...");
    m_varButton = button(page, 1212, ">");
    commandButtons->addWidget(m_fileButton);
    commandButtons->addWidget(m_varButton);
    commandButtons->addStretch();
    grid->addLayout(commandButtons, 2, 3);
    m_filterLabel = label(page, 110, "file subfix(*.h;*.c):");
    grid->addWidget(m_filterLabel, 3, 1);
    m_filters = new QLineEdit(page);
    m_filters->setObjectName(QStringLiteral("id1208"));
    grid->addWidget(m_filters, 3, 2);
    auto* boxes = new QVBoxLayout;
    for (const FlagBox& f : kFlags) {
        QCheckBox* c = check(page, f.id, f.text);
        boxes->addWidget(c);
        m_flags.push_back({c, unsigned(f.bit)});
        QObject::connect(c, &QCheckBox::clicked, c, [this, c, bit = f.bit] {
            m_model.setFlag(bit, c->isChecked());
            refresh();
            markChanged();
        });
    }
    grid->addLayout(boxes, 4, 1, 4, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 2);

    QObject::connect(m_list, &QListWidget::currentRowChanged, m_list, [this](int row) {
        if (m_filling || row < 0)
            return;
        m_model.select(row);
        refresh();
    });
    QObject::connect(m_name, &QLineEdit::textEdited, m_name, [this](const QString& t) {
        m_model.setName(t);
        if (QListWidgetItem* item = m_list->item(m_model.selected()))
            item->setText(t);
        markChanged();
    });
    QObject::connect(m_dir, &QLineEdit::textEdited, m_dir, [this](const QString& t) {
        m_model.setDir(t);
        markChanged();
    });
    QObject::connect(m_filters, &QLineEdit::textEdited, m_filters, [this](const QString& t) {
        m_model.setFilters(t);
        markChanged();
    });
    QObject::connect(m_command, &QPlainTextEdit::textChanged, m_command, [this] {
        if (m_filling)
            return;
        m_model.setCommand(m_command->toPlainText());
        markChanged();
    });
    auto rowAction = [this](bool (tools::ToolPageModel::*act)()) {
        if ((m_model.*act)()) {
            refill();
            markChanged();
        }
    };
    QObject::connect(m_new, &QToolButton::clicked, m_new, [this, rowAction] {
        rowAction(&tools::ToolPageModel::newTool);
        m_name->setFocus();
        m_name->selectAll();
    });
    QObject::connect(m_delete, &QToolButton::clicked, m_delete, [rowAction] { rowAction(&tools::ToolPageModel::deleteTool); });
    QObject::connect(m_up, &QToolButton::clicked, m_up, [rowAction] { rowAction(&tools::ToolPageModel::moveUp); });
    QObject::connect(m_down, &QToolButton::clicked, m_down, [rowAction] { rowAction(&tools::ToolPageModel::moveDown); });
    QObject::connect(m_dirButton, &QToolButton::clicked, m_dirButton, [this] {
        const QString folder = seams::fileDialogs().folder(m_dir->window(), text(1214, "Initial Directory:"), m_dir->text());
        if (folder.isEmpty())
            return;
        m_dir->setText(folder);
        m_model.setDir(folder);
        markChanged();
    });
    QObject::connect(m_fileButton, &QToolButton::clicked, m_fileButton, [this] {
        seams::FileDialogRequest request;
        request.filters = QStringList{QStringLiteral("Executable Files|*")};
        const seams::FileDialogResult r = seams::fileDialogs().open(m_command->window(), request);
        if (!r.accepted || r.files.isEmpty())
            return;
        m_command->textCursor().insertText(r.files.first());
    });
    QObject::connect(m_varButton, &QToolButton::clicked, m_varButton, [this] {
        QMenu menu(m_varButton);
        const QStringList& vars = tools::ToolPageModel::variables();
        for (int i = 0; i < vars.size(); ++i)
            menu.addAction(vars[i])->setData(i);
        QAction* chosen = menu.exec(m_varButton->mapToGlobal(QPoint(m_varButton->width(), 0)));
        if (!chosen)
            return;
        QString command = m_command->toPlainText();
        QTextCursor c = m_command->textCursor();
        const int caret = tools::ToolPageModel::insertVariable(command, c.selectionStart(), c.selectionEnd(),
                                                               chosen->data().toInt());
        m_command->setPlainText(command);   // textChanged hands it to the model
        c = m_command->textCursor();
        c.setPosition(caret);
        m_command->setTextCursor(c);
    });
    refill();
}

void CToolPage::refill()
{
    m_filling = true;
    m_list->clear();
    m_list->addItems(m_model.names());
    m_list->setCurrentRow(m_model.selected());
    m_filling = false;
    refresh();
}

void CToolPage::refresh()
{
    m_filling = true;
    if (m_name->text() != m_model.name())
        m_name->setText(m_model.name());
    if (m_dir->text() != m_model.dir())
        m_dir->setText(m_model.dir());
    if (m_filters->text() != m_model.filters())
        m_filters->setText(m_model.filters());
    if (m_command->toPlainText() != m_model.command())
        m_command->setPlainText(m_model.command());
    for (const MaskBox& b : m_flags)
        b.box->setChecked(m_model.flag(int(b.bit)));
    const tools::ToolPageModel::Enabling e = m_model.enabling();
    m_new->setEnabled(e.newTool);
    m_delete->setEnabled(e.deleteTool);
    m_up->setEnabled(e.moveUp);
    m_down->setEnabled(e.moveDown);
    for (QWidget* w : std::initializer_list<QWidget*>{m_name, m_dir, m_command, m_dirButton, m_fileButton, m_varButton})
        w->setEnabled(e.fields);
    m_filters->setEnabled(e.fileOptions);
    m_filterLabel->setEnabled(e.fileOptions);
    for (const MaskBox& b : m_flags) {
        bool on = false;
        switch (b.bit) {
        case tools::WaitForEnd: on = e.wait; break;
        case tools::InCommandWindow: on = e.commandWindow; break;
        case tools::NeedsFile: on = e.needsFile; break;
        case tools::AsBatchFile: on = e.batch; break;
        case tools::AutoExpand: on = e.autoExpand; break;
        default: on = e.fileOptions; break;   // 107, 108
        }
        b.box->setEnabled(on);
    }
    m_filling = false;
}

bool CToolPage::apply(QString* error)
{
    if (!m_host.applyTools(m_model)) {
        *error = texts::str(tools::text::ApplyFailed, "The tools could not be stored (%s); they are unchanged.")
                     .replace(QLatin1String("%s"), m_model.error());
        return false;
    }
    refill();
    return true;
}

} // namespace options
