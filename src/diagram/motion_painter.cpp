#include "motion_painter.h"

#include "axis.h"
#include "canvas.h"
#include "curve_sampler.h"

#include "model/nodes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vemra {

namespace {

// A step so small that the samples would outnumber any device's pixels is
// not a drawing request; this keeps a broken axis from running away.
constexpr int64_t kMostSamples = 1 << 22;

// Where the segment from a to b meets the horizontal line at y = border.
int crossingX(const CanvasPoint& a, const CanvasPoint& b, int border)
{
    const double dy = static_cast<double>(b.y) - a.y;
    if (dy == 0)
        return a.x;
    const double q = std::nearbyint((static_cast<double>(border) - a.y) * (static_cast<double>(b.x) - a.x) / dy);
    return static_cast<int>(a.x + q);
}

// The angles a curve is sampled at: x.Min, every step degrees on, and x.Max
// exactly. Counted rather than summed up, so that rounding can neither add
// a sample nor stop the walk on angles of large magnitude.
struct SampleAngles {
    double first = 0;
    double step = 0;
    size_t regular = 0; // first + i * step for i < regular, then x.Max
    double last = 0;

    explicit SampleAngles(const TAxis& x, double s) : first(x.Min), step(s), last(x.Max)
    {
        const double span = x.Max - x.Min;
        int64_t samples = 0;
        if (span > 0 && s > 0 && std::isfinite(s))
            samples = static_cast<int64_t>(std::min<double>(std::ceil(span / s), kMostSamples));
        regular = static_cast<size_t>(samples);
    }
    size_t count() const { return regular + 1; }
    double at(size_t i) const { return i < regular ? std::min(first + static_cast<double>(i) * step, last) : last; }
};

void paintSamples(Canvas& canvas, const TAxis& x, const TAxis& y, const SampleAngles& angles,
                  const std::vector<double>& values)
{
    const int bottom = y.PixelStart;
    const int top = y.PixelEnd;
    const auto outside = [&](const CanvasPoint& p) { return p.y > bottom || p.y < top; };
    const auto pointAt = [&](size_t i) { return CanvasPoint{x.Scale(angles.at(i)), y.Scale(values[i])}; };

    std::vector<CanvasPoint> buffer;
    buffer.reserve(MaxPolylinePoints);
    const auto flush = [&] {
        if (buffer.size() >= 2)
            canvas.Polyline(buffer.data(), static_cast<int>(buffer.size()));
    };

    CanvasPoint prev = pointAt(0);
    bool inside = !outside(prev);
    if (inside)
        buffer.push_back(prev);
    for (size_t i = 1; i < angles.count(); ++i) {
        const CanvasPoint p = pointAt(i);
        const bool out = outside(p);
        if (inside && !out) {
            buffer.push_back(p);
            if (buffer.size() == MaxPolylinePoints) {
                flush();
                buffer.erase(buffer.begin(), buffer.end() - 1);
            }
        } else if (inside) {
            const int border = p.y > bottom ? bottom : top;
            buffer.push_back({crossingX(prev, p, border), border});
            flush();
            buffer.clear();
            inside = false;
        } else if (!out) {
            const int border = prev.y > bottom ? bottom : top;
            buffer.clear();
            buffer.push_back({crossingX(prev, p, border), border});
            buffer.push_back(p);
            inside = true;
        }
        prev = p;
    }
    if (inside)
        flush();
}

void paintSampled(Canvas& canvas, const TAxis& x, const TAxis& y, const SampleAngles& angles,
                  const CurveSampler& curve)
{
    // All regular samples in one sweep, the last one on its own.
    std::vector<double> values(angles.count());
    curve.sweep(angles.first, angles.step, angles.regular, values.data());
    for (size_t i = 0; i < angles.regular; ++i)
        if (angles.first + static_cast<double>(i) * angles.step > angles.last)
            values[i] = curve(angles.last); // clamped by rounding: the true last angle
    values.back() = curve(angles.last);
    paintSamples(canvas, x, y, angles, values);
}

// The pen of one curve: its own colour and style while the result is
// current; grey and never solid once it is outdated.
void setCurvePen(Canvas& canvas, const TPaintObj& motion, Color colour, uint8_t style)
{
    const PenStyle own = penStyleFromByte(style);
    if (motion.ResultValid)
        canvas.SetPen(colour, own);
    else
        canvas.SetPen(ColorGray, own == PenStyle::Solid ? PenStyle::Dash : own);
}

} // namespace

void PaintCurve(Canvas& canvas, const TAxis& x, const TAxis& y, double step, const std::function<double(double)>& f)
{
    const SampleAngles angles(x, step);
    std::vector<double> values(angles.count());
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = f(angles.at(i));
    paintSamples(canvas, x, y, angles, values);
}

void PaintMotion(Canvas& canvas, const TPaintObj& motion, const TAxis& x, const TAxis& y, int order, double step)
{
    if (!motion.HasResult)
        return;
    const SampleAngles angles(x, step);
    if (order >= 0 && order <= 3) {
        const auto n = static_cast<uint8_t>(order);
        setCurvePen(canvas, motion, motion.SColor, motion.SStyle);
        paintSampled(canvas, x, y, angles, CurveSampler(motion, CurveSampler::Curve::S, n));
        // eta travels in element 0 of s; without it there is no output motion.
        if (motion.sSC.Count() > 0 && motion.sSC[0] > 0) {
            setCurvePen(canvas, motion, motion.QColor, motion.QStyle);
            paintSampled(canvas, x, y, angles, CurveSampler(motion, CurveSampler::Curve::Q, n));
        }
    } else if (order == -1) {
        setCurvePen(canvas, motion, motion.SColor, motion.SStyle);
        paintSampled(canvas, x, y, angles, CurveSampler(motion, CurveSampler::Curve::M, 0));
    }
    canvas.SetPenStyle(PenStyle::Solid);
}

} // namespace vemra
