#include "ui/widgets/ColorButton.h"
#include "ui/widgets/Pages.h"

#include <QGridLayout>
#include <QLabel>

namespace options {

namespace {
const QString kEditor = QStringLiteral("EDITOR");
// Rows: label, foreground button and key, background button and key.
struct Row {
    const char* label;
    int foreId;
    const char* foreKey;
    int backId;
    const char* backKey;
};
const Row kRows[4] = {
    {"Template", 121, "TemplateFore", 125, "TemplateBack"},
    {"Symbol", 122, "SymbolFore", 126, "SymbolBack"},
    {"Find Result 1", 124, "Find1Fore", 127, "Find1Back"},
    {"Find Result 2", 123, "Find2Fore", 120, "Find2Back"},
};
int* field(Values& v, int i)
{
    int* fields[8] = {&v.templateFore, &v.templateBack, &v.symbolFore, &v.symbolBack,
                      &v.find1Fore, &v.find1Back, &v.find2Fore, &v.find2Back};
    return fields[i];
}
} // namespace

void CColorPage::setup(QWidget* page)
{
    Values v = m_host.values();
    auto* grid = new QGridLayout(page);
    grid->addWidget(label(page, -1, "Foreground"), 0, 1);
    grid->addWidget(label(page, -1, "Background"), 0, 2);
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(label(page, -1, kRows[r].label), r + 1, 0);
        for (int k = 0; k < 2; ++k) {
            CColorButton* b = colorButton(page, k == 0 ? kRows[r].foreId : kRows[r].backId);
            b->setDefaultColor(*field(v, r * 2 + k));
            watch(b);
            grid->addWidget(b, r + 1, k + 1);
            m_buttons[r * 2 + k] = b;
        }
    }
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(3, 1);
}

bool CColorPage::apply(QString* error)
{
    Values v = m_host.values();
    QList<SettingWrite> writes;
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 2; ++k) {
            const int c = m_buttons[r * 2 + k]->color();
            *field(v, r * 2 + k) = c;
            writes.push_back({kEditor, QString::fromLatin1(k == 0 ? kRows[r].foreKey : kRows[r].backKey),
                              QString::number(c)});
        }
    if (!m_host.store(writes)) {
        *error = storeFailed();
        return false;
    }
    m_host.valuesApplied(ColorPage, v);
    return true;
}

} // namespace options
