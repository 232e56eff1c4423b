#include "symbols/SymbolModels.h"

#include "platform/CodePage.h"
#include "platform/Texts.h"

#include <QByteArrayView>
#include <QHash>

#include <algorithm>

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
// Entries that go after the first of a kind end up there in the reverse of their arrival,
// so the list is kept as the entries that went to the end, each first of a kind followed
// (when the list is read) by what went after it.
struct SymbolTreeBuilder::TypeOrder {
    std::vector<int> ends;                       // entries put at the end, in order
    std::vector<std::vector<int>> after;         // per kind: entries put after its first
    std::vector<int> firstOfKind;                // per kind: its first entry, or -1
    QHash<QString, int> topByText;               // the first top-level entry of each text

    TypeOrder() : after(kKindCount), firstOfKind(kKindCount, -1) {}

    // Places a new top-level entry: `kind` is its own kind for a tag, its member's kind for
    // a scope group (which is never the first of a kind).
    void place(const std::vector<SymbolNode>& nodes, int index, int kind, bool group)
    {
        const bool known = kind >= 0 && kind < kKindCount;
        if (known && firstOfKind[size_t(kind)] >= 0) {
            after[size_t(kind)].push_back(index);
        } else {
            ends.push_back(index);
            if (known && !group)
                firstOfKind[size_t(kind)] = index;
        }
        // The first of a text is the one found (a group's text was looked for and is new).
        const QString& text = nodes[size_t(index)].text;
        if (group || !topByText.contains(text))
            topByText.insert(text, index);
    }

    std::vector<int> list(const std::vector<SymbolNode>& nodes) const
    {
        std::vector<int> out;
        out.reserve(nodes.size());
        for (int e : ends) {
            out.push_back(e);
            const int kind = nodes[size_t(e)].kind;
            if (kind >= 0 && kind < kKindCount && firstOfKind[size_t(kind)] == e)
                out.insert(out.end(), after[size_t(kind)].rbegin(), after[size_t(kind)].rend());
        }
        return out;
    }
};

SymbolTreeBuilder::SymbolTreeBuilder(int arrangement)
    : arrangement_(arrangement), byType_(std::make_unique<TypeOrder>())
{
}

SymbolTreeBuilder::~SymbolTreeBuilder() = default;

void SymbolTreeBuilder::AddTag(int, const TagRecord& tag)
{
    std::vector<SymbolNode>& nodes = data_.nodes;
    SymbolNode n;
    const QString name = tagText(tag.name);
    const QString scope = tag.hasScope ? tagText(tag.scope) : QString();
    n.kind = tag.kind;
    n.line = tag.line;
    n.image = kindImage(tag.kind);
    if (arrangement_ != SymbolTreeModel::ByType) {
        n.text = tag.hasScope ? scope + QStringLiteral("::") + name : name;
        nodes.push_back(std::move(n));
        arrival_.push_back(int(nodes.size() - 1));
        return;
    }
    n.text = name;
    if (!tag.hasScope) {
        nodes.push_back(std::move(n));
        byType_->place(nodes, int(nodes.size() - 1), tag.kind, false);
        return;
    }
    int group;
    auto found = byType_->topByText.find(scope);
    if (found != byType_->topByText.end()) {
        group = found.value();
    } else {
        SymbolNode g;
        g.text = scope;
        g.image = scope.startsWith(QLatin1Char('_')) ? kStructureImage : kClassImage;
        nodes.push_back(std::move(g));
        group = int(nodes.size() - 1);
        // The group follows the first top-level entry of its member's kind.
        byType_->place(nodes, group, tag.kind, true);
    }
    n.parent = group;
    nodes.push_back(std::move(n));
    nodes[size_t(group)].children.push_back(int(nodes.size() - 1));
    data_.hasGroups = true;
}

SymbolTreeData SymbolTreeBuilder::finish()
{
    std::vector<SymbolNode>& nodes = data_.nodes;
    std::vector<int>& top = data_.top;
    if (arrangement_ == SymbolTreeModel::ByType) {
        top = byType_->list(nodes);
    } else {
        top = std::move(arrival_);
        // Inserting each entry after the last one that is not greater keeps arrival order
        // among equals: a stable sort.
        if (arrangement_ == SymbolTreeModel::ByLine)
            std::stable_sort(top.begin(), top.end(),
                             [&nodes](int a, int b) { return nodes[size_t(a)].line < nodes[size_t(b)].line; });
        else
            std::stable_sort(top.begin(), top.end(), [&nodes](int a, int b) {
                return compareNoCase(nodes[size_t(a)].text, nodes[size_t(b)].text) < 0;
            });
    }
    for (size_t r = 0; r < top.size(); ++r)
        nodes[size_t(top[r])].row = int(r);
    for (SymbolNode& n : nodes)
        for (size_t r = 0; r < n.children.size(); ++r)
            nodes[size_t(n.children[r])].row = int(r);
    SymbolTreeData out = std::move(data_);
    data_ = SymbolTreeData();
    arrival_.clear();
    byType_ = std::make_unique<TypeOrder>();
    return out;
}

