#include "qpainter_canvas.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace vemra {

namespace {

// Dash patterns of the classic one-pixel styled pens, in pen widths, so
// that dashes look the same on screen and in metafiles.
QVector<qreal> dashPattern(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return {18, 6};
    case PenStyle::Dot: return {3, 3};
    case PenStyle::DashDot: return {9, 6, 3, 6};
    case PenStyle::DashDotDot: return {9, 3, 3, 3, 3, 3};
    case PenStyle::Solid: break;
    }
    return {};
}

} // namespace

QColor toQColor(Color c)
{
    return QColor(colorRed(c), colorGreen(c), colorBlue(c));
}

Color fromQColor(const QColor& c)
{
    return makeColor(c.red(), c.green(), c.blue());
}

QPainterCanvas::QPainterCanvas(QPainter& painter, const QFont& font, const QColor& textColor, qreal penWidth)
    : painter_(painter), metrics_(font, painter.device()), textColor_(textColor), penWidth_(penWidth)
{
    painter_.setFont(font);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    penChanged();
    brushChanged();
}

void QPainterCanvas::penChanged()
{
    QPen pen(toQColor(PenColor()));
    pen.setWidthF(penWidth_);
    pen.setCosmetic(penWidth_ == 0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    const QVector<qreal> dashes = dashPattern(PenStyleValue());
    if (!dashes.isEmpty())
        pen.setDashPattern(dashes);
    painter_.setPen(pen);
}

void QPainterCanvas::brushChanged()
{
    painter_.setBrush(QBrush(toQColor(BrushColor()), Qt::SolidPattern));
}

void QPainterCanvas::MoveTo(int x, int y)
{
    pos_ = QPoint(x, y);
}

void QPainterCanvas::LineTo(int x, int y)
{
    const QPoint to(x, y);
    painter_.drawLine(pos_, to);
    pos_ = to;
}

void QPainterCanvas::Polyline(const CanvasPoint* points, int count)
{
    if (count <= 0)
        return;
    points_.resize(count);
    for (int i = 0; i < count; ++i)
        points_[i] = QPoint(points[i].x, points[i].y);
    painter_.drawPolyline(points_.constData(), count);
}

void QPainterCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    // The right and bottom edges lie outside, as everywhere on the canvas.
    const int left = std::min(x1, x2);
    const int right = std::max(x1, x2);
    const int top = std::min(y1, y2);
    const int bottom = std::max(y1, y2);
    if (right - left < 1 || bottom - top < 1)
        return;
    painter_.drawRect(QRectF(left, top, right - left - 1, bottom - top - 1));
}

void QPainterCanvas::TextOut(int x, int y, const std::string& text)
{
    const QPen pen = painter_.pen();
    painter_.setPen(textColor_);
    painter_.drawText(QPointF(x, y + metrics_.ascent()), QString::fromStdString(text));
    painter_.setPen(pen);
}

int QPainterCanvas::TextWidth(const std::string& text)
{
    return metrics_.horizontalAdvance(QString::fromStdString(text));
}

int QPainterCanvas::TextHeight(const std::string& text)
{
    (void)text;
    return metrics_.height();
}

void QPainterCanvas::SetClipRect(const std::optional<CanvasRect>& rect)
{
    clip_ = rect;
    if (!rect) {
        painter_.setClipping(false);
        return;
    }
    painter_.setClipRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
}

} // namespace vemra
