#include "symbols/SymbolModels.h"

#include "platform/CodePage.h"
#include "platform/Texts.h"

#include <QByteArrayView>
#include <QHash>

#include <algorithm>
#include <list>
#include <unordered_map>

namespace symbols {

QString tagText(const std::string& bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (view.isValidUtf8())
        return QString::fromUtf8(view);
    return ansi::toUnicode(bytes);
}

namespace {

// Case-insensitive order of entry texts (ASCII letters folded; other characters by value).
int compareNoCase(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x = char16_t(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = char16_t(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

// By type: the top level is a list in which a new entry goes directly after the first
// entry of its kind (or at the end); members go under the entry named like their scope.
struct SymbolTreeModel::TypeOrder {
    std::list<int> order;
    std::unordered_map<int, std::list<int>::iterator> firstOfKind;
    QHash<QString, int> topByText;

    void place(std::vector<Node>& nodes, int index)
    {
        const int kind = nodes[size_t(index)].kind;
        auto first = kind >= 0 ? firstOfKind.find(kind) : firstOfKind.end();
        std::list<int>::iterator at;
        if (first == firstOfKind.end()) {
            at = order.insert(order.end(), index);
        } else {
            at = order.insert(std::next(first->second), index);
        }
        if (kind >= 0 && first == firstOfKind.end())
            firstOfKind.emplace(kind, at);
        if (!topByText.contains(nodes[size_t(index)].text))   // the first of a text is found
            topByText.insert(nodes[size_t(index)].text, index);
    }
};

SymbolTreeModel::SymbolTreeModel(QObject* parent) : QAbstractItemModel(parent) {}
SymbolTreeModel::~SymbolTreeModel() = default;

void SymbolTreeModel::beginTags()
{
    pending_.clear();
    arrival_.clear();
    byType_ = std::make_unique<TypeOrder>();
}

void SymbolTreeModel::AddTag(int, const TagRecord& tag)
{
    if (!byType_)
        beginTags();
    Node n;
    const QString name = tagText(tag.name);
    const QString scope = tag.hasScope ? tagText(tag.scope) : QString();
    n.kind = tag.kind;
    n.line = tag.line;
    n.image = kindImage(tag.kind);
    if (arrangement_ != ByType) {
        n.text = tag.hasScope ? scope + QStringLiteral("::") + name : name;
        pending_.push_back(std::move(n));
        arrival_.push_back(int(pending_.size() - 1));
        return;
    }
    n.text = name;
    if (!tag.hasScope) {
        pending_.push_back(std::move(n));
        byType_->place(pending_, int(pending_.size() - 1));
        return;
    }
    int group;
    auto found = byType_->topByText.find(scope);
    if (found != byType_->topByText.end()) {
        group = found.value();
    } else {
        Node g;
        g.text = scope;
        g.image = scope.startsWith(QLatin1Char('_')) ? kStructureImage : kClassImage;
        pending_.push_back(std::move(g));
        group = int(pending_.size() - 1);
        // The group follows the first top-level entry of its member's kind.
        auto first = byType_->firstOfKind.find(tag.kind);
        auto at = first == byType_->firstOfKind.end() ? byType_->order.end() : std::next(first->second);
        byType_->order.insert(at, group);
        byType_->topByText.insert(scope, group);
    }
    n.parent = group;
    pending_.push_back(std::move(n));
    pending_[size_t(group)].children.push_back(int(pending_.size() - 1));
}

void SymbolTreeModel::endTags()
{
    beginResetModel();
    nodes_ = std::move(pending_);
    pending_.clear();
    top_.clear();
    if (arrangement_ == ByType && byType_) {
        top_.assign(byType_->order.begin(), byType_->order.end());
    } else {
        top_ = std::move(arrival_);
        // Inserting each entry after the last one that is not greater keeps arrival order
        // among equals: a stable sort.
        if (arrangement_ == ByLine)
            std::stable_sort(top_.begin(), top_.end(),
                             [this](int a, int b) { return nodes_[size_t(a)].line < nodes_[size_t(b)].line; });
        else
            std::stable_sort(top_.begin(), top_.end(), [this](int a, int b) {
                return compareNoCase(nodes_[size_t(a)].text, nodes_[size_t(b)].text) < 0;
            });
    }
    arrival_.clear();
    byType_.reset();
    for (size_t r = 0; r < top_.size(); ++r)
        nodes_[size_t(top_[r])].row = int(r);
    for (Node& n : nodes_)
        for (size_t r = 0; r < n.children.size(); ++r)
            nodes_[size_t(n.children[r])].row = int(r);
    endResetModel();
}

void SymbolTreeModel::clear()
{
    beginResetModel();
    nodes_.clear();
    top_.clear();
    pending_.clear();
    arrival_.clear();
    byType_.reset();
    endResetModel();
}

const SymbolTreeModel::Node* SymbolTreeModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const quintptr id = index.internalId();
    return id < nodes_.size() ? &nodes_[id] : nullptr;
}

int SymbolTreeModel::lineOf(const QModelIndex& index) const
{
    const Node* n = nodeOf(index);
    return n && n->kind >= 0 ? n->line : -1;
}

QModelIndex SymbolTreeModel::findText(const QString& text) const
{
    for (int t : top_) {
        const Node& n = nodes_[size_t(t)];
        if (n.text == text)
            return createIndex(n.row, 0, quintptr(t));
        for (int c : n.children)
            if (nodes_[size_t(c)].text == text)
                return createIndex(nodes_[size_t(c)].row, 0, quintptr(c));
    }
    return QModelIndex();
}

QModelIndex SymbolTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return size_t(row) < top_.size() ? createIndex(row, 0, quintptr(top_[size_t(row)])) : QModelIndex();
    const Node* p = nodeOf(parent);
    if (!p || size_t(row) >= p->children.size())
        return QModelIndex();
    return createIndex(row, 0, quintptr(p->children[size_t(row)]));
}

QModelIndex SymbolTreeModel::parent(const QModelIndex& child) const
{
    const Node* n = nodeOf(child);
    if (!n || n->parent < 0)
        return QModelIndex();
    return createIndex(nodes_[size_t(n->parent)].row, 0, quintptr(n->parent));
}

int SymbolTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(top_.size());
    const Node* p = nodeOf(parent);
    return p ? int(p->children.size()) : 0;
}

int SymbolTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant SymbolTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* n = nodeOf(index);
    if (!n)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return n->text;
    case Qt::DecorationRole: return icons_ ? QVariant(icons_(n->image)) : QVariant();
    case LineRole: return n->kind >= 0 ? n->line : -1;
    case KindRole: return n->kind;
    case GroupRole: return n->kind < 0;
    case ImageRole: return n->image;
    default: return QVariant();
    }
}