SymbolTreeModel::SymbolTreeModel(QObject* parent) : QAbstractItemModel(parent) {}
SymbolTreeModel::~SymbolTreeModel() = default;

void SymbolTreeModel::beginTags()
{
    building_ = std::make_unique<SymbolTreeBuilder>(arrangement_);
}

void SymbolTreeModel::AddTag(int one, const TagRecord& tag)
{
    if (!building_)
        beginTags();
    building_->AddTag(one, tag);
}

void SymbolTreeModel::endTags()
{
    if (!building_)
        beginTags();
    adopt(building_->finish());
    building_.reset();
}

void SymbolTreeModel::adopt(SymbolTreeData tree)
{
    beginResetModel();
    tree_ = std::move(tree);
    endResetModel();
}

void SymbolTreeModel::clear()
{
    building_.reset();
    adopt(SymbolTreeData());
}

// An index's internal id is its node's number scrambled (an odd multiplier, undone by its
// inverse): Qt hashes an index by row plus internal id, and plain node numbers next to
// row numbers crowd the hash table that holds the view's expanded entries.
namespace {
constexpr quint64 kIdMix = 0x9E3779B97F4A7C15ull;
constexpr quint64 inverseOf(quint64 a)
{
    quint64 x = a;   // Newton's iteration: each step doubles the correct low bits
    for (int i = 0; i < 6; ++i)
        x *= 2 - a * x;
    return x;
}
constexpr quint64 kIdUnmix = inverseOf(kIdMix);
static_assert(kIdMix * kIdUnmix == 1);
quintptr idOf(int node) { return quintptr(quint64(node) * kIdMix); }
} // namespace

QModelIndex SymbolTreeModel::entry(int row, int node) const
{
    return createIndex(row, 0, idOf(node));
}

const SymbolNode* SymbolTreeModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const quint64 id = quint64(index.internalId()) * kIdUnmix;
    return id < tree_.nodes.size() ? &tree_.nodes[size_t(id)] : nullptr;
}

int SymbolTreeModel::lineOf(const QModelIndex& index) const
{
    const SymbolNode* n = nodeOf(index);
    return n && n->kind >= 0 ? n->line : -1;
}

QModelIndex SymbolTreeModel::findText(const QString& text) const
{
    for (int t : tree_.top) {
        const SymbolNode& n = tree_.nodes[size_t(t)];
        if (n.text == text)
            return entry(n.row, t);
        for (int c : n.children)
            if (tree_.nodes[size_t(c)].text == text)
                return entry(tree_.nodes[size_t(c)].row, c);
    }
    return QModelIndex();
}

QModelIndex SymbolTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return size_t(row) < tree_.top.size() ? entry(row, tree_.top[size_t(row)]) : QModelIndex();
    const SymbolNode* p = nodeOf(parent);
    if (!p || size_t(row) >= p->children.size())
        return QModelIndex();
    return entry(row, p->children[size_t(row)]);
}

QModelIndex SymbolTreeModel::parent(const QModelIndex& child) const
{
    const SymbolNode* n = nodeOf(child);
    if (!n || n->parent < 0)
        return QModelIndex();
    return entry(tree_.nodes[size_t(n->parent)].row, n->parent);
}

int SymbolTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(tree_.top.size());
    const SymbolNode* p = nodeOf(parent);
    return p ? int(p->children.size()) : 0;
}

int SymbolTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant SymbolTreeModel::data(const QModelIndex& index, int role) const
{
    const SymbolNode* n = nodeOf(index);
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

SymbolListModel::Row SymbolListModel::rowOf(const TagRecord& tag)
{
    return {tagText(tag.name), tag.hasScope ? tagText(tag.scope) : QString(), tag.kind, tag.line};
}

void SymbolListModel::AddTag(int, const TagRecord& tag)
{
    pending_.push_back(rowOf(tag));
}

void SymbolListModel::endTags()
{
    adopt(std::move(pending_));
    pending_.clear();
}

void SymbolListModel::adopt(std::vector<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
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
