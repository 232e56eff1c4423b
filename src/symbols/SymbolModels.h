#pragma once
// The symbol tree of one document in its three arrangements (by type, by name, by line),
// and the flat list of the symbol search. Both are sinks for the tagger's tags: a run's
// tags are gathered between beginTags() and endTags() and shown at once.
#include "symbols/Tags.h"

#include <QAbstractItemModel>
#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <memory>
#include <vector>

namespace symbols {

// Tag names are UTF-8 when they are valid UTF-8, else bytes of the ANSI code page.
QString tagText(const std::string& bytes);

using IconProvider = std::function<QIcon(int image)>;

// One entry of a symbol tree: a tag, or a scope group holding tags.
struct SymbolNode {
    QString text;
    int kind = -1;       // -1 for a scope group
    int line = -1;       // -1 for a scope group
    int image = 0;
    int parent = -1;
    int row = 0;
    std::vector<int> children;
};

struct SymbolTreeData {
    std::vector<SymbolNode> nodes;
    std::vector<int> top;
    bool hasGroups = false;
};

// Arranges one run's tags; plain data, so a worker thread can do it.
class SymbolTreeBuilder : public ITagSink {
public:
    explicit SymbolTreeBuilder(int arrangement);
    ~SymbolTreeBuilder() override;
    void AddTag(int one, const TagRecord& tag) override;
    SymbolTreeData finish();

private:
    struct TypeOrder;
    int arrangement_;
    SymbolTreeData data_;
    std::vector<int> arrival_;   // by name and by line: top-level entries in arrival order
    std::unique_ptr<TypeOrder> byType_;
};

class SymbolTreeModel : public QAbstractItemModel, public ITagSink {
    Q_OBJECT
public:
    enum Arrangement { ByType = 0, ByName = 1, ByLine = 2 };
    enum Role { LineRole = Qt::UserRole + 1, KindRole, GroupRole, ImageRole };

    explicit SymbolTreeModel(QObject* parent = nullptr);
    ~SymbolTreeModel() override;

    int arrangement() const { return arrangement_; }
    // Takes effect with the next beginTags()/endTags().
    void setArrangement(int arrangement) { arrangement_ = arrangement; }
    void setIconProvider(IconProvider icons) { icons_ = std::move(icons); }

    void beginTags();
    void AddTag(int one, const TagRecord& tag) override;
    void endTags();
    // A tree arranged elsewhere (by a builder of this model's arrangement) is shown.
    void adopt(SymbolTreeData tree);
    void clear();
    bool isEmpty() const { return tree_.top.empty(); }
    bool hasGroups() const { return tree_.hasGroups; }
    int entryCount() const { return int(tree_.nodes.size()); }

    // The line of a tag entry; -1 for a scope group or an invalid index.
    int lineOf(const QModelIndex& index) const;
    // The first entry with this text, walking every entry in order.
    QModelIndex findText(const QString& text) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QModelIndex entry(int row, int node) const;
    const SymbolNode* nodeOf(const QModelIndex& index) const;

    int arrangement_ = ByLine;
    IconProvider icons_;
    SymbolTreeData tree_;
    std::unique_ptr<SymbolTreeBuilder> building_;
};

// The symbol search's rows, in tag order; columns Class, Tag, Line.
class SymbolListModel : public QAbstractTableModel, public ITagSink {
    Q_OBJECT
public:
    enum Column { ClassColumn = 0, TagColumn = 1, LineColumn = 2 };
    explicit SymbolListModel(QObject* parent = nullptr);
    ~SymbolListModel() override;

    void setIconProvider(IconProvider icons) { icons_ = std::move(icons); }
    void beginTags();
    void AddTag(int one, const TagRecord& tag) override;
    void endTags();

    int lineAt(int row) const;
    QString tagAt(int row) const;
    // The first row whose tag begins with `prefix`, case-insensitively; -1 when none.
    int firstWithPrefix(const QString& prefix) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    struct Row {
        QString tag, scope;
        int kind = 0;
        int line = 0;
    };
    static Row rowOf(const TagRecord& tag);
    // Rows made elsewhere (a worker thread) from the tags in their order are shown.
    void adopt(std::vector<Row> rows);

private:
    IconProvider icons_;
    std::vector<Row> rows_, pending_;
};

} // namespace symbols
