#include "motion_painter.h"

#include "axis.h"
#include "canvas.h"
#include "curve_sampler.h"

#include "model/nodes.h"

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

} // namespace

void PaintCurve(Canvas& canvas, const TAxis& x, const TAxis& y, double step, const std::function<double(double)>& f)
{
    const int bottom = y.PixelStart;
    const int top = y.PixelEnd;
    const auto outside = [&](const CanvasPoint& p) { return p.y > bottom || p.y < top; };
    const auto pointAt = [&](double phi) { return CanvasPoint{x.Scale(phi), y.Scale(f(phi))}; };

    std::vector<CanvasPoint> buffer;
    buffer.reserve(MaxPolylinePoints);
    const auto flush = [&] {
        if (buffer.size() >= 2)
            canvas.Polyline(buffer.data(), static_cast<int>(buffer.size()));
    };

    CanvasPoint prev = pointAt(x.Min);
    bool inside = !outside(prev);
    if (inside)
        buffer.push_back(prev);

    // Samples are counted rather than summed up, so that rounding can
    // neither add a sample nor stop the walk on angles of large magnitude.
    const double span = x.Max - x.Min;
    int64_t samples = 0;
    if (span > 0 && step > 0 && std::isfinite(step))
        samples = static_cast<int64_t>(std::min<double>(std::ceil(span / step), kMostSamples));
    for (int64_t i = 1; i <= samples; ++i) {
        const double phi = i == samples ? x.Max : std::min(x.Min + static_cast<double>(i) * step, x.Max);
        const CanvasPoint p = pointAt(phi);
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

void PaintMotion(Canvas& canvas, const TPaintObj& motion, const TAxis& x, const TAxis& y, int order, double step)
{
    if (!motion.HasResult)
        return;
    if (order >= 0 && order <= 3) {
        const auto n = static_cast<uint8_t>(order);
        canvas.SetPen(motion.ResultValid ? motion.SColor : ColorGray, penStyleFromByte(motion.SStyle));
        const CurveSampler s(motion, CurveSampler::Curve::S, n);
        PaintCurve(canvas, x, y, step, [&](double phi) { return s(phi); });
        // eta travels in element 0 of s; without it there is no output motion.
        if (motion.sSC.Count() > 0 && motion.sSC[0] > 0) {
            canvas.SetPen(motion.ResultValid ? motion.QColor : ColorGray, penStyleFromByte(motion.QStyle));
            const CurveSampler q(motion, CurveSampler::Curve::Q, n);
            PaintCurve(canvas, x, y, step, [&](double phi) { return q(phi); });
        }
    } else if (order == -1) {
        canvas.SetPen(motion.SColor, penStyleFromByte(motion.SStyle));
        const CurveSampler m(motion, CurveSampler::Curve::M, 0);
        PaintCurve(canvas, x, y, step, [&](double phi) { return m(phi); });
    }
    canvas.SetPenStyle(PenStyle::Solid);
}

} // namespace vemra
