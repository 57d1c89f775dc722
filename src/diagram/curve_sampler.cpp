#include "curve_sampler.h"

#include "model/nodes.h"

#include <algorithm>
#include <cmath>

namespace vemra {

namespace {

// The same conversion as the exact evaluation, so both see the same x.
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kOneOver180 = 1.0L / 180.0L;

} // namespace

CurveSampler::CurveSampler(const TPaintObj& motion, Curve curve, uint8_t order)
{
    if (curve == Curve::M) {
        const int32_t harmonics = motion.mSC.Count() / 2 - 1;
        for (int32_t k = 1; k <= harmonics; ++k) {
            factors_.push_back(motion.m_sin(k));
            factors_.push_back(motion.m_cos(k));
        }
        return;
    }
    const TVector& v = curve == Curve::S ? motion.sSC : motion.qSC;
    if (v.Count() < 2)
        return;
    const bool s = curve == Curve::S;
    constant_ = s ? motion.s_cos(order, 0) : motion.q_cos(order, 0);
    // The accessors take the harmonic as a byte; longer series are read
    // directly with the same sign pattern.
    const int32_t harmonics = v.Count() / 2 - 1;
    for (int32_t k = 1; k <= harmonics; ++k) {
        if (k <= 255) {
            const auto kb = static_cast<uint8_t>(k);
            factors_.push_back(s ? motion.s_sin(order, kb) : motion.q_sin(order, kb));
            factors_.push_back(s ? motion.s_cos(order, kb) : motion.q_cos(order, kb));
            continue;
        }
        double f = 1.0;
        for (unsigned i = 0; i < order; ++i)
            f *= k;
        const double a = v[2 * k];
        const double b = v[2 * k + 1];
        switch (order % 4) {
        case 0: factors_.insert(factors_.end(), {f * a, f * b}); break;
        case 1: factors_.insert(factors_.end(), {-f * b, f * a}); break;
        case 2: factors_.insert(factors_.end(), {-f * a, -f * b}); break;
        default: factors_.insert(factors_.end(), {f * b, -f * a}); break;
        }
    }
}

namespace {

// Samples between two fresh angles of a sweep.
constexpr size_t kSweepAnchor = 32;

double radians(double phi)
{
    return static_cast<double>((kPi * phi) * kOneOver180);
}

} // namespace

void CurveSampler::sweep(double first, double step, size_t count, double* values) const
{
    const double sd = std::sin(radians(step));
    const double cd = std::cos(radians(step));
    for (size_t anchor = 0; anchor < count; anchor += kSweepAnchor) {
        const double x = radians(first + static_cast<double>(anchor) * step);
        double s1 = std::sin(x);
        double c1 = std::cos(x);
        const size_t end = std::min(count, anchor + kSweepAnchor);
        for (size_t i = anchor; i < end; ++i) {
            values[i] = evaluate(s1, c1);
            const double next = s1 * cd + c1 * sd;
            c1 = c1 * cd - s1 * sd;
            s1 = next;
        }
    }
}

double CurveSampler::operator()(double phi) const
{
    const double x = radians(phi);
    return evaluate(std::sin(x), std::cos(x));
}

double CurveSampler::evaluate(double s1, double c1) const
{
    double s = s1;
    double c = c1;
    double sum = constant_;
    const double* f = factors_.data();
    const double* end = f + factors_.size();
    for (; f != end; f += 2) {
        sum += s * f[0] + c * f[1];
        const double next = s * c1 + c * s1;
        c = c * c1 - s * s1;
        s = next;
    }
    return sum;
}

} // namespace vemra
