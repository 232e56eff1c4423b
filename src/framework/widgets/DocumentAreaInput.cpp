#include "framework/widgets/DocumentAreaInput.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>

namespace framework {

AreaDoubleClick areaDoubleClickAction(unsigned editorMask)
{
    switch ((editorMask >> 6) & 3u) {
    case 0: return AreaDoubleClick::OpenDialog;
    case 1: return AreaDoubleClick::NewDocument;
    default: return AreaDoubleClick::Nothing;
    }
}

DocumentAreaInput::DocumentAreaInput(QMdiArea* area) : QObject(area), m_area(area)
{
    qApp->installEventFilter(this);
    connect(area, &QMdiArea::subWindowActivated, this, [this] { refreshCaptionButtons(); });
}

QTabBar* DocumentAreaInput::tabBar() const
{
    return m_area->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
}

bool DocumentAreaInput::inDocument(QWidget* w) const
{
    for (; w; w = w->parentWidget()) {
        if (qobject_cast<QMdiSubWindow*>(w))
            return w->parentWidget() && m_area->isAncestorOf(w);
    }
    return false;
}

bool DocumentAreaInput::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // The key still reaches the document afterwards (it ends an auto-completion there).
        if (key->key() == Qt::Key_Escape && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
            && !QApplication::activePopupWidget() && watched == QApplication::focusWidget()
            && inDocument(QApplication::focusWidget()) && QApplication::activeWindow() == m_area->window())
            emit escapeInDocument();
        break;
    }
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        if (watched == m_area->viewport()) {
            // Only the empty area: a document window on it takes its own clicks.
            if (!m_area->viewport()->childAt(mouse->position().toPoint())) {
                emit emptyAreaDoubleClicked();
                return true;
            }
            break;
        }
        QTabBar* bar = tabBar();
        if (bar && watched == bar) {
            const int index = bar->tabAt(mouse->position().toPoint());
            if (index >= 0)
                emit tabDoubleClicked(index);
            else
                emit tabStripSpaceDoubleClicked();
            return true;
        }
        break;
    }
    case QEvent::ChildPolished:
        // The tabs keep their natural width, so that the strip has a free part to click.
        if (watched == m_area)
            if (auto* bar = qobject_cast<QTabBar*>(static_cast<QChildEvent*>(event)->child()))
                bar->setExpanding(false);
        break;
    default: break;
    }
    return false;
}

void DocumentAreaInput::setCaptionButtons(QMenuBar* menuBar, bool on)
{
    m_menuBar = menuBar;
    m_captionButtons = on;
    if (on && menuBar && !m_buttons) {
        auto* box = new QWidget(menuBar);
        box->setObjectName(QStringLiteral("document_buttons"));
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        auto add = [&](QStyle::StandardPixmap image, const QString& name, auto slot) {
            auto* b = new QToolButton(box);
            b->setObjectName(name);
            b->setAutoRaise(true);
            b->setIcon(box->style()->standardIcon(image));
            b->setIconSize(QSize(12, 12));
            connect(b, &QToolButton::clicked, this, slot);
            row->addWidget(b);
        };
        add(QStyle::SP_TitleBarMinButton, QStringLiteral("document_minimise"), [this] {
            if (QMdiSubWindow* sub = m_area->activeSubWindow()) {
                m_area->setViewMode(QMdiArea::SubWindowView);
                sub->showMinimized();
            }
        });
        add(QStyle::SP_TitleBarNormalButton, QStringLiteral("document_restore"), [this] {
            if (QMdiSubWindow* sub = m_area->activeSubWindow()) {
                m_area->setViewMode(QMdiArea::SubWindowView);
                sub->showNormal();
            }
        });
        add(QStyle::SP_TitleBarCloseButton, QStringLiteral("document_close"), [this] { emit closeDocumentRequested(); });
        menuBar->setCornerWidget(box, Qt::TopRightCorner);
        m_buttons = box;
    }
    refreshCaptionButtons();
}

void DocumentAreaInput::refreshCaptionButtons()
{
    if (m_buttons)
        m_buttons->setVisible(m_captionButtons && !m_area->subWindowList().isEmpty());
}

} // namespace framework
