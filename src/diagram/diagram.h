// One diagram: a quantity of every listed motion definition over the drive
// angle, with frame, ticks, labels, title, restriction areas and curves.
#pragma once

#include "axis.h"
#include "canvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vemra {

class TreeItem;

// The quantity a diagram shows: 0..3 the derivative order of s and q, -1
// the drive torque term.
std::string DiagramTitle(int order);

// Appended to the title while a curve of the diagram belongs to a result
// that no longer fits its motion: the grey, broken line alone is easy to
// take for a style.
inline constexpr const char* OutdatedTitleMark = " (veraltet)";

// Whether the diagram of this order draws a curve of an outdated result for
// one of the items (tree items of motion definitions).
bool ShowsOutdatedResult(const std::vector<TreeItem*>& items, int order);

// A tick value as printed at an axis: "0.0" within zeroThreshold of 0,
// otherwise the shortest text of up to 15 significant digits, with the
// decimal separator of the user's locale.
std::string TickLabel(double value, double zeroThreshold);

class TDiagram {
public:
    TDiagram();

    // The plot rectangle; Left <= Right and Top <= Bottom after SetArea.
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    TAxis XAxis;
    TAxis YAxis;
    int32_t Order = 0;
    Color HighlightColor = 0;
    bool ShowRestrictions = true;

    void SetArea(int x1, int y1, int x2, int y2);

    // LabelFlags bit 0: numbers on the x axis, bit 1: on the y axis.
    // Curves are sampled every PixelStep device pixels. Each item is a tree
    // item whose node is a motion definition, its children its
    // restrictions; the motions take HighlightColor as their highlight.
    void Paint(Canvas& canvas, uint8_t labelFlags, uint8_t pixelStep, const std::vector<TreeItem*>& items);
};

} // namespace vemra
