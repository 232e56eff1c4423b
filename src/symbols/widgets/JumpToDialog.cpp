#include "symbols/widgets/JumpToDialog.h"
#include "symbols/widgets/KindIcons.h"

#include "platform/Texts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace symbols {

namespace {

// The rows are made on the worker as the tags are read.
class ListCollector : public TagCollector {
public:
    void AddTag(int, const TagRecord& tag) override { rows_.push_back(SymbolListModel::rowOf(tag)); }
    std::shared_ptr<void> finish() override { return std::make_shared<std::vector<SymbolListModel::Row>>(std::move(rows_)); }

private:
    std::vector<SymbolListModel::Row> rows_;
};

} // namespace

CJumpToDialog::CJumpToDialog(QWidget* parent) : QDialog(parent), model_(new SymbolListModel(this)), job_(this)
{
    setObjectName(QStringLiteral("symbolSearch"));
    setWindowTitle(texts::dialog(9, 0, "Symbols"));
    setModal(true);
    setSizeGripEnabled(true);
    model_->setIconProvider(&kindIcon);

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(texts::dialog(9, LabelId, "&Symbols:"), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("symbolEdit"));
    label->setBuddy(edit_);
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("symbolList"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->setIconSize(QSize(16, 16));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(texts::dialog(9, 1, "OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(texts::dialog(9, 2, "Cancel"));
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& at) {
        selectRow(at.row());
        accept();
    });
    connect(edit_, &QLineEdit::textChanged, this, &CJumpToDialog::textEdited);
    connect(&job_, &CtagsJob::finished, this, [this](std::shared_ptr<CtagsOutcome> outcome) { filled(*outcome); });
    edit_->installEventFilter(this);
    resize(520, 380);
}

CJumpToDialog::~CJumpToDialog()
{
    job_.abort();
}

void CJumpToDialog::tag(CtagsRequest request, const CtagsBounds& bounds)
{
    job_.setBounds(bounds);
    job_.setCollector([] { return std::make_unique<ListCollector>(); });
    job_.start(std::move(request));
}

void CJumpToDialog::filled(CtagsOutcome& outcome)
{
    if (outcome.prepared) {
        model_->adopt(std::move(*std::static_pointer_cast<std::vector<SymbolListModel::Row>>(outcome.prepared)));
    } else {
        model_->beginTags();
        for (TagRecord& tag : outcome.tags)
            model_->AddTag(1, tag);
        model_->endTags();
    }
    selectRow(0);
    // What was typed while the tagger ran counts now.
    if (!edit_->text().isEmpty())
        textEdited(edit_->text());
    if (!outcome.ok)
        emit tagFailed();
    emit tagsShown();
}

int CJumpToDialog::selectedRow() const
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CJumpToDialog::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    const QModelIndex at = model_->index(row, SymbolListModel::TagColumn);
    list_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(at);
}

void CJumpToDialog::textEdited(const QString& text)
{
    if (text.isEmpty())
        return;
    const int row = model_->firstWithPrefix(text);
    if (row >= 0)
        selectRow(row);
}

void CJumpToDialog::accept()
{
    const int row = selectedRow();
    const int line = model_->lineAt(row);
    QDialog::accept();
    if (row >= 0)
        emit jumpRequested(line);
}

bool CJumpToDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            const int row = selectedRow();
            if (key == Qt::Key_Down && row + 1 < model_->rowCount())
                selectRow(row + 1);
            else if (key == Qt::Key_Up && row > 0)
                selectRow(row - 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CJumpToDialog::layoutColumns()
{
    // Class and Tag take 0.4 of the usable width each, Line 0.2 less 2 pixels; the Tag
    // column takes what the other two leave.
    const int usable = list_->viewport()->width() - (list_->verticalScrollBar()->isVisible()
                                                          ? 0
                                                          : style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int classWidth = usable * 2 / 5;
    const int lineWidth = usable / 5 - 2;
    list_->setColumnWidth(SymbolListModel::ClassColumn, classWidth);
    list_->setColumnWidth(SymbolListModel::LineColumn, lineWidth);
    list_->setColumnWidth(SymbolListModel::TagColumn, std::max(20, usable - classWidth - lineWidth));
}

void CJumpToDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutColumns();
}

void CJumpToDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    layoutColumns();
    edit_->setFocus();
}

} // namespace symbols
