// The check between the angles: sampled in runs, and only where the curve can come near a
// bound, it must find every extremum beyond a bound that sampling every angle would.
#include "module/harmonic_series.h"
#include "module/requirement_checker.h"
#include "module/spare_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace vemra::module {
namespace {

MotionCoefficients randomMotion(int harmonics, std::mt19937& random)
{
    std::uniform_real_distribution<double> size(-1.0, 1.0);
    MotionCoefficients c;
    c.b0 = 10.0 * size(random);
    for (int k = 1; k <= harmonics; ++k) {
        // Falling with k like the coefficients of a real motion law, so the extrema are broad.
        c.a.push_back(20.0 * size(random) / k);
        c.b.push_back(20.0 * size(random) / k);
    }
    return c;
}

TEST(TrigSeriesSampling, RunsAndRunStartsSampledAloneEqualTheWhole)
{
    std::mt19937 random(7);
    const MotionCoefficients c = randomMotion(23, random);
    const TrigSeries curve(c.b0, c.a, c.b);
    const double from = 0.3, step = 1e-3;
    std::vector<double> whole;
    curve.sample(from, step, 100, whole);
    for (int first : {0, 16, 48, 80}) {
        const int count = std::min(21, 100 - first);
        std::vector<double> part(static_cast<std::size_t>(count));
        curve.sample(from, step, first, count, part.data());
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(part[static_cast<std::size_t>(i)], whole[static_cast<std::size_t>(first + i)]) << first + i;
    }
    std::vector<double> starts(7);
    curve.sampleRunStarts(from, step, 7, starts.data());
    for (std::size_t r = 0; r < starts.size(); ++r)
        EXPECT_EQ(starts[r], whole[r * TrigSeries::kSampleRun]) << r;
}

// The extreme value of a curve over an interval, from a walk far finer than any check and
// refined where the walk found it.
double extreme(const TrigSeries& curve, double fromDeg, double toDeg, bool maximum)
{
    constexpr double kWalkDeg = 1e-3;
    const double sign = maximum ? 1.0 : -1.0;
    double best = -1e300, bestPhi = fromDeg;
    for (double phi = fromDeg; phi <= toDeg; phi += kWalkDeg) {
        const double v = sign * curve.value(phi * kRadPerDeg);
        if (v > best) {
            best = v;
            bestPhi = phi;
        }
    }
    const double lo = std::max(fromDeg, bestPhi - kWalkDeg) * kRadPerDeg;
    const double hi = std::min(toDeg, bestPhi + kWalkDeg) * kRadPerDeg;
    return refineExtremum(curve, lo, hi, bestPhi * kRadPerDeg, maximum).value;
}

TEST(RequirementChecker, EveryExtremumBeyondABoundIsFoundAndNoneWithin)
{
    struct Case {
        int harmonics;
        double fromDeg, toDeg;
        int order;
        bool upper;
    };
    // Interval ends on and off the runs of samples, orders 0 to 3, both sides.
    const Case cases[] = {{3, 0.0, 360.0, 0, true},   {10, 13.7, 301.23, 1, false}, {40, 0.0, 360.0, 2, true},
                          {25, 100.0, 100.5, 0, false}, {40, 45.5, 270.25, 3, false}, {8, 0.0, 17.3, 0, true}};
    std::mt19937 random(11);
    for (const Case& k : cases) {
        for (int trial = 0; trial < 4; ++trial) {
            const std::string label = "K=" + std::to_string(k.harmonics) + " order " + std::to_string(k.order) +
                                      " trial " + std::to_string(trial);
            const std::vector<MotionCoefficients> coefficients{randomMotion(k.harmonics, random)};
            RequirementSet set;
            set.motions.push_back(makeTransfer(k.harmonics, 0.0, 0.0));
            Requirement q;
            q.shape = RequirementShape::Interval;
            q.order = k.order;
            q.phiFrom = k.fromDeg;
            q.phiTo = k.toDeg;
            set.requirements.push_back(q);
            const double worst = extreme(requirementCurve(set, q, coefficients), k.fromDeg, k.toDeg, k.upper);
            const double scale = boundScale(worst);

            for (double offset : {-1e-6, 1e-6}) {
                // offset < 0: the bound lies just inside the curve's extreme value, which breaks it.
                LinearBound bound{true, worst + (k.upper ? offset : -offset) * scale, 0.0};
                set.requirements[0].lower = k.upper ? LinearBound{} : bound;
                set.requirements[0].upper = k.upper ? bound : LinearBound{};
                const auto found = findViolations(set, coefficients, 0.0, 1e-9, [](const Requirement&) { return 0.01; });
                if (offset > 0.0) {
                    EXPECT_TRUE(found.empty()) << label;
                    continue;
                }
                ASSERT_FALSE(found.empty()) << label;
                const double excess = std::max_element(found.begin(), found.end(), [](const auto& a, const auto& b) {
                                          return a.excess < b.excess;
                                      })->excess;
                EXPECT_NEAR(excess, 1e-6 * scale, 1e-8 * scale) << label;
            }
        }
    }
}

// The runs a check reads are sampled on the spare core of a first search too, once the simplex
// has started its helper: the violations found are the same to the last bit. A check alone
// starts no thread (at a few harmonics that costs more than it saves).
TEST(RequirementChecker, ASpareCoreFindsTheSameViolationsAndIsNotStartedForThem)
{
    std::mt19937 random(5);
    const std::vector<MotionCoefficients> coefficients{randomMotion(40, random)};
    RequirementSet set;
    set.motions.push_back(makeTransfer(40, 0.0, 0.0));
    Requirement q;
    q.shape = RequirementShape::Interval;
    q.order = 2;
    q.phiTo = 360.0;
    set.requirements.push_back(q);
    // Bounds well inside the curve's range, so that most runs come near one and many extrema break one.
    const double top = extreme(requirementCurve(set, q, coefficients), 0.0, 360.0, true);
    const double bottom = extreme(requirementCurve(set, q, coefficients), 0.0, 360.0, false);
    set.requirements[0].lower = LinearBound{true, 0.6 * bottom, 0.0};
    set.requirements[0].upper = LinearBound{true, 0.6 * top, 0.0};
    const SampleSpacing spacing = [](const Requirement&) { return 0.01; };
    const auto check = [&] { return findViolations(set, coefficients, 0.0, 1e-9, spacing); };
    const std::vector<Violation> alone = check();
    ASSERT_GT(alone.size(), 10u);

    const SpareCoreScope spare(true);
    ASSERT_NE(spareCore(), nullptr);
    check();
    EXPECT_FALSE(spareCore()->started());
    auto nothing = [](int, int) {};
    SpareCore::loop(spareCore(), 1000, 10, 1000, nothing); // long enough to start the helper
    ASSERT_TRUE(spareCore()->started());
    const std::vector<Violation> shared = check();
    ASSERT_EQ(shared.size(), alone.size());
    for (std::size_t i = 0; i < alone.size(); ++i) {
        EXPECT_EQ(shared[i].angle, alone[i].angle) << i;
        EXPECT_EQ(shared[i].excess, alone[i].excess) << i;
    }
}

} // namespace
} // namespace vemra::module
