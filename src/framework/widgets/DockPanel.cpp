#include "framework/widgets/DockPanel.h"

#include <QLabel>
#include <QTabBar>
#include <QTabWidget>

namespace framework {

namespace {
const char* const kPlaceholder = "velmoPlaceholder";
}

DockPanel::DockPanel(const QString& objectName, QWidget* parent)
    : QDockWidget(parent), m_tabs(new QTabWidget(this))
{
    setObjectName(objectName);
    m_tabs->setObjectName(objectName + QStringLiteral("_tabs"));
    m_tabs->setMovable(true);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(true);
    // The dock area, not the pages, decides how thin the panel may be.
    m_tabs->setMinimumSize(1, 1);
    setWidget(m_tabs);
    // The title names the page in front.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int at) {
        if (at >= 0)
            setWindowTitle(m_tabs->tabText(at));
    });
}

void DockPanel::addPage(int id, const QString& title, QWidget* page)
{
    if (!page) {
        auto* label = new QLabel(title);
        label->setAlignment(Qt::AlignCenter);
        label->setEnabled(false);
        label->setMinimumSize(1, 1);
        label->setProperty(kPlaceholder, true);
        page = label;
    }
    const int at = m_tabs->addTab(page, title);
    m_tabs->tabBar()->setTabData(at, id);
}

bool DockPanel::setPage(int id, QWidget* page)
{
    const int at = positionOf(id);
    if (at < 0 || !page)
        return false;
    QWidget* old = m_tabs->widget(at);
    const QString title = m_tabs->tabText(at);
    const bool wasCurrent = m_tabs->currentIndex() == at;
    m_tabs->insertTab(at, page, title);
    m_tabs->tabBar()->setTabData(at, id);
    m_tabs->removeTab(at + 1);
    if (wasCurrent)
        m_tabs->setCurrentIndex(at);
    if (old && old->property(kPlaceholder).toBool())
        old->deleteLater();
    return true;
}

QWidget* DockPanel::page(int id) const
{
    const int at = positionOf(id);
    return at < 0 ? nullptr : m_tabs->widget(at);
}

int DockPanel::count() const
{
    return m_tabs->count();
}

int DockPanel::positionOf(int id) const
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabBar()->tabData(i).toInt() == id)
            return i;
    return -1;
}

int DockPanel::idAt(int position) const
{
    if (position < 0 || position >= m_tabs->count())
        return -1;
    return m_tabs->tabBar()->tabData(position).toInt();
}

int DockPanel::currentId() const
{
    return idAt(m_tabs->currentIndex());
}

int DockPanel::currentPosition() const
{
    return m_tabs->currentIndex();
}

void DockPanel::selectId(int id)
{
    selectPosition(positionOf(id));
}

void DockPanel::selectPosition(int position)
{
    if (position >= 0 && position < m_tabs->count())
        m_tabs->setCurrentIndex(position);
}

int DockPanel::dockedExtent(Qt::DockWidgetArea area) const
{
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea ? height() : width();
}

} // namespace framework
