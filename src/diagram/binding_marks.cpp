#include "binding_marks.h"

#include "axis.h"

#include "model/nodes.h"
#include "model/project_tree.h"

#include <algorithm>
#include <optional>

namespace vemra {

namespace {

// The angle as it lies in the shown range: an interval across 0 or 360
// degrees may name it a revolution away.
std::optional<double> shownAngle(double angle, const TAxis& x)
{
    const double lo = std::min(x.Min, x.Max);
    const double hi = std::max(x.Min, x.Max);
    for (const double a : {angle, angle + 360, angle - 360})
        if (a >= lo && a <= hi)
            return a;
    return std::nullopt;
}

} // namespace

void PaintBindingMarks(Canvas& canvas, const TreeItem& motionItem, const TAxis& x, const TAxis& y, int order)
{
    const auto* motion = motionItem.NodeAs<TPaintObj>();
    const TreeItem* projectItem = motionItem.Parent();
    const auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!motion || !project || order < 0 || !motion->HasResult || !motion->ResultValid)
        return;
    const int top = std::min(y.PixelStart, y.PixelEnd);
    const int bottom = std::max(y.PixelStart, y.PixelEnd);
    for (int i = 0; i < motionItem.ChildCount(); ++i) {
        const auto* r = motionItem.Child(i)->NodeAs<TRestr>();
        if (!r || !isBandKind(r->Kind()) || r->Kind() % 10 != order)
            continue;
        const LimitingRestriction* limit = limitingEntry(*project, *r);
        const auto angle = limit && limit->angle ? shownAngle(*limit->angle, x) : std::nullopt;
        if (!angle)
            continue;
        const int px = x.Scale(*angle);
        const int py = std::clamp(y.Scale(motion->Calc_q(static_cast<uint8_t>(order), *angle)), top, bottom);
        canvas.SetPen(BindingMarkColor, PenStyle::Dot);
        canvas.MoveTo(px, top);
        canvas.LineTo(px, bottom);
        canvas.SetPen(ColorBlack);
        canvas.SetBrushColor(BindingMarkColor);
        canvas.Rectangle(px - BindingMarkHalf, py - BindingMarkHalf, px + BindingMarkHalf + 1, py + BindingMarkHalf + 1);
    }
    canvas.SetPen(ColorBlack);
    canvas.SetBrushColor(ColorWhite);
}

} // namespace vemra
