#pragma once
// The modeless Find in Files dialog: the text, the file filter and the folder with their
// histories, the options, and the result view to fill. Find copies the controls into the
// shared search record, writes the histories, closes the dialog and asks for the search.
#include "search/SearchHistory.h"
#include "search/SearchOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace search {

class FindInFilesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 6;
    static constexpr int kMaxPath = 259;

    FindInFilesDialog(SearchOptions& options, QWidget* parent = nullptr);
    ~FindInFilesDialog() override;

    // Fills the dialog as it opens: the search word of the active document (if any), the
    // histories, and for a first use the active document's extension and folder.
    void prefill(const QString& word, bool haveWord, const QString& activePath);

    // A control by its number (101, 102, 103, 108, 109, 132, 133, 200, 202, 203, 1, 2).
    QWidget* control(int id) const;
    QComboBox* findCombo() const { return m_find; }
    QComboBox* filterCombo() const { return m_filter; }
    QComboBox* folderCombo() const { return m_folder; }

    // Copies the controls into the search record.
    void readOptions();

signals:
    // Find was pressed: the record holds the job; the dialog is closing.
    void findRequested();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void onFind();
    void onBrowse();
    void saveHistories();
    void updateFindButton();

    SearchOptions& m_options;
    SearchHistory m_findHistory;
    SearchHistory m_typeHistory;
    SearchHistory m_whereHistory;
    bool m_saved = false;
    QComboBox* m_find = nullptr;
    QComboBox* m_filter = nullptr;
    QComboBox* m_folder = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QRadioButton* m_window1 = nullptr;
    QRadioButton* m_window2 = nullptr;
    QPushButton* m_findButton = nullptr;
};

} // namespace search
