#pragma once
// The question asked before several documents are closed at once (Close All, closing the
// editor): the modified documents in a list, answered with Yes (save them), No (close
// without saving) or Cancel (keep everything open).
#include <QDialog>
#include <QList>
#include <QString>

#include <deque>
#include <vector>

class QTreeWidget;

struct SaveItem {
    QString name;           // the file name
    QString description;    // the full path, or "New" for a document without a file
    QString lastModified;   // the file's time on disk, empty without a file
};

class CSaveModifiedDialog : public QDialog {
    Q_OBJECT
public:
    CSaveModifiedDialog(QWidget* parent, const QList<SaveItem>& items);
    // IDYES, IDNO or IDCANCEL (also when the dialog is closed).
    int answer() const { return m_answer; }
    QTreeWidget* list() const { return m_list; }

private:
    QTreeWidget* m_list = nullptr;
    int m_answer;
};

// How the question is put: the dialog, or a scripted stand-in in tests.
class ISaveModifiedPrompt {
public:
    virtual ~ISaveModifiedPrompt() = default;
    virtual int ask(QWidget* parent, const QList<SaveItem>& items) = 0;
};

ISaveModifiedPrompt& saveModifiedPrompt();
void setSaveModifiedPrompt(ISaveModifiedPrompt* prompt);   // nullptr restores the dialog

class ScriptedSaveModifiedPrompt : public ISaveModifiedPrompt {
public:
    std::vector<QList<SaveItem>> shown;
    std::deque<int> answers;   // popped in order; defaultAnswer when empty
    int defaultAnswer;
    ScriptedSaveModifiedPrompt();
    int ask(QWidget*, const QList<SaveItem>& items) override;
};
