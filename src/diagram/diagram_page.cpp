#include "diagram_page.h"

#include "restriction_painter.h"

#include "model/project_tree.h"

#include <algorithm>
#include <cmath>

namespace vemra {

namespace {

constexpr double kSqrt2 = 1.41421356237309504880;
constexpr double kSqrt3 = 1.73205080756887729353;

} // namespace

std::string QuantityName(int order)
{
    switch (order) {
    case 0: return "Weg";
    case 1: return "Geschwindigkeit";
    case 2: return "Beschleunigung";
    case 3: return "Ruck";
    case -1: return "Antriebsmoment";
    default: return {};
    }
}

DiagramPage::DiagramPage()
{
    for (int i = 0; i < SlotCount; ++i)
        Diagrams[static_cast<size_t>(i)].Order = QuantityOrders[static_cast<size_t>(i)];
}

std::pair<double, double> DiagramPage::AutoValueRange(int slot) const
{
    const TDiagram& d = Diagrams[static_cast<size_t>(slot)];
    const double xMin = d.XAxis.Min;
    const double xMax = d.XAxis.Max;
    double lo = 0;
    double hi = 0;
    for (size_t j = 0; j < Items.size(); ++j) {
        const TreeItem* item = Items[j];
        const auto* motion = item ? item->NodeAs<TPaintObj>() : nullptr;
        if (!motion)
            continue;
        double a = xMin;
        double b = xMax;
        if (d.Order == -1) {
            motion->GetMinMax_M(a, b);
        } else if (d.Order >= 0 && d.Order <= 3) {
            const auto n = static_cast<uint8_t>(d.Order);
            motion->GetMinMax_s(n, a, b);
            double qa = xMin;
            double qb = xMax;
            motion->GetMinMax_q(n, qa, qb);
            a = std::min(a, qa);
            b = std::max(b, qb);
            ValueRange r;
            for (int i = 0; i < item->ChildCount(); ++i)
                if (const auto* restriction = item->Child(i)->NodeAs<TRestr>())
                    RestrictionExtent(*restriction, d.Order, xMin, xMax, r);
            if (!r.empty()) {
                a = std::min(a, r.lo);
                b = std::max(b, r.hi);
            }
        } else {
            a = b = 0;
        }
        // The first entry sets the range even when a later one would not
        // include 0; entries after it only widen.
        if (a < b) {
            if (j == 0) {
                lo = a;
                hi = b;
            } else {
                lo = std::min(lo, a);
                hi = std::max(hi, b);
            }
        }
    }
    if (!(lo < hi))
        return {-1.0, 1.0};
    return {lo, hi};
}

void DiagramPage::Draw(Canvas& canvas, int width, int height, int pixelStep)
{
    canvas.SetPen(ColorWhite);
    canvas.SetBrushColor(ColorWhite);
    canvas.Rectangle(0, 0, width, height);
    canvas.SetPen(ColorBlack);
    if (DiagramCount <= 0)
        return;

    const int count = std::min(DiagramCount, SlotCount);
    const int th = std::max(canvas.TextHeight("Mg"), 1);
    const int tw = std::max(canvas.TextWidth("0"), 1);
    const int left = 10 * tw;
    const int right = 4 * tw;
    const int gap = 2 * th;
    const int hd = (height - gap) / count - gap;
    const int wd = width - tw - left - right;

    for (int i = 0; i < count; ++i) {
        TDiagram& d = Diagrams[static_cast<size_t>(i)];
        d.ShowRestrictions = ShowRestrictions;
        const int top = (hd + gap) * i + gap;
        d.SetArea(tw + left, top, tw + left + wd, top + hd);
        if (d.XAxis.AutoRange)
            d.XAxis.SetMinMax(wd / (10 * tw), 0, 360);
        else
            d.XAxis.SetMinMax(wd / (10 * tw), d.XAxis.RawMin, d.XAxis.RawMax);
        std::pair<double, double> raw{d.YAxis.RawMin, d.YAxis.RawMax};
        if (d.YAxis.AutoRange)
            raw = Items.empty() ? std::pair<double, double>{-1.0, 1.0} : AutoValueRange(i);
        d.YAxis.SetMinMax((hd / th) / 3, raw.first, raw.second);
    }
    for (TDiagram& d : Diagrams)
        d.HighlightColor = HighlightColor;
    const auto step = static_cast<uint8_t>(std::clamp(pixelStep, 1, 255));
    for (int i = 0; i < count; ++i)
        Diagrams[static_cast<size_t>(i)].Paint(canvas, i + 1 < count ? 2 : 3, step, Items);
}

bool DiagramPage::Zoom(CanvasRect r)
{
    const int left = std::min(r.left, r.right);
    const int right = std::max(r.left, r.right);
    const int top = std::min(r.top, r.bottom);
    const int bottom = std::max(r.top, r.bottom);
    if (right - left <= 8 || bottom - top <= 8)
        return false;

    const TAxis& x = Diagrams[0].XAxis;
    const double a = std::max(x.UnScale(left), x.Min);
    const double b = std::min(x.UnScale(right), x.Max);
    if (b > x.Min && a < x.Max)
        for (TDiagram& d : Diagrams) {
            d.XAxis.WithZero = false;
            d.XAxis.AutoRange = false;
            d.XAxis.RawMin = a;
            d.XAxis.RawMax = b;
        }

    // The rectangle belongs to a diagram only when it lies within it (or
    // within its share of the gaps); spanning two zooms the angle only.
    const int count = std::min(DiagramCount, SlotCount);
    int lastAbove = -1;
    int firstBelow = -1;
    for (int i = 0; i < count; ++i) {
        const TDiagram& d = Diagrams[static_cast<size_t>(i)];
        if (d.Top < bottom)
            lastAbove = i;
        if (firstBelow < 0 && d.Bottom > top)
            firstBelow = i;
    }
    if (lastAbove >= 0 && lastAbove == firstBelow) {
        TAxis& y = Diagrams[static_cast<size_t>(lastAbove)].YAxis;
        const double lo = std::max(y.UnScale(bottom), y.Min);
        const double hi = std::min(y.UnScale(top), y.Max);
        y.WithZero = false;
        y.AutoRange = false;
        y.RawMin = lo;
        y.RawMax = hi;
    }
    return true;
}

void DiagramPage::AutoScale()
{
    for (TDiagram& d : Diagrams) {
        d.XAxis.AutoRange = true;
        d.YAxis.AutoRange = true;
    }
}

QuantitySet DiagramPage::Quantities() const
{
    QuantitySet set{};
    for (int i = 0; i < std::min(DiagramCount, SlotCount); ++i)
        for (size_t q = 0; q < QuantityOrders.size(); ++q)
            if (QuantityOrders[q] == Diagrams[static_cast<size_t>(i)].Order)
                set[q] = true;
    return set;
}

void DiagramPage::SetQuantities(const QuantitySet& quantities)
{
    DiagramCount = 0;
    for (size_t q = 0; q < quantities.size(); ++q)
        if (quantities[q])
            Diagrams[static_cast<size_t>(DiagramCount++)].Order = QuantityOrders[q];
}

bool DiagramPage::Contains(const TreeItem* item) const
{
    return std::find(Items.begin(), Items.end(), item) != Items.end();
}

bool DiagramPage::RemoveItem(const TreeItem* item)
{
    const auto before = Items.size();
    Items.erase(std::remove(Items.begin(), Items.end(), item), Items.end());
    return Items.size() != before;
}

PaintBoxGeometry PaintBoxSize(int panelWidth, int panelHeight, int frame)
{
    const int m = frame + 10;
    const int wa = std::max(panelWidth - 2 * m, 0);
    const int ha = std::max(panelHeight - 2 * m, 0);
    PaintBoxGeometry g;
    int w = 0;
    int h = 0;
    g.Landscape = wa > ha;
    if (g.Landscape) {
        h = ha;
        w = static_cast<int>(h * kSqrt2);
        if (w > wa) {
            w = wa;
            h = static_cast<int>(w / kSqrt2);
        }
    } else {
        w = wa;
        h = static_cast<int>(w * kSqrt2);
        if (h > ha) {
            h = ha;
            w = static_cast<int>(h / kSqrt2);
        }
    }
    if (static_cast<int>(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h)) < MinDiagonal) {
        const int shortSide = static_cast<int>(MinDiagonal / kSqrt3);
        const int longSide = static_cast<int>(shortSide * kSqrt2);
        w = g.Landscape ? longSide : shortSide;
        h = g.Landscape ? shortSide : longSide;
    }
    g.BitmapWidth = w;
    g.BitmapHeight = h;
    g.BoxWidth = std::min(w, wa);
    g.BoxHeight = std::min(h, ha);
    g.BoxLeft = m + std::max((wa - g.BoxWidth) / 2, 0);
    g.BoxTop = m + std::max((ha - g.BoxHeight) / 2, 0);
    return g;
}

} // namespace vemra
