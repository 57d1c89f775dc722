#include "module/harmonic_series.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra::module {

HarmonicTransfer makeTransfer(int harmonics, double eta, double theta)
{
    HarmonicTransfer t;
    t.eta = eta;
    t.f.assign(static_cast<std::size_t>(harmonics), 1.0);
    t.g.assign(static_cast<std::size_t>(harmonics), 0.0);
    if (eta == 0.0)
        return t;
    for (int k = 1; k <= harmonics; ++k) {
        const double r = k * eta;
        const double a = r * r;
        const double b = theta * theta * r * r;
        const double d = 4.0 * b + (1.0 - a) * (1.0 - a);
        t.f[static_cast<std::size_t>(k - 1)] = (1.0 - a + 4.0 * b) / d;
        t.g[static_cast<std::size_t>(k - 1)] = 2.0 * r * r * r * theta / d;
    }
    return t;
}

DerivativeFactors derivativeFactors(int k, int order, double sinKx, double cosKx)
{
    double scale = 1.0;
    for (int i = 0; i < order; ++i)
        scale *= k;
    switch (order % 4) {
    case 0: return {scale * sinKx, scale * cosKx};
    case 1: return {scale * cosKx, -scale * sinKx};
    case 2: return {-scale * sinKx, -scale * cosKx};
    default: return {-scale * cosKx, scale * sinKx};
    }
}

TrigSeries::TrigSeries(double constant, std::vector<double> sine, std::vector<double> cosine)
    : constant_(constant), sine_(std::move(sine)), cosine_(std::move(cosine))
{
    cosine_.resize(sine_.size(), 0.0);
}

TrigSeries TrigSeries::outputDerivative(const MotionCoefficients& s, const HarmonicTransfer& transfer, int order)
{
    const auto n = s.a.size();
    std::vector<double> sine(n), cosine(n);
    for (std::size_t i = 0; i < n; ++i) {
        const int k = static_cast<int>(i + 1);
        const double qa = transfer.f[i] * s.a[i] + transfer.g[i] * s.b[i];
        const double qb = -transfer.g[i] * s.a[i] + transfer.f[i] * s.b[i];
        // Rotating (qa, qb) by the derivative order gives the coefficients of sin and cos.
        const DerivativeFactors onSin = derivativeFactors(k, order, 1.0, 0.0);
        const DerivativeFactors onCos = derivativeFactors(k, order, 0.0, 1.0);
        sine[i] = onSin.onA * qa + onSin.onB * qb;
        cosine[i] = onCos.onA * qa + onCos.onB * qb;
    }
    return TrigSeries(order == 0 ? s.b0 : 0.0, std::move(sine), std::move(cosine));
}

TrigSeries& TrigSeries::operator-=(const TrigSeries& other)
{
    if (other.sine_.size() > sine_.size()) {
        sine_.resize(other.sine_.size(), 0.0);
        cosine_.resize(other.sine_.size(), 0.0);
    }
    constant_ -= other.constant_;
    for (std::size_t i = 0; i < other.sine_.size(); ++i) {
        sine_[i] -= other.sine_[i];
        cosine_[i] -= other.cosine_[i];
    }
    return *this;
}

double TrigSeries::value(double x) const
{
    const double s1 = std::sin(x), c1 = std::cos(x);
    double sk = s1, ck = c1, sum = constant_;
    for (std::size_t i = 0; i < sine_.size(); ++i) {
        sum += sine_[i] * sk + cosine_[i] * ck;
        const double next = sk * c1 + ck * s1;
        ck = ck * c1 - sk * s1;
        sk = next;
    }
    return sum;
}

TrigSeries::Jet TrigSeries::jet(double x) const
{
    const double s1 = std::sin(x), c1 = std::cos(x);
    double sk = s1, ck = c1;
    Jet j{constant_, 0.0, 0.0};
    for (std::size_t i = 0; i < sine_.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        const double termValue = sine_[i] * sk + cosine_[i] * ck;
        j.value += termValue;
        j.slope += k * (sine_[i] * ck - cosine_[i] * sk);
        j.curvature -= k * k * termValue;
        const double next = sk * c1 + ck * s1;
        ck = ck * c1 - sk * s1;
        sk = next;
    }
    return j;
}

double TrigSeries::curvatureBound() const
{
    double bound = 0.0;
    for (std::size_t i = 0; i < sine_.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        bound += k * k * (std::abs(sine_[i]) + std::abs(cosine_[i]));
    }
    return bound;
}

