#include "documents/hex/HexModel.h"

#include "documents/hex/HexFormat.h"
#include "platform/Texts.h"

#include <QVariant>
#include <cerrno>

namespace hex {

namespace {
// offset + n, stopping at the largest offset instead of wrapping (n >= 0).
int64_t addOffset(int64_t offset, int64_t n)
{
    int64_t sum;
    return __builtin_add_overflow(offset, n, &sum) ? INT64_MAX : sum;
}
} // namespace

HexModel::HexModel() = default;

// ---- file -------------------------------------------------------------------------------

bool HexModel::load(const QString& path, QString* error)
{
    const bool ok = file_.open(path, error);
    reset();
    return ok;
}

void HexModel::loadBytes(int64_t size, HexFile::Reader reader)
{
    file_.openBytes(size, std::move(reader));
    reset();
}

void HexModel::reset()
{
    history_.clear();
    overlay_.clear();
    savedDepth_ = 0;
    topRow_ = 0;
    anchor_ = caret_ = -1;
    nibble_ = 0;
    captured_ = false;
    wheelRest_ = 0;
    reread();
}

void HexModel::reread()
{
    bufferOffset_ = topOffset();
    const int64_t left = std::max<int64_t>(0, size() - bufferOffset_);
    const int64_t len = std::min<int64_t>(int64_t(rows_) * kBytesPerRow, left);
    buffer_.assign(size_t(len), 0);
    if (len > 0)
        file_.read(bufferOffset_, buffer_.data(), buffer_.size());
}

// ---- layout -----------------------------------------------------------------------------

void HexModel::setMetrics(int charWidth, int lineHeight)
{
    w_ = std::max(1, charWidth);
    h_ = std::max(1, lineHeight);
    setClientSize(clientW_, clientH_);
}

void HexModel::setClientSize(int width, int height)
{
    clientW_ = std::max(0, width);
    clientH_ = std::max(0, height);
    rows_ = std::max(1, (clientH_ - h_) / h_);
    clampTop();
    reread();
}

int HexModel::shownRows() const
{
    const int64_t left = totalRows() - topRow_;
    return int(std::clamp<int64_t>(left, 0, rows_));
}

int HexModel::offsetDigits() const
{
    int digits = 1;
    for (uint64_t last = uint64_t(std::max<int64_t>(size() - 1, 0)) >> 4; last; last >>= 4)
        ++digits;
    return std::max(8, digits);
}

QRect HexModel::hexArea() const
{
    return QRect(offsetColumnWidth(), h_, 50 * w_, shownRows() * h_);
}

QRect HexModel::textArea() const
{
    return QRect(offsetColumnWidth() + 51 * w_, h_, 16 * w_, shownRows() * h_);
}

// ---- scrolling --------------------------------------------------------------------------

int64_t HexModel::maxTopRow() const
{
    return std::max<int64_t>(0, totalRows() - rows_);
}

void HexModel::clampTop()
{
    topRow_ = std::clamp<int64_t>(topRow_, 0, maxTopRow());
}

void HexModel::scrollToRow(int64_t row)
{
    const int64_t before = topRow_;
    topRow_ = row;
    clampTop();
    if (topRow_ != before)
        reread();
}

namespace {
int64_t barScale(int64_t maxTop)
{
    return maxTop <= HexModel::kMaxBarRows ? 1 : (maxTop + HexModel::kMaxBarRows - 1) / HexModel::kMaxBarRows;
}
} // namespace

int HexModel::barMaximum() const
{
    const int64_t scale = barScale(maxTopRow());
    return int((maxTopRow() + scale - 1) / scale);
}

int HexModel::barValue() const
{
    if (topRow_ >= maxTopRow())
        return barMaximum();
    return int(topRow_ / barScale(maxTopRow()));
}

int HexModel::barPageStep() const
{
    return int(std::max<int64_t>(1, rows_ / barScale(maxTopRow())));
}

void HexModel::scrollToBarValue(int value)
{
    if (value >= barMaximum())
        scrollToRow(maxTopRow());
    else
        scrollToRow(int64_t(std::max(0, value)) * barScale(maxTopRow()));
}

// ---- caret and selection ----------------------------------------------------------------

void HexModel::setSelection(int64_t a, int64_t b)
{
    if (!isLoaded())
        return;
    const int64_t last = std::max<int64_t>(size() - 1, 0);
    if (b < 0)
        b = size();
    a = std::max<int64_t>(a, 0);
    if (a == b) {
        b = std::min(b, last);
        a = b;
    } else {
        b = std::min(b, size());
        a = std::min(a, last);
    }
    anchor_ = a;
    caret_ = b;
    ensureVisible(std::min(b, last));
}

void HexModel::ensureVisible(int64_t offset)
{
    const int64_t row = offset / kBytesPerRow;
    if (row < topRow_)
        scrollToRow(row);
    else if (row >= topRow_ + rows_)
        scrollToRow(std::max<int64_t>(0, row - (rows_ - 1)));
}

void HexModel::notePaint()
{
    if (isLoaded() && caret_ < 0)
        setSelection(0, 0);
}

// ---- keyboard ---------------------------------------------------------------------------

void HexModel::key(Key k, bool shift, bool ctrl)
{
    if (captured_) {
        captured_ = false;
        return;
    }
    if (!isLoaded())
        return;
    if (caret_ < 0)
        setSelection(0, 0);
    const int64_t a = anchor_, c = caret_;
    const int64_t screen = int64_t(rows_) * kBytesPerRow;
    // Moves the caret, extending the selection from the anchor with Shift.
    auto moveTo = [&](int64_t to) { shift ? setSelection(a, to) : setSelection(to, to); };

    switch (k) {
    case Key::PageUp:
        if (ctrl)
            scrollBy(-rows_);
        else
            moveTo(c >= screen ? c - screen : 0);
        break;
    case Key::PageDown:
        if (ctrl)
            scrollBy(rows_);
        else
            moveTo(addOffset(c, screen));
        break;
    case Key::Home:
        moveTo(ctrl ? 0 : c - c % kBytesPerRow);
        break;
    case Key::End:
        if (ctrl)
            moveTo(shift ? size() : size() - 1);
        else
            moveTo(shift ? addOffset(c | 15, 1) : (c | 15));
        break;
    case Key::Up:
        if (ctrl)
            scrollBy(-1);
        else if (c >= kBytesPerRow)
            moveTo(c - kBytesPerRow);
        break;
    case Key::Down:
        if (ctrl)
            scrollBy(1);
        else if (a < size() - kBytesPerRow)
            moveTo(addOffset(c, kBytesPerRow));
        break;
    case Key::Left: {
        int64_t to = c;
        if (nibble_ == 1) {
            nibble_ = 0;
        } else if (c > 0) {
            to = c - 1;
            nibble_ = 1;
        }
        setSelection(to, to);
        break;
    }
    case Key::Right: {
        int64_t to = c;
        if (nibble_ == 0) {
            if (c < size())
                nibble_ = 1;
        } else if (c + 1 < size()) {
            to = c + 1;
            nibble_ = 0;
        }
        setSelection(to, to);
        break;
    }
    case Key::Delete:
        if (column_ == Column::Hex && !readOnly_ && size() > 0) {
            nibble_ = 0;
            typeChar(u'0');
            typeChar(u'0');
        }
        break;
    case Key::F6:
        switchColumn();
        break;
    }
}

// ---- mouse ------------------------------------------------------------------------------

std::optional<Hit> HexModel::hitTest(int x, int y) const
{
    if (!isLoaded())
        return std::nullopt;
    const QRect ha = hexArea(), ta = textArea();
    Hit hit;
    int col;
    if (ha.contains(x, y)) {
        int dx = x - ha.left();
        dx -= w_ * (dx / (25 * w_));
        col = std::min(15, dx / (3 * w_));
        hit.nibble = (dx / w_) % 3 == 2 ? 1 : 0;
        hit.column = Column::Hex;
    } else if (ta.contains(x, y)) {
        col = std::min(15, (x - ta.left()) / w_);
        hit.column = Column::Text;
    } else {
        return std::nullopt;
    }
    const int row = (y - h_) / h_;
    // Past the last byte of a short last row the hit is the last byte.
    hit.offset = std::min(topOffset() + int64_t(row) * kBytesPerRow + col, size() - 1);
    return hit;
}

void HexModel::mousePress(int x, int y)
{
    const auto hit = hitTest(x, y);
    if (!hit)
        return;
    column_ = hit->column;
    nibble_ = hit->column == Column::Hex ? hit->nibble : 0;
    setSelection(hit->offset, hit->offset);
}

void HexModel::mouseDrag(int x, int y)
{
    if (!captured_ || !isLoaded())
        return;
    if (y < 0 && topRow_ != 0)
        scrollBy(-1);
    else if (y > clientH_)
        scrollBy(1);
    const auto hit = hitTest(x, y);
    if (hit && hit->column == column_)
        setSelection(anchor_ < 0 ? hit->offset : anchor_, hit->offset == 0 ? 0 : hit->offset + 1);
}

void HexModel::doubleClick(int x, int y)
{
    const auto hit = hitTest(x, y);
    if (!hit)
        return;
    column_ = hit->column;
    setSelection(hit->offset, hit->offset + 1);
}

void HexModel::wheel(int delta)
{
    if (!isLoaded())
        return;
    wheelRest_ += delta;
    int64_t rows = 0;
    while (wheelRest_ >= 120) {
        wheelRest_ -= 120;
        rows -= 2;
    }
    while (wheelRest_ <= -120) {
        wheelRest_ += 120;
        rows += 2;
    }
    if (rows)
        scrollBy(rows);
}

// ---- editing ----------------------------------------------------------------------------

uint8_t HexModel::byteAt(int64_t offset) const
{
    auto it = overlay_.find(offset);
    if (it != overlay_.end())
        return it->second;
    if (offset >= bufferOffset_ && offset < bufferOffset_ + int64_t(buffer_.size()))
        return buffer_[size_t(offset - bufferOffset_)];
    uint8_t b = 0;
    if (offset >= 0 && offset < size())
        file_.read(offset, &b, 1);
    return b;
}

void HexModel::writeByte(int64_t offset, uint8_t value, int kind)
{
    ensureVisible(offset);
    const uint8_t old = byteAt(offset);
    // A new edit after undoing past the saved state makes that state unreachable.
    if (savedDepth_ > int64_t(history_.size()))
        savedDepth_ = -1;
    history_.push_back({offset, kind, old});
    overlay_[offset] = value;
}

HexModel::TypeResult HexModel::typeChar(char16_t ch)
{
    if (!isLoaded())
        return TypeResult::Ignored;
    if (readOnly_)
        return TypeResult::Beep;
    if (ch < 32 || size() == 0)
        return TypeResult::Ignored;
    if (caret_ < 0)
        setSelection(0, 0);
    if (hasSelection())
        setSelection(anchor_, anchor_);
    const int64_t c = caret_;
    const int64_t last = size() - 1;

    if (column_ == Column::Hex) {
        int digit;
        if (ch >= u'0' && ch <= u'9')
            digit = ch - u'0';
        else if (ch >= u'a' && ch <= u'f')
            digit = ch - u'a' + 10;
        else
            return TypeResult::Ignored;
        const uint8_t old = byteAt(c);
        const uint8_t value = nibble_ == 0 ? uint8_t((digit << 4) | (old & 0x0F)) : uint8_t((old & 0xF0) | digit);
        writeByte(c, value, nibble_);
        if (nibble_ == 0) {
            nibble_ = 1;
        } else if (c < last) {
            nibble_ = 0;
            setSelection(c + 1, c + 1);
        }
        // On the last byte's low digit the caret stays where it is.
        return TypeResult::Edited;
    }

    writeByte(c, uint8_t(ch & 0xFF), 2);
    int64_t at = std::min(c + 1, last);
    if (ch > 0xFF) {
        writeByte(at, uint8_t(ch >> 8), 2);
        at = std::min(at + 1, last);
    }
    nibble_ = 0;
    setSelection(at, at);
    return TypeResult::Edited;
}

bool HexModel::undo()
{
    if (!canUndo())
        return false;
    const EditRecord rec = history_.back();
    history_.pop_back();
    overlay_[rec.offset] = rec.old;
    if (rec.kind == 2) {
        setSelection(rec.offset, rec.offset + 1);
    } else {
        nibble_ = rec.kind;
        setSelection(rec.offset, rec.offset);
    }
    return true;
}

bool HexModel::isModified() const
{
    return isLoaded() && savedDepth_ != int64_t(history_.size());
}

HexModel::SaveResult HexModel::saveResult(HexFile::WriteResult result, QString* error) const
{
    switch (result) {
    case HexFile::WriteResult::Ok:
        return SaveResult::Ok;
    case HexFile::WriteResult::SizeChanged:
        if (error)
            *error = texts::str(ids::SizeChanged,
                                "The file's size changed since it was opened; the bytes were not written.");
        return SaveResult::SizeChanged;
    case HexFile::WriteResult::Replaced:
        if (error)
            *error = texts::str(ids::FileReplaced,
                                "Another file has taken the place of the file since it was opened; "
                                "the bytes were not written.");
        return SaveResult::Replaced;
    case HexFile::WriteResult::Failed:
        break;
    }
    return SaveResult::Failed;
}

HexModel::SaveResult HexModel::save(QString* error)
{
    if (!isLoaded()) {
        if (error)
            *error = systemErrorText(EBADF);
        return SaveResult::Failed;
    }
    if (!isModified())
        return SaveResult::Ok;
    const SaveResult result = saveResult(file_.write(overlay_, error), error);
    if (result != SaveResult::Ok)
        return result;
    // The file now holds every shown byte; the buffer is read again so it agrees.
    overlay_.clear();
    savedDepth_ = int64_t(history_.size());
    reread();
    return SaveResult::Ok;
}

HexModel::SaveResult HexModel::saveAs(const QString& path, QString* error)
{
    if (!isLoaded()) {
        if (error)
            *error = systemErrorText(EBADF);
        return SaveResult::Failed;
    }
    // The copy is made of the opened file's bytes: one that was replaced or resized since
    // would take the edits at offsets that no longer mean what they meant.
    SaveResult result = saveResult(file_.checkUnchanged(error), error);
    if (result == SaveResult::Ok)
        result = saveResult(file_.writeCopy(path, overlay_, error), error);
    if (result != SaveResult::Ok)
        return result;
    HexFile copy;
    if (!copy.open(path, error) || copy.size() != size())
        return SaveResult::Failed;
    file_ = copy;
    overlay_.clear();
    savedDepth_ = int64_t(history_.size());
    reread();
    return SaveResult::Ok;
}

// ---- texts ------------------------------------------------------------------------------

QString HexModel::statusText() const
{
    if (!isLoaded() || caret_ < 0)
        return {};
    return formatPrintf(texts::str(ids::StatusOffset, "Offset %XH %d  Sel %d"),
                        {QVariant::fromValue<qulonglong>(uint64_t(anchor_)), QVariant::fromValue<qlonglong>(anchor_),
                         QVariant::fromValue<qlonglong>(caret_ - anchor_)});
}

QString HexModel::headerLabels()
{
    QString s;
    for (int i = 0; i < kBytesPerRow; ++i) {
        if (i % 8 == 0)
            s += QLatin1Char(' ');
        s += QStringLiteral("%1 ").arg(i, 2, 16, QLatin1Char(' ')).toUpper();
    }
    return s;
}

int HexModel::rowLength(int r) const
{
    // Rows past the end are counted, never their offsets: those may lie beyond any int64_t.
    if (r < 0 || r >= totalRows() - topRow_)
        return 0;
    const int64_t start = (topRow_ + r) * kBytesPerRow;
    return int(std::min<int64_t>(size() - start, kBytesPerRow));
}

QString HexModel::offsetText(int r) const
{
    const uint64_t off = uint64_t(topOffset()) + uint64_t(std::max(r, 0)) * kBytesPerRow;
    return QStringLiteral("%1").arg(qulonglong(off), offsetDigits(), 16, QLatin1Char('0')).toUpper();
}

QString HexModel::hexText(int r) const
{
    static const char digits[] = "0123456789ABCDEF";
    const int n = rowLength(r);
    const int64_t start = n > 0 ? topOffset() + int64_t(r) * kBytesPerRow : 0;
    QString s;
    s.reserve(50);
    for (int k = 0; k < n; ++k) {
        if (k % 8 == 0)
            s += QLatin1Char(' ');
        const uint8_t b = byteAt(start + k);
        s += QLatin1Char(digits[b >> 4]);
        s += QLatin1Char(digits[b & 15]);
        s += QLatin1Char(' ');
    }
    return s;
}

QString HexModel::charText(int r) const
{
    const int n = rowLength(r);
    const int64_t start = n > 0 ? topOffset() + int64_t(r) * kBytesPerRow : 0;
    QString s;
    s.reserve(n);
    for (int k = 0; k < n; ++k)
        s += displayChar(byteAt(start + k));
    return s;
}

} // namespace hex
