#include "documents/hex/CHexView.h"

#include "documents/hex/HexFormat.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>

using hex::Column;
using hex::HexModel;

CHexView::CHexView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CHexView::onBarAction);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CHexView::onBarValue);

    autoScrollTimer_.setInterval(50);
    connect(&autoScrollTimer_, &QTimer::timeout, this, &CHexView::autoScroll);
    const int flash = QApplication::styleHints()->cursorFlashTime();
    if (flash > 0) {
        blinkTimer_.setInterval(flash / 2);
        connect(&blinkTimer_, &QTimer::timeout, this, [this] {
            caretOn_ = !caretOn_;
            viewport()->update();
        });
    }
    setSchemeFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

QSize CHexView::sizeHint() const
{
    return QSize(model_.charWidth() * 90, model_.lineHeight() * 25);
}

// ---- file -------------------------------------------------------------------------------

bool CHexView::load(const QString& path, QString* error)
{
    endCapture();
    const bool ok = model_.load(path, error);
    model_.setClientSize(viewport()->width(), viewport()->height());
    sync();
    setFocus();
    return ok;
}

bool CHexView::save()
{
    if (!model_.isLoaded())
        return false;
    QString error;
    const auto result = model_.save(&error);
    return reportSave(result, model_.path(), error);
}

bool CHexView::saveAs(const QString& path)
{
    if (!model_.isLoaded())
        return false;
    QString error;
    const auto result = model_.saveAs(path, &error);
    return reportSave(result, path, error);
}

bool CHexView::reportSave(HexModel::SaveResult result, const QString& path, const QString& error)
{
    sync();
    if (result == HexModel::SaveResult::Ok)
        return true;
    const QString text = hex::formatPrintf(texts::str(hex::ids::SaveFailure, "Save file failure.\n%s\n\n%s"),
                                           {path, error});
    seams::message(this, text, seams::MB_OK | seams::MB_ICONERROR);
    return false;
}

void CHexView::setReadOnly(bool readOnly)
{
    model_.setReadOnly(readOnly);
    viewport()->update();
}

void CHexView::setSchemeFont(const QFont& font, const QColor& background)
{
    QFont f = font;
    f.setKerning(false);
    viewport()->setFont(f);
    setFont(f);
    const QFontMetrics fm(f);
    // A font whose printable ASCII characters all have one advance is used as fixed pitch,
    // whatever the font's own flag says (some monospaced fonts do not set it).
    const int zero = fm.horizontalAdvance(QLatin1Char('0'));
    bool uniform = true;
    for (int c = 32; c <= 126 && uniform; ++c)
        uniform = fm.horizontalAdvance(QChar(c)) == zero;
    const int w = uniform || QFontInfo(f).fixedPitch() ? zero : fm.averageCharWidth();
    // Glyphs can be placed directly when every character the view shows is one cell wide and
    // the font itself has it.
    rawFont_ = QRawFont::fromFont(f);
    fastGlyphs_ = rawFont_.isValid();
    glyphs_.fill(0);
    for (int c = 32; c <= 126 && fastGlyphs_; ++c) {
        const QList<quint32> index = rawFont_.glyphIndexesForString(QString(QChar(c)));
        fastGlyphs_ = fm.horizontalAdvance(QChar(c)) == w && index.size() == 1 && (index[0] != 0 || c == 32);
        if (fastGlyphs_)
            glyphs_[size_t(c)] = index[0];
    }
    model_.setMetrics(w, fm.lineSpacing());
    model_.setClientSize(viewport()->width(), viewport()->height());
    background_ = background.isValid() ? background : palette().color(QPalette::Base);
    sync();
}

QString CHexView::sizeText() const
{
    return model_.isLoaded() ? hex::sizeText(model_.size()) : QString();
}

QString CHexView::modeText() const
{
    return texts::str(hex::ids::ModeHex, "Hex");
}

