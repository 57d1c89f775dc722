// Actual values of interval restrictions on random motions, checked against
// independent references: a fine scan of the curve for the extremes, the
// plain boundary walk, evaluated at every step, for the kept range.
#include "test_vectors.h"
#include "model/nodes.h"
#include "model/numeric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace vemra {
namespace {

// Uniform in lo..hi from the bare engine, whose sequence is fixed by the
// standard (the library's distributions are not).
struct Random {
    std::mt19937_64 engine;
    explicit Random(uint64_t seed) : engine(seed) {}
    double uniform(double lo, double hi) { return lo + (hi - lo) * static_cast<double>(engine() >> 11) * 0x1p-53; }
    int integer(int lo, int hi) { return lo + static_cast<int>(engine() % static_cast<uint64_t>(hi - lo + 1)); }
};

// K harmonics with amplitudes falling off like k^-p, p = 0, 1 or 2, so that
// low and high harmonics both shape the curve in some of the sets. In a
// third of the sets the odd harmonics are damped to 1e-4: the curve nearly
// repeats every half revolution, and each extreme has a rival that differs
// from it by about 1e-4, which coarse sampling easily mistakes for it.
void randomSeries(Random& rnd, int harmonics, TVector& v)
{
    const int p = rnd.integer(0, 2);
    const double odd = rnd.integer(0, 2) == 0 ? 1e-4 : 1.0;
    v.ReSize(2 * harmonics + 2);
    v[0] = 0.5;
    v[1] = rnd.uniform(-1, 1);
    for (int k = 1; k <= harmonics; ++k) {
        const double scale = (k % 2 ? odd : 1.0) / std::pow(k, p);
        v[2 * k] = rnd.uniform(-1, 1) * scale;
        v[2 * k + 1] = rnd.uniform(-1, 1) * scale;
    }
}

// The order-th derivative of the series in v, evaluated independently of the
// product: the derivative's coefficients A_k sin kx + B_k cos kx formed once,
// a fast evaluation for the scan and an exact one (every harmonic from its
// own sine and cosine, in long double) for the refinement.
struct Series {
    double constant = 0;
    std::vector<double> A, B;

    Series(const TVector& v, int order)
    {
        constant = order == 0 ? v[1] : 0;
        for (int k = 1; 2 * k + 1 < v.Count(); ++k) {
            double a = v[2 * k], b = v[2 * k + 1];
            for (int i = 0; i < order; ++i) {
                const double turned = -k * b;
                b = k * a;
                a = turned;
            }
            A.push_back(a);
            B.push_back(b);
        }
    }
    static constexpr long double kPi = 3.14159265358979323846264338327950288L;

    double fast(double degrees) const
    {
        const double x = static_cast<double>(degrees * kPi / 180);
        const double s1 = std::sin(x), c1 = std::cos(x);
        double s = s1, c = c1, sum = constant;
        for (size_t i = 0; i < A.size(); ++i) {
            sum += A[i] * s + B[i] * c;
            const double t = s * c1 + c * s1;
            c = c * c1 - s * s1;
            s = t;
        }
        return sum;
    }
    long double exact(long double degrees) const
    {
        const long double x = degrees * kPi / 180;
        long double sum = constant;
        for (size_t i = 0; i < A.size(); ++i)
            sum += A[i] * std::sin((i + 1) * x) + B[i] * std::cos((i + 1) * x);
        return sum;
    }
    // Sum of the amplitudes: the scale of the curve's values.
    double scale() const
    {
        double s = std::fabs(constant);
        for (size_t i = 0; i < A.size(); ++i)
            s += std::fabs(A[i]) + std::fabs(B[i]);
        return s;
    }
};

struct Extreme {
    double scanned; // best value on the grid
    double exact;   // after refining around the grid's candidates
};

// The curve on a grid of 0.001 degrees over lo..hi, the last point on hi.
struct Scan {
    std::vector<double> x, v;
    Scan(const Series& f, double lo, double hi)
    {
        const int64_t n = static_cast<int64_t>(std::ceil((hi - lo) / 0.001));
        for (int64_t i = 0; i <= n; ++i) {
            x.push_back(i == n ? hi : lo + i * 0.001);
            v.push_back(f.fast(x.back()));
        }
    }
};

// Minimum (sign +1) or maximum (sign -1) of the series: the best grid value,
// then a golden-section search around every grid point that is a local
// extreme within reach of the best one, so that no nearly equal rival basin
// is missed.
Extreme referenceExtreme(const Series& f, const Scan& scan, int sign)
{
    const auto& x = scan.x;
    std::vector<double> v(scan.v);
    for (double& value : v)
        value *= sign;
    const double best = *std::min_element(v.begin(), v.end());
    double exact = best;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        if (!(v[i] <= v[i - 1] && v[i] <= v[i + 1] && v[i] - best < 1e-6 * f.scale()))
            continue;
        long double a = x[i - 1], b = x[i + 1];
        const long double r = 0.6180339887498948482L;
        for (int it = 0; it < 100; ++it) {
            const long double c = b - r * (b - a), d = a + r * (b - a);
            if (sign * f.exact(c) < sign * f.exact(d))
                b = d;
            else
                a = c;
        }
        exact = std::min(exact, sign * static_cast<double>(f.exact((a + b) / 2)));
    }
    return {sign * best, sign * exact};
}

