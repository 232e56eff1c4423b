#include "templates/widgets/TemplateDialogs.h"

#include "platform/Seams.h"
#include "templates/TemplateStore.h"
#include "templates/TemplateTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace templates {

namespace {

QDialogButtonBox* okCancel(QDialog* d, QPushButton*& ok)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("ok"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return buttons;
}

// The edit holds lines ending in LF; the store keeps CR LF.
QString toStored(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QString toEdit(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void reportFailure(QWidget* parent, const TemplateStore& store)
{
    const TemplateStore::Failure& f = store.lastFailure();
    seams::message(parent, texts::str(StrExecuteFailure, "Execute %s failure").replace(QLatin1String("%s"), f.statement),
                   f.error.isEmpty() ? texts::str(1, "Velmo") : f.error, seams::MB_OK | seams::MB_ICONERROR);
}

CAddTempGroupDialog::CAddTempGroupDialog(TemplateStore& store, QWidget* parent) : QDialog(parent), m_store(store)
{
    setWindowTitle(texts::dialog(DlgAddGroup, 0, "Add Template Group"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(TemplateStore::MaxGroupNameLength);
    auto* form = new QFormLayout;
    form->addRow(texts::dialog(DlgAddGroup, 101, "Name: "), m_name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this, m_ok));
    m_name->setFocus();
    resize(320, sizeHint().height());
}

void CAddTempGroupDialog::accept()
{
    const QString name = TemplateStore::trimGroupName(m_name->text());
    if (name.isEmpty()) {
        m_name->clear();
        m_name->setFocus();
        return;
    }
    if (!m_store.createGroup(name)) {
        reportFailure(this, m_store);
        m_name->setFocus();
        return;
    }
    m_created = name;
    QDialog::accept();
}

CEditTempDialog::CEditTempDialog(TemplateStore& store, const QString& group, qint64 id, const QString& content,
                                 QWidget* parent)
    : QDialog(parent), m_store(store), m_group(group), m_id(id)
{
    setWindowTitle(addMode() ? texts::str(StrAddTemplateTitle, "Add Template")
                             : texts::dialog(DlgEditTemplate, 0, "Edit Template"));
    m_separator = new QCheckBox(texts::dialog(DlgEditTemplate, 100, "Separator"), this);
    m_separator->setObjectName(QStringLiteral("separator"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(TemplateStore::MaxNameLength);
    m_content = new QPlainTextEdit(this);
    m_content->setObjectName(QStringLiteral("content"));
    m_content->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_content->setTabChangesFocus(false);
    m_content->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(texts::dialog(DlgEditTemplate, 121, "Name:"), this));
    top->addWidget(m_name, 1);
    top->addWidget(m_separator);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_content, 1);
    layout->addWidget(okCancel(this, m_ok));
    connect(m_separator, &QCheckBox::toggled, this, &CEditTempDialog::separatorToggled);
    resize(440, 320);

    if (addMode()) {
        m_content->setPlainText(toEdit(content));
        m_name->setFocus();
    } else {
        if (std::optional<TemplateEntry> e = m_store.read(m_group, m_id)) {
            m_separator->setChecked(e->gap);
            m_name->setText(e->name);
            m_content->setPlainText(toEdit(e->content));
        } else if (!m_store.lastFailure().statement.isEmpty()) {
            reportFailure(parent, m_store);
        }
        m_content->setFocus();
    }
    separatorToggled(m_separator->isChecked());
}

void CEditTempDialog::separatorToggled(bool on)
{
    m_name->setEnabled(!on);
    m_content->setEnabled(!on);
}

void CEditTempDialog::accept()
{
    const bool gap = m_separator->isChecked();
    if (m_name->text().isEmpty() && !gap) {
        seams::message(this, texts::str(StrEmptyName, "Template name cannot be empty."), texts::str(1, "Velmo"),
                       seams::MB_OK);
        m_name->setFocus();
        return;
    }
    const QString content = toStored(m_content->toPlainText());
    const bool ok = addMode() ? m_store.add(m_group, gap, m_name->text(), content) >= 0
                              : m_store.update(m_group, m_id, gap, m_name->text(), content);
    if (!ok) {
        reportFailure(this, m_store);
        return;   // the user's text stays for another try
    }
    QDialog::accept();
}

} // namespace templates
