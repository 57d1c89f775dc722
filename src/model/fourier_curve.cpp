// A derivative of a Fourier series evaluated with its coefficients formed
// once, and the search for its extremes over an angle interval.
#include "fourier_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vemra {

namespace {

// The same conversion to radians as the product's own evaluation, so that
// both look at the curve at the same double angle.
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kOneOver180 = 1.0L / 180.0L;
constexpr double kRadPerDegree = static_cast<double>(kPi / 180.0L);
constexpr double kEps = std::numeric_limits<double>::epsilon();

double toRadians(double phi)
{
    return static_cast<double>((kPi * phi) * kOneOver180);
}

double element(const TVector& v, int64_t i)
{
    return (i >= 0 && i < v.Count()) ? v[static_cast<int32_t>(i)] : 0.0;
}

double power(double k, unsigned n)
{
    double f = 1.0;
    for (unsigned i = 0; i < n; ++i)
        f *= k;
    return f;
}

} // namespace

FourierCurve::FourierCurve(const TVector& v, unsigned order)
{
    // The n-th derivative of a sin kx + b cos kx is k^n times the pair
    // turned n quarter turns: (a, b) -> (-b, a) per derivative.
    const int64_t harmonics = v.Count() / 2 - 1;
    constant_ = power(0.0, order) * element(v, 1);
    for (int64_t k = 1; k <= harmonics; ++k) {
        const double f = power(static_cast<double>(k), order);
        const double a = f * element(v, 2 * k);
        const double b = f * element(v, 2 * k + 1);
        switch (order % 4) {
        case 0: a_.push_back(a), b_.push_back(b); break;
        case 1: a_.push_back(-b), b_.push_back(a); break;
        case 2: a_.push_back(-a), b_.push_back(-b); break;
        default: a_.push_back(b), b_.push_back(-a); break;
        }
    }
    // Trailing harmonics without coefficients would only cost time and
    // coarsen the bracketing of the extremes.
    while (!a_.empty() && a_.back() == 0.0 && b_.back() == 0.0) {
        a_.pop_back();
        b_.pop_back();
    }

    finite_ = std::isfinite(constant_);
    bound_[0] = std::fabs(constant_);
    for (size_t i = 0; i < a_.size(); ++i) {
        finite_ = finite_ && std::isfinite(a_[i]) && std::isfinite(b_[i]);
        const double k = static_cast<double>(i + 1);
        double amplitude = std::hypot(a_[i], b_[i]);
        for (size_t j = 0; j < bound_.size(); ++j, amplitude *= k)
            bound_[j] += amplitude;
    }
    // Each turn of the angle recurrence adds a few units of rounding to the
    // sines and cosines, and each harmonic one to the running sum: about
    // 6 K units of the amplitude sum here, K units in the product's own
    // evaluation. The factor 16 (K + 2) covers both with room to spare.
    const double K = static_cast<double>(a_.size());
    for (size_t j = 0; j < bound_.size(); ++j) {
        bound_[j] *= 1.0 + 1e-12;
        noise_[j] = 16.0 * kEps * (K + 2.0) * bound_[j];
    }
}

double FourierCurve::value(double phi) const
{
    const double x = toRadians(phi);
    const double s1 = std::sin(x), c1 = std::cos(x);
    double s = s1, c = c1, f = constant_;
    for (size_t i = 0; i < a_.size(); ++i) {
        f += a_[i] * s + b_[i] * c;
        const double t = s * c1 + c * s1;
        c = c * c1 - s * s1;
        s = t;
    }
    return f;
}

void FourierCurve::valueSlope(double phi, double& f, double& d1) const
{
    const double x = toRadians(phi);
    const double s1 = std::sin(x), c1 = std::cos(x);
    double s = s1, c = c1;
    f = constant_;
    d1 = 0.0;
    for (size_t i = 0; i < a_.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        f += a_[i] * s + b_[i] * c;
        d1 += k * (a_[i] * c - b_[i] * s);
        const double t = s * c1 + c * s1;
        c = c * c1 - s * s1;
        s = t;
    }
}

