// Painting one diagram on a recording canvas: frame, ticks and labels, the
// clip, curves leaving and re-entering the plot, and which motions paint
// which curves.
#include "recording_canvas.h"

#include "diagram/curve_sampler.h"
#include "diagram/diagram.h"
#include "diagram/motion_painter.h"

#include "model/numeric.h"
#include "model/project_tree.h"
#include "model/test_vectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace vemra {
namespace {

using test::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using test::fill;

// A diagram over 0..360 degrees on pixels 100..460 (one degree a pixel)
// and values -1..1 on pixels 250..50.
TDiagram unitDiagram(int order = 0)
{
    TDiagram d;
    d.Order = order;
    d.SetArea(100, 50, 460, 250);
    d.XAxis.SetMinMax(4, 0, 360);
    d.YAxis.SetMinMax(2, -1, 1);
    return d;
}

// Polylines joined where one continues the last: the curve's visible runs.
std::vector<std::vector<CanvasPoint>> runs(const RecordingCanvas& c, Color pen)
{
    std::vector<std::vector<CanvasPoint>> result;
    for (const auto& op : c.withPen(Kind::Polyline, pen)) {
        EXPECT_LE(op.points.size(), static_cast<size_t>(MaxPolylinePoints));
        EXPECT_GE(op.points.size(), 2u);
        if (!result.empty() && result.back().back() == op.points.front())
            result.back().insert(result.back().end(), op.points.begin() + 1, op.points.end());
        else
            result.push_back(op.points);
    }
    return result;
}

struct MotionTree {
    ProjectTree tree;
    TreeItem* project = tree.AddTopLevel(std::make_unique<TProject>());
    TreeItem* add(std::unique_ptr<TPaintObj> motion) { return tree.AddChild(project, std::move(motion)); }
};

std::unique_ptr<TRXHeader> sineMotion(double amplitude, double eta = 0)
{
    auto m = std::make_unique<TRXHeader>();
    fill(m->sSC, {eta, 0, amplitude, 0});
    fill(m->qSC, {eta, 0, 0, amplitude / 2});
    fill(m->mSC, {0, 0, 0, 0, 0.5, 0});
    m->HasResult = true;
    m->ResultValid = true;
    m->SColor = 0x000001;
    m->QColor = 0x000002;
    return m;
}

TEST(DiagramPaint, FrameTitleTicksAndLabels)
{
    setLocaleDecimalSeparator('.');
    TDiagram d = unitDiagram();
    d.YAxis.Grid = true;
    RecordingCanvas c;
    d.Paint(c, 3, 1, {});

    const auto lines = c.of(Kind::Line);
    ASSERT_GE(lines.size(), 4u);
    const std::vector<CanvasPoint> frame = {{100, 50}, {460, 50}, {460, 250}, {100, 250}, {100, 50}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].points[0], frame[i]);
        EXPECT_EQ(lines[i].points[1], frame[i + 1]);
    }
    const auto texts = c.of(Kind::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, "Weg s, q");
    EXPECT_EQ(texts[0].points[0], (CanvasPoint{100, 50 - 9 * 13 / 7}));
    EXPECT_EQ(c.texts(),
              (std::vector<std::string>{"Weg s, q", "0.0", "90", "180", "270", "360", "-1", "0.0", "1"}));
    // The x label "90" is centred under its tick, the y label "1" ends
    // left of the axis.
    EXPECT_EQ(texts[2].points[0], (CanvasPoint{190 - 6, 250 + 4 * 13 / 7}));
    EXPECT_EQ(texts[8].points[0], (CanvasPoint{100 - 4 * 13 / 7 - 6, 50 - 13 / 2}));

    // Grid: y major ticks run across the plot from the right edge; x major
    // ticks start at the bottom.
    int gridLines = 0;
    int xMajor = 0;
    for (const auto& l : lines) {
        if (l.points[0].x == 460 && l.points[1].x == 100 - 3 * 13 / 7)
            ++gridLines;
        if (l.points[0].y == 250 && l.points[1].y == 250 + 3 * 13 / 7)
            ++xMajor;
    }
    EXPECT_EQ(gridLines, 3);
    EXPECT_EQ(xMajor, 5);

    // Without label flags there is only the title.
    RecordingCanvas bare;
    d.Paint(bare, 0, 1, {});
    EXPECT_EQ(bare.texts(), std::vector<std::string>{"Weg s, q"});
}

