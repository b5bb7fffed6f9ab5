#include "gui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace qm {

namespace {

constexpr int kSize = 24;

QPixmap paint(const std::function<void(QPainter&)>& draw)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pm;
}

void folder(QPainter& p)
{
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(230, 190, 80));
    p.drawRect(QRectF(2.5, 6.5, 17, 13));
    p.drawRect(QRectF(2.5, 4.5, 7, 3));
    p.setBrush(QColor(250, 220, 120));
    QPainterPath lid;
    lid.moveTo(5.5, 10.5);
    lid.lineTo(22.5, 10.5);
    lid.lineTo(19.5, 19.5);
    lid.lineTo(2.5, 19.5);
    lid.closeSubpath();
    p.drawPath(lid);
}

void disk(QPainter& p, const QString& mark)
{
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(60, 100, 180));
    p.drawRect(QRectF(3.5, 3.5, 17, 17));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(6.5, 3.5, 11, 7));
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(7.5, 14.5, 9, 6));
    if (!mark.isEmpty()) {
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(7, 13, 10, 8), Qt::AlignCenter, mark);
    }
}

void word(QPainter& p, const QString& text, const QColor& back)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(back);
    p.drawRoundedRect(QRectF(1.5, 5.5, 21, 13), 3, 3);
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(1, 5, 22, 14), Qt::AlignCenter, text);
}

void eye(QPainter& p)
{
    QPainterPath lid;
    lid.moveTo(2, 12);
    lid.quadTo(12, 2, 22, 12);
    lid.quadTo(12, 22, 2, 12);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(lid);
    p.setBrush(QColor(40, 110, 200));
    p.drawEllipse(QPointF(12, 12), 4, 4);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(12, 12), 1.6, 1.6);
}

void arrow(QPainter& p, bool left)
{
    QPolygonF a;
    a << QPointF(3, 12) << QPointF(12, 4) << QPointF(12, 9) << QPointF(21, 9) << QPointF(21, 15)
      << QPointF(12, 15) << QPointF(12, 20);
    if (!left)
        for (QPointF& pt : a)
            pt.setX(kSize - pt.x());
    p.setPen(QPen(QColor(20, 80, 20), 1));
    p.setBrush(QColor(70, 170, 70));
    p.drawPolygon(a);
}

void fullScan(QPainter& p)
{
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.drawLine(QPointF(2.5, 4), QPointF(2.5, 20));
    p.drawLine(QPointF(21.5, 4), QPointF(21.5, 20));
    QPainterPath curve;
    curve.moveTo(3, 19);
    curve.cubicTo(9, 19, 9, 5, 12, 5);
    curve.cubicTo(15, 5, 15, 19, 21, 19);
    p.setPen(QPen(QColor(0, 140, 0), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

void printer(QPainter& p)
{
    p.setPen(QPen(QColor(50, 50, 50), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 11, 8));
    p.setBrush(QColor(150, 150, 150));
    p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 15.5, 11, 6));
    p.setBrush(QColor(0, 200, 0));
    p.drawEllipse(QPointF(18.5, 12.5), 1, 1);
}

void list(QPainter& p)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 2.5, 17, 19));
    for (int i = 0; i < 4; ++i) {
        const double y = 6.5 + i * 4;
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QPointF(6.5, y), 1, 1);
        p.drawLine(QPointF(9, y), QPointF(18, y));
    }
}

// A two-pan balance: level when R and L agree, tilted and red when not.
void balance(QPainter& p, bool tilted)
{
    const QColor c = tilted ? QColor(200, 30, 30) : QColor(80, 80, 80);
    p.setPen(QPen(c, 1.4));
    p.drawLine(QPointF(12, 4), QPointF(12, 21));
    p.drawLine(QPointF(7, 21), QPointF(17, 21));
    const double dy = tilted ? 3 : 0;
    p.drawLine(QPointF(3, 7 + dy), QPointF(21, 7 - dy));
    QFont f = p.font();
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1, 8 + dy, 7, 5), 180 * 16, 180 * 16);
    p.drawArc(QRectF(16, 8 - dy, 7, 5), 180 * 16, 180 * 16);
    p.drawText(QRectF(0, 13 + dy, 9, 8), Qt::AlignCenter, "R");
    p.drawText(QRectF(15, 13 - dy, 9, 8), Qt::AlignCenter, "L");
}

} // namespace

QIcon toolIcon(int id)
{
    QIcon icon;
    switch (id) {
    case 100: icon.addPixmap(paint(folder)); break;
    case 102: icon.addPixmap(paint([](QPainter& p) { disk(p, {}); })); break;
    case 101: icon.addPixmap(paint([](QPainter& p) { disk(p, "W"); })); break;
    case 106:
        icon.addPixmap(paint([](QPainter& p) { word(p, "ONE", QColor(220, 220, 220)); }), QIcon::Normal, QIcon::Off);
        icon.addPixmap(paint([](QPainter& p) { word(p, "ALL", QColor(255, 210, 120)); }), QIcon::Normal, QIcon::On);
        break;
    case 118: icon.addPixmap(paint(eye)); break;
    case 107: icon.addPixmap(paint([](QPainter& p) { arrow(p, true); })); break;
    case 112: icon.addPixmap(paint(fullScan)); break;
    case 108: icon.addPixmap(paint([](QPainter& p) { arrow(p, false); })); break;
    case 128: icon.addPixmap(paint(printer)); break;
    case 149: icon.addPixmap(paint(list)); break;
    case 228:
        for (auto mode : {QIcon::Normal, QIcon::Disabled}) {
            icon.addPixmap(paint([](QPainter& p) { balance(p, false); }), mode, QIcon::Off);
            icon.addPixmap(paint([](QPainter& p) { balance(p, true); }), mode, QIcon::On);
        }
        break;
    default: break;
    }
    return icon;
}

} // namespace qm
