#pragma once
// The template panel of the side panel: a group box over the list of the group's templates.
// A double click or Enter inserts a template into the active document; the list's context
// menu adds, edits and deletes templates and groups. The panel holds the database
// connection for its whole life.
#include "templates/MacroExpander.h"
#include "templates/TemplateStore.h"

#include <QListWidget>
#include <QWidget>

class QComboBox;
class QMenu;
class QsciScintillaBase;

namespace templates {

// What the panel needs from the editor around it.
class ITemplateHost {
public:
    virtual ~ITemplateHost() = default;
    // The active document's editing component, or nullptr (no document, or not a text view).
    virtual QsciScintillaBase* activeTextView() = 0;
    // The variables' sources for the active document.
    virtual MacroContext macroContext() = 0;
};

// The panel's list: a right click selects the row under the pointer (the last row when the
// pointer is below the rows) before the menu opens; Enter and a double click activate.
class CRListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void rowActivated(int row);
    void menuRequested(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

class CTemplateDocker : public QWidget {
    Q_OBJECT
public:
    // Opens `databasePath`; when that fails, says so once and runs without a database.
    CTemplateDocker(const QString& databasePath, ITemplateHost& host, QWidget* parent = nullptr);

    TemplateStore& store() { return m_store; }
    QComboBox* groupBox() const { return m_groups; }
    CRListBox* list() const { return m_list; }
    QString currentGroup() const;
    // The panel's menu (9), built once; its actions carry their ids (1000-1004) as data.
    QMenu* menu();

    // Colours as stored in the settings (0x00BBGGRR).
    void setColours(int fore, int back);

    // Lists the groups and selects `select` (compared without regard to case), else the first.
    void listGroups(const QString& select = QString());
    // Lists the current group again, keeping the selected row where possible.
    void listGroup();

    // Inserts the template of list row `row` / of entry `id` of the current group into the
    // active document, which gets the focus. False when nothing was inserted.
    bool insertRow(int row);
    bool insertTemplate(qint64 id);

    // The menu's commands (1000-1004) and Add Template with a given content (224).
    void runMenuCommand(int id);
    void addTemplate(const QString& content = QString());

signals:
    void groupChanged(const QString& group);

private:
    void showMenu(const QPoint& globalPos);
    void editTemplate();
    void deleteTemplate();
    void addGroup();
    void deleteGroup();

    TemplateStore m_store;
    ITemplateHost& m_host;
    QComboBox* m_groups;
    CRListBox* m_list;
    QMenu* m_menu = nullptr;
};

} // namespace templates
