#include "touching_angles.h"

#include <algorithm>
#include <cmath>

namespace vemra::module::testing {

std::vector<TrueMotion> solvedMotions(const SynthesisResult& result, std::vector<TrueMotion> truth)
{
    for (std::size_t m = 0; m < result.motions.size(); ++m) {
        const MotionResult& r = result.motions[m];
        truth[m] = {r.eta, truth[m].theta, r.coefficients.b0, r.coefficients.a, r.coefficients.b};
    }
    return truth;
}

std::vector<std::pair<std::size_t, double>> touchingAngles(const std::vector<RawRecord>& input,
                                                           const SynthesisResult& result,
                                                           const std::vector<TrueMotion>& truth)
{
    const std::vector<TrueMotion> solved = solvedMotions(result, truth);
    std::vector<std::pair<std::size_t, double>> angles;
    std::size_t echo = 0;
    for (std::size_t i = 1; i < input.size(); ++i) {
        const RawRecord& r = input[i];
        if (r.intPar(1) == 0)
            continue;
        const RestrictionEcho& e = result.restrictions.at(echo++);
        const int kind = r.intPar(3);
        if (r.intPar(1) < 0 || kind % 20 < 10 || kind == 20 || (kind >= 20 && kind < 40))
            continue;
        const int a = r.intPar(1) - 1, b = kind >= 40 ? r.intPar(2) - 1 : -1;
        const auto value = [&](double phi) { return curve(solved, a, b, kind % 10, phi); };
        const double from = e.reals[1], to = e.reals[3];
        const int n = std::max(2, static_cast<int>(std::ceil((to - from) / 0.01)));
        auto at = [&](int j) { return from + (to - from) * j / n; };
        for (int j = 1; j < n; ++j) {
            for (double sign : {1.0, -1.0}) {
                // Strictly above both neighbours: a flat curve (the difference of two equal
                // motions, a motion at rest) has no extremum worth holding, only thousands of ties.
                const double here = sign * value(at(j));
                if (here <= sign * value(at(j - 1)) || here <= sign * value(at(j + 1)))
                    continue;
                double lo = at(j - 1), hi = at(j + 1);
                for (int step = 0; step < 60; ++step) {
                    const double m1 = lo + (hi - lo) * 0.382, m2 = lo + (hi - lo) * 0.618;
                    const bool rising = sign * value(m1) < sign * value(m2);
                    (rising ? lo : hi) = rising ? m1 : m2;
                }
                angles.emplace_back(i, 0.5 * (lo + hi));
            }
        }
    }
    return angles;
}

} // namespace vemra::module::testing
