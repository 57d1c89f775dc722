#include "result_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vemra {

namespace {

// Drawn at 16 and 32 pixels so that the icon stays sharp on dense screens.
template <class Draw> QIcon drawnIcon(Draw draw)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon limitIcon()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(QRectF(1, 1.5, 14, 3));
        QPainterPath triangle;
        triangle.moveTo(8, 5.5);
        triangle.lineTo(14.5, 15);
        triangle.lineTo(1.5, 15);
        triangle.closeSubpath();
        p.setBrush(QColor(230, 130, 0));
        p.drawPath(triangle);
    });
}

QIcon conflictIcon()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    });
}

QIcon blankIcon()
{
    return drawnIcon([](QPainter&) {});
}

} // namespace vemra
