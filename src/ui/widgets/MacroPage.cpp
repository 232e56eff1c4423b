#include "ui/widgets/Pages.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace options {

namespace {
const QString kUser = QStringLiteral("USER");
struct Field {
    int id;
    const char* label;
    const char* key;
    const char* def;
};
const Field kFields[3] = {
    {120, "&User::", "USER", "YourName"},
    {121, "Company:", "COMPANY", "YourCompany"},
    {122, "Email:", "EMAIL", "YourEmail"},
};
} // namespace

void CMacroPage::setup(QWidget* page)
{
    auto* grid = new QGridLayout(page);
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(label(page, -1, kFields[i].label), i, 0);
        auto* e = new QLineEdit(page);
        e->setObjectName(QStringLiteral("id%1").arg(kFields[i].id));
        e->setMaxLength(259);
        e->setText(m_host.readString(kUser, QString::fromLatin1(kFields[i].key), QString::fromLatin1(kFields[i].def)));
        watch(e);
        grid->addWidget(e, i, 1);
        m_fields[i] = e;
    }
    auto* help = new QPlainTextEdit(page);
    help->setObjectName(QStringLiteral("id123"));
    help->setReadOnly(true);
    help->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    help->setLineWrapMode(QPlainTextEdit::NoWrap);
    help->setPlainText(text(123,
        "Template variables, for the file /home/user/readme.txt\n"
        "at 2008-08-08 21:58:\n"
        "$(FILE)              /home/user/readme.txt\n"
        "$(FILENAME)          readme.txt\n"
        "$(FILE_PATH)         /home/user\n"
        "$(FILE_BASE)         readme\n"
        "$(FILE_EXT)          txt\n"
        "$(LINE)              the caret line\n"
        "$(YEAR)              2008\n"
        "$(MONTH)             8\n"
        "$(MONTH_02)          08\n"
        "$(MONTHNAME)         Aug\n"
        "$(DAY)               8\n"
        "$(DAY_02)            08\n"
        "$(HOUR)              21\n"
        "$(HOUR_02)           21\n"
        "$(MINUTE)            58\n"
        "$(DATE)              2008-08-08\n"
        "$(DATENAME)          Aug-08-2008\n"
        "$(USER) $(COMPANY) $(EMAIL)  the fields above\n"
        "$(LOWER(FILE_EXT))   txt\n"
        "$(UPPER(FILE_EXT))   TXT"));
    grid->addWidget(help, 3, 0, 1, 2);
    grid->setRowStretch(3, 1);
}

bool CMacroPage::apply(QString* error)
{
    QList<SettingWrite> writes;
    for (int i = 0; i < 3; ++i) {
        const QString value = m_fields[i]->text().trimmed();
        if (!value.isEmpty())   // an emptied field leaves the stored value as it was
            writes.push_back({kUser, QString::fromLatin1(kFields[i].key), value});
    }
    if (!m_host.store(writes)) {
        *error = storeFailed();
        return false;
    }
    m_host.valuesApplied(MacroPage, m_host.values());
    return true;
}

} // namespace options
