// The picture of a diagram window: up to five diagrams stacked vertically,
// one quantity each, for a list of motion definitions. Lays them out on a
// canvas of any size, finds their value ranges, zooms, and switches the
// quantities shown. The window, the printer, the clipboard and every
// exported file draw through it.
#pragma once

#include "diagram.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace vemra {

class TreeItem;

inline constexpr int SlotCount = 5;
// The quantities in their fixed sequence: "Weg", "Geschwindigkeit",
// "Beschleunigung", "Ruck", "Antriebsmoment".
inline constexpr std::array<int, SlotCount> QuantityOrders = {0, 1, 2, 3, -1};
std::string QuantityName(int order);
// One flag per quantity in that sequence.
using QuantitySet = std::array<bool, SlotCount>;

class DiagramPage {
public:
    DiagramPage();

    // Slots 1..5; the axes belong to the slot, not to the quantity.
    std::array<TDiagram, SlotCount> Diagrams;
    // Slots shown, from the first.
    int DiagramCount = 3;
    // Tree items of the motion definitions shown (not owned).
    std::vector<TreeItem*> Items;
    Color HighlightColor = 0x00FF00;
    bool ShowRestrictions = true;

    // Lays out and paints all shown diagrams on a canvas of W x H,
    // sampling curves every pixelStep device pixels.
    void Draw(Canvas& canvas, int width, int height, int pixelStep);
    // The raw value range of a slot (0-based) when its axis chooses it
    // itself: the curves and the restrictions of all items over the angles
    // the slot's x axis shows; -1..1 when they span nothing.
    std::pair<double, double> AutoValueRange(int slot) const;

    // The zoom rectangle (device pixels, any corner order) of the last
    // drawing. Returns false when it is too small to mean a zoom (8 pixels
    // or less in either direction); otherwise the angle range, and the
    // value range of the one diagram the rectangle lies in, are fixed to it.
    bool Zoom(CanvasRect rect);
    // All axes choose their ranges themselves again.
    void AutoScale();

    QuantitySet Quantities() const;
    // Slot i shows the i-th quantity set; the axes stay with their slots.
    void SetQuantities(const QuantitySet& quantities);

    bool Contains(const TreeItem* item) const;
    // Removes every occurrence; true when there was one.
    bool RemoveItem(const TreeItem* item);
};

// Where a picture of DIN proportions goes in a panel of the given client
// size: the bitmap is drawn in full, the paint box shows what fits.
struct PaintBoxGeometry {
    bool Landscape = false;
    int BitmapWidth = 0;
    int BitmapHeight = 0;
    int BoxLeft = 0;
    int BoxTop = 0;
    int BoxWidth = 0;
    int BoxHeight = 0;
};
// frame: the panel's bevel and border width.
PaintBoxGeometry PaintBoxSize(int panelWidth, int panelHeight, int frame);

// Smallest diagonal of the picture, in pixels.
inline constexpr int MinDiagonal = 346; // trunc(200 * sqrt 3)

} // namespace vemra
