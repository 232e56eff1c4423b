#pragma once
// The question at start when documents with unsaved changes were left by a run that did
// not end normally: Recover opens them all, Discard deletes their backups, Later keeps them
// for the next start.
#include <QDateTime>
#include <QDialog>
#include <QString>

#include <vector>

class RecoveryDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { Later, Recover, Discard };
    struct Item {
        QString name;          // path, or the tab's title for a document without a file
        QDateTime time;        // when its text was backed up
        bool changedOnDisk = false;
    };

    RecoveryDialog(const std::vector<Item>& items, QWidget* parent);
    Choice choice() const { return m_choice; }

private:
    Choice m_choice = Later;
};