TEST(DiagramPaint, CurvesAreClippedToThePlotAndLeaveAndReenterInRuns)
{
    MotionTree t;
    TreeItem* item = t.add(sineMotion(2));
    TDiagram d = unitDiagram();
    RecordingCanvas c;
    const CanvasRect outer{0, 0, 1000, 1000};
    c.SetClipRect(outer);
    d.Paint(c, 3, 1, {item});

    const CanvasRect plot{100, 50, 460, 250};
    for (const auto& op : c.of(Kind::Polyline))
        EXPECT_EQ(op.clip, plot);
    EXPECT_EQ(c.ClipRect(), outer);

    // 2 sin x leaves through the top at 30 degrees, comes back at 150,
    // leaves through the bottom at 210 and comes back at 330.
    const auto r = runs(c, 0x000001);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].front(), (CanvasPoint{100, 150}));
    EXPECT_EQ(r[0].back().y, 50);
    EXPECT_NEAR(r[0].back().x, 130, 1);
    EXPECT_EQ(r[1].front().y, 50);
    EXPECT_NEAR(r[1].front().x, 250, 1);
    EXPECT_EQ(r[1].back().y, 250);
    EXPECT_NEAR(r[1].back().x, 310, 1);
    EXPECT_EQ(r[2].front().y, 250);
    EXPECT_EQ(r[2].back(), (CanvasPoint{460, 150}));

    // Zoomed to 0..180 degrees on 100..460 (two pixels a degree): leaving
    // and re-entering through the top gives two polylines.
    TDiagram zoomed = unitDiagram();
    zoomed.XAxis.SetMinMax(4, 0, 180);
    RecordingCanvas z;
    zoomed.Paint(z, 3, 1, {item});
    const auto half = runs(z, 0x000001);
    ASSERT_EQ(half.size(), 2u);
    EXPECT_EQ(half[0].back().y, 50);
    EXPECT_EQ(half[1].front().y, 50);
    EXPECT_EQ(half[1].back(), (CanvasPoint{460, 150}));
}

TEST(DiagramPaint, AJumpFromAboveToBelowDrawsNothing)
{
    TDiagram d = unitDiagram();
    RecordingCanvas c;
    PaintCurve(c, d.XAxis, d.YAxis, 1.0, [](double phi) { return phi < 100 ? 10.0 : -10.0; });
    EXPECT_TRUE(c.of(Kind::Polyline).empty());
    // A step of zero still draws the one sample, nothing more.
    PaintCurve(c, d.XAxis, d.YAxis, 0.0, [](double) { return 0.0; });
    EXPECT_TRUE(c.of(Kind::Polyline).empty());
}

