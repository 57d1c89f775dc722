// Actual values of a restriction after a computation: over which angle range
// the computed curve keeps the restriction's bounds, and which extremes it
// reaches over the restriction's angles. The s and the q variant differ only
// in the curve they look at.
#include "fourier_curve.h"
#include "nodes.h"
#include "numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vemra {

namespace {

// The walks step at a twentieth of the period of the highest harmonic (or
// of the restriction's range, when that is narrower), fine enough not to
// step over a crossing of the band, and the tolerance makes the boundaries
// exact to 1e-4 of it.
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
    bool bounded() const { return lowerMode > -1 || upperMode > -1; }
    // How far v may move before it is outside: called for v not outside.
    double insideMargin(double v) const
    {
        double m = std::numeric_limits<double>::infinity();
        if (lowerMode > -1)
            m = std::min(m, v - lower);
        if (upperMode > -1)
            m = std::min(m, upper - v);
        return m;
    }
    // How far v may move before it is back inside: called for v not back
    // inside. Either bound it is beyond keeps it out.
    double outsideMargin(double v) const
    {
        double m = 0.0;
        if (lowerMode >= 0 && v <= lower)
            m = std::max(m, lower - v);
        if (upperMode >= 0 && v >= upper)
            m = std::max(m, v - upper);
        return m;
    }
    bool near(double v, double noise) const
    {
        return (lowerMode > -1 && std::fabs(v - lower) <= noise) || (upperMode > -1 && std::fabs(v - upper) <= noise);
    }
};

// Answers the walks' two questions, outside the band or not back inside at
// an angle, exactly as the curve's own evaluation would, but with far fewer
// evaluations. Each value comes with the curve's slope, and with the bounds
// on its first and second derivative this gives a zone around the angle in
// which the answer cannot change; angles in the last such zone are answered
// without evaluating. A value too close to a bound to be sure of the side
// is taken from the curve's own evaluation.
template <class Curve>
class BandProbe {
public:
    BandProbe(const Curve& exact, const FourierCurve& fast, const Band& band) : exact_(exact), fast_(fast), band_(band) {}

    bool outside(double x)
    {
        if (!band_.bounded() || notOutside_.holds(x))
            return false;
        return look(x).outside;
    }
    bool notBackInside(double x)
    {
        if (!band_.bounded())
            return false;
        if (notInside_.holds(x))
            return true;
        return look(x).notBackInside;
    }

private:
    struct Zone {
        double center = 0.0;
        double radius = -1.0;
        bool holds(double x) const { return std::fabs(x - center) < radius; }
    };
    struct Answer {
        bool outside, notBackInside;
    };

    // Evaluates at x and renews the zone of each answer that holds there.
    Answer look(double x)
    {
        double v, slope;
        fast_.valueSlope(x, v, slope);
        if (!std::isfinite(v) || band_.near(v, fast_.noise(0))) {
            v = exact_(x);
            return {band_.outside(v), band_.notBackInside(v)};
        }
        const Answer a{band_.outside(v), band_.notBackInside(v)};
        if (a.notBackInside)
            notInside_ = zone(x, slope, band_.outsideMargin(v));
        if (!a.outside)
            notOutside_ = zone(x, slope, band_.insideMargin(v));
        return a;
    }

    // The zone around x in which the curve moves by less than margin (as
    // computed here) minus the rounding of both evaluations: by the first
    // derivative's bound alone, or by the slope at x and the second
    // derivative's bound, whichever reaches further.
    Zone zone(double x, double slope, double margin) const
    {
        const double m = margin - fast_.noise(0);
        if (!(m > 0))
            return Zone{};
        const double inf = std::numeric_limits<double>::infinity();
        const double m1 = fast_.bound(1);
        const double byBound = m1 > 0 ? m / m1 : inf;
        const double g = std::fabs(slope) + fast_.noise(1);
        const double denominator = g + std::sqrt(g * g + 2 * fast_.bound(2) * m);
        const double bySlope = denominator > 0 ? 2 * m / denominator : inf;
        double r = std::max(byBound, bySlope) * kDegreesPerRadian * (1 - 1e-9);
        // The angles are turned into radians with a rounding of their own.
        if (std::isfinite(r))
            r -= 4 * std::numeric_limits<double>::epsilon() * (std::fabs(x) + r);
        return Zone{x, r};
    }

