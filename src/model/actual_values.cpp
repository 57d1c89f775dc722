// Actual values of a restriction after a computation: over which angle range
// the computed curve keeps the restriction's bounds, and which extremes it
// reaches over the restriction's angles. The s and the q variant differ only
// in the curve they look at.
#include "nodes.h"
#include "numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vemra {

namespace {

// A twentieth of the period of the highest harmonic (or of the restriction's
// range, when that is narrower) is fine enough not to step over a crossing
// of the band, and the tolerance makes the boundaries exact to 1e-4 of it.
constexpr double kFraction = 0.05;
constexpr double kToleranceFactor = 0.0001;
// The walks accept boundaries at most one revolution away from the usual
// 0..360 range; beyond, the curve is taken to stay inside for good.
constexpr double kLowestAngle = -360.0;
constexpr double kHighestAngle = 720.0;

// A boundary walk takes at most about 720 / h steps outwards at step h (from
// an angle in 0..360 to the limit), or 540 / h back towards the interval
// when the band is never regained: a few thousand for ordinary restrictions.
// The budget leaves every range of 0.15 degrees or more and every harmonic
// count up to 2500 untouched; it only ends walks that cannot finish in
// reasonable time, on the odd angles and counts a damaged file may carry.
constexpr int64_t kWalkBudget = 100'000;
// The refinement of an extreme needs some dozens of evaluations.
constexpr int64_t kRefineBudget = 10'000;
// Sampling a range takes 20 samples, or 20 per harmonic and revolution when
// that is more. The curve repeats every revolution, so of a range longer
// than ten revolutions the first revolution is sampled, and the number of
// samples is kept to kMaxSamples (reached only beyond 5000 harmonics).
constexpr double kLongestSampledRange = 3600.0;
constexpr int64_t kMaxSamples = 100'000;

// Turns a walk around and shrinks its step to two thirds, applied as two
// factors: a single constant -2.0 / 3.0 rounds differently and would move
// the angles the walks visit in the last digits.
double reverse(double step)
{
    return step * (-2.0) * (1.0 / 3.0);
}

struct Band {
    int lowerMode;
    int upperMode;
    double lower;
    double upper;

