#include "search/widgets/FindView.h"

#include "platform/Texts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace search {

int FindResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant FindResultModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(m_lines.size()))
        return {};
    return m_lines[size_t(index.row())].text;
}

void FindResultModel::clear()
{
    beginResetModel();
    m_lines.clear();
    m_lines.shrink_to_fit();
    endResetModel();
}

void FindResultModel::append(std::vector<FindResultLine> batch)
{
    if (batch.empty())
        return;
    const int first = int(m_lines.size());
    beginInsertRows(QModelIndex(), first, first + int(batch.size()) - 1);
    m_lines.insert(m_lines.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    endInsertRows();
}

namespace {

QColor fromColorRef(int v)
{
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

QToolButton* stripButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip, const char* name)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setToolTip(tip.left(80));
    b->setFixedSize(23, 23);
    return b;
}

} // namespace

CFindView::CFindView(int index, QWidget* parent) : QWidget(parent), m_index(index)
{
    setObjectName(index == 0 ? QStringLiteral("findResult1") : QStringLiteral("findResult2"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* strip = new QVBoxLayout;
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(0);
    m_abort = stripButton(this, QStyle::SP_BrowserStop, texts::str(1007, "Abort search"), "abort");
    m_clear = stripButton(this, QStyle::SP_DialogResetButton, texts::str(1008, "Clear search result"), "clear");
    m_openAll = stripButton(this, QStyle::SP_DirOpenIcon, texts::str(1009, "Open all finded files"), "openAll");
    m_abort->setEnabled(false);
    m_clear->setEnabled(false);
    strip->addWidget(m_abort);
    strip->addWidget(m_clear);
    strip->addWidget(m_openAll);
    strip->addStretch(1);
    row->addLayout(strip);

    m_model = new FindResultModel(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("results"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);   // long lists lay out without measuring every line
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->installEventFilter(this);
    row->addWidget(m_list, 1);

    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex& i) { jump(i.row()); });
    connect(m_abort, &QToolButton::clicked, this, [this] {
        m_abortFlag = 1;
        m_abort->setEnabled(false);
    });
    connect(m_clear, &QToolButton::clicked, this, [this] {
        clear();
        emit statusText(QString());
        m_clear->setEnabled(false);
    });
    connect(m_openAll, &QToolButton::clicked, this, &CFindView::openAll);
}

void CFindView::setColours(int fore, int back)
{
    QPalette p = m_list->palette();
    p.setColor(QPalette::Text, fromColorRef(fore));
    p.setColor(QPalette::Base, fromColorRef(back));
    m_list->setPalette(p);
}

void CFindView::clear()
{
    m_model->clear();
}

void CFindView::addResult(const QString& file, int line, const QString& text, QObject* document)
{
    appendLines({FindResultLine::result(file, line, text, document)});
}

void CFindView::addPlainLine(const QString& text)
{
    appendLines({FindResultLine::plain(text)});
}

void CFindView::appendLines(std::vector<FindResultLine> batch)
{
    // Results from find all arrive without a search around them: what is listed can be cleared.
    if (!batch.empty())
        m_clear->setEnabled(true);
    m_model->append(std::move(batch));
}

int CFindView::count() const
{
    return m_model->rowCount();
}

void CFindView::beginSearch()
{
    m_abort->setEnabled(true);
    m_clear->setEnabled(true);
    emit statusText(QString());
}

void CFindView::endSearch(const QString& text)
{
    m_abort->setEnabled(false);
    m_clear->setEnabled(true);
    emit statusText(text);
}

void CFindView::jump(int row)
{
    if (row < 0 || row >= count())
        return;
    FindResultLine target = m_model->at(row);
    if (!target.hasTarget()) {
        // A line added as plain text: read the file and line back from it.
        QString file;
        int line = 0;
        if (!parseResultLine(target.text, &file, &line))
            return;
        target.file = file;
        target.line = line;
    }
    emit jumpRequested(target);
}

void CFindView::openAll()
{
    for (int row = 0; row < count(); ++row)
        jump(row);
}

bool CFindView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            jump(m_list->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace search

#include "search/widgets/TextSearch.h"

#include <QCoreApplication>
#include <Qsci/qsciscintillabase.h>

namespace search {

int findAllInto(CFindView& view, QsciScintillaBase& text, const QString& name, QObject* document,
                const SearchOptions& options)
{
    constexpr size_t kBatch = 4096;
    QObject* reference = name.startsWith(QLatin1Char('<')) ? document : nullptr;
    std::vector<FindResultLine> batch;
    batch.reserve(kBatch);
    long cachedLine = -1;
    QString cachedText;
    const int count = forEachMatch(text, options, [&](long start, long) {
        const long line = text.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
        if (line != cachedLine) {
            cachedLine = line;
            cachedText = lineText(text, line);
        }
        batch.push_back(FindResultLine::result(name, int(line) + 1, cachedText, reference));
        if (batch.size() == kBatch) {
            view.appendLines(std::move(batch));
            batch.clear();
            batch.reserve(kBatch);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    view.appendLines(std::move(batch));
    return count;
}

} // namespace search
