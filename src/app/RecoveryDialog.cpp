#include "app/RecoveryDialog.h"

#include "platform/Texts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RecoveryDialog::RecoveryDialog(const std::vector<Item>& items, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RecoveryDialog"));
    setWindowTitle(texts::str(1, "Velmo"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(texts::str(2130, "Velmo did not end normally. These documents had changes that were not saved:"), this);
    label->setWordWrap(true);
    layout->addWidget(label);

    auto* list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("recoverList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({texts::str(2131, "Document"), texts::str(2132, "Backed up"), QString()});
    for (const Item& item : items) {
        auto* row = new QTreeWidgetItem(list);
        row->setText(0, item.name);
        row->setText(1, QLocale().toString(item.time.toLocalTime(), QLocale::ShortFormat));
        if (item.changedOnDisk)
            row->setText(2, texts::str(2133, "The file changed on disk since."));
    }
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setStretchLastSection(false);
    list->resizeColumnToContents(1);
    list->resizeColumnToContents(2);
    layout->addWidget(list);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const auto add = [&](int id, const char* english, const char* name, Choice choice) {
        auto* b = new QPushButton(texts::str(id, english), this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, choice] {
            m_choice = choice;
            choice == Later ? reject() : accept();
        });
        buttons->addWidget(b);
        return b;
    };
    add(2134, "Recover", "recover", Recover)->setDefault(true);
    add(2135, "Discard", "discard", Discard);
    add(2136, "Later", "later", Later);
    layout->addLayout(buttons);
    resize(640, 300);
}
