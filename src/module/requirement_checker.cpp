#include "module/requirement_checker.h"

#include <algorithm>
#include <cmath>

namespace vemra::module {
namespace {

struct SideBound {
    bool present;
    double value;
    double tolerance;
};

SideBound sideBound(const LinearBound& bound, double lambda, double relativeTolerance)
{
    if (!bound.present)
        return {false, 0.0, 0.0};
    const double value = bound.at(lambda);
    return {true, value, relativeTolerance * boundScale(value)};
}

void checkPoint(int index, const Requirement& q, const TrigSeries& curve, const SideBound& lower,
                const SideBound& upper, std::vector<Violation>& out)
{
    const double v = curve.value(q.phiFrom * kRadPerDeg);
    if (lower.present && v < lower.value - lower.tolerance)
        out.push_back({index, q.phiFrom, BoundSide::Lower, lower.value - v, boundScale(lower.value)});
    if (upper.present && v > upper.value + upper.tolerance)
        out.push_back({index, q.phiFrom, BoundSide::Upper, v - upper.value, boundScale(upper.value)});
}

void checkInterval(int index, const Requirement& q, const TrigSeries& curve, double stepDeg, const SideBound& lower,
                   const SideBound& upper, std::vector<Violation>& out)
{
    const double from = q.phiFrom * kRadPerDeg;
    const double to = q.phiTo * kRadPerDeg;
    const double spanDeg = q.phiTo - q.phiFrom;
    const int intervals = std::max(1, static_cast<int>(std::ceil(spanDeg / stepDeg - 1e-9)));
    const double h = (to - from) / intervals;
    std::vector<double> v;
    curve.sample(from, h, intervals + 1, v);
    v.back() = curve.value(to); // the interval end exactly, not from + n * h
    auto angleAt = [&](int i) { return i == intervals ? to : from + i * h; };

    // Between samples an extremum can exceed the sampled value by at most h^2/2 * max|q''|.
    const double slack = 0.5 * h * h * curve.curvatureBound();

    auto scan = [&](const SideBound& bound, bool maximum) {
        if (!bound.present)
            return;
        const double sign = maximum ? 1.0 : -1.0;
        const double limit = sign * bound.value + bound.tolerance; // sign * value must stay below
        for (int i = 0; i <= intervals; ++i) {
            const double here = sign * v[static_cast<std::size_t>(i)];
            // A local extremum of the samples; strict on the left so a plateau counts once.
            const bool leftOk = i == 0 || here > sign * v[static_cast<std::size_t>(i - 1)];
            const bool rightOk = i == intervals || here >= sign * v[static_cast<std::size_t>(i + 1)];
            if (!leftOk || !rightOk || here + slack <= limit)
                continue;
            const double lo = angleAt(std::max(i - 1, 0));
            const double hi = angleAt(std::min(i + 1, intervals));
            const Extremum e = refineExtremum(curve, lo, hi, angleAt(i), maximum);
            if (sign * e.value > limit)
                out.push_back({index, e.x / kRadPerDeg, maximum ? BoundSide::Upper : BoundSide::Lower,
                               sign * e.value - sign * bound.value, boundScale(bound.value),
                               std::abs(curve.jet(e.x).curvature)});
        }
    };
    scan(lower, false);
    scan(upper, true);
}

} // namespace

std::vector<Violation> findViolations(const RequirementSet& set, const std::vector<MotionCoefficients>& coefficients,
                                      double lambda, double relativeTolerance, const SampleSpacing& spacing,
                                      bool withinRoundOff)
{
    std::vector<Violation> out;
    for (std::size_t i = 0; i < set.requirements.size(); ++i) {
        const Requirement& q = set.requirements[i];
        const int index = static_cast<int>(i);
        SideBound lower = sideBound(q.lower, lambda, relativeTolerance);
        SideBound upper = sideBound(q.upper, lambda, relativeTolerance);
        if (q.shape == RequirementShape::Spectrum) {
            const double v = spectrumValue(q, coefficients);
            if (v > upper.value + upper.tolerance)
                out.push_back({index, 0.0, BoundSide::Upper, v - upper.value, boundScale(upper.value)});
            continue;
        }
        const TrigSeries curve = requirementCurve(set, q, coefficients);
        if (withinRoundOff) {
            const double roundOff = curve.roundOffBound();
            for (SideBound* side : {&lower, &upper})
                side->tolerance =
                    std::max(side->tolerance, std::min(roundOff, kRoundOffAllowance * boundScale(side->value)));
        }
        if (q.shape == RequirementShape::Point)
            checkPoint(index, q, curve, lower, upper, out);
        else
            checkInterval(index, q, curve, spacing(q), lower, upper, out);
    }
    return out;
}

} // namespace vemra::module
