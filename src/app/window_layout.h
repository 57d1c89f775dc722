// The main window's size rules: its width follows the widest tree entry, and
// "maximised" means full height at a fixed place rather than the full screen.
#pragma once

#include <vector>

namespace vemra {

// extents: text width of every item plus its level times the indent, over
// all items (collapsed ones too); frame: tree width minus its client width;
// leftOffset: the tree's distance from the window's left edge.
int mainWindowWidth(const std::vector<int>& extents, int frame, int indent, int leftOffset);

struct WindowRect {
    int left, top, width, height;
};
WindowRect maximisedGeometry(int width, int screenHeight);

} // namespace vemra
