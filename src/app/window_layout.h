// The size rules of the program's windows: the main window's width follows
// the widest tree entry, "maximised" means full height at a fixed place
// rather than the full screen, and no window is larger than the part of
// the screen that the desktop leaves free for windows.
#pragma once

#include <vector>

class QWidget;

namespace vemra {

// extents: text width of every item plus its level times the indent, over
// all items (collapsed ones too); frame: tree width minus its client width;
// leftOffset: the tree's distance from the window's left edge.
int mainWindowWidth(const std::vector<int>& extents, int frame, int indent, int leftOffset);

struct WindowRect {
    int left, top, width, height;
};
// area: the screen's available area.
WindowRect maximisedGeometry(int width, const WindowRect& area);

// What the window manager adds around a window's client area.
struct FrameMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// A window's client rectangle brought into the available area of its
// screen: no larger than the area less the frame, and moved in where its
// frame would stick out (at the right and bottom first, so that the title
// bar stays reachable).
WindowRect fitIntoArea(WindowRect client, const WindowRect& area, const FrameMargins& frame);

// fitIntoArea for a top-level window on its screen. A window that was
// never shown has no frame yet; a title bar and border of the usual size
// are assumed for it.
void fitToAvailableArea(QWidget& window);

} // namespace vemra