struct Interval : TRestr {
    Interval(int kind, double from, double to, int lowerMode, double lower, int upperMode, double upper)
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

TEST(ActualValuesProperty, ExtremesAreThoseOfTheCurve)
{
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        Random rnd(seed);
        TRXHeader m;
        m.IntPar[3] = rnd.integer(1, 40);
        randomSeries(rnd, m.IntPar[3], m.sSC);
        randomSeries(rnd, m.IntPar[3], m.qSC);
        const int order = rnd.integer(0, 3);
        const double from = rnd.uniform(-90, 360);
        const double to = from + rnd.uniform(0.5, 400);
        Interval r(10 + order, from, to, -1, 0, -1, 0);
        r.UpdateActualValuesS(m);
        r.UpdateActualValuesQ(m);

        for (const bool q : {false, true}) {
            const Series f(q ? m.qSC : m.sSC, order);
            const auto& act = q ? r.ActQ : r.ActS;
            // The curve repeats every revolution.
            const double hi = std::min(to, from + 360);
            const double rounding = 1e-13 * f.scale();
            const Scan scan(f, from, hi);
            for (const int sign : {+1, -1}) {
                const Extreme e = referenceExtreme(f, scan, sign);
                const double reported = sign > 0 ? act[3] : act[4];
                SCOPED_TRACE(testing::Message() << "seed " << seed << (q ? " q" : " s") << " K " << m.IntPar[3]
                                                << " order " << order << " " << from << ".." << to
                                                << (sign > 0 ? " min" : " max"));
                EXPECT_NEAR(reported, Chop(e.exact), std::max(1e-9 * std::fabs(e.exact), rounding));
                // Values below 1e-6 are stored as 0, on either side.
                EXPECT_LE(sign * reported, sign * Chop(e.scanned) + rounding);
            }
        }
    }
}

// The walk as stated, with the curve evaluated at every step: the kept range
// of a faster walk must agree with it to the walk's tolerance. No value when
// the band, once left, is not found again within a revolution.
std::optional<double> referenceWalk(const TPaintObj& m, const TRestr& r, double h, int dir)
{
    const auto f = [&](double x) { return m.Calc_s(static_cast<uint8_t>(r.Kind() % 10), x); };
    const double lower = r.EffPar[6], upper = r.EffPar[8];
    const auto outside = [&](double v) {
        return (r.LowerMode() > -1 && v < lower) || (r.UpperMode() > -1 && v > upper);
    };
    const auto notBackInside = [&](double v) {
        return (r.LowerMode() >= 0 && v <= lower) || (r.UpperMode() >= 0 && v >= upper);
    };
    const auto turn = [](double step) { return step * (-2.0) * (1.0 / 3.0); };
    double x = (dir < 0 ? r.EffPar[2] : r.EffPar[4]) - dir * 0.5 * h;
    double step = dir * h;
    for (;;) {
        x += step;
        if (outside(f(x))) {
            step = turn(step);
            const double leftAt = x;
            do {
                if (std::fabs(x - leftAt) > 360 + h)
                    return std::nullopt;
                x += step;
            } while (notBackInside(f(x)));
            step = turn(step);
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
        Random rnd(seed);
        TRXHeader m;
        m.IntPar[3] = rnd.integer(1, 40);
        randomSeries(rnd, m.IntPar[3], m.sSC);
        const int order = rnd.integer(0, 3);
        const double from = rnd.uniform(0, 360);
        const double to = from + rnd.uniform(0.5, 200);
        double lo = 0, hi = 360;
        m.GetMinMax_s(static_cast<uint8_t>(order), lo, hi);
        // Bounds somewhere in the curve's range, so that the band is left and
        // regained; either of them may be missing.
        const int lowerMode = rnd.integer(-1, 0), upperMode = lowerMode < 0 ? 0 : rnd.integer(-1, 0);
        Interval r(10 + order, from, to, lowerMode, lo + rnd.uniform(0, 0.6) * (hi - lo), upperMode,
                   hi - rnd.uniform(0, 0.6) * (hi - lo));
        r.UpdateActualValuesS(m);

        const double h = std::min(0.05 * 360 / m.IntPar[3], 0.05 * (to - from));
        const auto low = referenceWalk(m, r, h, -1), high = referenceWalk(m, r, h, +1);
        // Where the band is kept nowhere the product reports swapped
        // interval ends instead; those cases are left out.
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
