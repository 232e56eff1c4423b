#pragma once
// The symbol search: the active document's tags in a table (Class, Tag, Line). Typing a
// name prefix selects the first tag that begins with it; Up and Down move the selection;
// OK or a double click jumps to the selected tag's line.
#include "symbols/CtagsRunner.h"
#include "symbols/SymbolModels.h"

#include <QDialog>

class QLineEdit;
class QTableView;

namespace symbols {

class CJumpToDialog : public QDialog {
    Q_OBJECT
public:
    enum Control { LabelId = 100, EditId = 101, ListId = 102 };
    explicit CJumpToDialog(QWidget* parent = nullptr);
    ~CJumpToDialog() override;

    // Tags the document; the rows appear when the tagger has finished.
    void tag(CtagsRequest request, const CtagsBounds& bounds = {});
    bool tagging() const { return job_.running(); }

    QLineEdit* edit() const { return edit_; }
    QTableView* list() const { return list_; }
    SymbolListModel* symbols() const { return model_; }
    int selectedRow() const;

    void accept() override;

signals:
    void tagFailed();
    void tagsShown();
    // Accepted with a row selected.
    void jumpRequested(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void filled(CtagsOutcome& outcome);
    void selectRow(int row);
    void textEdited(const QString& text);
    void layoutColumns();

    QLineEdit* edit_;
    QTableView* list_;
    SymbolListModel* model_;
    CtagsJob job_;
};

} // namespace symbols