double TrigSeries::roundOffBound() const
{
    // Every term is at most its coefficient in size, and a few roundings of each enter the sum.
    double sum = std::abs(constant_);
    for (std::size_t i = 0; i < sine_.size(); ++i)
        sum += std::abs(sine_[i]) + std::abs(cosine_[i]);
    return 4.0 * std::numeric_limits<double>::epsilon() * sum;
}

void TrigSeries::sample(double from, double step, int count, std::vector<double>& out) const
{
    out.resize(static_cast<std::size_t>(std::max(count, 0)));
    sample(from, step, 0, count, out.data());
}

void TrigSeries::sample(double from, double step, int first, int count, double* out) const
{
    // The angle of each sample comes from its predecessor by one rotation; afresh from sin
    // and cos at the start of every run of samples, before the rounding of the rotations adds
    // up.
    const double stepSin = std::sin(step), stepCos = std::cos(step);
    double s1 = 0.0, c1 = 1.0;
    for (int start = 0; start < count; start += kLanes) {
        Lanes sin1{}, cos1{};
        const int lanes = std::min(kLanes, count - start);
        for (int l = 0; l < lanes; ++l) {
            const int i = first + start + l;
            if (i % kSampleRun == 0 || start + l == 0) {
                const double x = from + i * step;
                s1 = std::sin(x);
                c1 = std::cos(x);
            } else {
                const double next = s1 * stepCos + c1 * stepSin;
                c1 = c1 * stepCos - s1 * stepSin;
                s1 = next;
            }
            sin1[static_cast<std::size_t>(l)] = s1;
            cos1[static_cast<std::size_t>(l)] = c1;
        }
        sumLanes(sin1, cos1, lanes, out + start);
    }
}

void TrigSeries::sampleRunStarts(double from, double step, int runs, double* out) const
{
    for (int start = 0; start < runs; start += kLanes) {
        Lanes sin1{}, cos1{};
        const int lanes = std::min(kLanes, runs - start);
        for (int l = 0; l < lanes; ++l) {
            const double x = from + (start + l) * kSampleRun * step;
            sin1[static_cast<std::size_t>(l)] = std::sin(x);
            cos1[static_cast<std::size_t>(l)] = std::cos(x);
        }
        sumLanes(sin1, cos1, lanes, out + start);
    }
}

void TrigSeries::sumLanes(const Lanes& sin1, const Lanes& cos1, int lanes, double* out) const
{
    // The harmonics of one sample form a chain of dependent rotations; several samples side by
    // side keep the processor busy where one would wait for each multiplication in turn. Each
    // sample's own arithmetic is that of value().
    Lanes sk = sin1, ck = cos1, sum{};
    sum.fill(constant_);
    for (std::size_t k = 0; k < sine_.size(); ++k) {
        const double a = sine_[k], b = cosine_[k];
        for (std::size_t l = 0; l < kLanes; ++l) {
            sum[l] += a * sk[l] + b * ck[l];
            const double next = sk[l] * cos1[l] + ck[l] * sin1[l];
            ck[l] = ck[l] * cos1[l] - sk[l] * sin1[l];
            sk[l] = next;
        }
    }
    std::copy_n(sum.begin(), lanes, out);
}

Extremum refineExtremum(const TrigSeries& series, double lo, double hi, double guess, bool maximum)
{
    const double sign = maximum ? 1.0 : -1.0;
    // Work on h = sign * value, so we always look for a maximum: slope > 0 left of it.
    auto slopeAt = [&](double x) { return sign * series.jet(x).slope; };
    Extremum best{guess, series.value(guess)};
    auto consider = [&](double x) {
        const double v = series.value(x);
        if (sign * v > sign * best.value)
            best = {x, v};
    };

    double a = lo, b = hi;
    double slopeA = slopeAt(a), slopeB = slopeAt(b);
    if (slopeA > 0.0 && slopeB < 0.0) {
        double x = std::clamp(guess, a, b);
        for (int iteration = 0; iteration < 60; ++iteration) {
            const TrigSeries::Jet j = series.jet(x);
            const double slope = sign * j.slope;
            const double curvature = sign * j.curvature;
            if (slope > 0.0)
                a = x;
            else
                b = x;
            double next = curvature < 0.0 ? x - slope / curvature : 0.5 * (a + b);
            if (!(next > a && next < b))
                next = 0.5 * (a + b);
            const double move = std::abs(next - x);
            x = next;
            if (move <= 1e-14 * (1.0 + std::abs(x)) || b - a <= 1e-14 * (1.0 + std::abs(x)))
                break;
        }
        consider(x);
    }
    // Without a sign change of the slope the extremum of the bracket lies at one of its ends.
    consider(lo);
    consider(hi);
    return best;
}

} // namespace vemra::module
