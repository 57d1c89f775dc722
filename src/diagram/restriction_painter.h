// What a restriction shows in a diagram of its motion: the allowed band,
// the limit lines with their brackets or ticks, the range a shiftable
// restriction may move in, and the value range it needs on the axis.
#pragma once

#include "model/display_record.h"

namespace vemra {

class Canvas;
class TAxis;
class TRestr;

// Paints restriction r in a diagram of the given order (kinds whose
// derivative order differs paint nothing). Colours come from the display
// record of its motion. Leaves the pen black and the brush white.
void PaintRestriction(Canvas& canvas, const TRestr& r, const DisplayRecord& colours, const TAxis& x, const TAxis& y,
                      int order);

// A value range that starts empty (lower end above the upper one).
struct ValueRange {
    double lo = 1;
    double hi = -1;
    bool empty() const { return !(lo <= hi); }
    void include(double v);
};

// Widens range by the values restriction r needs to be seen in a diagram of
// the given order over the angles xMin..xMax.
void RestrictionExtent(const TRestr& r, int order, double xMin, double xMax, ValueRange& range);

} // namespace vemra
