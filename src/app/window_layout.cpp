#include "window_layout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace vemra {

namespace {

// Of a window not yet mapped: a title bar and a thin border.
constexpr FrameMargins UsualFrame{4, 30, 4, 4};

WindowRect toWindowRect(const QRect& r)
{
    return {r.left(), r.top(), r.width(), r.height()};
}

} // namespace

int mainWindowWidth(const std::vector<int>& extents, int frame, int indent, int leftOffset)
{
    int width = 280;
    if (!extents.empty())
        width = *std::max_element(extents.begin(), extents.end()) + frame + 2 * indent + 20;
    return width + 2 * leftOffset;
}

WindowRect maximisedGeometry(int width, const WindowRect& area)
{
    return {area.left + 50, area.top + 10, width, area.height - 40};
}

WindowRect fitIntoArea(WindowRect client, const WindowRect& area, const FrameMargins& frame)
{
    client.width = std::max(1, std::min(client.width, area.width - frame.left - frame.right));
    client.height = std::max(1, std::min(client.height, area.height - frame.top - frame.bottom));
    int left = client.left - frame.left;
    int top = client.top - frame.top;
    const int outerWidth = client.width + frame.left + frame.right;
    const int outerHeight = client.height + frame.top + frame.bottom;
    left = std::max(area.left, std::min(left, area.left + area.width - outerWidth));
    top = std::max(area.top, std::min(top, area.top + area.height - outerHeight));
    client.left = left + frame.left;
    client.top = top + frame.top;
    return client;
}

void fitToAvailableArea(QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    FrameMargins frame{inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                       outer.bottom() - inner.bottom()};
    const bool framed = window.isVisible() && (frame.left || frame.top || frame.right || frame.bottom);
    if (!framed)
        frame = UsualFrame;
    // A window not yet shown is placed by its frame's corner.
    const WindowRect client = framed ? toWindowRect(inner)
                                     : WindowRect{outer.left() + frame.left, outer.top() + frame.top, inner.width(),
                                                  inner.height()};
    const WindowRect area = toWindowRect(screen->availableGeometry());
    WindowRect fitted = fitIntoArea(client, area, frame);
    const bool shrunk = fitted.width != inner.width() || fitted.height != inner.height();
    if (shrunk)
        window.resize(fitted.width, fitted.height);
    if (!framed && !window.testAttribute(Qt::WA_Moved)) {
        // The window manager places a new window itself, and may well put
        // one nearly as large as the area partly beyond it: such a window
        // gets its place in the middle of the area.
        if (!shrunk)
            return;
        fitted.left = area.left + (area.width - fitted.width - frame.left - frame.right) / 2 + frame.left;
        fitted.top = area.top + (area.height - fitted.height - frame.top - frame.bottom) / 2 + frame.top;
        window.move(fitted.left - frame.left, fitted.top - frame.top);
        return;
    }
    if (fitted.left != client.left || fitted.top != client.top)
        window.move(fitted.left - frame.left, fitted.top - frame.top);
}

} // namespace vemra
