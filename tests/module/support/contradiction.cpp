#include "contradiction.h"

#include <algorithm>
#include <numbers>
#include <random>

namespace vemra::module::testing {

void plantContradiction(RandomProject& project, Contradiction kind, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    const int motion = std::uniform_int_distribution<int>(1, static_cast<int>(project.truth.size()))(rng);
    auto q = [&](double phi) { return curve(project.truth, motion - 1, -1, 0, phi); };
    const double from = uniform(0.0, 270.0);
    const double span = uniform(30.0, 90.0);
    const double to = from + span;
    if (kind == Contradiction::PointBeyondBand) {
        double lo = q(from), hi = lo;
        for (double phi = from; phi <= to; phi += 0.5) {
            lo = std::min(lo, q(phi));
            hi = std::max(hi, q(phi));
        }
        const double gap = uniform(0.05, 0.5);
        project.builder.add(intervalRestriction(motion, 0, from, to, lo - gap, hi + gap));
        project.builder.add(lowerPoint(motion, 0, uniform(from, to), hi + gap + uniform(0.1, 1.0)));
        return;
    }
    const double start = q(from), rise = uniform(0.5, 2.0), radians = span * std::numbers::pi / 180.0;
    project.builder.add(pointRestriction(motion, 0, from, start, start));
    project.builder.add(pointRestriction(motion, 0, to, start + rise, start + rise));
    if (kind == Contradiction::RiseTooSteepForVelocity) {
        const double bound = uniform(0.5, 0.9) * rise / radians;
        project.builder.add(intervalRestriction(motion, 1, from, to, -bound, bound));
        return;
    }
    const double bound = uniform(0.5, 0.9) * 4.0 * rise / (radians * radians);
    project.builder.add(pointRestriction(motion, 1, from, 0.0, 0.0));
    project.builder.add(pointRestriction(motion, 1, to, 0.0, 0.0));
    project.builder.add(intervalRestriction(motion, 2, from, to, -bound, bound));
}

} // namespace vemra::module::testing
