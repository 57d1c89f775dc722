// The curves of one motion definition in a diagram: s and q of a
// derivative order, or the drive torque term, each sampled along the angle
// axis and clipped to the plot's vertical extent.
#pragma once

#include <functional>

namespace vemra {

class Canvas;
class TAxis;
class TPaintObj;

// Longest polyline sent to the canvas at once; the next one starts at the
// last point of the previous one.
inline constexpr int MaxPolylinePoints = 51;

// Samples f every step degrees from x.Min to x.Max (the last sample exactly
// on x.Max) and draws the parts inside y's pixel range with the current
// pen. A part that leaves the plot ends on the border where it crosses it;
// a jump from above to below the plot draws nothing.
void PaintCurve(Canvas& canvas, const TAxis& x, const TAxis& y, double step, const std::function<double(double)>& f);

// The curves of motion for order 0..3 (s, and q when eta > 0) or -1 (the
// drive torque term). Every curve of an outdated result, the torque term
// included, is drawn grey and broken: a solid style becomes dashed, a
// broken one stays as chosen. Leaves the pen solid.
void PaintMotion(Canvas& canvas, const TPaintObj& motion, const TAxis& x, const TAxis& y, int order, double step);

} // namespace vemra