FourierCurve::Jet FourierCurve::jet(double phi) const
{
    const double x = toRadians(phi);
    const double s1 = std::sin(x), c1 = std::cos(x);
    double s = s1, c = c1;
    Jet j{constant_, 0.0, 0.0, 0.0};
    for (size_t i = 0; i < a_.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        const double p = a_[i] * s + b_[i] * c;
        const double q = a_[i] * c - b_[i] * s;
        j.f += p;
        j.d1 += k * q;
        j.d2 -= k * k * p;
        j.d3 -= k * k * k * q;
        const double t = s * c1 + c * s1;
        c = c * c1 - s * s1;
        s = t;
    }
    return j;
}

namespace {

// Finding the turning points of f, i.e. the roots of g = f'. The interval is
// cut into pieces of an eighth of the period of the highest harmonic. A piece
// is settled as soon as it is proven that g keeps its sign on it (no turning
// point), or that g changes sign while g' keeps its sign (exactly one, which
// a safeguarded Newton iteration then finds). Pieces that cannot be settled
// so are halved, down to a width over which f cannot change by more than its
// rounding. Every angle evaluated is a candidate, so the answer is the best
// value of f at angles of the interval that were looked at, and nothing in
// between can be better by more than the rounding.
class ExtremeSearch {
public:
    ExtremeSearch(const FourierCurve& c, int64_t budget) : c_(c), budget_(budget) {}

    FourierCurve::Jet at(double x)
    {
        --budget_;
        const FourierCurve::Jet j = c_.jet(x);
        if (j.f < best_.min) {
            best_.min = j.f;
            best_.atMin = x;
        }
        if (j.f > best_.max) {
            best_.max = j.f;
            best_.atMax = x;
        }
        return j;
    }

    void isolate(double a, const FourierCurve::Jet& ja, double b, const FourierCurve::Jet& jb, int depth)
    {
        const double w = (b - a) * kRadPerDegree;
        if (budget_ <= 0 || c_.bound(1) * w <= c_.noise(0))
            return;
        if (keepsSign(ja.d1, ja.d2, jb.d1, jb.d2, c_.bound(5), w, c_.noise(1), c_.noise(2)))
            return;
        const bool signChange = (ja.d1 < 0 && jb.d1 > 0) || (ja.d1 > 0 && jb.d1 < 0);
        if (signChange && keepsSign(ja.d2, ja.d3, jb.d2, jb.d3, c_.bound(6), w, c_.noise(2), c_.noise(3))) {
            solve(a, ja, b, jb);
            return;
        }
        const double m = a + (b - a) / 2;
        if (depth >= kMaxDepth || !(a < m && m < b)) {
            if (signChange)
                solve(a, ja, b, jb);
            return;
        }
        const FourierCurve::Jet jm = at(m);
        isolate(a, ja, m, jm, depth + 1);
        isolate(m, jm, b, jb, depth + 1);
    }

    const CurveExtremes& best() const { return best_; }

private:
    static constexpr int kMaxDepth = 64;

    // Least value over 0..w of the cubic with values u0, u1 and slopes t0, t1
    // at 0 and w: at an end or at a turning point of the cubic between them.
    static double cubicMin(double u0, double t0, double u1, double t1, double w)
    {
        const double d = (u1 - u0) / w;
        const double c2 = (3 * d - 2 * t0 - t1) / w;
        const double c3 = (t0 + t1 - 2 * d) / (w * w);
        double least = std::min(u0, u1);
        const auto consider = [&](double t) {
            if (0 < t && t < w)
                least = std::min(least, u0 + t * (t0 + t * (c2 + t * c3)));
        };
        // Roots of the cubic's slope t0 + 2 c2 t + 3 c3 t^2, solved without
        // cancellation.
        const double A = 3 * c3, B = 2 * c2, C = t0;
        if (A == 0) {
            if (B != 0)
                consider(-C / B);
        } else {
            const double disc = B * B - 4 * A * C;
            if (disc >= 0) {
                const double q = -0.5 * (B + std::copysign(std::sqrt(disc), B));
                consider(q / A);
                if (q != 0)
                    consider(C / q);
            }
        }
        return least;
    }

