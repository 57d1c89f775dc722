// The page of a diagram window: layout, automatic value ranges, zoom
// rectangles, quantity switching and the paint box of DIN proportions.
#include "recording_canvas.h"

#include "diagram/diagram_page.h"

#include "model/project_tree.h"

#include <gtest/gtest.h>

#include <memory>

namespace vemra {
namespace {

using test::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

struct PageTree {
    ProjectTree tree;
    TreeItem* project = tree.AddTopLevel(std::make_unique<TProject>());

    // A motion with s = offset + amplitude sin x (no result when amplitude
    // is 0 and offset is 0).
    TreeItem* motion(double offset, double amplitude)
    {
        auto m = std::make_unique<TRXHeader>();
        if (offset != 0 || amplitude != 0) {
            for (TVector* v : {&m->sSC, &m->qSC}) {
                v->ReSize(4);
                (*v)[1] = offset;
                (*v)[2] = amplitude;
            }
            m->HasResult = m->ResultValid = true;
        }
        return tree.AddChild(project, std::move(m));
    }
    void restriction(TreeItem* motion, double lower, double upper)
    {
        auto r = std::make_unique<TRestr>();
        r->Kind() = 10;
        r->EffPar[2] = 0;
        r->EffPar[4] = 360;
        r->LowerMode() = 0;
        r->UpperMode() = 0;
        r->EffPar[6] = lower;
        r->EffPar[8] = upper;
        tree.AddChild(motion, std::move(r));
    }
};

TEST(DiagramPage, LayoutOfThreeSlots)
{
    DiagramPage page;
    RecordingCanvas c;
    page.Draw(c, 600, 800, 1);
    // th 13, tw 6: margins 60 and 24, gaps 26; plot 510 x 232.
    const CanvasRect expected[] = {{66, 26, 576, 258}, {66, 284, 576, 516}, {66, 542, 576, 774}};
    for (int i = 0; i < 3; ++i) {
        const TDiagram& d = page.Diagrams[static_cast<size_t>(i)];
        EXPECT_EQ((CanvasRect{d.Left, d.Top, d.Right, d.Bottom}), expected[i]) << i;
        EXPECT_EQ(d.Order, i);
        EXPECT_EQ(d.XAxis.MajorStep, 45); // 8 divisions of 0..360
        EXPECT_EQ(d.YAxis.Min, -1);       // nothing shown: -1..1
        EXPECT_EQ(d.YAxis.Max, 1);
    }
    // The picture is cleared first; angle numbers only under the last slot.
    const auto first = c.ops.front();
    EXPECT_EQ(first.kind, Kind::Rectangle);
    EXPECT_EQ(first.brush, ColorWhite);
    const auto texts = c.texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "315"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "0.0"), 4); // and the angle 0

    // No quantity: a white picture and nothing else.
    page.SetQuantities({});
    RecordingCanvas empty;
    page.Draw(empty, 600, 800, 1);
    ASSERT_EQ(empty.ops.size(), 1u);
    EXPECT_EQ(empty.ops[0].kind, Kind::Rectangle);
}

TEST(DiagramPage, AutomaticValueRange)
{
    PageTree t;
    TreeItem* empty = t.motion(0, 0);
    TreeItem* raised = t.motion(3, 1); // 2..4
    TreeItem* low = t.motion(-1, 1);   // -2..0
    DiagramPage page;
    RecordingCanvas c;

    const auto rangeOf = [&](std::vector<TreeItem*> items) {
        page.Items = std::move(items);
        page.Draw(c, 600, 800, 1);
        return page.AutoValueRange(0);
    };
    // The first entry sets the range, later ones widen it.
    auto r = rangeOf({raised});
    EXPECT_NEAR(r.first, 2, 0.01);
    EXPECT_NEAR(r.second, 4, 0.01);
    r = rangeOf({raised, low});
    EXPECT_NEAR(r.first, -2, 0.01);
    EXPECT_NEAR(r.second, 4, 0.01);
    // An entry 0 without a range leaves 0 in the range.
    r = rangeOf({empty, raised});
    EXPECT_EQ(r.first, 0);
    EXPECT_NEAR(r.second, 4, 0.01);
    // Restrictions widen even a motion without a result.
    t.restriction(empty, -7, 9);
    r = rangeOf({empty});
    EXPECT_EQ(r, (std::pair<double, double>{-7, 9}));
    // Nothing with a width: -1..1.
    r = rangeOf({t.motion(0, 0)});
    EXPECT_EQ(r, (std::pair<double, double>{-1, 1}));
}

