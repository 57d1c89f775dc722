#include "window_layout.h"

#include <algorithm>

namespace vemra {

int mainWindowWidth(const std::vector<int>& extents, int frame, int indent, int leftOffset)
{
    int width = 280;
    if (!extents.empty())
        width = *std::max_element(extents.begin(), extents.end()) + frame + 2 * indent + 20;
    return width + 2 * leftOffset;
}

WindowRect maximisedGeometry(int width, int screenHeight)
{
    return {50, 10, width, screenHeight - 40};
}

} // namespace vemra