    // True when a function u with values ua, ub and slopes ta, tb at the
    // ends of a piece of width w (radians), whose fourth derivative is
    // bounded by M, provably keeps one sign all over the piece. u differs
    // from the cubic with these end values and slopes by at most
    // M w^4 / 384; the rounding nu of the values and nt of the slopes moves
    // the cubic by at most nu + 0.3 w nt (the weights of the slopes stay
    // below 4/27 w).
    static bool keepsSign(double ua, double ta, double ub, double tb, double M, double w, double nu, double nt)
    {
        const double sign = ua > 0 ? 1.0 : -1.0;
        ua *= sign, ta *= sign, ub *= sign, tb *= sign;
        if (!(ua > nu && ub > nu))
            return false;
        const double w2 = w * w;
        const double margin = M * (w2 * w2) / 384 + nu + 0.3 * w * nt;
        return cubicMin(ua, ta, ub, tb, w) > margin * (1 + 1e-9);
    }

    // Newton's method on g inside a bracket of a sign change, falling back
    // to halving whenever a step would leave the bracket.
    void solve(double a, const FourierCurve::Jet& ja, double b, const FourierCurve::Jet& jb)
    {
        double lo = a, hi = b;
        const bool negativeAtLo = ja.d1 < 0;
        double x = a + (b - a) * (ja.d1 / (ja.d1 - jb.d1));
        if (!(lo < x && x < hi))
            x = lo + (hi - lo) / 2;
        for (int it = 0; it < 100 && budget_ > 0; ++it) {
            const FourierCurve::Jet j = at(x);
            if (j.d1 == 0)
                return;
            if ((j.d1 < 0) == negativeAtLo)
                lo = x;
            else
                hi = x;
            double next = x - j.d1 / (j.d2 * kRadPerDegree);
            if (!(lo < next && next < hi))
                next = lo + (hi - lo) / 2;
            if (next == x || !(lo < next && next < hi))
                return;
            // On its way to the turning point f changes by about half of g
            // times the step. Once that is below a unit of the curve's
            // scale, x is as good as the turning point itself.
            if (std::fabs(j.d1 * (next - x) * kRadPerDegree) <= kEps * c_.bound(0))
                return;
            x = next;
        }
    }

    const FourierCurve& c_;
    int64_t budget_;
    CurveExtremes best_{std::numeric_limits<double>::infinity(), 0.0, -std::numeric_limits<double>::infinity(), 0.0};
};

// Caps the pieces for series with an absurd harmonic count; beyond it the
// halving takes over.
constexpr int64_t kMaxPieces = 1 << 20;

} // namespace

CurveExtremes findExtremes(const FourierCurve& c, double from, double to)
{
    // Over a revolution or more the curve takes every value it has; 0..360
    // holds them all and keeps the angles small, whatever the range.
    if (!(to - from < 360.0)) {
        from = 0.0;
        to = 360.0;
    }
    const double span = to - from;
    int64_t pieces = 1;
    if (c.harmonics() > 0) {
        const double piece = 45.0 / c.harmonics();
        pieces = static_cast<int64_t>(std::min<double>(std::ceil(span / piece), kMaxPieces));
        pieces = std::max<int64_t>(pieces, 1);
    }
    // Some dozens of evaluations per piece settle even the nastiest pieces;
    // the budget only guards against series whose bounds are useless (such
    // as ones so large that the bounds overflow).
    ExtremeSearch search(c, 64 * pieces + 4096);
    FourierCurve::Jet ja = search.at(from);
    double a = from;
    if (!c.finite() || !(span > 0)) {
        search.at(to);
        return search.best();
    }
    for (int64_t i = 1; i <= pieces; ++i) {
        const double b = i == pieces ? to : from + span * (static_cast<double>(i) / static_cast<double>(pieces));
        const FourierCurve::Jet jb = search.at(b);
        search.isolate(a, ja, b, jb, 0);
        a = b;
        ja = jb;
    }
    return search.best();
}

} // namespace vemra