// ---- the symbol search's list ----

SymbolListModel::SymbolListModel(QObject* parent) : QAbstractTableModel(parent) {}
SymbolListModel::~SymbolListModel() = default;

void SymbolListModel::beginTags()
{
    pending_.clear();
}

void SymbolListModel::AddTag(int, const TagRecord& tag)
{
    pending_.push_back({tagText(tag.name), tag.hasScope ? tagText(tag.scope) : QString(), tag.kind, tag.line});
}

void SymbolListModel::endTags()
{
    beginResetModel();
    rows_ = std::move(pending_);
    pending_.clear();
    endResetModel();
}

int SymbolListModel::lineAt(int row) const
{
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)].line : -1;
}

QString SymbolListModel::tagAt(int row) const
{
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)].tag : QString();
}

int SymbolListModel::firstWithPrefix(const QString& prefix) const
{
    if (prefix.isEmpty())
        return -1;
    for (size_t r = 0; r < rows_.size(); ++r)
        if (rows_[r].tag.startsWith(prefix, Qt::CaseInsensitive))
            return int(r);
    return -1;
}

int SymbolListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int SymbolListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant SymbolListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return QVariant();
    const Row& r = rows_[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ClassColumn: return r.scope;
        case TagColumn: return r.tag;
        case LineColumn: return QString::number(r.line);
        default: return QVariant();
        }
    }
    if (role == Qt::DecorationRole && index.column() == TagColumn && icons_)
        return icons_(r.kind >= 0 && r.kind < kKindCount ? kindImage(r.kind) : 0);
    return QVariant();
}

QVariant SymbolListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ClassColumn: return texts::str(1039, "Class");
    case TagColumn: return texts::str(1038, "Tag");
    case LineColumn: return texts::str(1040, "Line");
    default: return QVariant();
    }
}

} // namespace symbols