    bool outside(double v) const
    {
        return (lowerMode > -1 && v < lower) || (upperMode > -1 && v > upper);
    }
    // Back inside means strictly inside: a value on the bound still counts
    // as outside, so that the walk ends on the inner side of the boundary.
    bool notBackInside(double v) const
    {
        return (lowerMode >= 0 && v <= lower) || (upperMode >= 0 && v >= upper);
    }
};

enum class WalkEnd {
    Converged,     // the step fell below the tolerance at the boundary
    PastLimit,     // walked beyond -360 resp. 720 without leaving the band
    NeverRegained, // left the band and found no way back into it
    OutOfBudget,   // stopped by the step budget while inside the band
};

struct Walk {
    double x;
    WalkEnd end;
};

// Walks from the interval end `edge` outwards (dir -1: below the lower
// angle, dir +1: above the upper angle) as long as the curve keeps the band.
// On leaving it the walk turns back with a smaller step until it is inside
// again, then turns outwards again with a smaller step still; so it closes in
// on the boundary from the inside until the step is below tol.
//
// A walk that has to come back inside travels towards the interval. When it
// has travelled more than a revolution without getting inside, the curve
// keeps the band nowhere (it repeats every revolution) and the walk gives
// up.
template <class Curve>
Walk walkToBoundary(const Curve& f, const Band& band, double edge, double h, double tol, int dir)
{
    double x = edge - dir * 0.5 * h;
    double step = dir * h;
    int64_t steps = 0;
    for (;;) {
        // Here x is inside the band (or the unevaluated starting point).
        if (++steps > kWalkBudget)
            return {x, WalkEnd::OutOfBudget};
        x += step;
        if (band.outside(f(x))) {
            step = reverse(step);
            const double leftAt = x;
            do {
                if (++steps > kWalkBudget || std::fabs(x - leftAt) > 360.0 + h)
                    return {x, WalkEnd::NeverRegained};
                x += step;
            } while (band.notBackInside(f(x)));
            step = reverse(step);
        }
        if (std::fabs(step) < tol)
            return {x, WalkEnd::Converged};
        if (dir < 0 ? x < kLowestAngle : x > kHighestAngle)
            return {x, WalkEnd::PastLimit};
    }
}

// Refines an extreme of f over lo..hi that sampling found at `at`. Better
// is v < best for the minimum and v > best for the maximum. Each walk starts
// at the best angle so far and strides on while the curve does not get
// worse; then the step turns round and shrinks to two thirds, so the walks
// probe both sides at ever smaller distances until the step is below tol.
//
// Two things differ from a plain "carry on from where the last walk
// stopped": such a walk ends on a worse point, and its later, shrinking
// steps then circle that point instead of the extreme (for sin x sampled at
// 12 degrees the maximum came out as 0.9987). And only angles inside lo..hi
// count, since the extreme is the one over the restriction's range.
template <class Curve, class Better>
double refineExtreme(const Curve& f, Better better, double best, double at, double lo, double hi, double h, double tol)
{
    double step = 2 * h / 3;
    int64_t evaluations = 0;
    const auto walk = [&] {
        for (double x = at + step; lo <= x && x <= hi; x += step) {
            if (++evaluations > kRefineBudget)
                return false;
            const double v = f(x);
            if (better(best, v))
                break;
            best = v;
            at = x;
        }
        return true;
    };
    do {
        if (!walk())
            break;
        step = reverse(step);
        if (!walk())
            break;
        step = reverse(step);
    } while (!(std::fabs(step) < tol));
    return best;
}

// Harmonic count that sets the base step. The motion's own count may be
// missing (0 or negative in a damaged file); the coefficient vector still
// tells how many harmonics the curve has, and a curve without any is
// constant, for which any step will do.
int baseHarmonics(int declared, const TVector& coefficients)
{
    if (declared > 0)
        return declared;
    return std::max(1, coefficients.Count() / 2 - 1);
}

// |coefficient of sin kx| + |coefficient of cos kx| in the p-th derivative
// of s. A derivative only swaps and negates the pair a_k, b_k and scales it
// by k^p, so the sum is k^p (|a_k| + |b_k|), exactly what the coefficient
// accessors give, but for any k: the accessors stop at harmonic 255. For
// k = 0 the sine slot holds eta, which the accessors report as well.
double derivativePairMagnitude(const TVector& v, unsigned p, int64_t k)
{
    if (k < 0)
        return 0.0;
    double f = 1.0;
    for (unsigned i = 0; i < p; ++i)
        f *= static_cast<double>(k);
    const double a = 2 * k < v.Count() ? v[static_cast<int32_t>(2 * k)] : 0.0;
    const double b = 2 * k + 1 < v.Count() ? v[static_cast<int32_t>(2 * k + 1)] : 0.0;
    return f * std::fabs(a) + f * std::fabs(b);
}

// The interval kinds.
//
// Reading of the kept range Act[1]..Act[2]:
//  - 0 resp. 360: the curve keeps the bounds beyond -360 resp. 720 degrees,
//    i.e. all round;
//  - Act[1] > Act[2]: the curve keeps the bounds nowhere in the interval. The
//    walks deliver this themselves when the curve is outside over the whole
//    interval but comes back elsewhere; when it comes back nowhere at all
//    (outside over a whole revolution, or a lower bound above the upper
//    one), the lower end is set to the interval's upper angle and the upper
//    end to its lower angle, so the report never shows a range as kept that
//    is not;
//  - when the step budget stops a walk that was still inside the band, the
//    angle reached is reported: the curve was seen inside up to there, but
//    no further claim is made.
// An interval that is empty or reversed (upper angle not above the lower
// one, or an angle that is not finite) has no range to walk or sample; the
// angles are reported as given and the extremes are taken from the two end
// values. A zero-width interval thus reads like a point restriction, a
// reversed one as kept nowhere. Such intervals are invalid restrictions that
// only a damaged or hand-edited file can bring.
template <class Curve>
void intervalValues(const TRestr& r, const Curve& f, int harmonics, std::array<double, 5>& act)
{
    const auto& P = r.EffPar;
    const double p2 = P[2];
    const double p4 = P[4];

    if (!(std::isfinite(p2) && std::isfinite(p4) && p2 < p4)) {
        const double v2 = f(p2);
        const double v4 = f(p4);
        act[1] = p2;
        act[2] = p4;
        act[3] = std::min(v2, v4);
        act[4] = std::max(v2, v4);
        return;
    }

    double h = kFraction * 360.0 / harmonics;
    if (kFraction * (p4 - p2) < h)
        h = kFraction * (p4 - p2);
    const double tol = kToleranceFactor * h;
    const Band band{r.LowerMode(), r.UpperMode(), P[6], P[8]};

    const Walk low = walkToBoundary(f, band, p2, h, tol, -1);
    switch (low.end) {
    case WalkEnd::NeverRegained: act[1] = p4; break;
    case WalkEnd::OutOfBudget: act[1] = low.x; break;
    default: act[1] = low.x < kLowestAngle ? 0.0 : low.x; break;
    }
    const Walk high = walkToBoundary(f, band, p4, h, tol, +1);
    switch (high.end) {
    case WalkEnd::NeverRegained: act[2] = p2; break;
    case WalkEnd::OutOfBudget: act[2] = high.x; break;
    default: act[2] = high.x > kHighestAngle ? 360.0 : high.x; break;
    }

    // Sampling at the base step, the upper angle always included.
    double vmin = f(p2);
    double vmax = vmin;
    double atMin = p2;
    double atMax = p2;
    const auto take = [&](double x) {
        const double v = f(x);
        if (v > vmax) {
            vmax = v;
            atMax = x;
        } else if (v < vmin) {
            vmin = v;
            atMin = x;
        }
    };
    const double sampleTo = p4 - p2 > kLongestSampledRange ? p2 + 360.0 : p4;
    double stride = h;
    if ((sampleTo - p2) / h > kMaxSamples)
        stride = (sampleTo - p2) / kMaxSamples;
    // The count also ends the loop should the stride be too small to move x.
    double x = p2;
    for (int64_t i = 0; x <= sampleTo && i <= kMaxSamples + 1; ++i) {
        take(x);
        x += stride;
    }
    take(p4);

    // Only extremes found strictly inside the range are refined. At an
    // interval end the range cuts the curve off, and the end value stands.
    if (p2 < atMin && atMin < p4)
        vmin = refineExtreme(f, [](double a, double b) { return a < b; }, vmin, atMin, p2, p4, h, tol);
    if (p2 < atMax && atMax < p4)
        vmax = refineExtreme(f, [](double a, double b) { return a > b; }, vmax, atMax, p2, p4, h, tol);
    act[3] = vmin;
    act[4] = vmax;
}

// Shared by both variants: curve is s or q of the motion, coefficients the
// vector behind it, act receives the values.
template <class Curve>
void updateActualValues(TRestr& r, const TPaintObj& t, const Curve& curve, const TVector& coefficients,
                        std::array<double, 5>& act)
{
    const int kind = r.Kind();
    const auto& P = r.EffPar;

    if (isPointKind(kind)) {
        const double v = curve(P[2]);
        act[1] = act[2] = P[2];
        act[3] = act[4] = v;
    } else if (isIntervalKind(kind)) {
        intervalValues(r, curve, baseHarmonics(t.IntPar[3], coefficients), act);
    } else if (isSumKind(kind)) {
        // The spectrum restrictions are on the coefficients of s, in both
        // variants. Terms beyond the vector are zero, so the sum stops there
        // even when the harmonic count claims more.
        const unsigned p = static_cast<unsigned>(kind - 20);
        const int64_t last = std::min<int64_t>(t.IntPar[3], t.sSC.Count() / 2);
        double sum = 0.0;
        for (int64_t k = 1; k <= last; ++k)
            sum += derivativePairMagnitude(t.sSC, p, k);
        act[4] = sum;
    } else if (kind == 24) {
        act[4] = derivativePairMagnitude(t.sSC, 0, r.Harmonic());
    }

    ChopEps = 1e-6;
    for (int i = 1; i <= 4; ++i)
        act[i] = Chop(act[i]);
}

} // namespace

void TRestr::UpdateActualValuesS(const TPaintObj& t)
{
    const uint8_t order = static_cast<uint8_t>(Kind() % 10);
    updateActualValues(*this, t, [&](double x) { return t.Calc_s(order, x); }, t.sSC, ActS);
}

void TRestr::UpdateActualValuesQ(const TPaintObj& t)
{
    const uint8_t order = static_cast<uint8_t>(Kind() % 10);
    updateActualValues(*this, t, [&](double x) { return t.Calc_q(order, x); }, t.qSC, ActQ);
}

} // namespace vemra
