#pragma once
// The options dialog: the page list on the left, a title band with the selected page's
// name, the page area, and OK, Cancel and Apply. Pages are made when first selected and
// apply only when they were changed.
#include "ui/widgets/OptionsPage.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QListWidget;
class QPushButton;

namespace options {

// The pages offered, in list order. Adding a page is one entry here.
struct PageEntry {
    int dialogId;
    std::function<std::unique_ptr<COptionsPage>(OptionsHost&)> make;
};
const std::vector<PageEntry>& pageList();

// The page a command opens the dialog at (the first page when the command names none).
int pageForCommand(int command);

// The band above the page area: a gradient from dark grey to the button face with the
// selected page's name in white.
class COptionsTitle : public QWidget {
    Q_OBJECT
public:
    explicit COptionsTitle(QWidget* parent = nullptr);
    void setTitle(const QString& title);
    QString title() const { return m_title; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
};

class COptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Opens at page `startPage` (a dialog number; the first page when not listed).
    COptionsDialog(OptionsHost& host, int startPage, QWidget* parent = nullptr);
    ~COptionsDialog() override;

    // The dialog number of the page shown.
    int currentPage() const;
    // Selects a page as a click in the list does.
    void selectPage(int dialogId);
    COptionsPage* page(int dialogId) const;
    QPushButton* applyButton() const { return m_apply; }
    // Whether the Edit page applied since the dialog opened.
    bool editApplied() const { return m_editApplied; }

    void accept() override;
    void reject() override;
    void done(int result) override;

private:
    void showPage(int row);
    // Applies every changed page; failures are shown together. True when all applied.
    bool applyChanged();

    OptionsHost& m_host;
    std::vector<std::unique_ptr<COptionsPage>> m_pages;
    QListWidget* m_list = nullptr;
    COptionsTitle* m_title = nullptr;
    QWidget* m_area = nullptr;
    QPushButton* m_apply = nullptr;
    int m_shown = -1;
    bool m_editApplied = false;
};

} // namespace options