    static constexpr double kDegreesPerRadian = 57.295779513082320876798154814105;

    const Curve& exact_;
    const FourierCurve& fast_;
    Band band_;
    Zone notOutside_, notInside_;
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
template <class Probe>
Walk walkToBoundary(Probe& probe, double edge, double h, double tol, int dir)
{
    double x = edge - dir * 0.5 * h;
    double step = dir * h;
    int64_t steps = 0;
    for (;;) {
        // Here x is inside the band (or the unevaluated starting point).
        if (++steps > kWalkBudget)
            return {x, WalkEnd::OutOfBudget};
        x += step;
        if (probe.outside(x)) {
            step = reverse(step);
            const double leftAt = x;
            do {
                if (++steps > kWalkBudget || std::fabs(x - leftAt) > 360.0 + h)
                    return {x, WalkEnd::NeverRegained};
                x += step;
            } while (probe.notBackInside(x));
            step = reverse(step);
        }
        if (std::fabs(step) < tol)
            return {x, WalkEnd::Converged};
        if (dir < 0 ? x < kLowestAngle : x > kHighestAngle)
            return {x, WalkEnd::PastLimit};
    }
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
// one, or an angle that is not finite) has no range to walk or search; the
// angles are reported as given and the extremes are taken from the two end
// values. A zero-width interval thus reads like a point restriction, a
// reversed one as kept nowhere. Such intervals are invalid restrictions that
// only a damaged or hand-edited file can bring.
template <class Curve>
void intervalValues(const TRestr& r, const Curve& f, const FourierCurve& fast, int harmonics, std::array<double, 5>& act)
{
    const auto& P = r.EffPar;
    const double p2 = P[2];
    const double p4 = P[4];

    const double v2 = f(p2);
    const double v4 = f(p4);
    act[3] = std::min(v2, v4);
    act[4] = std::max(v2, v4);
    if (!(std::isfinite(p2) && std::isfinite(p4) && p2 < p4)) {
        act[1] = p2;
        act[2] = p4;
        return;
    }

    double h = kFraction * 360.0 / harmonics;
    if (kFraction * (p4 - p2) < h)
        h = kFraction * (p4 - p2);
    const double tol = kToleranceFactor * h;
    BandProbe<Curve> probe(f, fast, Band{r.LowerMode(), r.UpperMode(), P[6], P[8]});

    const Walk low = walkToBoundary(probe, p2, h, tol, -1);
    switch (low.end) {
    case WalkEnd::NeverRegained: act[1] = p4; break;
    case WalkEnd::OutOfBudget: act[1] = low.x; break;
    default: act[1] = low.x < kLowestAngle ? 0.0 : low.x; break;
    }
    const Walk high = walkToBoundary(probe, p4, h, tol, +1);
    switch (high.end) {
    case WalkEnd::NeverRegained: act[2] = p2; break;
    case WalkEnd::OutOfBudget: act[2] = high.x; break;
    default: act[2] = high.x > kHighestAngle ? 360.0 : high.x; break;
    }

    // The extremes are those of the curve, inside the range or on its ends.
    // The search picks the best turning points; their values, like the end
    // values, come from the curve's own evaluation. A range of a revolution
    // or more reaches every value of the curve, wherever the search found it.
    const CurveExtremes e = findExtremes(fast, p2, p4);
    const bool allRound = !(p4 - p2 < 360.0);
    if (allRound || (p2 < e.atMin && e.atMin < p4))
        act[3] = std::min(act[3], f(e.atMin));
    if (allRound || (p2 < e.atMax && e.atMax < p4))
        act[4] = std::max(act[4], f(e.atMax));
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
        const FourierCurve fast(coefficients, static_cast<unsigned>(kind % 10));
        intervalValues(r, curve, fast, baseHarmonics(t.Harmonics(), coefficients), act);
    } else if (isSumKind(kind)) {
        // The spectrum restrictions are on the coefficients of s, in both
        // variants. Terms beyond the vector are zero, so the sum stops there
        // even when the harmonic count claims more.
        const unsigned p = static_cast<unsigned>(kind - 20);
        const int64_t last = std::min<int64_t>(t.Harmonics(), t.sSC.Count() / 2);
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