TEST(DiagramPage, ZoomRectangles)
{
    DiagramPage page;
    RecordingCanvas c;
    page.Draw(c, 600, 800, 1);
    const TAxis x0 = page.Diagrams[0].XAxis;

    // 8 pixels wide: nothing happens.
    EXPECT_FALSE(page.Zoom({100, 40, 108, 140}));
    EXPECT_TRUE(page.Diagrams[0].XAxis.AutoRange);
    EXPECT_TRUE(page.Diagrams[0].YAxis.AutoRange);

    // 9 x 9 inside slot 1 zooms the angle of all slots and slot 1's values.
    page.Diagrams[0].YAxis.WithZero = true;
    EXPECT_TRUE(page.Zoom({209, 109, 200, 100}));
    for (const TDiagram& d : page.Diagrams) {
        EXPECT_FALSE(d.XAxis.AutoRange);
        EXPECT_FALSE(d.XAxis.WithZero);
        EXPECT_DOUBLE_EQ(d.XAxis.RawMin, x0.UnScale(200));
        EXPECT_DOUBLE_EQ(d.XAxis.RawMax, x0.UnScale(209));
    }
    const TAxis& y = page.Diagrams[0].YAxis;
    EXPECT_FALSE(y.AutoRange);
    EXPECT_FALSE(y.WithZero);
    EXPECT_DOUBLE_EQ(y.RawMin, y.UnScale(109));
    EXPECT_DOUBLE_EQ(y.RawMax, y.UnScale(100));
    EXPECT_TRUE(page.Diagrams[1].YAxis.AutoRange);

    // Over the gap between slots 1 and 2, and across both: the angle only.
    for (CanvasRect r : {CanvasRect{100, 260, 300, 282}, CanvasRect{100, 200, 300, 300}}) {
        page.AutoScale();
        page.Draw(c, 600, 800, 1);
        EXPECT_TRUE(page.Zoom(r));
        EXPECT_FALSE(page.Diagrams[0].XAxis.AutoRange);
        for (const TDiagram& d : page.Diagrams)
            EXPECT_TRUE(d.YAxis.AutoRange);
    }

    // The zoomed range is what the next drawing shows, cut to the old one.
    page.AutoScale();
    page.Draw(c, 600, 800, 1);
    EXPECT_TRUE(page.Zoom({0, 300, 300, 400}));
    EXPECT_EQ(page.Diagrams[0].XAxis.RawMin, 0);
    page.Draw(c, 600, 800, 1);
    EXPECT_LT(page.Diagrams[0].XAxis.Max, 360);
}

TEST(DiagramPage, QuantitySwitchingKeepsTheSlotAxes)
{
    DiagramPage page;
    page.Diagrams[0].YAxis.EndsMode = 0;
    page.Diagrams[0].YAxis.Grid = true;
    page.Diagrams[1].YAxis.WithZero = true;
    EXPECT_EQ(page.Quantities(), (QuantitySet{true, true, true, false, false}));

    page.SetQuantities({false, true, true, false, true});
    EXPECT_EQ(page.DiagramCount, 3);
    EXPECT_EQ(page.Diagrams[0].Order, 1);
    EXPECT_EQ(page.Diagrams[1].Order, 2);
    EXPECT_EQ(page.Diagrams[2].Order, -1);
    EXPECT_EQ(page.Diagrams[0].YAxis.EndsMode, 0);
    EXPECT_TRUE(page.Diagrams[0].YAxis.Grid);
    EXPECT_TRUE(page.Diagrams[1].YAxis.WithZero);
    EXPECT_EQ(page.Quantities(), (QuantitySet{false, true, true, false, true}));
    EXPECT_EQ(QuantityName(-1), "Antriebsmoment");
}

TEST(DiagramPage, PaintBoxOfDinProportions)
{
    struct Case {
        int width, height; // available area
        bool landscape;
        int bitmapWidth, bitmapHeight, boxWidth, boxHeight;
    };
    const Case cases[] = {
        {100, 100, false, 199, 281, 100, 100}, // minimum diagonal
        {500, 300, true, 424, 300, 424, 300},
        {300, 600, false, 300, 424, 300, 424},
        {300, 400, false, 282, 400, 282, 400},
        {150, 100, true, 281, 199, 150, 100},
    };
    const int frame = 2;
    const int m = frame + 10;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.width << " x " << k.height);
        const PaintBoxGeometry g = PaintBoxSize(k.width + 2 * m, k.height + 2 * m, frame);
        EXPECT_EQ(g.Landscape, k.landscape);
        EXPECT_EQ(g.BitmapWidth, k.bitmapWidth);
        EXPECT_EQ(g.BitmapHeight, k.bitmapHeight);
        EXPECT_EQ(g.BoxWidth, k.boxWidth);
        EXPECT_EQ(g.BoxHeight, k.boxHeight);
        EXPECT_EQ(g.BoxLeft, m + (k.width - k.boxWidth) / 2);
        EXPECT_EQ(g.BoxTop, m + (k.height - k.boxHeight) / 2);
    }
}

} // namespace
} // namespace vemra
