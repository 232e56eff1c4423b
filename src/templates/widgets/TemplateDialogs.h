#pragma once
// The two dialogs of the template panel: Add Template Group and Edit Template. Both write
// through the template store when OK is pressed and stay open, with what the user typed,
// when the store refuses.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace templates {

class TemplateStore;

// Shows "Execute %s failure" for the store's last failure (error icon, SQLite's message as
// the title).
void reportFailure(QWidget* parent, const TemplateStore& store);

class CAddTempGroupDialog : public QDialog {
    Q_OBJECT
public:
    CAddTempGroupDialog(TemplateStore& store, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return m_name; }
    QPushButton* okButton() const { return m_ok; }
    // The group created (trimmed), after the dialog closed with OK.
    const QString& createdName() const { return m_created; }

    void accept() override;

private:
    TemplateStore& m_store;
    QLineEdit* m_name;
    QPushButton* m_ok;
    QString m_created;
};

class CEditTempDialog : public QDialog {
    Q_OBJECT
public:
    // With `id` below 0 the dialog adds an entry to `group` with `content`; otherwise it
    // edits the entry `id`.
    CEditTempDialog(TemplateStore& store, const QString& group, qint64 id, const QString& content = QString(),
                    QWidget* parent = nullptr);

    bool addMode() const { return m_id < 0; }
    QCheckBox* separatorBox() const { return m_separator; }
    QLineEdit* nameEdit() const { return m_name; }
    QPlainTextEdit* contentEdit() const { return m_content; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

private:
    void separatorToggled(bool on);

    TemplateStore& m_store;
    QString m_group;
    qint64 m_id;
    QCheckBox* m_separator;
    QLineEdit* m_name;
    QPlainTextEdit* m_content;
    QPushButton* m_ok;
};

} // namespace templates
