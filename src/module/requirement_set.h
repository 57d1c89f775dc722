// One concrete set of requirements: every enforced restriction with its angles, bounds and the
// transfer of its motions fixed for one fulfilment level λ and one set of shifts. Bounds can
// also stay linear in λ, for the programme that maximises λ itself.
#pragma once

#include "module/harmonic_series.h"

#include <vector>

namespace vemra::module {

// bound(λ) = base + slope * λ; slope is 0 once λ is fixed.
struct LinearBound {
    bool present = false;
    double base = 0.0;
    double slope = 0.0;

    double at(double lambda) const { return base + slope * lambda; }
};

enum class RequirementShape { Point, Interval, Spectrum };

struct Requirement {
    RequirementShape shape = RequirementShape::Point;
    int restriction = 0;    // index in SynthesisProblem::restrictions
    int motionA = 0;        // motion index (number - 1)
    int motionB = -1;       // second motion of relative kinds, else -1
    int order = 0;          // derivative order; exponent p for spectrum sums
    int harmonic = 0;       // spectrum: > 0 for a single harmonic, 0 for the weighted sum
    double phiFrom = 0.0;   // degrees; a point uses phiFrom only
    double phiTo = 0.0;
    LinearBound lower;
    LinearBound upper;      // spectrum kinds: the bound c

    // The largest harmonic the curve of this requirement carries.
    int highestHarmonic(const std::vector<HarmonicTransfer>& motions) const;
};

// Tolerances are relative to max(1, |bound|).
inline double boundScale(double bound) { return bound > 1.0 ? bound : (bound < -1.0 ? -bound : 1.0); }

struct RequirementSet {
    std::vector<HarmonicTransfer> motions; // index = motion number - 1
    std::vector<Requirement> requirements;
    bool lambdaVariable = false;           // bounds linear in λ (λ is a column of the programme)
    double lambda = 0.0;                   // the fixed λ when !lambdaVariable
};

// Weight of harmonic k (1-based) in a spectrum requirement.
double spectrumWeight(const Requirement& requirement, int k);

// The curve a point or interval requirement restricts, for the given coefficients.
TrigSeries requirementCurve(const RequirementSet& set, const Requirement& requirement,
                            const std::vector<MotionCoefficients>& coefficients);

// The left side of a spectrum requirement for the given coefficients.
double spectrumValue(const Requirement& requirement, const std::vector<MotionCoefficients>& coefficients);

// sum over motions and k of k^2 (|a_k| + |b_k|): the smoothness measure that is minimised.
double smoothnessSum(const std::vector<MotionCoefficients>& coefficients);

} // namespace vemra::module

namespace vemra::module {

// Spacing (degrees) of the grid the linear programmes start from: a twentieth of the period
// of the highest harmonic the requirement's curve carries.
double lpGridStep(const RequirementSet& set, const Requirement& requirement);

// Number of grid intervals over an interval requirement at that spacing (at least one).
int lpGridIntervals(const RequirementSet& set, const Requirement& requirement);

} // namespace vemra::module
