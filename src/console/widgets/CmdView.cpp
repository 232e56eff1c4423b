#include "console/widgets/CmdView.h"

#include "console/CommandSession.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <utility>

using console::KeyPress;

CCmdView::CCmdView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("command_window"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QFontMetrics fm(font());
    m_cellW = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
    m_cellH = std::max(1, fm.height());
    setFocusPolicy(Qt::StrongFocus);
    // The window's accelerators leave the console its typing keys.
    setProperty("velmoTypedKeys", true);
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMinimumSize(0, 0);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

QColor CCmdView::colour(int i)
{
    static const QRgb table[16] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
    };
    return QColor(table[i & 15]);
}

void CCmdView::setSession(console::CommandSession* session)
{
    m_session = session;
    clearSelection();
    if (m_session)
        fitModel();
    updateScrollBar(true);
    viewport()->update();
}

int CCmdView::columnsFit() const { return std::max(1, viewport()->width() / m_cellW); }
int CCmdView::rowsFit() const { return std::max(1, viewport()->height() / m_cellH); }

void CCmdView::fitModel()
{
    // A hidden pane keeps the size the model has (80 by 25 to begin with).
    if (m_session && isVisible())
        m_session->resize(columnsFit(), rowsFit());
}

void CCmdView::updateScrollBar(bool follow)
{
    QScrollBar* bar = verticalScrollBar();
    const int rows = m_session ? m_session->model().rowCount() : 0;
    const int max = std::max(0, rows - rowsFit());
    const bool atEnd = bar->value() >= bar->maximum();
    bar->setRange(0, max);
    bar->setPageStep(rowsFit());
    if (follow || atEnd)
        bar->setValue(max);
}

void CCmdView::refresh()
{
    if (!m_session)
        return;
    m_session->drain();
    const quint64 rev = m_session->model().revision();
    if (rev == m_revision)
        return;
    m_revision = rev;
    updateScrollBar(false);
    viewport()->update();
}

void CCmdView::showEvent(QShowEvent* e)
{
    QAbstractScrollArea::showEvent(e);
    fitModel();
}

void CCmdView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    fitModel();
    updateScrollBar(false);
}

void CCmdView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    if (!m_session) {
        p.fillRect(viewport()->rect(), colour(15));
        return;
    }
    const console::ScreenModel& m = m_session->model();
    const int defAttr = m.defaultAttribute();
    p.fillRect(viewport()->rect(), colour(defAttr >> 4));
    p.setFont(font());
    const int top = verticalScrollBar()->value();
    const int ascent = QFontMetrics(font()).ascent();
    // The selection as row indexes of today.
    const qint64 shift = m.dropped();
    QPoint a = m_anchor, b = m_end;
    if (a.y() > b.y() || (a.y() == b.y() && a.x() > b.x()))
        std::swap(a, b);
    const bool sel = hasSelection();
    auto selected = [&](int row, int col) {
        if (!sel)
            return false;
        const qint64 n = row + shift;
        if (n < a.y() || n > b.y())
            return false;
        if (n == a.y() && col < a.x())
            return false;
        if (n == b.y() && col >= b.x())
            return false;
        return true;
    };
    const int visible = rowsFit() + 1;
    for (int i = 0; i < visible; ++i) {
        const int row = top + i;
        if (row >= m.rowCount())
            break;
        const auto& cells = m.row(row);
        const int y = i * m_cellH;
        const int width = std::max<int>(int(cells.size()), sel ? m.columns() : 0);
        for (int col = 0; col < width;) {
            const console::Cell c = col < int(cells.size()) ? cells[size_t(col)] : console::Cell{U' ', uint8_t(defAttr)};
            const bool s = selected(row, col);
            // A run of cells with the same look is drawn at once.
            QString run;
            int end = col;
            while (end < width) {
                const console::Cell d = end < int(cells.size()) ? cells[size_t(end)] : console::Cell{U' ', uint8_t(defAttr)};
                if (d.attr != c.attr || selected(row, end) != s)
                    break;
                run += d.ch >= 0x10000 ? QString::fromUcs4(&d.ch, 1) : QString(QChar(char16_t(d.ch)));
                ++end;
            }
            int fg = c.attr & 15, bg = c.attr >> 4;
            if (s)
                std::swap(fg, bg);
            const QRect r(col * m_cellW, y, (end - col) * m_cellW, m_cellH);
            p.fillRect(r, colour(bg));
            p.setPen(colour(fg));
            for (int k = 0; k < run.size(); ++k)
                if (run[k] != QLatin1Char(' '))
                    p.drawText(QPoint((col + k) * m_cellW, y + ascent), QString(run[k]));
            col = end;
        }
    }
    // The cursor: a bar under the cell, while the interpreter runs.
    if (!m_session->ended() && hasFocus()) {
        const int row = m.cursorRow() - top;
        if (row >= 0 && row < visible) {
            const int fg = m.attribute() & 15;
            p.fillRect(QRect(m.cursorColumn() * m_cellW, row * m_cellH + m_cellH - 3, m_cellW, 3), colour(fg));
        }
    }
}

bool CCmdView::focusNextPrevChild(bool) { return false; }

