// The canvas on a QPainter: the screen bitmap, exported bitmaps, the
// printer, PDF and SVG. Lines are one device pixel wide unless a wider pen
// is asked for (vector files and paper, where one pixel is next to nothing).
#pragma once

#include "diagram/canvas.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QVector>

class QPainter;

namespace vemra {

class QPainterCanvas : public Canvas {
public:
    // penWidth 0: one device pixel whatever the painter's transformation.
    QPainterCanvas(QPainter& painter, const QFont& font, const QColor& textColor, qreal penWidth = 0);

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(const CanvasPoint* points, int count) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    std::optional<CanvasRect> ClipRect() const override { return clip_; }
    void SetClipRect(const std::optional<CanvasRect>& rect) override;

protected:
    void penChanged() override;
    void brushChanged() override;

private:
    QPainter& painter_;
    QFontMetrics metrics_;
    QColor textColor_;
    qreal penWidth_;
    QPoint pos_;
    std::optional<CanvasRect> clip_;
    QVector<QPoint> points_;
};

// Colours of the display record (red in the low byte) as Qt colours.
QColor toQColor(Color c);
Color fromQColor(const QColor& c);

} // namespace vemra
