#include "restriction_painter.h"

#include "axis.h"
#include "canvas.h"

#include "model/nodes.h"

#include <algorithm>
#include <array>

namespace vemra {

namespace {

// How far brackets and serifs stand off their limit line, in device pixels.
constexpr int kSerif = 5;

bool showsOrder(const TRestr& r, int order)
{
    return isBandKind(r.Kind()) && r.Kind() % 10 == order;
}

// The plot rectangle as the axes span it.
struct Plot {
    int left, right, top, bottom;
    explicit Plot(const TAxis& x, const TAxis& y)
        : left(std::min(x.PixelStart, x.PixelEnd)), right(std::max(x.PixelStart, x.PixelEnd)),
          top(std::min(y.PixelStart, y.PixelEnd)), bottom(std::max(y.PixelStart, y.PixelEnd))
    {
    }
    int clampX(int v) const { return std::clamp(v, left, right); }
    int clampY(int v) const { return std::clamp(v, top, bottom); }
};

void line(Canvas& c, int x1, int y1, int x2, int y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// The angles of one pass over an interval restriction: its own angles, the
// band's, and the shift ranges of a shiftable one, all moved by the pass.
struct IntervalAngles {
    double a, b, bandStart, bandEnd;
    std::array<double, 4> shift; // shift range of the lower and the upper angle
};

// One bound of an interval restriction. below: the lower bound, whose
// bracket and shift lines hang below the line.
void paintIntervalBound(Canvas& canvas, const TRestr& r, const DisplayRecord& colours, const TAxis& x,
                        const TAxis& y, const Plot& plot, const IntervalAngles& raw, bool below)
{
    const int mode = below ? r.LowerMode() : r.UpperMode();
    if (mode < 0)
        return;
    const auto clamp360 = [](double v) { return std::clamp(v, 0.0, 360.0); };
    const int x1 = x.Scale(clamp360(raw.a));
    const int x2 = x.Scale(clamp360(raw.b));
    const int bx1 = x.Scale(clamp360(raw.bandStart));
    const int bx2 = x.Scale(clamp360(raw.bandEnd));

    const double bound = below ? r.EffPar[6] : r.EffPar[8];
    const double limit = below ? r.EffPar[5] : r.EffPar[7];
    const int y1 = y.Scale(bound);
    const int y2 = mode == 1 ? y.Scale(limit) : y1;

    if (std::min(y1, y2) <= plot.bottom && std::max(y1, y2) >= plot.top) {
        canvas.SetPen(colours.MaxColor);
        canvas.SetBrushColor(colours.MaxColor);
        canvas.Rectangle(plot.clampX(bx1), plot.clampY(y1), plot.clampX(bx2) + 1, plot.clampY(y2) + 1);
    }

    // A lower line under the plot, or an upper one over it, has nothing to
    // mark.
    if (below ? y1 > plot.bottom : y1 < plot.top)
        return;
    const int serif = below ? kSerif : -kSerif;
    const int lx1 = plot.clampX(x1);
    const int lx2 = plot.clampX(x2);
    canvas.SetPen(r.Highlight ? colours.ActivColor : colours.MinColor);
    canvas.MoveTo(lx1, y1 + serif);
    canvas.LineTo(lx1, y1);
    canvas.LineTo(lx2, y1);
    canvas.LineTo(lx2, y1 + serif);

    if (!r.IsGlobal)
        return;
    canvas.SetPen(colours.DomainColor);
    const int ys = y1 + serif;
    if (raw.a >= 0)
        line(canvas, plot.clampX(x.Scale(clamp360(raw.shift[0]))), ys, plot.clampX(x.Scale(clamp360(raw.shift[1]))), ys);
    if (raw.b <= 360)
        line(canvas, plot.clampX(x.Scale(clamp360(raw.shift[2]))), ys, plot.clampX(x.Scale(clamp360(raw.shift[3]))), ys);
}

void paintIntervalPass(Canvas& canvas, const TRestr& r, const DisplayRecord& colours, const TAxis& x, const TAxis& y,
                       const Plot& plot, const IntervalAngles& raw)
{
    const auto clamp360 = [](double v) { return std::clamp(v, 0.0, 360.0); };
    const int bx1 = x.Scale(clamp360(raw.bandStart));
    const int bx2 = x.Scale(clamp360(raw.bandEnd));
    // Only a band that reaches into the plot's angles is drawn.
    if (std::max(bx1, bx2) < plot.left || std::min(bx1, bx2) > plot.right)
        return;
    paintIntervalBound(canvas, r, colours, x, y, plot, raw, true);
    paintIntervalBound(canvas, r, colours, x, y, plot, raw, false);
}

void paintPointBound(Canvas& canvas, const TRestr& r, const DisplayRecord& colours, const TAxis& x, const TAxis& y,
                     const Plot& plot, int px, bool below)
{
    const int mode = below ? r.LowerMode() : r.UpperMode();
    if (mode < 0)
        return;
    const double bound = below ? r.EffPar[6] : r.EffPar[8];
    const double limit = below ? r.EffPar[5] : r.EffPar[7];
    const int y1 = plot.clampY(y.Scale(bound));
    const int y2 = plot.clampY(mode == 1 ? y.Scale(limit) : y.Scale(bound));
    const int serif = below ? kSerif : -kSerif;

    canvas.SetPen(colours.MaxColor);
    line(canvas, px - kSerif, y2, px + kSerif, y2);
    line(canvas, px, y2, px, y1);
    canvas.SetPen(r.Highlight ? colours.ActivColor : colours.MinColor);
    line(canvas, px - kSerif, y1, px + kSerif, y1);
    line(canvas, px, y1, px, y1 + serif);
    if (r.IsGlobal) {
        canvas.SetPen(colours.DomainColor);
        line(canvas, x.Scale(r.EffPar[9]), y1 + serif, x.Scale(r.EffPar[10]), y1 + serif);
    }
}

} // namespace

void ValueRange::include(double v)
{
    if (empty()) {
        lo = hi = v;
        return;
    }
    lo = std::min(lo, v);
    hi = std::max(hi, v);
}

void PaintRestriction(Canvas& canvas, const TRestr& r, const DisplayRecord& colours, const TAxis& x, const TAxis& y,
                      int order)
{
    if (!showsOrder(r, order))
        return;
    const Plot plot(x, y);

    if (isIntervalKind(r.Kind())) {
        IntervalAngles pass{r.EffPar[2], r.EffPar[4], r.PhiMinVar() == 1 ? r.EffPar[1] : r.EffPar[2],
                            r.PhiMaxVar() == 1 ? r.EffPar[3] : r.EffPar[4],
                            {r.EffPar[9], r.EffPar[10], r.EffPar[11], r.EffPar[12]}};
        paintIntervalPass(canvas, r, colours, x, y, plot, pass);
        // An interval across 0 or 360 degrees shows its other part at the
        // far end of the revolution.
        double shift = 0;
        if (pass.a < 0 || pass.bandStart < 0)
            shift = 360;
        else if (pass.b > 360 || pass.bandEnd > 360)
            shift = -360;
        if (shift != 0) {
            pass.a += shift;
            pass.b += shift;
            pass.bandStart += shift;
            pass.bandEnd += shift;
            for (double& s : pass.shift)
                s += shift;
            paintIntervalPass(canvas, r, colours, x, y, plot, pass);
        }
    } else {
        const int px = x.Scale(r.EffPar[2]);
        if (px >= plot.left && px <= plot.right) {
            paintPointBound(canvas, r, colours, x, y, plot, px, true);
            paintPointBound(canvas, r, colours, x, y, plot, px, false);
        }
    }
    canvas.SetPen(ColorBlack);
    canvas.SetBrushColor(ColorWhite);
}

void RestrictionExtent(const TRestr& r, int order, double xMin, double xMax, ValueRange& range)
{
    if (!showsOrder(r, order))
        return;
    double from = 0;
    double to = 0;
    if (isPointKind(r.Kind())) {
        from = r.IsGlobal ? r.EffPar[9] : r.EffPar[2];
        to = r.IsGlobal ? r.EffPar[10] : r.EffPar[2];
    } else if (r.IsGlobal) {
        from = r.EffPar[9];
        to = r.EffPar[12];
    } else {
        from = r.PhiMinVar() == 1 ? r.EffPar[1] : r.EffPar[2];
        to = r.PhiMaxVar() == 1 ? r.EffPar[3] : r.EffPar[4];
    }
    if (!(from < xMax && to > xMin))
        return;
    const double low = r.LowerMode() >= 0 ? r.EffPar[6] : r.UpperMode() == 0 ? r.EffPar[8] : r.EffPar[7];
    const double high = r.UpperMode() >= 0 ? r.EffPar[8] : r.LowerMode() == 0 ? r.EffPar[6] : r.EffPar[5];
    range.include(low);
    range.include(high);
}

} // namespace vemra
