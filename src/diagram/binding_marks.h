// Where a restriction binds: when the explanation of the last computation
// names a restriction as limiting the result at an angle, its motion's
// diagrams mark that angle on the output curve, where it meets the bound.
#pragma once

#include "canvas.h"

namespace vemra {

class TAxis;
class TreeItem;

// The colour of the marks: they must stand out against curves and bands.
inline constexpr Color BindingMarkColor = makeColor(230, 90, 0);
// Half the side of the square that sits on the curve, in device pixels.
inline constexpr int BindingMarkHalf = 4;

// Marks, in a diagram of the given order, the binding angles of the
// restrictions below motion (an item whose node is a motion definition)
// that the current explanation of its project names. A dotted line runs
// through the plot at the angle, and a filled square sits where the output
// curve is at that angle. Nothing without a current result.
void PaintBindingMarks(Canvas& canvas, const TreeItem& motion, const TAxis& x, const TAxis& y, int order);

} // namespace vemra
