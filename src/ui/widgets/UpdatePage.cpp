#include "ui/widgets/Pages.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace options {

namespace {
constexpr unsigned kAutoUpdate = 1u << 21;
}

void CUpdatePage::setup(QWidget* page)
{
    const Values v = m_host.values();
    auto* box = new QVBoxLayout(page);
    m_auto = check(page, 100, "Auto Update");
    m_auto->setChecked((v.editorMask & kAutoUpdate) != 0);
    watch(m_auto);
    box->addWidget(m_auto);
    auto* row = new QHBoxLayout;
    QLabel* every = label(page, -1, "Every");
    row->addWidget(every);
    m_interval = spin(page, 120, 1, 30, v.updateInterval);
    watch(m_interval);
    row->addWidget(m_interval);
    QLabel* days = label(page, -1, "days");
    row->addWidget(days);
    row->addStretch();
    box->addLayout(row);
    auto* now = new QPushButton(text(103, "Check Now"), page);
    now->setObjectName(QStringLiteral("id103"));
    now->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QObject::connect(now, &QPushButton::clicked, page, [this] { m_host.checkForUpdate(); });
    box->addWidget(now);
    box->addStretch();
    auto enable = [this, every, days](bool on) {
        every->setEnabled(on);
        m_interval->setEnabled(on);
        days->setEnabled(on);
    };
    enable(m_auto->isChecked());
    QObject::connect(m_auto, &QCheckBox::toggled, page, enable);
}

bool CUpdatePage::apply(QString* error)
{
    Values v = m_host.values();
    v.editorMask = withBits(v.editorMask, kAutoUpdate, m_auto->isChecked() ? kAutoUpdate : 0);
    v.updateInterval = m_interval->value();
    if (v.updateInterval < 1 || v.updateInterval > 30)
        v.updateInterval = 3;
    if (!m_host.store({{QStringLiteral("EDITOR"), QStringLiteral("EditorMask"), QString::number(int(v.editorMask))},
                       {QStringLiteral("UPDATE"), QStringLiteral("UpdateInterval"), QString::number(v.updateInterval)}})) {
        *error = storeFailed();
        return false;
    }
    m_host.valuesApplied(UpdatePage, v);
    return true;
}

} // namespace options
