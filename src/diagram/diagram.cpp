#include "diagram.h"

#include "binding_marks.h"
#include "motion_painter.h"
#include "restriction_painter.h"

#include "model/numeric.h"
#include "model/project_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vemra {

namespace {

// Tick loops stop here whatever the steps say: an axis over a range far
// narrower than its magnitude could otherwise not advance.
constexpr int kMostTicks = 10000;

// Calls f with every multiple FirstTick + i·step up to max.
template <class F> void forEachTick(double first, double step, double max, F f)
{
    if (!(step > 0))
        return;
    double previous = 0;
    for (int i = 0; i < kMostTicks; ++i) {
        const double v = first + i * step;
        if (!(v <= max) || (i > 0 && v == previous))
            break;
        f(v);
        previous = v;
    }
}

} // namespace

std::string DiagramTitle(int order)
{
    switch (order) {
    case 0: return "Weg s, q";
    case 1: return "Geschwindigkeit s\u00B4, q\u00B4";
    case 2: return "Beschleunigung s\u00B4\u00B4, q\u00B4\u00B4";
    case 3: return "Ruck s\u00B4\u00B4\u00B4, q\u00B4\u00B4\u00B4";
    case -1: return "Antriebsmoment s\u00B4 \u00B7 s\u00B4\u00B4";
    default: return {};
    }
}

namespace {

// The drive torque term belongs to absolute motions only.
bool paintsIn(const TPaintObj& motion, int order)
{
    return order >= 0 || (order == -1 && dynamic_cast<const TRXHeader*>(&motion));
}

} // namespace

bool ShowsOutdatedResult(const std::vector<TreeItem*>& items, int order)
{
    return std::any_of(items.begin(), items.end(), [order](const TreeItem* item) {
        const auto* motion = item ? item->NodeAs<TPaintObj>() : nullptr;
        return motion && motion->HasResult && !motion->ResultValid && paintsIn(*motion, order);
    });
}

std::string TickLabel(double value, double zeroThreshold)
{
    if (std::fabs(value) <= zeroThreshold)
        return "0.0";
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : value > 0 ? "INF" : "-INF";
    // Fifteen significant digits, then the shortest form: fixed notation
    // from 1E-5 up to 15 digits before the point, scientific otherwise.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.14e", value);
    const char* e = std::strchr(digits, 'e');
    const int exponent = std::atoi(e + 1);
    std::string mantissa(static_cast<const char*>(digits), e);
    const bool negative = mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    mantissa.erase(1, 1); // the point: digits only
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    std::string text;
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            text = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
        } else {
            const auto whole = static_cast<size_t>(exponent + 1);
            if (mantissa.size() <= whole)
                text = mantissa + std::string(whole - mantissa.size(), '0');
            else
                text = mantissa.substr(0, whole) + "." + mantissa.substr(whole);
        }
    } else {
        text = mantissa.substr(0, 1);
        if (mantissa.size() > 1)
            text += "." + mantissa.substr(1);
        text += "E" + std::to_string(exponent);
    }
    for (char& c : text)
        if (c == '.')
            c = localeDecimalSeparator();
    return negative ? "-" + text : text;
}

TDiagram::TDiagram()
{
    XAxis.AngleAxis = true;
}

void TDiagram::SetArea(int x1, int y1, int x2, int y2)
{
    Left = std::min(x1, x2);
    Right = std::max(x1, x2);
    XAxis.SetBorder(Left, Right);
    Top = std::min(y1, y2);
    Bottom = std::max(y1, y2);
    YAxis.SetBorder(Bottom, Top);
}