QString CHexView::overtypeText() const
{
    return texts::str(hex::ids::ModeOvertype, "OVR");
}

// ---- commands ---------------------------------------------------------------------------

bool CHexView::command(int id)
{
    switch (id) {
    case CmdUndo: undo(); return true;
    case CmdCopy: copy(); return true;
    case CmdSwitchColumn: switchColumn(); return true;
    default: return false;
    }
}

bool CHexView::isCommandEnabled(int id) const
{
    switch (id) {
    case CmdUndo: return canUndo();
    case CmdCopy: return model_.hasSelection();  // enabled like any copy; it copies nothing
    case CmdSwitchColumn: return model_.isLoaded();
    default: return false;
    }
}

void CHexView::undo()
{
    if (model_.undo())
        sync();
}

void CHexView::copy()
{
}

void CHexView::switchColumn()
{
    model_.switchColumn();
    sync();
}

// ---- keeping the window in step with the model -------------------------------------------

void CHexView::sync()
{
    syncScrollBar();
    caretOn_ = true;
    if (hasFocus() && blinkTimer_.interval() > 0)
        blinkTimer_.start();
    viewport()->update();
    notifyChanges();
}

void CHexView::syncScrollBar()
{
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, model_.barMaximum());
    bar->setPageStep(model_.barPageStep());
    bar->setSingleStep(1);
    bar->setValue(model_.barValue());
}

void CHexView::notifyChanges()
{
    const QString status = model_.statusText();
    if (status != lastStatus_) {
        lastStatus_ = status;
        emit statusChanged(status);
    }
    const bool modified = model_.isModified();
    if (modified != lastModified_) {
        lastModified_ = modified;
        emit modifiedChanged(modified);
    }
}

void CHexView::onBarAction(int action)
{
    QScrollBar* bar = verticalScrollBar();
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: model_.scrollBy(1); break;
    case QAbstractSlider::SliderSingleStepSub: model_.scrollBy(-1); break;
    case QAbstractSlider::SliderPageStepAdd: model_.scrollBy(model_.rowsOnScreen()); break;
    case QAbstractSlider::SliderPageStepSub: model_.scrollBy(-model_.rowsOnScreen()); break;
    case QAbstractSlider::SliderToMinimum: model_.scrollToRow(0); break;
    case QAbstractSlider::SliderToMaximum: model_.scrollToRow(model_.maxTopRow()); break;
    case QAbstractSlider::SliderMove: model_.scrollToBarValue(bar->sliderPosition()); break;
    default: return;
    }
    // The bar then takes the position the model settled on.
    bar->setSliderPosition(model_.barValue());
    viewport()->update();
}

void CHexView::onBarValue(int value)
{
    if (value == model_.barValue())
        return;
    model_.scrollToBarValue(value);
    sync();
}

// ---- painting ---------------------------------------------------------------------------

// Characters placed one per cell, gathered for the whole screen and drawn in one colour.
class HexTextRun {
public:
    explicit HexTextRun(const CHexView& view)
        : view_(view)
        , w_(view.model().charWidth())
    {
    }
    void add(int x, int baseline, QStringView text)
    {
        for (int i = 0; i < text.size(); ++i, x += w_) {
            const char16_t c = text[i].unicode();
            if (c == u' ')
                continue;
            if (view_.fastGlyphs_ && c < 128) {
                glyphs_.append(view_.glyphs_[c]);
                positions_.append(QPointF(x, baseline));
            } else {
                cells_.append({QPoint(x, baseline), QString(QChar(c))});
            }
        }
    }
    void draw(QPainter& p, const QColor& colour) const
    {
        p.setPen(colour);
        if (!glyphs_.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(view_.rawFont_);
            run.setGlyphIndexes(glyphs_);
            run.setPositions(positions_);
            p.drawGlyphRun(QPointF(0, 0), run);
        }
        for (const auto& cell : cells_)
            p.drawText(cell.first, cell.second);
    }

private:
    const CHexView& view_;
    int w_;
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
    QList<std::pair<QPoint, QString>> cells_;
};

