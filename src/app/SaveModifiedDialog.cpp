#include "app/SaveModifiedDialog.h"

#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CSaveModifiedDialog::CSaveModifiedDialog(QWidget* parent, const QList<SaveItem>& items)
    : QDialog(parent), m_answer(seams::IDCANCEL)
{
    setObjectName(QStringLiteral("saveModifiedDialog"));
    setWindowTitle(texts::str(1010, "Save"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(texts::str(1011, "Do you want to save changes to these modified items??"), this));
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({texts::str(1015, "Name"), texts::str(1016, "Descritpion"),
                             texts::str(1017, "Last Modified")});
    for (const SaveItem& item : items)
        m_list->addTopLevelItem(new QTreeWidgetItem({item.name, item.description, item.lastModified}));
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_list);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto add = [&](int text, const char* english, int answer) {
        auto* b = new QPushButton(texts::str(text, english), this);
        b->setObjectName(QStringLiteral("answer_%1").arg(answer));
        connect(b, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            done(answer == seams::IDCANCEL ? QDialog::Rejected : QDialog::Accepted);
        });
        buttons->addWidget(b);
        return b;
    };
    add(1012, "Yes", seams::IDYES)->setDefault(true);
    add(1013, "No", seams::IDNO);
    add(1014, "Cancel", seams::IDCANCEL);
    layout->addLayout(buttons);
    // Escape and the window's close button end the dialog as Cancel does.
    connect(this, &QDialog::rejected, this, [this] {
        if (m_answer != seams::IDNO && m_answer != seams::IDYES)
            m_answer = seams::IDCANCEL;
    });
}

namespace {

class DialogPrompt : public ISaveModifiedPrompt {
public:
    int ask(QWidget* parent, const QList<SaveItem>& items) override
    {
        CSaveModifiedDialog dialog(parent, items);
        dialog.exec();
        return dialog.answer();
    }
};

DialogPrompt g_dialogPrompt;
ISaveModifiedPrompt* g_prompt = nullptr;

} // namespace

ISaveModifiedPrompt& saveModifiedPrompt()
{
    return g_prompt ? *g_prompt : g_dialogPrompt;
}

void setSaveModifiedPrompt(ISaveModifiedPrompt* prompt)
{
    g_prompt = prompt;
}

ScriptedSaveModifiedPrompt::ScriptedSaveModifiedPrompt() : defaultAnswer(seams::IDCANCEL) {}

int ScriptedSaveModifiedPrompt::ask(QWidget*, const QList<SaveItem>& items)
{
    shown.push_back(items);
    if (answers.empty())
        return defaultAnswer;
    const int a = answers.front();
    answers.pop_front();
    return a;
}
