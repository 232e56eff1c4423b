#include "templates/widgets/AutoListBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

namespace templates {

namespace {
QPointer<CAutoListBox> g_current;
}

CAutoListBox::CAutoListBox(QWidget* owner) : QListWidget(owner)
{
    setObjectName(QStringLiteral("CAutoListBox"));
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFixedSize(Width, Height);
}

CAutoListBox* CAutoListBox::current()
{
    return g_current.data();
}

void CAutoListBox::closeCurrent()
{
    if (CAutoListBox* old = g_current.data()) {
        old->m_done = true;
        old->close();
        g_current = nullptr;
    }
}

QPoint CAutoListBox::placement(const QRect& screen, const QPoint& caretTop, int lineHeight)
{
    int x = caretTop.x();
    int y = caretTop.y() + lineHeight;
    if (y + Height > screen.bottom() + 1)
        y = caretTop.y() - Height;   // no room below the line: above it
    x = qBound(screen.left(), x, qMax(screen.left(), screen.right() + 1 - Width));
    y = qBound(screen.top(), y, qMax(screen.top(), screen.bottom() + 1 - Height));
    return {x, y};
}

CAutoListBox* CAutoListBox::open(QWidget* owner, const QPoint& caretTop, int lineHeight,
                                 const std::vector<TemplateRow>& rows, Chosen chosen)
{
    closeCurrent();
    auto* box = new CAutoListBox(owner);
    box->m_chosen = std::move(chosen);
    for (const TemplateRow& r : rows) {
        auto* item = new QListWidgetItem(r.gap ? QString() : r.name, box);
        item->setData(Qt::UserRole, r.id);
    }
    if (box->count() > 0)
        box->setCurrentRow(0);
    QScreen* screen = QGuiApplication::screenAt(caretTop);
    if (!screen)
        screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    box->move(placement(area, caretTop, lineHeight));
    g_current = box;
    box->show();
    box->setFocus(Qt::PopupFocusReason);
    return box;
}

void CAutoListBox::choose(int row)
{
    QListWidgetItem* it = item(row);
    if (!it || m_done)
        return;
    const qint64 id = it->data(Qt::UserRole).toLongLong();
    Chosen chosen = std::move(m_chosen);
    m_done = true;
    close();
    if (g_current == this)
        g_current = nullptr;
    if (chosen)
        chosen(id);
}

void CAutoListBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose(currentRow());
        event->accept();
        return;
    case Qt::Key_Escape:
        m_done = true;
        close();
        event->accept();
        return;
    default: QListWidget::keyPressEvent(event);
    }
}

void CAutoListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid()) {
        choose(at.row());
        event->accept();
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

void CAutoListBox::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    // The pop-up closes when it loses the focus to another window.
    if (!m_done && isVisible() && event->reason() != Qt::PopupFocusReason && QApplication::activePopupWidget() != this) {
        m_done = true;
        close();
    }
}

} // namespace templates