bool CCmdView::translate(const QKeyEvent* e, KeyPress& k) const
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    k.shift = mods & Qt::ShiftModifier;
    if (mods & Qt::AltModifier)
        return false;
    const bool ctrl = mods & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Return: case Qt::Key_Enter: k.code = KeyPress::Enter; return !ctrl;
    case Qt::Key_Backspace: k.code = KeyPress::Backspace; return true;
    case Qt::Key_Delete: k.code = KeyPress::Delete; return !ctrl;
    case Qt::Key_Left: k.code = KeyPress::Left; return !ctrl;
    case Qt::Key_Right: k.code = KeyPress::Right; return !ctrl;
    case Qt::Key_Up: k.code = KeyPress::Up; return !ctrl;
    case Qt::Key_Down: k.code = KeyPress::Down; return !ctrl;
    case Qt::Key_Home: k.code = KeyPress::Home; return !ctrl;
    case Qt::Key_End: k.code = KeyPress::End; return !ctrl;
    case Qt::Key_Escape: k.code = KeyPress::Escape; return true;
    case Qt::Key_Tab: k.code = KeyPress::Char; k.ch = U'\t'; return !ctrl;
    case Qt::Key_Backtab: k.code = KeyPress::Char; k.ch = U'\t'; k.shift = true; return !ctrl;
    default: break;
    }
    if (ctrl) {
        // Control characters: Ctrl+A is 1 ... Ctrl+Z is 26; Ctrl+C interrupts.
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) {
            if (e->key() == Qt::Key_C) {
                k.code = KeyPress::Interrupt;
                return true;
            }
            k.code = KeyPress::Char;
            k.ch = char32_t(e->key() - Qt::Key_A + 1);
            return true;
        }
        return false;
    }
    const QString t = e->text();
    if (t.isEmpty() || t[0].unicode() < 0x20)
        return false;
    k.code = KeyPress::Char;
    k.ch = t.toUcs4().value(0);
    return true;
}

bool CCmdView::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // The keys a console needs are the console's, not the window's accelerators'.
        auto* ke = static_cast<QKeyEvent*>(e);
        KeyPress k;
        const bool paste = ke->matches(QKeySequence::Paste) || (ke->key() == Qt::Key_Insert && ke->modifiers() == Qt::ShiftModifier);
        if (paste || translate(ke, k)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void CCmdView::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if ((e->key() == Qt::Key_C && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        || (e->key() == Qt::Key_C && mods == Qt::ControlModifier && hasSelection())
        || (e->key() == Qt::Key_Insert && mods == Qt::ControlModifier)) {
        copySelection();
        return;
    }
    if (e->matches(QKeySequence::Paste) || (e->key() == Qt::Key_Insert && mods == Qt::ShiftModifier)) {
        pasteClipboard();
        return;
    }
    if (e->key() == Qt::Key_Cancel || (e->key() == Qt::Key_Pause && mods == Qt::ControlModifier)) {
        emit closeRequested(); // Ctrl+Break
        return;
    }
    KeyPress k;
    if (!translate(e, k)) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    if (!m_session || m_session->ended()) {
        emit sessionWanted();
        return;
    }
    clearSelection();
    m_session->key(k);
    refresh();
    updateScrollBar(true);
}

QPoint CCmdView::cellAt(const QPoint& pos) const
{
    const int col = std::clamp((pos.x() + m_cellW / 2) / m_cellW, 0, 100000);
    const int row = verticalScrollBar()->value() + std::max(0, pos.y()) / m_cellH;
    const qint64 dropped = m_session ? m_session->model().dropped() : 0;
    return QPoint(col, int(row + dropped));
}

void CCmdView::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton)
        return;
    m_anchor = m_end = cellAt(e->position().toPoint());
    m_selecting = true;
    viewport()->update();
}

void CCmdView::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_selecting)
        return;
    m_end = cellAt(e->position().toPoint());
    viewport()->update();
}

void CCmdView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_selecting)
        return;
    m_end = cellAt(e->position().toPoint());
    m_selecting = false;
    viewport()->update();
}

QString CCmdView::selectedText() const
{
    if (!m_session || m_anchor == m_end)
        return QString();
    QPoint a = m_anchor, b = m_end;
    if (a.y() > b.y() || (a.y() == b.y() && a.x() > b.x()))
        std::swap(a, b);
    const qint64 d = m_session->model().dropped();
    const std::u16string t = m_session->model().text(int(a.y() - d), a.x(), int(b.y() - d), b.x());
    return QString::fromStdU16String(t);
}

void CCmdView::copySelection()
{
    const QString t = selectedText();
    if (!t.isEmpty())
        QApplication::clipboard()->setText(t);
    clearSelection();
}

void CCmdView::pasteClipboard()
{
    const QString t = QApplication::clipboard()->text();
    if (t.isEmpty())
        return;
    if (!m_session || m_session->ended()) {
        emit sessionWanted();
        if (!m_session)
            return;
    }
    m_session->paste(t.toStdU16String());
    refresh();
}

void CCmdView::clearSelection()
{
    m_anchor = m_end = QPoint();
    m_selecting = false;
    viewport()->update();
}

void CCmdView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(texts::str(2920, "&Copy"));
    copy->setEnabled(!selectedText().isEmpty());
    connect(copy, &QAction::triggered, this, &CCmdView::copySelection);
    QAction* paste = menu.addAction(texts::str(2921, "&Paste"));
    paste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    connect(paste, &QAction::triggered, this, &CCmdView::pasteClipboard);
    menu.exec(e->globalPos());
}
