#include "symbols/widgets/FunctionDocker.h"
#include "symbols/widgets/KindIcons.h"

#include "platform/Texts.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace symbols {

namespace {

// Runs at the same time, so that a session of many files does not start them all at once.
constexpr int kMaxRuns = 2;

class TreeCollector : public TagCollector {
public:
    explicit TreeCollector(int arrangement) : builder_(arrangement) {}
    void AddTag(int one, const TagRecord& tag) override { builder_.AddTag(one, tag); }
    std::shared_ptr<void> finish() override { return std::make_shared<SymbolTreeData>(builder_.finish()); }

private:
    SymbolTreeBuilder builder_;
};

QColor fromColorRef(int v)
{
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

} // namespace

CTagsTreeCtrl::CTagsTreeCtrl(QObject* document, QWidget* parent)
    : QTreeView(parent), document_(document), model_(new SymbolTreeModel(this)), job_(this)
{
    setObjectName(QStringLiteral("symbolTree"));
    model_->setIconProvider(&kindIcon);
    setModel(model_);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setIconSize(QSize(16, 16));
    // The selection stays visible when the tree loses the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void CTagsTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    // Enter on an entry jumps as a click does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        emit clicked(currentIndex());
        return;
    }
    QTreeView::keyPressEvent(event);
}

