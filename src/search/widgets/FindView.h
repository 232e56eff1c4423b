#pragma once
// A find result view: a list of result lines beside a vertical strip of three buttons
// (abort, clear, open all). Find all and find in files fill it, in batches; a double click
// or Enter on a line asks for a jump to its file and line.
#include "search/ResultLine.h"

#include <QAbstractListModel>
#include <QWidget>

#include <atomic>
#include <vector>

class QListView;
class QToolButton;

namespace search {

class FindResultModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void clear();
    void append(std::vector<FindResultLine> batch);
    const FindResultLine& at(int row) const { return m_lines[size_t(row)]; }

private:
    std::vector<FindResultLine> m_lines;
};

class CFindView : public QWidget {
    Q_OBJECT
public:
    // `index` 0 is "Find Result 1", 1 "Find Result 2"; it chooses the colours.
    CFindView(int index, QWidget* parent = nullptr);

    int index() const { return m_index; }
    // Colours as stored in the settings (0x00BBGGRR).
    void setColours(int fore, int back);

    void clear();
    void addResult(const QString& file, int line, const QString& text, QObject* document = nullptr);
    void addPlainLine(const QString& text);
    // A batch of lines, appended at once and painted once (find in files feeds its queue here).
    void appendLines(std::vector<FindResultLine> batch);

    int count() const;
    const FindResultLine& line(int row) const { return m_model->at(row); }
    QListView* list() const { return m_list; }
    QToolButton* abortButton() const { return m_abort; }
    QToolButton* clearButton() const { return m_clear; }
    QToolButton* openAllButton() const { return m_openAll; }

    void beginSearch();
    void endSearch(const QString& statusText);
    // Read by a search worker; set to 1 by the abort button.
    std::atomic<int>& abortFlag() { return m_abortFlag; }

    // Jumps to entry `row`; Open all jumps to every entry in turn.
    void jump(int row);
    void openAll();

signals:
    void jumpRequested(const search::FindResultLine& line);
    void statusText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_index;
    FindResultModel* m_model;
    QListView* m_list;
    QToolButton* m_abort;
    QToolButton* m_clear;
    QToolButton* m_openAll;
    std::atomic<int> m_abortFlag{0};
};

} // namespace search

class QsciScintillaBase;

namespace search {
struct SearchOptions;
// Find all in one document into `view`: one line per match, added in batches so that the
// view repaints while it fills. Returns the count.
int findAllInto(CFindView& view, QsciScintillaBase& text, const QString& name, QObject* document,
                const SearchOptions& options);
}
