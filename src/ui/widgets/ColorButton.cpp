#include "ui/widgets/ColorButton.h"

#include "platform/Texts.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace options {

namespace {

const NamedColor kPalette[kPaletteSize] = {
    {"Black", 0, 0, 0}, {"Brown", 165, 42, 0}, {"Dark Olive Green", 0, 64, 64}, {"Dark Green", 0, 85, 0},
    {"Dark Teal", 0, 0, 94}, {"Dark blue", 0, 0, 139}, {"Indigo", 75, 0, 130}, {"Dark grey", 40, 40, 40},
    {"Dark red", 139, 0, 0}, {"Orange", 255, 104, 32}, {"Dark yellow", 139, 139, 0}, {"Green", 0, 147, 0},
    {"Teal", 56, 142, 142}, {"Blue", 0, 0, 255}, {"Blue-grey", 123, 123, 192}, {"Grey - 40", 102, 102, 102},
    {"Red", 255, 0, 0}, {"Light orange", 255, 173, 91}, {"Lime", 50, 205, 50}, {"Sea green", 60, 179, 113},
    {"Aqua", 127, 255, 212}, {"Light blue", 125, 158, 192}, {"Violet", 128, 0, 128}, {"Grey - 50", 127, 127, 127},
    {"Pink", 255, 192, 203}, {"Gold", 255, 215, 0}, {"Yellow", 255, 255, 0}, {"Bright green", 0, 255, 0},
    {"Turquoise", 64, 224, 208}, {"Skyblue", 192, 255, 255}, {"Plum", 72, 0, 72}, {"Light grey", 192, 192, 192},
    {"Rose", 255, 228, 225}, {"Tan", 210, 180, 140}, {"Light yellow", 255, 255, 224}, {"Pale green", 152, 251, 152},
    {"Pale turquoise", 175, 238, 238}, {"Pale blue", 104, 131, 139}, {"Lavender", 230, 230, 250},
    {"White", 255, 255, 255},
};

CColorButton::Chooser& chooserSlot()
{
    static CColorButton::Chooser chooser;
    return chooser;
}

QIcon swatch(const QColor& c)
{
    QPixmap pm(14, 14);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 13, 13);
    return QIcon(pm);
}

} // namespace

const NamedColor* paletteColors()
{
    return kPalette;
}

QColor fromColorRef(int ref)
{
    const auto u = unsigned(ref);
    return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

int toColorRef(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &CColorButton::openPalette);
}

CColorButton::~CColorButton() = default;

void CColorButton::setChooser(Chooser chooser)
{
    chooserSlot() = std::move(chooser);
}

void CColorButton::setDefaultColor(int ref)
{
    m_defaultColor = ref & 0xFFFFFF;
    update();
}

void CColorButton::setColor(int ref)
{
    m_color = ref & 0xFFFFFF;
    m_default = false;
    update();
}

void CColorButton::setToDefault()
{
    m_default = true;
    update();
}

QSize CColorButton::sizeHint() const
{
    return QSize(64, QPushButton::sizeHint().height());
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text.clear();
    opt.icon = QIcon();
    style()->drawControl(QStyle::CE_PushButton, &opt, &p, this);
    const int arrowWidth = 12;
    QRect box = rect().adjusted(6, 5, -6 - arrowWidth, -5);
    p.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : palette().color(QPalette::Mid));
    p.setBrush(isEnabled() ? fromColorRef(color()) : palette().color(QPalette::Button));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(rect().right() - arrowWidth - 4, rect().top(), arrowWidth, rect().height());
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
}

void CColorButton::openPalette()
{
    if (m_palette)
        return;
    auto* popup = new QFrame(this, Qt::Popup);
    popup->setObjectName(QStringLiteral("colorPalette"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    m_palette = popup;
    connect(popup, &QObject::destroyed, this, [this] { m_palette = nullptr; });
    auto* box = new QVBoxLayout(popup);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(3);

    auto* automatic = new QToolButton(popup);
    automatic->setObjectName(QStringLiteral("automatic"));
    automatic->setText(texts::str(3000, "自动"));
    automatic->setIcon(swatch(fromColorRef(m_defaultColor)));
    automatic->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    automatic->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    automatic->setCheckable(true);
    automatic->setChecked(m_default);
    connect(automatic, &QToolButton::clicked, this, [this] { choose(m_defaultColor, true); });
    box->addWidget(automatic);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    for (int i = 0; i < kPaletteSize; ++i) {
        const NamedColor& nc = kPalette[i];
        const QColor c(nc.red, nc.green, nc.blue);
        auto* cell = new QToolButton(popup);
        cell->setObjectName(QStringLiteral("color%1").arg(i));
        cell->setToolTip(QString::fromLatin1(nc.name));
        cell->setIcon(swatch(c));
        cell->setAutoRaise(true);
        cell->setCheckable(true);
        cell->setChecked(!m_default && toColorRef(c) == m_color);
        const int ref = toColorRef(c);
        connect(cell, &QToolButton::clicked, this, [this, ref] { choose(ref, false); });
        grid->addWidget(cell, i / 8, i % 8);
    }
    box->addLayout(grid);

    auto* more = new QToolButton(popup);
    more->setObjectName(QStringLiteral("more"));
    more->setText(texts::str(3001, "更多..."));
    more->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(more, &QToolButton::clicked, this, &CColorButton::chooseMore);
    box->addWidget(more);

    popup->adjustSize();
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
}

void CColorButton::choose(int ref, bool isDefault)
{
    if (m_palette)
        m_palette->close();
    const bool changed = isDefault != m_default || (!isDefault && ref != m_color);
    if (isDefault)
        setToDefault();
    else
        setColor(ref);
    if (changed)
        emit colorChanged();
}

void CColorButton::chooseMore()
{
    if (m_palette)
        m_palette->close();
    const QColor initial = fromColorRef(color());
    QColor chosen;
    if (chooserSlot())
        chosen = chooserSlot()(initial, this);
    else
        chosen = QColorDialog::getColor(initial, window());
    if (chosen.isValid())
        choose(toColorRef(chosen), false);
}

} // namespace options