void CHexView::paintEvent(QPaintEvent*)
{
    model_.notePaint();
    if (model_.statusText() != lastStatus_)
        QTimer::singleShot(0, this, [this] { notifyChanges(); });

    QPainter p(viewport());
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor text = model_.isReadOnly() ? pal.color(QPalette::Disabled, QPalette::WindowText)
                                            : pal.color(QPalette::Active, QPalette::WindowText);
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor highlightText = pal.color(QPalette::Active, QPalette::HighlightedText);
    const QColor windowText = pal.color(QPalette::Active, QPalette::WindowText);

    const int w = model_.charWidth(), h = model_.lineHeight();
    const int width = viewport()->width(), height = viewport()->height();
    const int offW = model_.offsetColumnWidth();
    const int hexLeft = offW;
    const int ascent = p.fontMetrics().ascent();

    p.fillRect(offW, h, width - offW, height - h, background_);
    p.fillRect(0, 0, offW, height, face);
    p.fillRect(offW, 0, width - offW, h, face);

    // Header.
    p.setPen(windowText);
    p.drawText(QRect(0, 0, offW, h), Qt::AlignCenter, texts::str(hex::ids::HeaderOffset, "Offset"));
    HexTextRun header(*this);
    header.add(hexLeft, ascent, HexModel::headerLabels());
    header.draw(p, windowText);
    p.setPen(face);
    p.drawLine(hexLeft + 50 * w, 0, hexLeft + 50 * w, height);

    if (!model_.isLoaded())
        return;

    // Rows: selected bytes get their background now and their text in runs of their own.
    const bool hexActive = model_.activeColumn() == Column::Hex;
    HexTextRun plain(*this), hexSelected(*this), textSelected(*this);
    const int rows = model_.shownRows();
    const int64_t selStart = model_.selectionStart(), selEnd = model_.selectionEnd();
    for (int r = 0; r < rows; ++r) {
        const int y = h * (r + 1);
        const int base = y + ascent;
        const int n = model_.rowLength(r);
        const int64_t rowStart = model_.topOffset() + int64_t(r) * HexModel::kBytesPerRow;
        const QString offset = model_.offsetText(r);
        const QString hexRow = model_.hexText(r);
        const QString chars = model_.charText(r);

        const int k0 = int(std::clamp<int64_t>(selStart - rowStart, 0, n));
        const int k1 = int(std::clamp<int64_t>(selEnd - rowStart, 0, n));
        if (k0 < k1) {
            const int hx0 = model_.hexCellX(k0), hx1 = model_.hexCellX(k1 - 1) + 2 * w;
            p.fillRect(hx0, y, hx1 - hx0, h, hexActive ? highlight : face);
            p.fillRect(model_.textCellX(k0), y, (k1 - k0) * w, h, hexActive ? face : highlight);
        }

        plain.add((offW - int(offset.size()) * w) / 2, base, offset);
        for (int k = 0; k < n; ++k) {
            const bool selected = k >= k0 && k < k1;
            (selected ? hexSelected : plain).add(model_.hexCellX(k), base, QStringView(hexRow).mid(3 * k + k / 8 + 1, 2));
            (selected ? textSelected : plain).add(model_.textCellX(k), base, QStringView(chars).mid(k, 1));
        }
    }
    plain.draw(p, text);
    hexSelected.draw(p, hexActive ? highlightText : windowText);
    textSelected.draw(p, hexActive ? windowText : highlightText);

    // The caret: a block one cell wide, only with the focus and without a selection.
    const int64_t c = model_.caret();
    if (caretOn_ && hasFocus() && c >= 0 && !model_.hasSelection() && c >= model_.topOffset()) {
        const int64_t row = (c - model_.topOffset()) / HexModel::kBytesPerRow;
        if (row < model_.rowsOnScreen()) {
            const int k = int(c % HexModel::kBytesPerRow);
            const int x = hexActive ? model_.hexCellX(k) + model_.nibble() * w : model_.textCellX(k);
            p.setCompositionMode(QPainter::CompositionMode_Difference);
            p.fillRect(x, h + int(row) * h, w, h - 2, Qt::white);
        }
    }
}

