// The mark of a binding angle in a diagram: on the output curve at the angle
// the explanation names, only in the diagram of the restriction's own
// quantity, only while the explanation is current, and across 0 and 360
// degrees where an interval wraps.
#include "recording_canvas.h"

#include "diagram/binding_marks.h"
#include "diagram/diagram.h"

#include "model/project_tree.h"
#include "model/test_vectors.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vemra {
namespace {

using test::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using test::fill;

// Motion 1 with q = cos x and a point restriction on its position at 60
// degrees, record 5, named as limiting at the given angle.
struct Explained {
    ProjectTree tree;
    TreeItem* project = tree.AddTopLevel(std::make_unique<TProject>());
    TreeItem* motion = nullptr;
    TreeItem* restriction = nullptr;

    explicit Explained(std::optional<double> angle)
    {
        auto m = std::make_unique<TRXHeader>();
        fill(m->sSC, {0, 0, 0, 2});
        fill(m->qSC, {0, 0, 0, 1});
        m->HasResult = m->ResultValid = true;
        motion = tree.AddChild(project, std::move(m));
        auto r = std::make_unique<TRestr>();
        r->Kind() = 0;
        r->RealPar[2] = 60;
        r->LowerMode() = -1;
        r->UpperMode() = 0;
        r->RealPar[8] = 0.6;
        r->EffPar = r->RealPar;
        r->Ident() = 5;
        restriction = tree.AddChild(motion, std::move(r));
        auto& o = project->NodeAs<TProject>()->LastOutcome.emplace();
        o.explanation = ResultExplanation{ExplanationStage::Fulfilment, 0, 0.5, 1, {}, {{5, 1, angle, 0.1}}, {}};
    }
    ComputationOutcome& outcome() { return *project->NodeAs<TProject>()->LastOutcome; }
};

// Values -1..1 on pixels 250..50, angles 0..360 on pixels 100..460.
RecordingCanvas paint(Explained& e, int order = 0, bool restrictions = true)
{
    TDiagram d;
    d.Order = order;
    d.ShowRestrictions = restrictions;
    d.SetArea(100, 50, 460, 250);
    d.XAxis.SetMinMax(4, 0, 360);
    d.YAxis.SetMinMax(2, -1, 1);
    RecordingCanvas c;
    d.Paint(c, 3, 1, {e.motion});
    return c;
}

std::vector<RecordingCanvas::Op> squares(const RecordingCanvas& c)
{
    std::vector<RecordingCanvas::Op> result;
    for (const auto& op : c.of(Kind::Rectangle))
        if (op.brush == BindingMarkColor)
            result.push_back(op);
    return result;
}

TEST(BindingMarks, SitOnTheCurveAtTheBindingAngle)
{
    Explained e(60.0);
    const RecordingCanvas c = paint(e);
    // cos 60° = 0.5 lies on pixel 100.
    const auto marks = squares(c);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].points, (std::vector<CanvasPoint>{{156, 96}, {165, 105}}));
    EXPECT_EQ(marks[0].pen, ColorBlack);
    const auto lines = c.withPen(Kind::Line, BindingMarkColor);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].style, PenStyle::Dot);
    EXPECT_EQ(lines[0].points, (std::vector<CanvasPoint>{{160, 50}, {160, 250}}));
    // Painted over the curves, inside the plot's clip.
    ASSERT_FALSE(c.ops.empty());
    EXPECT_EQ(c.ops.back().kind, Kind::Clip);
}

TEST(BindingMarks, OnlyWhereTheExplanationStillHolds)
{
    struct Case {
        const char* name;
        std::optional<double> angle;
        std::function<void(Explained&)> change;
        int order;
        bool restrictionsShown;
        int expectedX; // 0: no mark
    };
    const Case cases[] = {
        {"an angle below 0 is shown a revolution on", -30.0, [](Explained&) {}, 0, true, 430},
        {"a spectrum bound has no angle", std::nullopt, [](Explained&) {}, 0, true, 0},
        {"another quantity", 60.0, [](Explained&) {}, 1, true, 0},
        {"restrictions hidden", 60.0, [](Explained&) {}, 0, false, 0},
        {"outdated", 60.0, [](Explained& e) { e.outcome().resultsCurrent = false; }, 0, true, 0},
        {"a node deleted since", 60.0, [](Explained& e) { e.outcome().nodesRemoved = true; }, 0, true, 0},
        {"not named", 60.0, [](Explained& e) { e.outcome().explanation->limits[0].record = 6; }, 0, true, 0},
        {"named in a conflict",
         60.0,
         [](Explained& e) {
             e.outcome().explanation->limits.clear();
             e.outcome().explanation->conflict = {5};
         },
         0, true, 0},
        {"the motion's result is outdated",
         60.0,
         [](Explained& e) { e.motion->NodeAs<TPaintObj>()->ResultValid = false; }, 0, true, 0},
    };
    for (const Case& c : cases) {
        Explained e(c.angle);
        c.change(e);
        const auto marks = squares(paint(e, c.order, c.restrictionsShown));
        if (c.expectedX == 0) {
            EXPECT_TRUE(marks.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(marks.size(), 1u) << c.name;
        EXPECT_EQ(marks[0].points[0].x, c.expectedX - BindingMarkHalf) << c.name;
    }
}

} // namespace
} // namespace vemra
