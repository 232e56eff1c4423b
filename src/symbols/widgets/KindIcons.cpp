#include "symbols/widgets/KindIcons.h"
#include "symbols/Tags.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace symbols {

namespace {

enum class Shape { Page, Ball, Box, Diamond, Hash, Bar, Triangle, Brace };

struct Look {
    Shape shape;
    QRgb colour;
    char letter;
};

// By image number: 0 file, 1 unknown, 2 function, 3 enumerator, 4 class, 5 macro, 6 enum or
// module, 7 member, 8 prototype, 9 structure, 10 singleton, 11 variable, 12 net, 13 port,
// 14 register, 15 constant, 16 typedef, 17 namespace.
constexpr std::array<Look, kImageCount> kLooks{{
    {Shape::Page, 0x808080, 0},    {Shape::Ball, 0x9A9A9A, '?'},  {Shape::Ball, 0x7B3FB5, 'f'},
    {Shape::Bar, 0xC08000, 'e'},   {Shape::Box, 0xC06010, 'C'},   {Shape::Hash, 0x505050, '#'},
    {Shape::Box, 0xB89000, 'E'},   {Shape::Diamond, 0x2F7FC0, 'm'}, {Shape::Ball, 0xB095D0, 'p'},
    {Shape::Box, 0x2E8B57, 'S'},   {Shape::Triangle, 0x8B4513, 's'}, {Shape::Diamond, 0x1F9F9F, 'v'},
    {Shape::Bar, 0x607080, 'n'},   {Shape::Bar, 0x406080, 'p'},   {Shape::Bar, 0x804060, 'r'},
    {Shape::Diamond, 0x3050A0, 'c'}, {Shape::Box, 0x6A8A20, 'T'}, {Shape::Brace, 0x505090, 'N'},
}};

QPixmap draw(const Look& look)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = QColor::fromRgb(look.colour);
    p.setPen(QPen(c.darker(140), 1));
    p.setBrush(c);
    switch (look.shape) {
    case Shape::Page: {
        p.setBrush(QColor(0xF4, 0xF4, 0xF4));
        p.drawPolygon(QPolygonF({{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}}));
        break;
    }
    case Shape::Ball: p.drawEllipse(QRectF(1.5, 1.5, 13, 13)); break;
    case Shape::Box: p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2); break;
    case Shape::Diamond: p.drawPolygon(QPolygonF({{8, 0.5}, {15.5, 8}, {8, 15.5}, {0.5, 8}})); break;
    case Shape::Hash: p.drawRect(QRectF(1.5, 1.5, 13, 13)); break;
    case Shape::Bar: p.drawRect(QRectF(1.5, 3.5, 13, 9)); break;
    case Shape::Triangle: p.drawPolygon(QPolygonF({{8, 1}, {15, 14.5}, {1, 14.5}})); break;
    case Shape::Brace: p.drawEllipse(QRectF(0.5, 2.5, 15, 11)); break;
    }
    if (look.letter) {
        QFont f = p.font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 1, 16, 15), Qt::AlignCenter, QString(QLatin1Char(look.letter)));
    }
    return pm;
}

} // namespace

QIcon kindIcon(int image)
{
    static std::array<QIcon, kImageCount> icons;
    if (image < 0 || image >= kImageCount)
        image = 0;
    if (icons[size_t(image)].isNull())
        icons[size_t(image)] = QIcon(draw(kLooks[size_t(image)]));
    return icons[size_t(image)];
}

} // namespace symbols
