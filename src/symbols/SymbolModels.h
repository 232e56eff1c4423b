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
    void clear();
    bool isEmpty() const { return top_.empty(); }
    int entryCount() const { return int(nodes_.size()); }

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
    struct Node {
        QString text;
        int kind = -1;       // -1 for a scope group
        int line = -1;       // -1 for a scope group
        int image = 0;
        int parent = -1;
        int row = 0;
        std::vector<int> children;
    };
    const Node* nodeOf(const QModelIndex& index) const;

    int arrangement_ = ByLine;
    IconProvider icons_;
    std::vector<Node> nodes_;
    std::vector<int> top_;
    // Gathering a run.
    std::vector<Node> pending_;
    std::vector<int> arrival_;   // by name and by line: top-level entries in arrival order
    struct TypeOrder;
    std::unique_ptr<TypeOrder> byType_;
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

private:
    struct Row {
        QString tag, scope;
        int kind = 0;
        int line = 0;
    };
    IconProvider icons_;
    std::vector<Row> rows_, pending_;
};

} // namespace symbols
