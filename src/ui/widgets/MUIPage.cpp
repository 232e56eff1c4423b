#include "ui/widgets/Pages.h"

#include "platform/Seams.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace options {

void CMUIPage::setup(QWidget* page)
{
    m_model = std::make_unique<ui::MuiPageModel>(m_host.languageFolder(),
                                                 m_host.readString(QStringLiteral("EDITOR"), QStringLiteral("MUI")));
    auto* box = new QVBoxLayout(page);
    m_list = new QListWidget(page);
    m_list->setObjectName(QStringLiteral("languages"));
    m_list->addItems(m_model->rows());
    m_list->setCurrentRow(m_model->current());
    box->addWidget(m_list);
    QObject::connect(m_list, &QListWidget::currentRowChanged, m_list, [this](int row) {
        if (row >= 0 && m_model->select(row))
            markChanged();
    });
}

bool CMUIPage::apply(QString* error)
{
    if (!m_model->changed())
        return true;
    if (!m_host.store({{QStringLiteral("EDITOR"), QStringLiteral("MUI"), m_model->value()}})) {
        *error = storeFailed();
        return false;
    }
    // The translation is loaded at start: the choice takes effect after a restart.
    seams::message(m_list->window(), ui::MuiPageModel::restartMessage(), seams::MB_OK | seams::MB_ICONINFORMATION);
    m_model = std::make_unique<ui::MuiPageModel>(m_host.languageFolder(), m_model->value());
    return true;
}

} // namespace options
