#include "test_vectors.h"
#include "model/nodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <tuple>
#include <vector>

namespace vemra {
namespace {

constexpr double kPi = 3.14159265358979323846;

using test::fill;

// A motion with a result whose s curve is given by its coefficients.
struct Motion : TRXHeader {
    explicit Motion(std::initializer_list<double> s = {})
    {
        fill(sSC, s);
        HasResult = true;
    }
};

// Records every angle at which s is evaluated.
struct CountingMotion : Motion {
    using Motion::Motion;
    mutable std::vector<double> angles;
    double Calc_s(uint8_t order, double phi) const override
    {
        angles.push_back(phi);
        return Motion::Calc_s(order, phi);
    }
};

// s = sin x + 0.5 cos x - 0.25 sin 3x + 0.1 cos 3x + 0.3 (harmonic 2 empty).
Motion mixedSeries()
{
    return Motion({0.7, 0.3, 1.0, 0.5, 0.0, 0.0, -0.25, 0.1});
}

TEST(Evaluation, DerivativesOfSineAreTakenByRadians)
{
    Motion m({0, 0, 1, 0});
    EXPECT_DOUBLE_EQ(m.Calc_s(0, 90), 1.0);
    EXPECT_DOUBLE_EQ(m.Calc_s(1, 0), 1.0);
    EXPECT_DOUBLE_EQ(m.Calc_s(2, 90), -1.0);
    EXPECT_DOUBLE_EQ(m.Calc_s(3, 0), -1.0);
    EXPECT_NEAR(m.Calc_s(0, 30), 0.5, 1e-15);
}

TEST(Evaluation, EachOrderIsTheDerivativeOfThePreviousOne)
{
    const Motion m = mixedSeries();
    const double dx = 1e-6; // radians
    for (uint8_t n = 0; n < 7; ++n)
        for (double phi : {0.0, 17.0, 123.4, 300.0}) {
            const double step = dx * 180 / kPi;
            const double numeric = (m.Calc_s(n, phi + step) - m.Calc_s(n, phi - step)) / (2 * dx);
            EXPECT_NEAR(m.Calc_s(n + 1, phi), numeric, 1e-6 * std::pow(3.0, n + 1)) << "order " << int(n) << " at " << phi;
        }
}

TEST(Evaluation, OrderFourIsOrderZeroScaledByKToTheFourth)
{
    const Motion m = mixedSeries();
    for (uint8_t k = 1; k <= 3; ++k) {
        const double f = double(k) * k * k * k;
        EXPECT_EQ(m.s_sin(4, k), f * m.s_sin(0, k));
        EXPECT_EQ(m.s_cos(4, k), f * m.s_cos(0, k));
        EXPECT_EQ(m.s_cos(5, k), f * m.s_cos(1, k));
    }
    // The constant drops out; harmonic 3 weighs 81 times.
    for (double phi : {0.0, 40.0, 222.0}) {
        const double x = phi * kPi / 180;
        const double expected = std::sin(x) + 0.5 * std::cos(x) + 81 * (-0.25 * std::sin(3 * x) + 0.1 * std::cos(3 * x));
        EXPECT_NEAR(m.Calc_s(4, phi), expected, 1e-13) << phi;
    }
}

TEST(Evaluation, HarmonicZeroHoldsEtaAndTheConstant)
{
    Motion m({0.7, 0.3});
    m.qSC.ReSize(2);
    m.qSC[0] = 0.0; // q's copy of eta does not count
    m.qSC[1] = -2.0;
    for (uint8_t n = 0; n < 5; ++n) {
        EXPECT_EQ(m.s_sin(n, 0), 0.7);
        EXPECT_EQ(m.q_sin(n, 0), 0.7);
        EXPECT_EQ(m.s_cos(n, 0), n == 0 ? 0.3 : 0.0);
        EXPECT_EQ(m.q_cos(n, 0), n == 0 ? -2.0 : 0.0);
    }
    // Count 2: a constant curve.
    for (double phi : {0.0, 45.0, 271.0}) {
        EXPECT_EQ(m.Calc_s(0, phi), 0.3);
        EXPECT_EQ(m.Calc_q(0, phi), -2.0);
        for (uint8_t n = 1; n <= 3; ++n)
            EXPECT_EQ(m.Calc_s(n, phi), 0.0);
    }
}

TEST(Evaluation, ShortAndOddVectorsReadOnlyWholePairs)
{
    Motion empty;
    EXPECT_EQ(empty.Calc_s(0, 10), 0.0);
    EXPECT_EQ(empty.s_cos(0, 0), 0.0);
    EXPECT_EQ(empty.s_sin(0, 200), 0.0);

    // Element 4 starts a pair without its cosine: not evaluated.
    Motion odd({0, 1, 0, 2, 100});
    EXPECT_DOUBLE_EQ(odd.Calc_s(0, 0), 3.0);
    EXPECT_DOUBLE_EQ(odd.Calc_s(0, 90), 1.0 + 2 * std::cos(kPi / 2));

    Motion torque;
    fill(torque.mSC, {5, 5, 0, 1, 7});
    EXPECT_EQ(torque.m_sin(0), 0.0);
    EXPECT_EQ(torque.m_cos(1), 1.0);
    EXPECT_EQ(torque.m_sin(2), 0.0); // pair 2 incomplete
    EXPECT_EQ(torque.m_sin(-1), 0.0);
}

TEST(Evaluation, TorqueTermHasNoConstantTerm)
{
    Motion m;
    EXPECT_EQ(m.Calc_M(33), 0.0);
    fill(m.mSC, {9, 9, 0, 0, 1, 0});
    EXPECT_NEAR(m.Calc_M(45), 1.0, 1e-15); // sin 2x
    EXPECT_NEAR(m.Calc_M(0), 0.0, 1e-15);
}

TEST(Extremes, SingleAngleIsOneSample)
{
    CountingMotion m({0, 0, 1, 0});
    double lo = 30, hi = 30;
    m.GetMinMax_s(0, lo, hi);
    EXPECT_EQ(m.angles, std::vector<double>{30.0});
    EXPECT_NEAR(lo, 0.5, 1e-15);
    EXPECT_EQ(lo, hi);
}

TEST(Extremes, SamplingDensityFollowsTheCoefficientCount)
{
    for (int harmonics : {10, 20}) {
        CountingMotion m;
        m.sSC.ReSize(2 * harmonics + 2);
        double lo = 0, hi = 360;
        m.GetMinMax_s(0, lo, hi);
        // Count / 36 samples per degree plus one interval: 221 for K = 10.
        const size_t intervals = 360 * (2 * harmonics + 2) / 36 + 1;
        ASSERT_EQ(m.angles.size(), intervals + 1) << harmonics;
        EXPECT_EQ(m.angles.front(), 0.0);
        EXPECT_EQ(m.angles.back(), 360.0);
        for (size_t i = 1; i < m.angles.size(); ++i)
            EXPECT_NEAR(m.angles[i] - m.angles[i - 1], 360.0 / intervals, 1e-9);
    }
}

// What GetMinMax_s/_q/_M or GetMinMax_phi must make of a range lo..hi of
// s = offset + sin x (q = 4, M = 2 cos 2x where the case says so): each
// end exactly when its tolerance is 0, within it otherwise, not checked
// when it is NaN.
struct RangeCase {
    const char* name;
    char quantity; // 's', 'q', 'M', or 'b' for the band search on s
    uint8_t order;
    double offset;
    bool hasResult, withQ, withM;
    double lo, hi;
    double expectedLo, loTol, expectedHi, hiTol;
    double lower = 0, upper = 0; // the band
};

TEST(Extremes, RangesOfTheCurves)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const RangeCase cases[] = {
        // Without result the range is zero.
        {"s without result", 's', 0, 5, false, false, false, 10, 200, 0, 0, 0, 0},
        {"q without result", 'q', 1, 5, false, false, false, 200, nan, 0, 0, 0, 0},
        {"M without its coefficients", 'M', 0, 5, true, false, false, 0, 360, 0, 0, 0, 0},
        // Sampled every 8.8 degrees: off by at most 1 - cos 4.4 degrees.
        {"s over a revolution", 's', 0, 0, true, false, false, 0, 360, -1, 3e-3, 1, 3e-3},
        // Extremes at the interval ends are exact.
        {"s up to its maximum", 's', 0, 0, true, false, false, 0, 90, 0, 0, 1, 0},
        // q and the torque term use their own vectors.
        {"constant q", 'q', 0, 0, true, true, false, 0, 360, 4, 0, 4, 0},
        // cos 2x sampled every 5.9 degrees.
        {"M", 'M', 0, 0, true, false, true, 0, 360, -2, 1e-2, 2, 1e-12},
        // Odd intervals terminate. Reversed: the interval between the two angles.
        {"reversed", 's', 0, 0, true, false, false, 90, 0, 0, 0, 1, 0},
        {"infinite", 's', 0, 0, true, false, false, -inf, inf, 0, nan, 1, 1e-2},
        // A curve inside the band everywhere gives the whole revolution.
        {"band holding the curve", 'b', 0, 0, true, false, false, 100, 120, 0, 0, 360, 0, -1.5, 1.5},
        // The band search widens to the band edges: sin x leaves -0.5..0.5
        // at -30 and 30 degrees.
        {"band", 'b', 0, 0, true, false, false, 0, 10, -30, 1e-3, 30, 1e-3, -0.5, 0.5},
        {"band, reversed", 'b', 0, 0, true, false, false, 10, 0, -30, 1e-3, 30, 1e-3, -0.5, 0.5},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Motion m({0, c.offset, 1, 0});
        m.HasResult = c.hasResult;
        if (c.withQ)
            fill(m.qSC, {0, 4, 0, 0});
        if (c.withM)
            fill(m.mSC, {0, 0, 0, 0, 0, 2});
        double lo = c.lo, hi = c.hi;
        switch (c.quantity) {
        case 's': m.GetMinMax_s(c.order, lo, hi); break;
        case 'q': m.GetMinMax_q(c.order, lo, hi); break;
        case 'M': m.GetMinMax_M(lo, hi); break;
        default: m.GetMinMax_phi(c.order, lo, hi, c.lower, c.upper); break;
        }
        const std::tuple<const char*, double, double, double> ends[] = {{"lower end", lo, c.expectedLo, c.loTol},
                                                                          {"upper end", hi, c.expectedHi, c.hiTol}};
        for (const auto& [end, value, expected, tol] : ends) {
            if (tol == 0) {
                EXPECT_EQ(value, expected) << end;
            } else if (!std::isnan(tol)) {
                EXPECT_NEAR(value, expected, tol) << end;
            }
        }
    }
}

TEST(Extremes, OddIntervalsTerminate)
{
    CountingMotion m({0, 0, 1, 0});
    double lo = std::numeric_limits<double>::quiet_NaN(), hi = 10;
    m.GetMinMax_s(0, lo, hi);
    EXPECT_TRUE(std::isnan(lo) && std::isnan(hi));

    // Far more than a revolution: the whole range at the density of one.
    m.angles.clear();
    lo = 0, hi = 1e12;
    m.GetMinMax_s(0, lo, hi);
    EXPECT_NEAR(lo, -1, 1e-2);
    EXPECT_NEAR(hi, 1, 1e-2);
    EXPECT_LT(m.angles.size(), 100u);

    // Angles so large that adding the step does not move them.
    m.angles.clear();
    lo = 1e18, hi = 1e18 + 1e4;
    m.GetMinMax_s(0, lo, hi);
    EXPECT_LT(m.angles.size(), 2000u);
}

TEST(BandSearch, NoRangeInsideLeavesTheAnglesAsGiven)
{
    Motion m({0, 0, 1, 0});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double lower, upper, from, to;
    };
    for (const Case& c : {Case{2, 3, 10, 20},  // outside everywhere
                          Case{0.5, -0.5, 10, 20}, // lower above upper
                          Case{-1, 1, nan, 20}, Case{nan, 1, 10, 20}}) {
        double from = c.from, to = c.to;
        m.GetMinMax_phi(0, from, to, c.lower, c.upper);
        EXPECT_TRUE(from == c.from || (std::isnan(from) && std::isnan(c.from)));
        EXPECT_EQ(to, c.to);
    }
    m.HasResult = false;
    double from = 10, to = 20;
    m.GetMinMax_phi(0, from, to, -2, 2);
    EXPECT_EQ(from, 10.0);
    EXPECT_EQ(to, 20.0);
}

} // namespace
} // namespace vemra