void CHexView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    model_.setClientSize(viewport()->width(), viewport()->height());
    sync();
}

// ---- keyboard ---------------------------------------------------------------------------

void CHexView::keyPressEvent(QKeyEvent* event)
{
    if (model_.isCaptured()) {
        endCapture();
        event->accept();
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    std::optional<hex::Key> key;
    switch (event->key()) {
    case Qt::Key_PageUp: key = hex::Key::PageUp; break;
    case Qt::Key_PageDown: key = hex::Key::PageDown; break;
    case Qt::Key_Home: key = hex::Key::Home; break;
    case Qt::Key_End: key = hex::Key::End; break;
    case Qt::Key_Up: key = hex::Key::Up; break;
    case Qt::Key_Down: key = hex::Key::Down; break;
    case Qt::Key_Left: key = hex::Key::Left; break;
    case Qt::Key_Right: key = hex::Key::Right; break;
    case Qt::Key_Delete: key = hex::Key::Delete; break;
    case Qt::Key_F6: key = hex::Key::F6; break;
    default: break;
    }
    if (key) {
        model_.key(*key, shift, ctrl);
        sync();
        event->accept();
        return;
    }
    const QString typed = event->text();
    // Alt and Meta combinations are menu and window keys, never typed characters.
    if (typed.isEmpty() || !model_.isLoaded() || (event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    for (QChar ch : typed) {
        if (model_.typeChar(ch.unicode()) == HexModel::TypeResult::Beep)
            QApplication::beep();
    }
    sync();
    event->accept();
}

bool CHexView::focusNextPrevChild(bool)
{
    // Tab belongs to the view: it is a character like any other.
    return false;
}

// ---- mouse ------------------------------------------------------------------------------

void CHexView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    model_.mousePress(pos.x(), pos.y());
    pressed_ = true;
    pressPos_ = dragPos_ = pos;
    sync();
}

void CHexView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    updateCursorShape(pos);
    if (!pressed_ || !(event->buttons() & Qt::LeftButton))
        return;
    if (!model_.isCaptured()) {
        if ((pos - pressPos_).manhattanLength() < QApplication::startDragDistance())
            return;
        model_.setCaptured(true);
        autoScrollTimer_.start();
    }
    dragPos_ = pos;
    model_.mouseDrag(pos.x(), pos.y());
    sync();
}

void CHexView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        endCapture();
}

void CHexView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    model_.doubleClick(pos.x(), pos.y());
    sync();
}

void CHexView::wheelEvent(QWheelEvent* event)
{
    model_.wheel(event->angleDelta().y());
    sync();
    event->accept();
}

void CHexView::endCapture()
{
    pressed_ = false;
    model_.setCaptured(false);
    autoScrollTimer_.stop();
}

void CHexView::autoScroll()
{
    if (!model_.isCaptured()) {
        autoScrollTimer_.stop();
        return;
    }
    // Keeps scrolling while the pointer stays above or below the window.
    if (dragPos_.y() < 0 || dragPos_.y() > viewport()->height()) {
        model_.mouseDrag(dragPos_.x(), dragPos_.y());
        sync();
    }
}

void CHexView::updateCursorShape(const QPoint& pos)
{
    if (!model_.isLoaded()) {
        viewport()->unsetCursor();
        return;
    }
    const QRect hexArea = model_.hexArea(), textArea = model_.textArea();
    viewport()->setCursor(hexArea.contains(pos) || textArea.contains(pos) ? Qt::IBeamCursor : Qt::ArrowCursor);
}

void CHexView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    sync();
}

void CHexView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    endCapture();
    viewport()->update();
}
