// Axis ranges and steps, multiples of a step far from 0, pixel mapping and
// tick labels.
#include "diagram/axis.h"
#include "diagram/diagram.h"

#include "model/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vemra {
namespace {

// The multiple of step at or above v (up) or at or below it, as counting
// would find it, started a few steps short of the answer instead of at 0
// (the same result, since i·step grows with i).
double counted(double v, double step, bool up)
{
    const double d = up ? 1 : -1;
    double i = (up ? std::floor(v / step) : std::ceil(v / step)) - 3 * d;
    while (up ? i * step < v : i * step > v)
        i += d;
    return i * step;
}

struct RangeCase {
    const char* name;
    bool angle;
    int ends;
    bool withZero;
    int divisions;
    double a, b;
    double major, minor, min, max;
};

TEST(Axis, SetMinMaxChoosesStepsAndRange)
{
    const RangeCase cases[] = {
        {"angle 0..360", true, 1, false, 6, 0, 360, 90, 10, 0, 360},
        {"value 0..360", false, 1, false, 6, 0, 360, 100, 20, 0, 360},
        {"short angle range uses decimal steps", true, 1, false, 6, 0, 90, 20, 2, 0, 90},
        {"rounded out to ticks", false, 1, false, 4, 0.13, 0.87, 0.2, 0.02, 0.12, 0.88},
        {"exact ends", false, 0, false, 4, 0.13, 0.87, 0.2, 0.02, 0.13, 0.87},
        {"narrow range goes to numbers", false, 0, false, 1, 0.13, 0.2, 0.1, 0.02, 0.1, 0.2},
        {"with zero", false, 1, true, 5, 5, 10, 2, 0.2, 0, 10},
        {"with zero below", false, 1, true, 5, -10, -5, 2, 0.2, -10, 0},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TAxis axis;
        axis.AngleAxis = c.angle;
        axis.EndsMode = static_cast<uint8_t>(c.ends);
        axis.WithZero = c.withZero;
        axis.SetBorder(0, 600);
        axis.SetMinMax(c.divisions, c.a, c.b);
        EXPECT_NEAR(axis.MajorStep, c.major, 1e-12);
        EXPECT_NEAR(axis.MinorStep, c.minor, 1e-12);
        EXPECT_NEAR(axis.Min, c.min, 1e-12);
        EXPECT_NEAR(axis.Max, c.max, 1e-12);
        EXPECT_EQ(axis.RawMin, c.a);
        EXPECT_EQ(axis.RawMax, c.b);
        EXPECT_DOUBLE_EQ(axis.Factor, 600 / (axis.Max - axis.Min));
        EXPECT_GE(axis.FirstMinor, axis.Min);
        EXPECT_LT(axis.FirstMinor - axis.MinorStep, axis.Min);
    }
}

TEST(Axis, MultiplesFarFromZeroAreTheCountedOnes)
{
    const double values[] = {0.87, -0.13, 1e9 + 0.3, -1e9 - 0.7, 1e12 + 1, 999999999999.99, -1e12, 3e-15, -7.5e-16};
    const double steps[] = {0.2, 0.02, 0.5, 1e-16, 0.1};
    for (double v : values)
        for (double step : steps) {
            if (std::fabs(v / step) > 1e15)
                continue;
            SCOPED_TRACE(testing::Message() << v << " / " << step);
            EXPECT_EQ(multipleAtOrAbove(v, step), counted(v, step, true));
            EXPECT_EQ(multipleAtOrBelow(v, step), counted(v, step, false));
        }
}

TEST(Axis, RangesFarFromZeroAndDegenerateRangesFinish)
{
    struct Case {
        double a, b;
    };
    const Case cases[] = {{1e9, 1e9 + 2}, {1e12, 1e12 + 1}, {-1e12 - 1, -1e12}, {0, 0}, {5, 5}, {1e9, 1e9},
                          {1e-15, 2e-15}, {-1e300, 1e300}, {std::numeric_limits<double>::quiet_NaN(), 1}};
    for (const Case& c : cases)
        for (int ends : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << c.a << ".." << c.b << " ends " << ends);
            TAxis axis;
            axis.EndsMode = static_cast<uint8_t>(ends);
            axis.SetBorder(300, 0);
            axis.SetMinMax(4, c.a, c.b);
            EXPECT_LT(axis.Min, axis.Max);
            EXPECT_GT(axis.MinorStep, 0);
            if (!std::isnan(c.a)) {
                EXPECT_LE(axis.Min, std::max(c.a, -1e300));
                EXPECT_GE(axis.Max, std::min(c.b, 1e300));
            }
            EXPECT_LE(axis.Min, axis.FirstMajor);
        }
    TAxis axis;
    axis.SetMinMax(4, 0, 0);
    EXPECT_GE(axis.RawMax - axis.RawMin, 1e-20);
}

TEST(Axis, ScaleRoundsToEvenAndNeverFaults)
{
    TAxis axis;
    axis.Min = 0;
    axis.Max = 10;
    axis.SetBorder(0, 100);
    EXPECT_EQ(axis.Scale(0.25), 2);
    EXPECT_EQ(axis.Scale(0.75), 8);
    EXPECT_EQ(axis.Scale(10), 100);
    EXPECT_EQ(axis.Scale(1e300), 0);
    EXPECT_EQ(axis.Scale(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_DOUBLE_EQ(axis.UnScale(50), 5);
    EXPECT_EQ(axis.GetMin(), 0);
    EXPECT_EQ(axis.GetMax(), 100);

    TAxis flat; // Min = Max: every value lands on the start
    flat.SetBorder(20, 80);
    EXPECT_EQ(flat.Factor, 0);
    EXPECT_EQ(flat.Scale(123), 20);
    EXPECT_EQ(flat.UnScale(50), 0);
}

TEST(Axis, TickLabels)
{
    setLocaleDecimalSeparator('.');
    struct Case {
        double v, zero;
        const char* text;
    };
    const Case cases[] = {
        {1.2e-17, 1e-6, "0.0"}, {0, 0, "0.0"},      {90, 3.6e-4, "90"},     {0.5, 0, "0.5"},
        {-0.25, 0, "-0.25"},    {0.1 + 0.2, 0, "0.3"}, {1e-5, 0, "0.00001"}, {1e-6, 0, "1E-6"},
        {1.5e20, 0, "1.5E20"},  {-2.5e-7, 0, "-2.5E-7"}, {123456789012345678.0, 0, "1.23456789012346E17"},
        {100000000000000.0, 0, "100000000000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TickLabel(c.v, c.zero), c.text) << c.v;
    setLocaleDecimalSeparator(',');
    EXPECT_EQ(TickLabel(-0.25, 0), "-0,25");
    setLocaleDecimalSeparator('.');
}

} // namespace
} // namespace vemra
