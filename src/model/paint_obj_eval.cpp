// Evaluation of the three Fourier series of a motion (s, q and the drive
// torque term), their derivatives, and the search for extremes and for the
// angle range in which a curve stays inside a band.
//
// Layout of every coefficient vector: pair k sits at elements 2k (sine) and
// 2k+1 (cosine); element 0 carries the frequency ratio eta, element 1 the
// constant term. Angles come in degrees, derivatives are taken by radians.
#include "nodes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace vemra {

namespace {

// Pi and 1/180 in extended precision so that the conversion to radians is
// correct to the last bit of the double result, even for large angles.
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kOneOver180 = 1.0L / 180.0L;

double toRadians(double phi)
{
    return static_cast<double>((kPi * phi) * kOneOver180);
}

// An element the vector does not hold reads as 0: editor, report and
// spectrum sums ask for arbitrary harmonics, and a failed allocation leaves
// Count at -1.
double element(const TVector& v, int64_t i)
{
    return (i >= 0 && i < v.Count()) ? v[static_cast<int32_t>(i)] : 0.0;
}

// k^n by repeated multiplication: exact for the small integers in use and as
// cheap as it gets for the orders 0..3 the diagrams ask for.
double power(int64_t k, unsigned n)
{
    double f = 1.0;
    for (unsigned i = 0; i < n; ++i)
        f *= static_cast<double>(k);
    return f;
}

// Coefficient of sin(kx) resp. cos(kx) in the n-th derivative of
// a sin(kx) + b cos(kx). Takes k as a wide integer so the evaluation loops
// are not limited to 255 harmonics.
double sinFactor(const TVector& v, unsigned n, int64_t k)
{
    const double f = power(k, n);
    const double a = element(v, 2 * k);
    const double b = element(v, 2 * k + 1);
    switch (n % 4) {
    case 0: return f * a;
    case 1: return -f * b;
    case 2: return -f * a;
    default: return f * b;
    }
}

double cosFactor(const TVector& v, unsigned n, int64_t k)
{
    const double f = power(k, n);
    const double a = element(v, 2 * k);
    const double b = element(v, 2 * k + 1);
    switch (n % 4) {
    case 0: return f * b;
    case 1: return f * a;
    case 2: return -f * b;
    default: return -f * a;
    }
}

// sin(kx) and cos(kx) for k = 1, 2, ... in extended precision. Turning
// the angle on by x each step costs four multiplications instead of two
// library calls; the rounding grows by about one extended-precision unit
// per harmonic, which stays far below double precision for any harmonic
// count a motion can have.
class HarmonicAngles {
public:
    explicit HarmonicAngles(long double x) : sinX_(std::sin(x)), cosX_(std::cos(x)), sin_(sinX_), cos_(cosX_) {}
    long double sin() const { return sin_; }
    long double cos() const { return cos_; }
    void next()
    {
        const long double s = sin_ * cosX_ + cos_ * sinX_;
        cos_ = cos_ * cosX_ - sin_ * sinX_;
        sin_ = s;
    }

private:
    long double sinX_, cosX_, sin_, cos_;
};

// The n-th derivative of the series in v at phi degrees. The running sum is
// rounded to double after every harmonic; the trigonometric values are kept
// in extended precision, which keeps high harmonics accurate.
double evaluateSeries(const TVector& v, unsigned n, double phi)
{
    double sum = cosFactor(v, n, 0);
    const int64_t harmonics = v.Count() / 2 - 1;
    HarmonicAngles angle(toRadians(phi));
    for (int64_t k = 1; k <= harmonics; ++k, angle.next())
        sum = static_cast<double>(sum + angle.sin() * sinFactor(v, n, k) + angle.cos() * cosFactor(v, n, k));
    return sum;
}

// Curves repeat every revolution, so sampling more than this many degrees
// adds nothing but time; longer (or unbounded) ranges are cut to one
// revolution. The limit is far beyond any range a diagram shows, so ordinary
// ranges are sampled exactly at the usual positions.
constexpr double kLongestSampledRange = 3600.0;

// Minimum and maximum of curve over lo..hi, sampled at count/36 points per
// degree with the first and the last sample exactly on the interval ends.
// count is the number of coefficients, which sets the sampling density.
// Callers pass lo <= hi; a reversed pair is taken as the interval between
// the two angles, and NaN yields NaN, so no input can keep the loop going.
template <class Curve>
void sampleMinMax(const Curve& curve, int32_t count, double& lo, double& hi)
{
    double a = lo;
    double b = hi;
    if (std::isnan(a) || std::isnan(b)) {
        // No interval, no range.
        lo = hi = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    if (b < a)
        std::swap(a, b);
    if (!(b - a <= kLongestSampledRange)) {
        if (std::isfinite(a))
            b = a + 360.0;
        else if (std::isfinite(b))
            a = b - 360.0;
        else {
            a = 0.0;
            b = 360.0;
        }
    }

    double x = a;
    double v = curve(x);
    lo = hi = v;
    if (!(b > a))
        return; // a single angle: one sample is the whole answer

    const double t = 36.0 / count;
    const double intervals = (b - a) / t + 1.0; // deliberately not rounded
    const double h = (b - a) / intervals;
    // Adding h up accumulates rounding: without the snap the last step would
    // often land a hair short of b and cost one extra, pointless sample.
    const double snap = b - h * 1e-6;
    // x + h may not move x at all for angles of huge magnitude; the step
    // count ends the loop then.
    const int64_t maxSteps = static_cast<int64_t>(std::ceil(intervals)) + 2;
    for (int64_t step = 1; x != b; ++step) {
        x += h;
        if (x > snap || step >= maxSteps)
            x = b;
        v = curve(x);
        if (v > hi)
            hi = v;
        else if (v < lo)
            lo = v;
    }
}

} // namespace

// --- coefficient accessors ---------------------------------------------------

double TPaintObj::s_sin(uint8_t order, uint8_t k) const
{
    // Harmonic 0 has no sine term; its slot carries eta, for every order.
    if (k == 0)
        return element(sSC, 0);
    return sinFactor(sSC, order, k);
}

double TPaintObj::s_cos(uint8_t order, uint8_t k) const
{
    return cosFactor(sSC, order, k);
}

double TPaintObj::q_sin(uint8_t order, uint8_t k) const
{
    // eta is one value per motion and lives with s; q carries only a copy.
    if (k == 0)
        return element(sSC, 0);
    return sinFactor(qSC, order, k);
}

double TPaintObj::q_cos(uint8_t order, uint8_t k) const
{
    return cosFactor(qSC, order, k);
}

double TPaintObj::m_sin(int k) const
{
    // Pair 0 of the torque term is unused, and only whole pairs count.
    if (k <= 0 || mSC.Count() < 2 * static_cast<int64_t>(k) + 2)
        return 0.0;
    return mSC[2 * k];
}

double TPaintObj::m_cos(int k) const
{
    if (k <= 0 || mSC.Count() < 2 * static_cast<int64_t>(k) + 2)
        return 0.0;
    return mSC[2 * k + 1];
}

// --- evaluation ----------------------------------------------------------------

double TPaintObj::Calc_s(uint8_t order, double phi) const
{
    return evaluateSeries(sSC, order, phi);
}

double TPaintObj::Calc_q(uint8_t order, double phi) const
{
    return evaluateSeries(qSC, order, phi);
}

double TPaintObj::Calc_M(double phi) const
{
    // The torque term has neither a constant term nor derivatives.
    double sum = 0.0;
    const int64_t harmonics = mSC.Count() / 2 - 1;
    HarmonicAngles angle(toRadians(phi));
    for (int64_t k = 1; k <= harmonics; ++k, angle.next())
        sum = static_cast<double>(sum + angle.sin() * mSC[static_cast<int32_t>(2 * k)] +
                                  angle.cos() * mSC[static_cast<int32_t>(2 * k + 1)]);
    return sum;
}

// --- extremes -------------------------------------------------------------------

// Without coefficients the curve is zero everywhere, so 0..0 is also the
// right answer for an empty vector of a motion that claims a result.
void TPaintObj::GetMinMax_s(uint8_t order, double& lo, double& hi) const
{
    if (!HasResult || sSC.Count() <= 0) {
        lo = hi = 0.0;
        return;
    }
    sampleMinMax([&](double x) { return Calc_s(order, x); }, sSC.Count(), lo, hi);
}

void TPaintObj::GetMinMax_q(uint8_t order, double& lo, double& hi) const
{
    if (!HasResult || qSC.Count() <= 0) {
        lo = hi = 0.0;
        return;
    }
    sampleMinMax([&](double x) { return Calc_q(order, x); }, qSC.Count(), lo, hi);
}

void TPaintObj::GetMinMax_M(double& lo, double& hi) const
{
    if (!HasResult || mSC.Count() <= 0) {
        lo = hi = 0.0;
        return;
    }
    sampleMinMax([&](double x) { return Calc_M(x); }, mSC.Count(), lo, hi);
}

// Widens phiFrom..phiTo: a backward walk finds where the band is left below
// phiFrom, a forward walk where it is left above phiTo. Each walk strides
// while the curve agrees with its direction and turns back with a step
// shrunk to 60 % whenever it crosses the band edge, until the step is below
// 5e-5 degrees.
//
// Besides that, the walks stop when they can no longer succeed: the curve
// repeats every revolution, so a walk that has drifted a full revolution
// without meeting the band will never meet it (a curve outside the band
// everywhere, or a band whose lower limit exceeds its upper one). A step
// budget ends walks that make no progress (angles so large that adding the
// step leaves them unchanged). When a walk gives up, no range inside the
// band could be found and both angles are left exactly as given - the same
// answer as for a motion without result. A reversed interval is searched as
// if its ends were swapped; NaN or infinite input leaves the angles as they
// are.
void TPaintObj::GetMinMax_phi(uint8_t order, double& phiFrom, double& phiTo, double lower, double upper) const
{
    if (!HasResult || sSC.Count() <= 0)
        return;
    if (!std::isfinite(phiFrom) || !std::isfinite(phiTo) || std::isnan(lower) || std::isnan(upper))
        return;

    const double from = std::min(phiFrom, phiTo);
    const double to = std::max(phiFrom, phiTo);
    const double t = 36.0 / sSC.Count();
    const double intervals = std::trunc((to - from) / (2 * t) + 1);
    const double h = (to - from) / intervals;
    constexpr double kSmallestStep = 5e-5;

    const auto inside = [&](double x) {
        const double v = Calc_s(order, x);
        return lower <= v && v <= upper;
    };
    // Enough for the longest regular walk (about two revolutions at step h,
    // then the shrinking steps) many times over, but not unlimited: a start
    // interval of a thousandth of a degree would allow millions of steps.
    const int64_t budget = std::min<int64_t>(
        100'000, 1000 + 8 * static_cast<int64_t>(std::ceil(360.0 / std::max(std::fabs(h), kSmallestStep))));

    // Backward search for the start.
    double x = from + h;
    double d = -h;
    int64_t steps = 0;
    for (;;) {
        x += d;
        const bool in = inside(x);
        if ((!in && d < 0) || (in && d > 0))
            d = -0.6 * d;
        if (std::fabs(d) < kSmallestStep || x < to - 360 - d)
            break;
        if (x > from + 360 + h || ++steps >= budget)
            return; // outside the band for a whole revolution, or stuck
    }
    if (x < to - 360 - d) {
        // Inside over a whole revolution.
        phiFrom = 0;
        phiTo = 360;
        return;
    }
    const double start = x;

    // Forward search for the end.
    x = to - h;
    d = h;
    steps = 0;
    for (;;) {
        x += d;
        const bool in = inside(x);
        if ((!in && d > 0) || (in && d < 0))
            d = -0.6 * d;
        if (std::fabs(d) < kSmallestStep)
            break;
        if (x > start + 360) {
            // The band is left just below start, hence again one revolution
            // later: the range cannot reach further.
            x = start + 360;
            break;
        }
        if (x < to - 360 - h || ++steps >= budget)
            return;
    }
    phiFrom = start;
    phiTo = x;
}

} // namespace vemra