TEST(DiagramPaint, WhichCurvesAMotionPaintsAndHow)
{
    struct Case {
        const char* name;
        int order;
        double eta;
        bool valid;
        bool relative;
        uint8_t style;                // SStyle and QStyle of the motion
        std::vector<Color> pens;      // pen colours of the runs, in order
        std::vector<PenStyle> styles; // and their styles
        const char* title;
    };
    const auto solid = PenStyle::Solid, dash = PenStyle::Dash, dot = PenStyle::Dot;
    const Case cases[] = {
        {"s only without eta", 0, 0, true, false, 0, {0x000001}, {solid}, "Weg s, q"},
        {"s and q with eta", 1, 0.5, true, false, 2, {0x000001, 0x000002}, {dot, dot}, "Geschwindigkeit s´, q´"},
        {"outdated: grey, solid turns dashed", 0, 0.5, false, false, 0, {ColorGray, ColorGray}, {dash, dash},
         "Weg s, q (veraltet)"},
        {"outdated: a broken style stays", 2, 0, false, false, 2, {ColorGray}, {dot},
         "Beschleunigung s´´, q´´ (veraltet)"},
        {"outdated torque term as well", -1, 0, false, false, 0, {ColorGray}, {dash}, "Antriebsmoment s´ · s´´ (veraltet)"},
        {"current torque term", -1, 0, true, false, 0, {0x000001}, {solid}, "Antriebsmoment s´ · s´´"},
        {"a relative motion draws no torque, so nothing outdated", -1, 0, false, true, 0, {}, {},
         "Antriebsmoment s´ · s´´"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        MotionTree t;
        std::unique_ptr<TPaintObj> m;
        if (k.relative) {
            auto rel = std::make_unique<TRelHeader>();
            fill(rel->sSC, {0, 0, 0.5, 0});
            fill(rel->mSC, {0, 0, 0.5, 0});
            rel->HasResult = true;
            rel->SColor = 0x000001;
            m = std::move(rel);
        } else {
            m = sineMotion(0.5, k.eta);
        }
        m->ResultValid = k.valid;
        m->SStyle = m->QStyle = k.style;
        TreeItem* item = t.add(std::move(m));
        TDiagram d = unitDiagram(k.order);
        RecordingCanvas c;
        d.Paint(c, 3, 1, {item});
        // One run per curve: the curves fit the plot.
        std::vector<Color> pens;
        std::vector<PenStyle> styles;
        CanvasPoint last{-1, -1};
        for (const auto& op : c.of(Kind::Polyline)) {
            if (pens.empty() || pens.back() != op.pen || !(op.points.front() == last)) {
                pens.push_back(op.pen);
                styles.push_back(op.style);
            }
            last = op.points.back();
        }
        EXPECT_EQ(pens, k.pens);
        EXPECT_EQ(styles, k.styles);
        EXPECT_EQ(c.texts().front(), k.title);
        EXPECT_EQ(c.PenStyleValue(), PenStyle::Solid);
    }

    // One outdated motion among current ones marks the whole diagram.
    MotionTree mixed;
    TreeItem* current = mixed.add(sineMotion(0.5));
    auto stale = sineMotion(0.25);
    stale->ResultValid = false;
    TreeItem* outdated = mixed.add(std::move(stale));
    EXPECT_TRUE(ShowsOutdatedResult({current, outdated}, 0));
    EXPECT_FALSE(ShowsOutdatedResult({current}, 0));

    // Without a result nothing is drawn at all, and nothing is outdated.
    MotionTree t;
    auto m = sineMotion(0.5);
    m->HasResult = m->ResultValid = false;
    TreeItem* item = t.add(std::move(m));
    TDiagram d = unitDiagram();
    RecordingCanvas c;
    d.Paint(c, 3, 1, {item});
    EXPECT_TRUE(c.of(Kind::Polyline).empty());
    EXPECT_EQ(c.texts().front(), "Weg s, q");
}

TEST(DiagramPaint, SamplerAgreesWithTheExactEvaluation)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coefficient(-10, 10);
    for (int harmonics : {1, 5, 30, 300}) {
        TRXHeader m;
        for (TVector* v : {&m.sSC, &m.qSC, &m.mSC}) {
            v->ReSize(v == &m.mSC ? 4 * harmonics + 2 : 2 * harmonics + 2);
            for (int32_t i = 0; i < v->Count(); ++i)
                (*v)[i] = coefficient(random) / (1 + i / 2);
        }
        m.HasResult = true;
        for (uint8_t order = 0; order <= 3; ++order) {
            const CurveSampler s(m, CurveSampler::Curve::S, order);
            const CurveSampler q(m, CurveSampler::Curve::Q, order);
            const CurveSampler torque(m, CurveSampler::Curve::M, 0);
            // Error bound: a few units of the last place of the largest
            // term that is summed.
            const double scale = std::pow(static_cast<double>(harmonics), order + 1) * 20;
            // One by one, and in a sweep over a revolution and a bit.
            const size_t count = 1200;
            std::vector<double> sweep(count);
            s.sweep(-30, 0.35, count, sweep.data());
            for (size_t i = 0; i < count; ++i) {
                const double phi = -30 + static_cast<double>(i) * 0.35;
                ASSERT_NEAR(s(phi), m.Calc_s(order, phi), scale * 1e-13) << harmonics << " " << phi;
                ASSERT_NEAR(sweep[i], m.Calc_s(order, phi), scale * 1e-13) << harmonics << " " << phi;
                ASSERT_NEAR(q(phi), m.Calc_q(order, phi), scale * 1e-13);
                ASSERT_NEAR(torque(phi), m.Calc_M(phi), harmonics * 40 * 1e-13);
            }
        }
    }
}

} // namespace
} // namespace vemra
