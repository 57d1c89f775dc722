#include "module/requirement_set.h"

#include <algorithm>
#include <cmath>

namespace vemra::module {

int Requirement::highestHarmonic(const std::vector<HarmonicTransfer>& motions) const
{
    int k = static_cast<int>(motions[static_cast<std::size_t>(motionA)].f.size());
    if (motionB >= 0)
        k = std::max(k, static_cast<int>(motions[static_cast<std::size_t>(motionB)].f.size()));
    return k;
}

double spectrumWeight(const Requirement& requirement, int k)
{
    if (requirement.harmonic > 0)
        return k == requirement.harmonic ? 1.0 : 0.0;
    double w = 1.0;
    for (int i = 0; i < requirement.order; ++i)
        w *= k;
    return w;
}

TrigSeries requirementCurve(const RequirementSet& set, const Requirement& requirement,
                            const std::vector<MotionCoefficients>& coefficients)
{
    const auto a = static_cast<std::size_t>(requirement.motionA);
    TrigSeries curve = TrigSeries::outputDerivative(coefficients[a], set.motions[a], requirement.order);
    if (requirement.motionB >= 0) {
        const auto b = static_cast<std::size_t>(requirement.motionB);
        curve -= TrigSeries::outputDerivative(coefficients[b], set.motions[b], requirement.order);
    }
    return curve;
}

double spectrumValue(const Requirement& requirement, const std::vector<MotionCoefficients>& coefficients)
{
    const MotionCoefficients& c = coefficients[static_cast<std::size_t>(requirement.motionA)];
    double sum = 0.0;
    for (int k = 1; k <= c.harmonics(); ++k) {
        const double w = spectrumWeight(requirement, k);
        if (w != 0.0)
            sum += w * (std::abs(c.a[static_cast<std::size_t>(k - 1)]) + std::abs(c.b[static_cast<std::size_t>(k - 1)]));
    }
    return sum;
}

double smoothnessSum(const std::vector<MotionCoefficients>& coefficients)
{
    double sum = 0.0;
    for (const MotionCoefficients& c : coefficients)
        for (int k = 1; k <= c.harmonics(); ++k)
            sum += static_cast<double>(k) * k
                * (std::abs(c.a[static_cast<std::size_t>(k - 1)]) + std::abs(c.b[static_cast<std::size_t>(k - 1)]));
    return sum;
}

} // namespace vemra::module

namespace vemra::module {

double lpGridStep(const RequirementSet& set, const Requirement& requirement)
{
    return 360.0 / 20.0 / std::max(1, requirement.highestHarmonic(set.motions));
}

int lpGridIntervals(const RequirementSet& set, const Requirement& requirement)
{
    const double span = requirement.phiTo - requirement.phiFrom;
    return std::max(1, static_cast<int>(std::ceil(span / lpGridStep(set, requirement) - 1e-9)));
}

} // namespace vemra::module
