#pragma once
// The Go to Line dialog: asks for a line number between 1 and the line count.
#include <QDialog>

class QLabel;
class QLineEdit;

class CGoToLineDialog : public QDialog {
    Q_OBJECT
public:
    CGoToLineDialog(QWidget* parent, long lineCount);

    // The number typed: an empty or non-numeric entry counts as 0.
    long number() const;
    // Shows the dialog: the number on OK, -1 on Cancel.
    static long ask(QWidget* parent, long lineCount);

private:
    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
};

class CTextView;
namespace marks {
// Go to (407): asks for a line and moves the caret to it (kept within the text).
void goToLine(CTextView& view);
}
