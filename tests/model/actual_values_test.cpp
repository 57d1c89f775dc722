#include "test_vectors.h"
#include "model/nodes.h"
#include "model/numeric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

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
constexpr double tolerance(double from, double to)
{
    return 1.5 * 1e-4 * 0.05 * (to - from);
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

// One expected actual value: exactly `value` when tol is 0, else within tol.
struct Near {
    double value;
    double tol = 0;
};
const std::optional<Near> unchecked;

// An interval restriction on the sine motion and what it must report in
// ActS[1..4] (ActQ[1..4] where q is set): kept range from, to; minimum, maximum.
struct IntervalCase {
    const char* name;
    double from, to;
    int lowerMode;
    double lower;
    int upperMode;
    double upper;
    int kind;
    bool q;
    std::array<std::optional<Near>, 4> act;
};

TEST(ActualValues, IntervalRestrictionsReportRangeAndExtremes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const IntervalCase cases[] = {
        // Kept range ends where the curve crosses the bound. Only an upper
        // bound 0.5: below 0 degrees sin x stays under it back to -210
        // degrees, above 20 degrees up to 30 degrees.
        {"upper bound only", 0, 20, kNone, 0, kFixed, 0.5, 10, false,
         {Near{-210, tolerance(0, 20)}, Near{30, tolerance(0, 20)}, Near{0}, Near{sind(20), 1e-15}}},
        // Both bounds, on the derivative: cos x stays inside 0.5..2 from -60 to 60.
        {"both bounds on the velocity", 0, 20, kFixed, 0.5, kFixed, 2, 11, false,
         {Near{-60, tolerance(0, 20)}, Near{60, tolerance(0, 20)}, unchecked, Near{1.0, 1e-15}}},
        // Interior extremes are refined.
        {"interior extremes", 61, 300, kNone, 0, kNone, 0, 10, false, {unchecked, unchecked, Near{-1, 1e-6}, Near{1, 1e-6}}},
        // A range narrower than a twentieth of the period is sampled at a
        // twentieth of the range, so its peak is found.
        {"narrow range around the peak", 89, 91.5, kNone, 0, kNone, 0, 10, false,
         {unchecked, unchecked, Near{sind(91.5), 1e-15}, Near{1, 1e-9}}},
        // q is 2 + cos x, lowest at 180 degrees.
        {"interior minimum of q", 100, 250, kNone, 0, kNone, 0, 10, true, {unchecked, unchecked, Near{1, 1e-6}, unchecked}},
        // Extremes on the interval ends are not refined: a refinement that
        // walked on from an end would find lower values below 30 and higher
        // ones above 80 degrees, outside the range.
        {"extremes on the ends", 30, 80, kNone, 0, kNone, 0, 10, false,
         {unchecked, unchecked, Near{0.5, 1e-15}, Near{sind(80), 1e-15}}},
        // A curve that never leaves the band keeps it all round.
        {"inside the band", 10, 20, kFixed, -2, kFixed, 2, 50, false, {Near{0}, Near{360}, unchecked, unchecked}},
        {"unbounded", 10, 20, kNone, 0, kNone, 0, 10, false, {Near{0}, Near{360}, unchecked, unchecked}},
        // A curve outside the interval shows an inverted range: sin x is
        // below 0.9 all over 200..250 but above it around 90 degrees, so the
        // lower end is found after, the upper end before the interval.
        {"band kept elsewhere", 200, 250, kFixed, 0.9, kNone, 0, 10, false,
         {Near{360 + 64.158, 1e-2}, Near{115.842, 1e-2}, unchecked, unchecked}},
        // Never back inside: the ends are swapped interval ends, whatever the
        // reason, and the extremes are still reported.
        {"band above the curve", 0, 20, kFixed, 2, kNone, 0, 10, false,
         {Near{20}, Near{0}, Near{0}, Near{sind(20), 1e-15}}},
        {"lower bound above the upper", 0, 20, kFixed, 0.5, kFixed, -0.5, 10, false,
         {Near{20}, Near{0}, Near{0}, Near{sind(20), 1e-15}}},
        // Degenerate input terminates. An empty or reversed interval: the
        // angles as given, the end values.
        {"empty interval", 30, 30, kFixed, -1, kFixed, 1, 10, false, {Near{30}, Near{30}, Near{0.5, 1e-15}, unchecked}},
        {"reversed interval", 90, 30, kFixed, -1, kFixed, 1, 10, false, {Near{90}, Near{30}, Near{0.5, 1e-15}, Near{1}}},
        // What a damaged file may carry: a range of 1e11 degrees (sampled
        // over its first revolution).
        {"range of 1e11 degrees", 0, 1e11, kNone, 0, kFixed, 0.5, 10, false,
         {Near{-210, 1e-2}, unchecked, Near{-1, 1e-6}, Near{1, 1e-6}}},
        // At angles where a double cannot resolve a revolution, the range
        // still covers every value of the curve.
        {"astronomic angles", 1e300, 2e300, kNone, 0, kNone, 0, 10, false,
         {unchecked, unchecked, Near{-1, 1e-12}, Near{1, 1e-12}}},
        {"undefined start", nan, 20, kFixed, -1, kFixed, 1, 10, false, {unchecked, Near{20}, unchecked, unchecked}},
    };
    for (const IntervalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SineMotion m;
        Interval r(c.from, c.to, c.lowerMode, c.lower, c.upperMode, c.upper, c.kind);
        c.q ? r.UpdateActualValuesQ(m) : r.UpdateActualValuesS(m);
        const auto& act = c.q ? r.ActQ : r.ActS;
        for (size_t i = 1; i <= 4; ++i) {
            if (!c.act[i - 1])
                continue;
            const Near& e = *c.act[i - 1];
            if (e.tol == 0) {
                EXPECT_EQ(act[i], e.value) << "value " << i;
            } else {
                EXPECT_NEAR(act[i], e.value, e.tol) << "value " << i;
            }
        }
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

    // A range of a billionth of a degree: the walks stop on their budget and
    // claim no more than they have seen.
    Interval tiny(10, 10 + 1e-9, kFixed, -2, kFixed, 2);
    tiny.UpdateActualValuesS(m);
    EXPECT_LE(tiny.ActS[1], 10.0);
    EXPECT_GT(tiny.ActS[1], 0.0);
    EXPECT_GE(tiny.ActS[2], 10.0);
    EXPECT_LT(tiny.ActS[2], 360.0);

    // A harmonic count of a billion (a base step of 2e-8 degrees): the walks
    // stop on their budget, the samples are capped.
    m.IntPar[3] = 1'000'000'000;
    Interval fine(61, 300, kNone, 0, kNone, 0);
    fine.UpdateActualValuesS(m);
    EXPECT_LE(fine.ActS[1], 61.0);
    EXPECT_GE(fine.ActS[2], 300.0);
    EXPECT_NEAR(fine.ActS[3], -1, 1e-6);
    EXPECT_NEAR(fine.ActS[4], 1, 1e-6);
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


// --- Random motions against independent references ---------------------------

// Uniform in lo..hi from the bare engine, whose sequence the standard fixes
// (the library's distributions are not fixed).
double uniform(std::mt19937_64& rnd, double lo, double hi)
{
    return lo + (hi - lo) * static_cast<double>(rnd() >> 11) * 0x1p-53;
}

// A random motion with 1..40 harmonics falling off like k^-p, p = 0..2. In a
// third of the sets the odd harmonics are damped to 1e-4: the curve nearly
// repeats every half revolution, so each extreme has a rival differing from
// it by about 1e-4, which coarse sampling easily takes for it.
void randomMotion(std::mt19937_64& rnd, TPaintObj& m)
{
    const int harmonics = 1 + static_cast<int>(rnd() % 40);
    const int p = static_cast<int>(rnd() % 3);
    const double odd = rnd() % 3 == 0 ? 1e-4 : 1.0;
    m.IntPar[3] = harmonics;
    for (TVector* v : {&m.sSC, &m.qSC}) {
        v->ReSize(2 * harmonics + 2);
        for (int i = 1; i < 2 * harmonics + 2; ++i)
            (*v)[i] = uniform(rnd, -1, 1) * (i < 2 ? 1.0 : (i / 2 % 2 ? odd : 1.0) / std::pow(i / 2, p));
    }
}

// The order-th derivative as A_k sin kx + B_k cos kx, formed and evaluated
// independently of the product: fast by turning the angle on harmonic by
// harmonic, exactly with each harmonic's own sine and cosine in long double.
struct Series {
    static constexpr long double kPiL = 3.14159265358979323846264338327950288L;
    double constant = 0, scale = 0; // scale: sum of the amplitudes
    std::vector<double> A, B;

    Series(const TVector& v, int order) : constant(order == 0 ? v[1] : 0), scale(std::fabs(constant))
    {
        for (int k = 1; 2 * k + 1 < v.Count(); ++k) {
            double a = v[2 * k], b = v[2 * k + 1];
            for (int i = 0; i < order; ++i)
                std::tie(a, b) = std::pair(-k * b, k * a);
            A.push_back(a);
            B.push_back(b);
            scale += std::fabs(a) + std::fabs(b);
        }
    }
    double fast(double degrees) const
    {
        const double x = static_cast<double>(degrees * kPiL / 180), s1 = std::sin(x), c1 = std::cos(x);
        double s = s1, c = c1, sum = constant;
        for (size_t i = 0; i < A.size(); ++i) {
            sum += A[i] * s + B[i] * c;
            std::tie(s, c) = std::pair(s * c1 + c * s1, c * c1 - s * s1);
        }
        return sum;
    }
    long double exact(long double degrees) const
    {
        long double sum = constant;
        for (size_t i = 0; i < A.size(); ++i)
            sum += A[i] * std::sin((i + 1) * degrees * kPiL / 180) + B[i] * std::cos((i + 1) * degrees * kPiL / 180);
        return sum;
    }
};

// Minimum (sign +1) or maximum (sign -1) of f over lo..hi, given f every
// 0.001 degrees from lo on (the last value at hi): the best scanned value,
// and the exact one found by golden-section searches around every local
// extreme of the scan within reach of the best, so that no nearly equal
// rival is missed.
std::pair<double, double> referenceExtreme(const Series& f, const std::vector<double>& scan, double lo, double hi,
                                           int sign)
{
    const size_t n = scan.size() - 1;
    const auto grid = [&](size_t i) { return i == n ? hi : lo + 0.001 * static_cast<double>(i); };
    const auto v = [&](size_t i) { return sign * scan[i]; };
    double scanned = v(0);
    for (size_t i = 1; i <= n; ++i)
        scanned = std::min(scanned, v(i));
    double exact = scanned;
    for (size_t i = 1; i < n; ++i) {
        if (v(i) > v(i - 1) || v(i) > v(i + 1) || v(i) - scanned > 1e-6 * f.scale)
            continue;
        long double a = grid(i - 1), b = grid(i + 1);
        for (int it = 0; it < 100; ++it) {
            const long double c = b - 0.618034L * (b - a), d = a + 0.618034L * (b - a);
            if (sign * f.exact(c) < sign * f.exact(d))
                b = d;
            else
                a = c;
        }
        exact = std::min(exact, sign * static_cast<double>(f.exact((a + b) / 2)));
    }
    return {sign * scanned, sign * exact};
}

TEST(ActualValuesProperty, ExtremesAreThoseOfTheCurve)
{
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        std::mt19937_64 rnd(seed);
        TRXHeader m;
        randomMotion(rnd, m);
        const int order = static_cast<int>(rnd() % 4);
        const double from = uniform(rnd, -90, 360), to = from + uniform(rnd, 0.5, 400);
        Interval r(from, to, kNone, 0, kNone, 0, 10 + order);
        r.UpdateActualValuesS(m);
        r.UpdateActualValuesQ(m);
        // The curve repeats every revolution.
        const double hi = std::min(to, from + 360);
        for (const bool q : {false, true}) {
            const Series f(q ? m.qSC : m.sSC, order);
            std::vector<double> scan;
            for (int i = 0; from + 0.001 * i < hi; ++i)
                scan.push_back(f.fast(from + 0.001 * i));
            scan.push_back(f.fast(hi));
            const double rounding = 1e-13 * f.scale;
            for (const int sign : {+1, -1}) {
                const auto [scanned, exact] = referenceExtreme(f, scan, from, hi, sign);
                const double reported = (q ? r.ActQ : r.ActS)[sign > 0 ? 3 : 4];
                SCOPED_TRACE(testing::Message() << "seed " << seed << (q ? " q" : " s") << (sign > 0 ? " min" : " max"));
                EXPECT_NEAR(reported, Chop(exact), std::max(1e-9 * std::fabs(exact), rounding));
                // Values below 1e-6 are stored as 0, on either side.
                EXPECT_LE(sign * reported, sign * Chop(scanned) + rounding);
            }
        }
    }
}

// The walk as stated, evaluating the curve at every step; none when the band,
// once left, is not regained within a revolution.
std::optional<double> plainWalk(const TPaintObj& m, const TRestr& r, double h, int dir)
{
    const auto f = [&](double x) { return m.Calc_s(static_cast<uint8_t>(r.Kind() % 10), x); };
    const double lower = r.EffPar[6], upper = r.EffPar[8];
    const bool hasLower = r.LowerMode() >= 0, hasUpper = r.UpperMode() >= 0;
    double x = r.EffPar[dir < 0 ? 2 : 4] - dir * 0.5 * h, step = dir * h;
    for (;;) {
        x += step;
        const double v = f(x);
        if ((hasLower && v < lower) || (hasUpper && v > upper)) {
            step = step * (-2.0) * (1.0 / 3.0);
            const double leftAt = x;
            double w;
            do {
                if (std::fabs(x - leftAt) > 360 + h)
                    return std::nullopt;
                x += step;
                w = f(x);
            } while ((hasLower && w <= lower) || (hasUpper && w >= upper));
            step = step * (-2.0) * (1.0 / 3.0);
        }
        if (std::fabs(step) < 1e-4 * h)
            return x;
        if (dir < 0 ? x < -360 : x > 720)
            return dir < 0 ? 0.0 : 360.0;
    }
}

TEST(ActualValuesProperty, KeptRangeMatchesThePlainWalk)
{
    int compared = 0;
    for (uint64_t seed = 101; seed <= 160; ++seed) {
        std::mt19937_64 rnd(seed);
        TRXHeader m;
        randomMotion(rnd, m);
        const int order = static_cast<int>(rnd() % 4);
        const double from = uniform(rnd, 0, 360), to = from + uniform(rnd, 0.5, 200);
        double lo = 0, hi = 360;
        m.GetMinMax_s(static_cast<uint8_t>(order), lo, hi);
        // Bounds inside the curve's range, so that the band is left and
        // regained; either may be missing.
        const int lowerMode = static_cast<int>(rnd() % 2) - 1, upperMode = lowerMode < 0 ? 0 : static_cast<int>(rnd() % 2) - 1;
        Interval r(from, to, lowerMode, lo + uniform(rnd, 0, 0.6) * (hi - lo), upperMode,
                   hi - uniform(rnd, 0, 0.6) * (hi - lo), 10 + order);
        r.UpdateActualValuesS(m);
        const double h = std::min(0.05 * 360 / m.IntPar[3], 0.05 * (to - from));
        const auto low = plainWalk(m, r, h, -1), high = plainWalk(m, r, h, +1);
        // Where the band is kept nowhere, swapped interval ends are reported.
        if (!low || !high)
            continue;
        ++compared;
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        EXPECT_NEAR(r.ActS[1], Chop(*low), 1e-4 * h);
        EXPECT_NEAR(r.ActS[2], Chop(*high), 1e-4 * h);
    }
    EXPECT_GT(compared, 40);
}

} // namespace
} // namespace vemra
