// Restriction areas of every family: bands, brackets, shift ranges, the
// second pass across 0 and 360 degrees, point ticks, and the value extents
// that the automatic range takes from them.
#include "recording_canvas.h"

#include "diagram/axis.h"
#include "diagram/restriction_painter.h"

#include "model/nodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace vemra {
namespace {

using test::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

constexpr Color Band = 0x0000AA;
constexpr Color Limit = 0x0000BB;
constexpr Color Domain = 0x0000CC;
constexpr Color Active = 0x0000DD;

DisplayRecord colours()
{
    DisplayRecord r;
    r.MaxColor = Band;
    r.MinColor = Limit;
    r.DomainColor = Domain;
    r.ActivColor = Active;
    return r;
}

// One pixel a degree on 0..360, ten pixels a unit on values -10..10
// (pixel 200 at the bottom, 0 at the top).
struct Axes {
    TAxis x, y;
    Axes()
    {
        x.Min = 0;
        x.Max = 360;
        x.SetBorder(0, 360);
        y.Min = -10;
        y.Max = 10;
        y.SetBorder(200, 0);
    }
};

std::shared_ptr<TRestr> interval(int kind, double from, double to, int lowerMode, double lower, double lowerLimit,
                                 int upperMode, double upper, double upperLimit)
{
    auto p = std::make_shared<TRestr>();
    TRestr& r = *p;
    r.Kind() = kind;
    r.EffPar[2] = from;
    r.EffPar[4] = to;
    r.LowerMode() = lowerMode;
    r.EffPar[6] = lower;
    r.EffPar[5] = lowerLimit;
    r.UpperMode() = upperMode;
    r.EffPar[8] = upper;
    r.EffPar[7] = upperLimit;
    return p;
}

// Linked to an optimisation object that may shift the angles: the first
// (or the point's) within from1..to1, the second within from2..to2.
TRestr& shiftable(TRestr& r, double from1, double to1, double from2 = 0, double to2 = 0)
{
    r.IsGlobal = true;
    r.EffPar[9] = from1;
    r.EffPar[10] = to1;
    r.EffPar[11] = from2;
    r.EffPar[12] = to2;
    return r;
}

using Segment = std::pair<CanvasPoint, CanvasPoint>;

std::vector<Segment> segments(const RecordingCanvas& c, Color pen)
{
    std::vector<Segment> s;
    for (const auto& op : c.withPen(Kind::Line, pen))
        s.emplace_back(op.points[0], op.points[1]);
    return s;
}

std::vector<CanvasRect> rectangles(const RecordingCanvas& c)
{
    std::vector<CanvasRect> r;
    for (const auto& op : c.of(Kind::Rectangle)) {
        EXPECT_EQ(op.pen, Band);
        EXPECT_EQ(op.brush, Band);
        r.push_back({op.points[0].x, op.points[0].y, op.points[1].x, op.points[1].y});
    }
    return r;
}

TEST(RestrictionPaint, IntervalBandsAndBrackets)
{
    Axes a;
    // Lower bound -5 fixed, upper bound 5 that may grow to 8.
    const TRestr& r = *interval(11, 90, 180, 0, -5, 0, 1, 5, 8);
    RecordingCanvas c;
    PaintRestriction(c, r, colours(), a.x, a.y, 1);
    EXPECT_EQ(rectangles(c), (std::vector<CanvasRect>{{90, 150, 181, 151}, {90, 50, 181, 21}}));
    EXPECT_EQ(segments(c, Limit), (std::vector<Segment>{{{90, 155}, {90, 150}},
                                                        {{90, 150}, {180, 150}},
                                                        {{180, 150}, {180, 155}},
                                                        {{90, 45}, {90, 50}},
                                                        {{90, 50}, {180, 50}},
                                                        {{180, 50}, {180, 45}}}));
    EXPECT_EQ(c.PenColor(), ColorBlack);
    EXPECT_EQ(c.BrushColor(), ColorWhite);

    // The relative family paints alike; other orders and families do not.
    for (int kind : {51, 1, 12, 21, 31}) {
        RecordingCanvas other;
        const auto o = interval(kind, 90, 180, 0, -5, 0, 1, 5, 8);
        PaintRestriction(other, *o, colours(), a.x, a.y, 1);
        EXPECT_EQ(other.of(Kind::Rectangle).empty(), kind != 51) << kind;
    }

    // Highlighted: the limit lines take the highlight colour.
    TRestr& h = *interval(11, 90, 180, 0, -5, 0, -1, 0, 0);
    h.Highlight = true;
    RecordingCanvas hc;
    PaintRestriction(hc, h, colours(), a.x, a.y, 1);
    EXPECT_EQ(segments(hc, Active).size(), 3u);
    EXPECT_TRUE(segments(hc, Limit).empty());
}

TEST(RestrictionPaint, ShiftableIntervalShowsBandAndDomain)
{
    Axes a;
    const auto keep = interval(10, 100, 200, 0, -5, 0, -1, 0, 0);
    TRestr& r = *keep;
    r.PhiMinVar() = 1;
    r.EffPar[1] = 80;
    r.PhiMaxVar() = 1;
    r.EffPar[3] = 230;
    shiftable(r, 60, 110, 190, 250);
    RecordingCanvas c;
    PaintRestriction(c, r, colours(), a.x, a.y, 0);
    EXPECT_EQ(rectangles(c), (std::vector<CanvasRect>{{80, 150, 231, 151}}));
    EXPECT_EQ(segments(c, Domain), (std::vector<Segment>{{{60, 155}, {110, 155}}, {{190, 155}, {250, 155}}}));
}

TEST(RestrictionPaint, IntervalsAcrossTheRevolutionEndPaintTwice)
{
    Axes a;
    struct Case {
        const char* name;
        double from, to;
        std::vector<CanvasRect> bands;
        size_t domainLines;
    };
    const Case cases[] = {
        {"below 0", -30, 40, {{0, 150, 41, 151}, {330, 150, 361, 151}}, 2},
        {"beyond 360", 300, 400, {{300, 150, 361, 151}, {0, 150, 41, 151}}, 2},
        {"inside", 100, 200, {{100, 150, 201, 151}}, 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const auto keep = interval(10, k.from, k.to, 0, -5, 0, -1, 0, 0);
        const TRestr& r = shiftable(*keep, k.from - 10, k.from + 10, k.to - 10, k.to + 10);
        RecordingCanvas c;
        PaintRestriction(c, r, colours(), a.x, a.y, 0);
        EXPECT_EQ(rectangles(c), k.bands);
        EXPECT_EQ(segments(c, Limit).size(), 3 * k.bands.size());
        // A shift range is drawn only in the pass whose own angle lies
        // inside the revolution.
        EXPECT_EQ(segments(c, Domain).size(), k.domainLines);
    }
}

TEST(RestrictionPaint, BoundsOutsideThePlot)
{
    Axes a;
    // Lower bound below the plot whose limit reaches into it: the band is
    // cut at the bottom, no bracket.
    const auto below = interval(10, 90, 180, 1, -15, -5, -1, 0, 0);
    RecordingCanvas c;
    PaintRestriction(c, *below, colours(), a.x, a.y, 0);
    EXPECT_EQ(rectangles(c), (std::vector<CanvasRect>{{90, 200, 181, 151}}));
    EXPECT_TRUE(segments(c, Limit).empty());

    // A band outside the plot's angles paints nothing at all.
    TAxis zoomed = a.x;
    zoomed.Min = 200;
    zoomed.Max = 300;
    zoomed.SetBorder(0, 360);
    RecordingCanvas none;
    PaintRestriction(none, *interval(10, 20, 60, 0, -5, 0, 0, 5, 0), colours(), zoomed, a.y, 0);
    EXPECT_TRUE(none.of(Kind::Rectangle).empty());
    EXPECT_TRUE(none.of(Kind::Line).empty());
}

TEST(RestrictionPaint, PointRestrictionTicks)
{
    Axes a;
    const auto keep = interval(2, 90, 0, 1, -5, -8, 0, 15, 0);
    TRestr& r = shiftable(*keep, 70, 120);
    RecordingCanvas c;
    PaintRestriction(c, r, colours(), a.x, a.y, 2);
    // Lower: band tick at the limit -8, the line up to the bound -5; limit
    // tick and serif below it. Upper 15 lies above the plot: at the top.
    EXPECT_EQ(segments(c, Band), (std::vector<Segment>{{{85, 180}, {95, 180}},
                                                       {{90, 180}, {90, 150}},
                                                       {{85, 0}, {95, 0}},
                                                       {{90, 0}, {90, 0}}}));
    EXPECT_EQ(segments(c, Limit), (std::vector<Segment>{{{85, 150}, {95, 150}},
                                                        {{90, 150}, {90, 155}},
                                                        {{85, 0}, {95, 0}},
                                                        {{90, 0}, {90, -5}}}));
    EXPECT_EQ(segments(c, Domain), (std::vector<Segment>{{{70, 155}, {120, 155}}, {{70, -5}, {120, -5}}}));

    RecordingCanvas outside;
    r.EffPar[2] = 400;
    PaintRestriction(outside, r, colours(), a.x, a.y, 2);
    EXPECT_TRUE(outside.of(Kind::Line).empty());
}

TEST(RestrictionPaint, ExtentsForTheAutomaticRange)
{
    struct Case {
        const char* name;
        std::shared_ptr<TRestr> r;
        int order;
        double xMin, xMax;
        bool empty;
        double lo, hi;
    };
    const auto global = interval(10, 100, 200, 0, -5, 0, 0, 5, 0);
    shiftable(*global, 300, 0, 0, 350);
    const auto lowerOnly = interval(1, 90, 0, 1, -5, -8, -1, 0, 0);
    const Case cases[] = {
        {"both bounds", interval(10, 100, 200, 0, -5, 0, 0, 5, 0), 0, 0, 360, false, -5, 5},
        {"other order", interval(10, 100, 200, 0, -5, 0, 0, 5, 0), 1, 0, 360, true, 0, 0},
        {"outside the angles", interval(10, 100, 200, 0, -5, 0, 0, 5, 0), 0, 250, 360, true, 0, 0},
        {"global uses its domain", global, 0, 250, 360, false, -5, 5},
        {"lower bound with limit", lowerOnly, 1, 0, 360, false, -5, -8},
        {"upper only", interval(3, 90, 0, -1, 0, 0, 1, 4, 6), 3, 0, 360, false, 6, 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ValueRange range;
        RestrictionExtent(*k.r, k.order, k.xMin, k.xMax, range);
        if (k.empty) {
            EXPECT_TRUE(range.empty());
            continue;
        }
        EXPECT_EQ(range.lo, std::min(k.lo, k.hi));
        EXPECT_EQ(range.hi, std::max(k.lo, k.hi));
    }
}

} // namespace
} // namespace vemra
