#include "documents/text/GoToLineDialog.h"

#include "documents/text/TextView.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

CGoToLineDialog::CGoToLineDialog(QWidget* parent, long lineCount) : QDialog(parent)
{
    setObjectName(QStringLiteral("goToLineDialog"));
    setWindowTitle(QStringLiteral("Go to Line"));
    auto* layout = new QVBoxLayout(this);
    m_prompt = new QLabel(QStringLiteral("Enter Line Number (1 - %d):").replace(QLatin1String("%d"), QString::number(lineCount)), this);
    m_edit = new QLineEdit(this);
    m_prompt->setBuddy(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    m_edit->setFocus();
}

long CGoToLineDialog::number() const
{
    bool ok = false;
    const long n = m_edit->text().trimmed().toLong(&ok);
    return ok ? n : 0;
}

long CGoToLineDialog::ask(QWidget* parent, long lineCount)
{
    CGoToLineDialog dialog(parent, lineCount);
    return dialog.exec() == QDialog::Accepted ? dialog.number() : -1;
}

namespace marks {

void goToLine(CTextView& view)
{
    using SB = QsciScintillaBase;
    const long lines = long(view.SendScintilla(SB::SCI_GETLINECOUNT));
    const long n = CGoToLineDialog::ask(&view, lines);
    if (n == -1)
        return;
    const long line = n - 1;
    view.ensureVisibleEnforcePolicy(std::clamp(line, 0L, lines - 1));
    view.SendScintilla(SB::SCI_GOTOLINE, static_cast<unsigned long>(std::max(line, 0L)));
    view.setFocus();
}

} // namespace marks
