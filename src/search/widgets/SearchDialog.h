#pragma once
// The modeless Find and Replace dialogs. Each button press copies the controls into the
// shared search record, then runs its search in the active document (or in every open one).
#include "search/SearchHistory.h"
#include "search/SearchOptions.h"

#include <QDialog>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace search {

class SearchHost;

class SearchDialog : public QDialog {
    Q_OBJECT
public:
    enum Kind { Find = 4, Replace = 5 };

    SearchDialog(Kind kind, SearchHost& host, SearchOptions& options, QWidget* parent = nullptr);
    ~SearchDialog() override;

    Kind kind() const { return m_kind; }
    // Shows the options and texts anew, the search word (if any) as the find text, and
    // gives the find combo the focus.
    void prefill(const QString& word, bool haveWord);

    // A control by its number (101-127, 200, 201, 1, 2).
    QWidget* control(int id) const;
    QComboBox* findCombo() const { return m_find; }
    QComboBox* replaceCombo() const { return m_replace; }
    // The regular-expression helper menu of button 101 (find) or 121 (replace).
    QMenu* helperMenu(int buttonId);

    // Copies the controls into the search record.
    void readOptions();

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void addButton(int id, const char* english, void (SearchDialog::*slot)());
    void showOptions();
    void fillCombo(QComboBox* combo, const SearchHistory& history, const QString& current);
    void insertFragment(QComboBox* combo, int id);
    void notFound();
    void finished();

    void onFind();
    void onClose();
    void onFindAllCurrent();
    void onFindAllOpen();
    void onBookmark();
    void onMark();
    void onReplace();
    void onReplaceAll();
    void findAll(bool allOpen);

    Kind m_kind;
    SearchHost& m_host;
    SearchOptions& m_options;
    SearchHistory m_findHistory;
    SearchHistory m_replaceHistory;
    bool m_saved = false;
    QComboBox* m_find = nullptr;
    QComboBox* m_replace = nullptr;
    QToolButton* m_findHelper = nullptr;
    QToolButton* m_replaceHelper = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_searchUp = nullptr;
    QCheckBox* m_regExp = nullptr;
    QCheckBox* m_escapes = nullptr;
    QRadioButton* m_window1 = nullptr;
    QRadioButton* m_window2 = nullptr;
    QRadioButton* m_rangeCurrent = nullptr;
    QRadioButton* m_rangeSelection = nullptr;
    QRadioButton* m_rangeAllOpen = nullptr;
    QWidget* m_buttons = nullptr;
    QMenu* m_findMenu = nullptr;
    QMenu* m_replaceMenu = nullptr;
};

} // namespace search
