#pragma once
// The symbol panel: one symbol tree per document opened from a file, the active
// document's tree in front. Trees are filled by the tagger off the UI thread; a click on a
// symbol asks for a jump to its line.
#include "symbols/CtagsRunner.h"
#include "symbols/SymbolModels.h"

#include <QHash>
#include <QPointer>
#include <QTreeView>
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;
class QStackedWidget;

namespace symbols {

class CTagsTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    CTagsTreeCtrl(QObject* document, QWidget* parent = nullptr);

    QObject* document() const { return document_; }
    SymbolTreeModel* symbols() const { return model_; }
    CtagsJob& job() { return job_; }
    int arrangement() const { return model_->arrangement(); }

    // The text of the entry selected when the last rebuild began.
    QString remembered;
    bool stale = false;     // the document's text changed since the last run
    bool queued = false;    // waiting for a free run

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QObject> document_;
    SymbolTreeModel* model_;
    CtagsJob job_;
};

class CFunctionDocker : public QWidget {
    Q_OBJECT
public:
    // Context menu commands (menu 3).
    enum MenuId { ByType = 1000, ByName = 1001, ByLine = 1002, CollapseAll = 1003, ExpandAll = 1004,
                  SearchSymbols = 408 };
    // What to tag for a document: its path, lexer and, when changed, its text. Nothing
    // for a document that is not to be tagged (no file, hex view).
    using RequestProvider = std::function<std::optional<CtagsRequest>(QObject* document)>;

    explicit CFunctionDocker(QWidget* parent = nullptr);
    ~CFunctionDocker() override;

    void setRequestProvider(RequestProvider provider) { provider_ = std::move(provider); }
    // Colours as stored in the settings (0x00BBGGRR).
    void setColours(int fore, int back);
    void setBounds(const CtagsBounds& bounds) { bounds_ = bounds; }

    // A document opened from a file: its tree is made and filled; shown when `show`.
    void createTree(QObject* document, bool show);
    // The document became active: its tree comes to the front (retagged when its text
    // changed since); a document without a tree leaves the panel empty.
    void showTree(QObject* document);
    // After a save: the tree is filled anew, keeping the selected entry.
    void rebuildTree(QObject* document);
    void destroyTree(QObject* document);
    // The document's text changed: it is retagged when it next comes to the front.
    void markChanged(QObject* document);

    CTagsTreeCtrl* tree(QObject* document) const { return trees_.value(document); }
    CTagsTreeCtrl* currentTree() const { return current_; }
    int treeCount() const { return int(trees_.size()); }
    bool busy() const;

    void setArrangement(int arrangement);
    void expandTopLevel(bool expand);
    // Opens menu 3 at a screen position without waiting.
    QMenu* showContextMenu(const QPoint& globalPos);

    // Shows an arranged tree in a tree control with its groups expanded.
    static void present(CTagsTreeCtrl* tree, SymbolTreeData data);

signals:
    void jumpRequested(int line);
    void searchRequested();
    void tagFailed();
    void treeFilled(QObject* document);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void schedule(CTagsTreeCtrl* tree);
    void startQueued();
    void filled(CTagsTreeCtrl* tree, CtagsOutcome& outcome);
    void activated(const QModelIndex& index);

    RequestProvider provider_;
    CtagsBounds bounds_;
    QStackedWidget* stack_;
    QWidget* empty_;
    QHash<QObject*, CTagsTreeCtrl*> trees_;
    QPointer<CTagsTreeCtrl> current_;
    QList<QPointer<CTagsTreeCtrl>> queue_;
    int fore_ = 0, back_ = 0xFFFFFF;
};

} // namespace symbols