CFunctionDocker::CFunctionDocker(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("functionDocker"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    empty_ = new QWidget(stack_);
    stack_->addWidget(empty_);
    layout->addWidget(stack_);
    setMinimumSize(1, 1);
    setAutoFillBackground(true);
    empty_->setAutoFillBackground(true);
    setColours(fore_, back_);
}

CFunctionDocker::~CFunctionDocker()
{
    // Every run is stopped before the trees go.
    for (CTagsTreeCtrl* t : std::as_const(trees_))
        t->job().abort();
}

void CFunctionDocker::setColours(int fore, int back)
{
    fore_ = fore;
    back_ = back;
    QPalette p = palette();
    p.setColor(QPalette::Window, fromColorRef(back));
    setPalette(p);
    empty_->setPalette(p);
    for (CTagsTreeCtrl* t : std::as_const(trees_)) {
        QPalette tp = t->palette();
        tp.setColor(QPalette::Text, fromColorRef(fore));
        tp.setColor(QPalette::Base, fromColorRef(back));
        t->setPalette(tp);
    }
}

bool CFunctionDocker::busy() const
{
    for (CTagsTreeCtrl* t : std::as_const(trees_))
        if (t->job().running() || t->queued)
            return true;
    return false;
}

void CFunctionDocker::createTree(QObject* document, bool show)
{
    if (!document)
        return;
    CTagsTreeCtrl* t = trees_.value(document);
    if (!t) {
        t = new CTagsTreeCtrl(document, stack_);
        t->job().setBounds(bounds_);
        trees_.insert(document, t);
        stack_->addWidget(t);
        setColours(fore_, back_);
        connect(t, &QAbstractItemView::clicked, this, &CFunctionDocker::activated);
        connect(t, &QWidget::customContextMenuRequested, this,
                [this, t](const QPoint& at) { showContextMenu(t->viewport()->mapToGlobal(at)); });
        connect(&t->job(), &CtagsJob::finished, this,
                [this, t](std::shared_ptr<CtagsOutcome> outcome) { filled(t, *outcome); });
        connect(document, &QObject::destroyed, this, [this, document] { destroyTree(document); });
    }
    schedule(t);
    if (show)
        showTree(document);
}

void CFunctionDocker::showTree(QObject* document)
{
    CTagsTreeCtrl* t = trees_.value(document);
    current_ = t;
    stack_->setCurrentWidget(t ? static_cast<QWidget*>(t) : empty_);
    if (t && t->stale)
        schedule(t);
    else
        startQueued();
}

void CFunctionDocker::rebuildTree(QObject* document)
{
    if (CTagsTreeCtrl* t = trees_.value(document))
        schedule(t);
}

void CFunctionDocker::destroyTree(QObject* document)
{
    CTagsTreeCtrl* t = trees_.take(document);
    if (!t)
        return;
    t->job().abort();
    queue_.removeAll(t);
    if (current_ == t) {
        current_ = nullptr;
        stack_->setCurrentWidget(empty_);
    }
    stack_->removeWidget(t);
    delete t;
    startQueued();
}

void CFunctionDocker::markChanged(QObject* document)
{
    if (CTagsTreeCtrl* t = trees_.value(document))
        t->stale = true;
}

void CFunctionDocker::schedule(CTagsTreeCtrl* t)
{
    t->job().abort();   // a newer run replaces one in progress
    t->stale = false;
    if (QModelIndex at = t->currentIndex(); at.isValid())
        t->remembered = at.data().toString();
    t->setCursor(Qt::BusyCursor);
    if (!t->queued) {
        t->queued = true;
        queue_.append(t);
    }
    startQueued();
}

void CFunctionDocker::startQueued()
{
    queue_.removeAll(nullptr);
    int running = 0;
    for (CTagsTreeCtrl* t : std::as_const(trees_))
        running += t->job().running() ? 1 : 0;
    while (running < kMaxRuns && !queue_.isEmpty()) {
        // The tree in front goes first.
        qsizetype pick = 0;
        for (qsizetype i = 0; i < queue_.size(); ++i)
            if (queue_[i] == current_)
                pick = i;
        CTagsTreeCtrl* t = queue_.takeAt(pick);
        t->queued = false;
        std::optional<CtagsRequest> request = provider_ ? provider_(t->document()) : std::nullopt;
        if (!request) {
            t->unsetCursor();
            continue;
        }
        // The tree is arranged on the worker as the tags are read; the UI thread only shows it.
        t->job().setCollector([arrangement = t->arrangement()] { return std::make_unique<TreeCollector>(arrangement); });
        t->job().start(std::move(*request));
        ++running;
    }
}

void CFunctionDocker::filled(CTagsTreeCtrl* t, CtagsOutcome& outcome)
{
    SymbolTreeModel* m = t->symbols();
    t->setUpdatesEnabled(false);
    if (outcome.prepared) {
        present(t, std::move(*std::static_pointer_cast<SymbolTreeData>(outcome.prepared)));
    } else {
        SymbolTreeBuilder builder(t->arrangement());
        for (TagRecord& tag : outcome.tags) {
            tag.document = t->document();
            builder.AddTag(1, tag);
        }
        present(t, builder.finish());
    }
    if (!t->remembered.isEmpty()) {
        const QModelIndex at = m->findText(t->remembered);
        if (at.isValid()) {
            t->setCurrentIndex(at);
            t->scrollTo(at);
        }
    }
    t->setUpdatesEnabled(true);
    t->unsetCursor();
    if (!outcome.ok)
        emit tagFailed();
    emit treeFilled(t->document());
    startQueued();
}

void CFunctionDocker::present(CTagsTreeCtrl* t, SymbolTreeData data)
{
    SymbolTreeModel* m = t->symbols();
    m->adopt(std::move(data));
    // Only scope groups have entries below them.
    if (m->hasGroups())
        t->expandAll();
}

void CFunctionDocker::activated(const QModelIndex& index)
{
    auto* t = qobject_cast<CTagsTreeCtrl*>(sender());
    if (!t)
        return;
    const int line = t->symbols()->lineOf(index);
    if (line >= 0)
        emit jumpRequested(line);
}

void CFunctionDocker::setArrangement(int arrangement)
{
    if (!current_)
        return;
    current_->symbols()->setArrangement(arrangement);
    schedule(current_);
}

void CFunctionDocker::expandTopLevel(bool expand)
{
    if (!current_)
        return;
    // Entries are at most two deep, so every top-level entry and its first child chain is
    // every entry. One pass over the tree: expanding one entry at a time lays the view out
    // again for each, which takes seconds with tens of thousands of groups.
    if (expand)
        current_->expandAll();
    else
        current_->collapseAll();
}

QMenu* CFunctionDocker::showContextMenu(const QPoint& globalPos)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("symbolMenu"));
    const bool enabled = current_ && !current_->symbols()->isEmpty();
    auto* group = new QActionGroup(menu);
    auto add = [&](int id, const char* english) {
        QAction* a = menu->addAction(texts::contextMenu(3, id, QString::fromUtf8(english)));   // menu 3
        a->setData(id);
        a->setEnabled(enabled);
        return a;
    };
    const char* names[3] = {"By &Type", "By &Name", "By &Line"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = add(ByType + i, names[i]);
        a->setCheckable(true);
        a->setChecked(current_ && current_->arrangement() == i);
        group->addAction(a);
    }
    menu->addSeparator();
    add(CollapseAll, "&Collapse All");
    add(ExpandAll, "&Expand All");
    menu->addSeparator();
    add(SearchSymbols, "Search Symbols");
    connect(menu, &QMenu::triggered, this, [this](QAction* a) {
        const int id = a->data().toInt();
        switch (id) {
        case ByType: case ByName: case ByLine: setArrangement(id - ByType); break;
        case CollapseAll: expandTopLevel(false); break;
        case ExpandAll: expandTopLevel(true); break;
        case SearchSymbols: emit searchRequested(); break;
        default: break;
        }
    });
    menu->popup(globalPos);
    return menu;
}

void CFunctionDocker::contextMenuEvent(QContextMenuEvent* event)
{
    showContextMenu(event->globalPos());
    event->accept();
}

} // namespace symbols
