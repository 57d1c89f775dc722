// Finds where a candidate solution violates its requirements: interval curves are sampled and
// every sampled extremum that could break a bound is refined to the true extremum nearby.
#pragma once

#include "module/requirement_set.h"

#include <functional>
#include <vector>

namespace vemra::module {

enum class BoundSide { Lower, Upper };

struct Violation {
    int requirement = 0;  // index in RequirementSet::requirements
    double angle = 0.0;   // degrees; unused for spectrum requirements
    BoundSide side = BoundSide::Upper;
    double excess = 0.0;  // how far the bound is missed, in the curve's units
    double scale = 1.0;   // max(1, |bound|)
    double curvature = 0.0; // |second derivative| of the curve there (per radian squared)
};

// Sample spacing in degrees for a requirement.
using SampleSpacing = std::function<double(const Requirement&)>;

// All violations larger than relativeTolerance * scale. λ fixes bounds that are linear in λ.
// With withinRoundOff, a curve may also miss its bound by what evaluating it in double
// precision cannot resolve (the exchange method would chase such violations forever), but
// never by more than kRoundOffAllowance * scale, half of what the final check accepts:
// coefficients so large that round-off exceeds that are no solution.
inline constexpr double kRoundOffAllowance = 5e-8;
std::vector<Violation> findViolations(const RequirementSet& set, const std::vector<MotionCoefficients>& coefficients,
                                      double lambda, double relativeTolerance, const SampleSpacing& spacing,
                                      bool withinRoundOff = false);

} // namespace vemra::module