void TDiagram::Paint(Canvas& canvas, uint8_t labelFlags, uint8_t pixelStep, const std::vector<TreeItem*>& items)
{
    canvas.SetPen(ColorBlack);
    const int th = canvas.TextHeight("Mg");
    const int xl = XAxis.Scale(XAxis.Min);
    const int xr = XAxis.Scale(XAxis.Max);
    const int yt = YAxis.Scale(YAxis.Max);
    const int yb = YAxis.Scale(YAxis.Min);

    canvas.MoveTo(xl, yt);
    canvas.LineTo(xr, yt);
    canvas.LineTo(xr, yb);
    canvas.LineTo(xl, yb);
    canvas.LineTo(xl, yt);
    canvas.TextOut(xl, yt - 9 * th / 7,
                   DiagramTitle(Order) + (ShowsOutdatedResult(items, Order) ? OutdatedTitleMark : ""));

    const double zx = 1e-6 * std::max(std::fabs(XAxis.Min), std::fabs(XAxis.Max));
    const double zy = 1e-6 * std::max(std::fabs(YAxis.Min), std::fabs(YAxis.Max));
    const auto xPixel = [&](double v) { return std::clamp(XAxis.Scale(v), std::min(xl, xr), std::max(xl, xr)); };
    const auto yPixel = [&](double v) { return std::clamp(YAxis.Scale(v), std::min(yt, yb), std::max(yt, yb)); };

    forEachTick(XAxis.FirstMinor, XAxis.MinorStep, XAxis.Max, [&](double v) {
        const int px = xPixel(v);
        canvas.MoveTo(px, yb);
        canvas.LineTo(px, yb + 2 * th / 7);
    });
    forEachTick(XAxis.FirstMajor, XAxis.MajorStep, XAxis.Max, [&](double v) {
        const int px = xPixel(v);
        canvas.MoveTo(px, XAxis.Grid ? yt : yb);
        canvas.LineTo(px, yb + 3 * th / 7);
        if (labelFlags & 1) {
            const std::string label = TickLabel(v, zx);
            canvas.TextOut(px - canvas.TextWidth(label) / 2, yb + 4 * th / 7, label);
        }
    });
    forEachTick(YAxis.FirstMinor, YAxis.MinorStep, YAxis.Max, [&](double v) {
        const int py = yPixel(v);
        canvas.MoveTo(xl, py);
        canvas.LineTo(xl - 2 * th / 7, py);
    });
    forEachTick(YAxis.FirstMajor, YAxis.MajorStep, YAxis.Max, [&](double v) {
        const int py = yPixel(v);
        canvas.MoveTo(YAxis.Grid ? xr : xl, py);
        canvas.LineTo(xl - 3 * th / 7, py);
        if (labelFlags & 2) {
            const std::string label = TickLabel(v, zy);
            canvas.TextOut(xl - 4 * th / 7 - canvas.TextWidth(label), py - th / 2, label);
        }
    });

    const double pixels = static_cast<double>(XAxis.PixelEnd) - XAxis.PixelStart;
    const double step = pixels == 0 ? 0.0 : std::fabs(pixelStep * (XAxis.Max - XAxis.Min) / pixels);

    const std::optional<CanvasRect> previousClip = canvas.ClipRect();
    canvas.SetClipRect(CanvasRect{std::min(XAxis.PixelStart, XAxis.PixelEnd), std::min(YAxis.PixelStart, YAxis.PixelEnd),
                                  std::max(XAxis.PixelStart, XAxis.PixelEnd), std::max(YAxis.PixelStart, YAxis.PixelEnd)});

    if (ShowRestrictions)
        for (TreeItem* item : items) {
            auto* motion = item ? item->NodeAs<TPaintObj>() : nullptr;
            if (!motion)
                continue;
            motion->ActivColor = HighlightColor;
            const DisplayRecord colours = motion->displayRecord();
            for (int i = 0; i < item->ChildCount(); ++i)
                if (const auto* r = item->Child(i)->NodeAs<TRestr>())
                    PaintRestriction(canvas, *r, colours, XAxis, YAxis, Order);
        }
    for (TreeItem* item : items) {
        const auto* motion = item ? item->NodeAs<TPaintObj>() : nullptr;
        if (!motion)
            continue;
        if (paintsIn(*motion, Order))
            PaintMotion(canvas, *motion, XAxis, YAxis, Order, step);
    }
    // Over the curves, so that they cannot hide where a restriction binds.
    if (ShowRestrictions)
        for (TreeItem* item : items)
            if (item)
                PaintBindingMarks(canvas, *item, XAxis, YAxis, Order);

    canvas.SetClipRect(previousClip);
}

} // namespace vemra
