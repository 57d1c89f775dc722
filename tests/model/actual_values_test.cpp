#include "test_vectors.h"
#include "model/nodes.h"
#include "model/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace vemra {
namespace {

constexpr double kPi = 3.14159265358979323846;

double sind(double degrees)
{
    return std::sin(degrees * kPi / 180);
}

using test::fill;

// A motion with K = 1 whose s is sin x and whose q is 2 + cos x.
struct SineMotion : TRXHeader {
    SineMotion()
    {
        fill(sSC, {0, 0, 1, 0});
        fill(qSC, {0, 2, 0, 1});
        HasResult = ResultValid = true;
        IntPar[3] = 1;
    }
};

constexpr int kNone = -1;
constexpr int kFixed = 0;

// Restrictions are not copyable, hence a constructor instead of a factory.
struct Interval : TRestr {
    Interval(double from, double to, int lowerMode, double lower, int upperMode, double upper, int kind = 10)
    {
        Kind() = kind;
        LowerMode() = lowerMode;
        UpperMode() = upperMode;
        EffPar[2] = from;
        EffPar[4] = to;
        EffPar[6] = lower;
        EffPar[8] = upper;
    }
};

// The boundaries close in to 1e-4 of the base step, which is at most a
// twentieth of the range; the last inward step may add half that again.
double tolerance(const TRestr& r)
{
    return 1.5 * 1e-4 * 0.05 * (r.EffPar[4] - r.EffPar[2]);
}

TEST(ActualValues, PointRestrictionReportsTheValueAtItsAngle)
{
    SineMotion m;
    for (int kind : {0, 41}) {
        Interval r(30, 0, kFixed, -1, kFixed, 1, kind);
        r.UpdateActualValuesS(m);
        r.UpdateActualValuesQ(m);
        const double s = kind == 0 ? 0.5 : std::cos(30 * kPi / 180);
        EXPECT_EQ(r.ActS[1], 30.0);
        EXPECT_EQ(r.ActS[2], 30.0);
        EXPECT_NEAR(r.ActS[3], s, 1e-15);
        EXPECT_EQ(r.ActS[3], r.ActS[4]);
        const double q = kind == 0 ? 2 + std::cos(30 * kPi / 180) : -0.5;
        EXPECT_NEAR(r.ActQ[3], q, 1e-15);
    }
}

TEST(ActualValues, KeptRangeEndsWhereTheCurveCrossesTheBound)
{
    SineMotion m;
    // Only an upper bound 0.5: below 0 degrees sin x stays under it back to
    // -210 degrees, above 20 degrees up to 30 degrees.
    Interval r(0, 20, kNone, 0, kFixed, 0.5);
    r.UpdateActualValuesS(m);
    EXPECT_NEAR(r.ActS[1], -210, tolerance(r));
    EXPECT_NEAR(r.ActS[2], 30, tolerance(r));
    EXPECT_EQ(r.ActS[3], 0.0);
    EXPECT_NEAR(r.ActS[4], sind(20), 1e-15);

    // Both bounds, on the derivative: cos x stays inside 0.5..2 from -60 to 60.
    Interval v(0, 20, kFixed, 0.5, kFixed, 2, 11);
    v.UpdateActualValuesS(m);
    EXPECT_NEAR(v.ActS[1], -60, tolerance(v));
    EXPECT_NEAR(v.ActS[2], 60, tolerance(v));
    EXPECT_NEAR(v.ActS[4], 1.0, 1e-15);
}

TEST(ActualValues, InteriorExtremesAreRefined)
{
    SineMotion m;
    Interval r(61, 300, kNone, 0, kNone, 0);
    r.UpdateActualValuesS(m);
    EXPECT_NEAR(r.ActS[3], -1, 1e-6);
    EXPECT_NEAR(r.ActS[4], 1, 1e-6);

    // A range narrower than a twentieth of the period is sampled at a
    // twentieth of the range, so its peak is found.
    Interval narrow(89, 91.5, kNone, 0, kNone, 0);
    narrow.UpdateActualValuesS(m);
    EXPECT_NEAR(narrow.ActS[4], 1, 1e-9);
    EXPECT_NEAR(narrow.ActS[3], sind(91.5), 1e-15);

    // q is 2 + cos x, lowest at 180 degrees.
    Interval q(100, 250, kNone, 0, kNone, 0);
    q.UpdateActualValuesQ(m);
    EXPECT_NEAR(q.ActQ[3], 1, 1e-6);
}

TEST(ActualValues, ExtremesOnTheIntervalEndsAreNotRefined)
{
    // A refinement that walked on from an end would find lower values below
    // 30 and higher ones above 80 degrees, outside the range.
    SineMotion m;
    Interval r(30, 80, kNone, 0, kNone, 0);
    r.UpdateActualValuesS(m);
    EXPECT_NEAR(r.ActS[3], 0.5, 1e-15);
    EXPECT_NEAR(r.ActS[4], sind(80), 1e-15);
}

TEST(ActualValues, CurveThatNeverLeavesTheBandKeepsItAllRound)
{
    SineMotion m;
    Interval inside(10, 20, kFixed, -2, kFixed, 2, 50);
    Interval unbounded(10, 20, kNone, 0, kNone, 0);
    for (TRestr* r : {&inside, &unbounded}) {
        r->UpdateActualValuesS(m);
        EXPECT_EQ(r->ActS[1], 0.0);
        EXPECT_EQ(r->ActS[2], 360.0);
    }
}

TEST(ActualValues, CurveOutsideTheIntervalShowsAnInvertedRange)
{
    SineMotion m;
    // sin x is below 0.9 all over 200..250 but above it around 90 degrees:
    // the lower end is found after, the upper end before the interval.
    Interval elsewhere(200, 250, kFixed, 0.9, kNone, 0);
    elsewhere.UpdateActualValuesS(m);
    EXPECT_NEAR(elsewhere.ActS[1], 360 + 64.158, 1e-2);
    EXPECT_NEAR(elsewhere.ActS[2], 115.842, 1e-2);

    // Never back inside: the ends are swapped interval ends, whatever the
    // reason, and the extremes are still reported.
    Interval above(0, 20, kFixed, 2, kNone, 0);
    Interval crossed(0, 20, kFixed, 0.5, kFixed, -0.5);
    for (TRestr* r : {&above, &crossed}) {
        r->UpdateActualValuesS(m);
        EXPECT_EQ(r->ActS[1], 20.0);
        EXPECT_EQ(r->ActS[2], 0.0);
        EXPECT_EQ(r->ActS[3], 0.0);
        EXPECT_NEAR(r->ActS[4], sind(20), 1e-15);
    }
}

TEST(ActualValues, DegenerateInputTerminates)
{
    SineMotion m;
    // Harmonic count missing: the coefficients tell K = 1. (A range of 200
    // degrees is wide enough for K to set the step.)
    Interval reference(0, 200, kNone, 0, kFixed, 0.5);
    reference.UpdateActualValuesS(m);
    EXPECT_NEAR(reference.ActS[2], 390, 1e-2);
    for (int k : {0, -3}) {
        m.IntPar[3] = k;
        Interval r(0, 200, kNone, 0, kFixed, 0.5);
        r.UpdateActualValuesS(m);
        EXPECT_EQ(r.ActS, reference.ActS) << k;
    }
    m.IntPar[3] = 1;

    // Empty or reversed interval: the angles as given, the end values.
    Interval point(30, 30, kFixed, -1, kFixed, 1);
    point.UpdateActualValuesS(m);
    EXPECT_EQ(point.ActS[1], 30.0);
    EXPECT_EQ(point.ActS[2], 30.0);
    EXPECT_NEAR(point.ActS[3], 0.5, 1e-15);
    Interval reversed(90, 30, kFixed, -1, kFixed, 1);
    reversed.UpdateActualValuesS(m);
    EXPECT_EQ(reversed.ActS[1], 90.0);
    EXPECT_EQ(reversed.ActS[2], 30.0);
    EXPECT_NEAR(reversed.ActS[3], 0.5, 1e-15);
    EXPECT_EQ(reversed.ActS[4], 1.0);

    // A range of a billionth of a degree: the walks stop on their budget and
    // claim no more than they have seen.
    Interval tiny(10, 10 + 1e-9, kFixed, -2, kFixed, 2);
    tiny.UpdateActualValuesS(m);
    EXPECT_LE(tiny.ActS[1], 10.0);
    EXPECT_GT(tiny.ActS[1], 0.0);
    EXPECT_GE(tiny.ActS[2], 10.0);
    EXPECT_LT(tiny.ActS[2], 360.0);

    // What a damaged file may carry: a range of 1e11 degrees (sampled over
    // its first revolution), a harmonic count of a billion (a base step of
    // 2e-8 degrees: the walks stop on their budget, the samples are capped).
    Interval huge(0, 1e11, kNone, 0, kFixed, 0.5);
    huge.UpdateActualValuesS(m);
    EXPECT_NEAR(huge.ActS[1], -210, 1e-2);
    EXPECT_NEAR(huge.ActS[3], -1, 1e-6);
    EXPECT_NEAR(huge.ActS[4], 1, 1e-6);
    // At angles where a double cannot resolve a revolution, the range still
    // covers every value of the curve.
    Interval astronomic(1e300, 2e300, kNone, 0, kNone, 0);
    astronomic.UpdateActualValuesS(m);
    EXPECT_NEAR(astronomic.ActS[3], -1, 1e-12);
    EXPECT_NEAR(astronomic.ActS[4], 1, 1e-12);
    m.IntPar[3] = 1'000'000'000;
    Interval fine(61, 300, kNone, 0, kNone, 0);
    fine.UpdateActualValuesS(m);
    EXPECT_LE(fine.ActS[1], 61.0);
    EXPECT_GE(fine.ActS[2], 300.0);
    EXPECT_NEAR(fine.ActS[3], -1, 1e-6);
    EXPECT_NEAR(fine.ActS[4], 1, 1e-6);
    m.IntPar[3] = 1;

    const double nan = std::numeric_limits<double>::quiet_NaN();
    Interval undefined(nan, 20, kFixed, -1, kFixed, 1);
    undefined.UpdateActualValuesS(m);
    EXPECT_EQ(undefined.ActS[2], 20.0);
}

TEST(ActualValues, SmallValuesAreStoredAsZero)
{
    TRXHeader m;
    fill(m.sSC, {0, 5e-7});
    ChopEps = 0.1; // someone else's threshold must not leak in
    Interval r(1e-7, 0, kNone, 0, kNone, 0, 0);
    r.UpdateActualValuesS(m);
    EXPECT_EQ(r.ActS[1], 0.0);
    EXPECT_EQ(r.ActS[3], 0.0);
    EXPECT_EQ(ChopEps, 1e-6);

    m.sSC[1] = -0.05;
    r.UpdateActualValuesS(m);
    EXPECT_EQ(r.ActS[4], -0.05);
}

TEST(ActualValues, SpectrumKindsSumTheCoefficientsOfS)
{
    TRXHeader m;
    m.IntPar[3] = 2;
    fill(m.sSC, {0.5, 9, 1, -2, 0.5, 0.25});
    fill(m.qSC, {0, 0, 7, 7, 7, 7});

    TRestr velocity;
    velocity.Kind() = 21;
    velocity.ActS = {0, 7, 8, 9, 0};
    velocity.UpdateActualValuesS(m);
    velocity.UpdateActualValuesQ(m);
    // k = 1: |b1| + |a1| = 3; k = 2: 2 (|b2| + |a2|) = 1.5.
    EXPECT_DOUBLE_EQ(velocity.ActS[4], 4.5);
    EXPECT_EQ(velocity.ActQ[4], velocity.ActS[4]);
    EXPECT_EQ(velocity.ActS[1], 7.0);
    EXPECT_EQ(velocity.ActS[3], 9.0);

    TRestr jerk;
    jerk.Kind() = 23;
    jerk.UpdateActualValuesS(m);
    EXPECT_DOUBLE_EQ(jerk.ActS[4], 3 + 8 * 0.75);

    // A harmonic count beyond the coefficients adds nothing.
    m.IntPar[3] = 400;
    velocity.UpdateActualValuesS(m);
    EXPECT_DOUBLE_EQ(velocity.ActS[4], 4.5);

    TRestr harmonic;
    harmonic.Kind() = 24;
    for (int n : {2, 0, 3, 300, -1}) {
        harmonic.Harmonic() = n;
        harmonic.UpdateActualValuesQ(m);
        const double expected = n == 2 ? 0.75 : n == 0 ? 9.5 : 0.0; // harmonic 0: |eta| + |b0|
        EXPECT_EQ(harmonic.ActQ[4], expected) << n;
    }
}

TEST(ActualValues, OtherKindsOnlyChop)
{
    SineMotion m;
    TRestr r;
    r.Kind() = 30;
    r.ActS = {0, 1e-9, 5, 6, 7};
    r.UpdateActualValuesS(m);
    EXPECT_EQ(r.ActS, (std::array<double, 5>{0, 0, 5, 6, 7}));
}

} // namespace
} // namespace vemra
