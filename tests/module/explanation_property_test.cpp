// Seeded random projects whose explanation must agree with solving the changed project again
// from scratch. Code 0: loosening a listed restriction's bounds raises λ* by about its
// sensitivity times the loosening, loosening any other one leaves λ* where it is. Code 1: the
// same for the smoothness sum. Code -2: the conflict set cannot be met by itself and can be met
// without any one of its members. Each is checked by the module on the changed project, and
// λ* and the conflicts once more by the test's own grid programme.
#include "module/input_reader.h"
#include "module/synthesis.h"
#include "protocol/result_codes.h"
#include "contradiction.h"
#include "grid_programme.h"
#include "project_edits.h"
#include "random_project.h"
#include "touching_angles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <random>
#include <tuple>

namespace vemra::module {
namespace {

using testing::boundSize;
using testing::Contradiction;
using testing::fixedAt;
using testing::GridProgramme;
using testing::GridVerdict;
using testing::loosened;
using testing::makeRandomProject;
using testing::onlyRestrictions;
using testing::RandomProjectConfig;
using testing::recordsText;
using testing::RestrictionRecord;
using testing::solveOnGrid;
using testing::withShifts;

// λ* of two solves of the same project agrees to this: shifts and bisection settle it to 1e-6.
constexpr double kSameLambda = 2e-6;
// The smoothness sums of two solves agree to this part of their size.
constexpr double kSameSmoothness = 1e-6;
// What a listed restriction's loosening is chosen to move λ* by (less where λ* is near 1).
constexpr double kAimedRise = 1e-3;
// An unlisted restriction is loosened by this part of its bounds' size.
constexpr double kUnlistedLoosening = 0.01;

std::vector<double> shiftsOf(const Explanation& e)
{
    std::vector<double> shifts;
    for (const auto& [object, shift] : e.shifts) {
        shifts.resize(std::max(shifts.size(), static_cast<std::size_t>(object)), 0.0);
        shifts[static_cast<std::size_t>(object - 1)] = shift;
    }
    return shifts;
}

bool isEnforcedRestriction(const RawRecord& r)
{
    const int kind = r.intPar(3);
    const bool spectrum = kind >= 20 && kind <= 24;
    return r.intPar(1) > 0 && (spectrum || r.intPar(6) >= 0 || r.intPar(7) >= 0);
}

// sum over motions and k of k^2 (|a_k| + |b_k|)
double smoothness(const SynthesisResult& result)
{
    double sum = 0.0;
    for (const MotionResult& m : result.motions)
        for (std::size_t i = 0; i < m.coefficients.a.size(); ++i)
            sum += static_cast<double>((i + 1) * (i + 1)) * (std::abs(m.coefficients.a[i]) + std::abs(m.coefficients.b[i]));
    return sum;
}

SynthesisResult solve(const std::vector<RawRecord>& records)
{
    SynthesisOptions options;
    options.explain = false;
    return synthesise(ReadResult{records, std::nullopt}, options);
}

GridVerdict gridVerdict(const std::vector<RawRecord>& records, double lambda, const GridProgramme& settings)
{
    const auto fixed = fixedAt(records, std::min(1.0, lambda));
    return fixed ? solveOnGrid(*fixed, 0.0, settings) : GridVerdict::Infeasible;
}

// Families of random projects: small K, up to three motions, shift objects in some.
std::vector<std::pair<std::string, RandomProjectConfig>> cases()
{
    using SetUp = std::function<void(RandomProjectConfig&, std::uint32_t)>;
    const std::tuple<const char*, std::vector<std::uint32_t>, SetUp> families[] = {
        {"bounds", {1, 2, 3, 4}, [](auto& c, auto seed) { c.harmonics = {static_cast<int>(2 + seed % 3)}; }},
        {"relative", {5, 6, 7},
         [](auto& c, auto) {
             c.harmonics = {3, 2};
             c.relative = true;
         }},
        {"object", {8, 9, 10},
         [](auto& c, auto) {
             c.harmonics = {3, 3};
             c.relative = true;
             c.objects = 1;
         }},
        {"angles", {11, 12, 13},
         [](auto& c, auto) {
             c.harmonics = {3};
             c.variableAngles = true;
         }},
        {"eta", {14, 15, 16},
         [](auto& c, auto) {
             c.harmonics = {2, 3};
             c.variableEta = true;
         }},
        {"three motions", {17, 18, 19},
         [](auto& c, auto seed) {
             c.harmonics = {2, 3, 2};
             c.restrictions = 8;
             c.relative = true;
             c.objects = 2;
             c.variableAngles = seed % 2 == 1;
         }},
    };
    std::vector<std::pair<std::string, RandomProjectConfig>> out;
    for (const auto& [name, seeds, setUp] : families) {
        for (std::uint32_t seed : seeds) {
            RandomProjectConfig c;
            c.samples = 4;
            c.steps = 3;
            c.restrictions = 6;
            c.seed = seed;
            setUp(c, seed);
            out.emplace_back(std::string(name) + " seed " + std::to_string(seed), c);
        }
    }
    return out;
}

TEST(ExplanationProperties, LoosenedBoundsMoveTheResultExactlyWhereListed)
{
    int listedChecked = 0, unlistedChecked = 0;
    for (const auto& [label, config] : cases()) {
        SCOPED_TRACE(label);
        const auto project = makeRandomProject(config);
        const auto input = readRecords(project.text());
        ASSERT_FALSE(input.error);
        const SynthesisResult result = synthesise(input);
        ASSERT_TRUE(ResultCodes::resultsExpected(result.code)) << result.code << " " << result.message;
        ASSERT_TRUE(result.explanation);
        const Explanation& e = *result.explanation;
        const bool fulfilment = result.code == ResultCodes::Solved;
        ASSERT_EQ(e.stage, fulfilment ? ExplanationStage::Fulfilment : ExplanationStage::Smoothness);
        EXPECT_EQ(shiftsOf(e), result.shifts);

        // The project as the search left it, solved again without searching.
        const std::vector<RawRecord> base = withShifts(input.records, shiftsOf(e));
        const SynthesisResult reference = solve(base);
        ASSERT_EQ(reference.code, result.code) << reference.message;
        EXPECT_NEAR(reference.lambda, result.lambda, kSameLambda);
        std::map<int, LimitingRestriction> listed;
        for (const LimitingRestriction& l : e.limits)
            listed[l.record] = l;

        // The grid programme holds the angles where the reference touches its bounds, so that
        // "infeasible" above λ* is a proof; "feasible" is a check (between its angles the grid
        // allows a little more than the curves do).
        GridProgramme grid;
        grid.periodFraction = 1.0 / 100.0;
        grid.extraAngles = testing::touchingAngles(base, reference, project.truth);

        // Loosened enough to move λ* (or the smoothness sum) clearly, where λ* has room.
        const double aimed = fulfilment ? std::min(kAimedRise, 0.25 * (1.0 - reference.lambda)) : kAimedRise;
        for (std::size_t i = 1; i < base.size(); ++i) {
            if (!isEnforcedRestriction(base[i]))
                continue;
            const int record = base[i].intPar(9);
            SCOPED_TRACE("record " + std::to_string(record));
            const auto limit = listed.find(record);
            if (limit == listed.end()) {
                const auto changed = loosened(base, i, kUnlistedLoosening * boundSize(base[i]));
                const SynthesisResult again = solve(changed);
                ASSERT_EQ(again.code, result.code) << again.message;
                if (fulfilment) {
                    EXPECT_NEAR(again.lambda, reference.lambda, kSameLambda);
                    if (reference.lambda + 1e-5 < 1.0) {
                        EXPECT_EQ(gridVerdict(changed, reference.lambda + 1e-5, grid), GridVerdict::Infeasible);
                    }
                } else {
                    EXPECT_NEAR(smoothness(again), smoothness(reference), kSameSmoothness * smoothness(reference));
                }
                ++unlistedChecked;
                continue;
            }
            const double sensitivity = limit->second.sensitivity;
            ASSERT_GT(sensitivity, 0.0);
            const double scale = fulfilment ? 1.0 : smoothness(reference);
            const double delta = std::min(aimed * scale / sensitivity, 0.05 * boundSize(base[i]));
            const double expected = sensitivity * delta;
            const auto changed = loosened(base, i, delta);
            const SynthesisResult again = solve(changed);
            ASSERT_EQ(again.code, result.code) << again.message;
            const double moved = fulfilment ? again.lambda - reference.lambda : smoothness(reference) - smoothness(again);
            const double slack = fulfilment ? kSameLambda : kSameSmoothness * smoothness(reference);
            EXPECT_GT(moved, 0.5 * expected - slack) << "sensitivity " << sensitivity << ", loosened by " << delta;
            EXPECT_LT(moved, 1.5 * expected + slack) << "sensitivity " << sensitivity << ", loosened by " << delta;
            if (fulfilment) {
                EXPECT_EQ(gridVerdict(changed, reference.lambda + 0.5 * expected, grid), GridVerdict::Feasible);
            }
            ++listedChecked;
        }
    }
    // Most projects have a maximum requirement that cannot be met, and most restrictions do
    // not limit it.
    EXPECT_GE(listedChecked, 20);
    EXPECT_GE(unlistedChecked, 40);
}

std::vector<int> without(std::vector<int> set, int member)
{
    set.erase(std::find(set.begin(), set.end(), member));
    return set;
}

TEST(ExplanationProperties, ConflictSetsCannotBeMetAndAreIrreducible)
{
    const Contradiction kinds[] = {Contradiction::PointBeyondBand, Contradiction::RiseTooSteepForVelocity,
                                   Contradiction::RiseTooSteepForAcceleration};
    int conflicts = 0;
    std::uint32_t plantSeed = 0;
    for (const auto& [label, config] : cases()) {
        const Contradiction kind = kinds[plantSeed++ % std::size(kinds)];
        SCOPED_TRACE(label + ", contradiction " + std::to_string(static_cast<int>(kind)));
        auto project = makeRandomProject(config);
        testing::plantContradiction(project, kind, 1000 + plantSeed);
        const auto input = readRecords(project.text());
        ASSERT_FALSE(input.error);
        const SynthesisResult result = synthesise(input);
        ASSERT_EQ(result.code, ResultCodes::MinimumNotMet) << result.message;
        ASSERT_TRUE(result.explanation);
        const Explanation& e = *result.explanation;
        ASSERT_EQ(e.stage, ExplanationStage::Conflict);
        ASSERT_FALSE(e.conflict.empty());

        // At the shifts the search ended with, λ = 0: the module from scratch, and the grid
        // programme, for which "infeasible" is a proof and "feasible" a check.
        const std::vector<RawRecord> base = withShifts(input.records, shiftsOf(e));
        GridProgramme grid;
        grid.periodFraction = 1.0 / 100.0;
        const auto alone = onlyRestrictions(base, e.conflict);
        EXPECT_EQ(solve(alone).code, ResultCodes::MinimumNotMet);
        EXPECT_EQ(gridVerdict(alone, 0.0, grid), GridVerdict::Infeasible);
        for (int member : e.conflict) {
            SCOPED_TRACE("without record " + std::to_string(member));
            const auto rest = onlyRestrictions(base, without(e.conflict, member));
            const SynthesisResult solved = solve(rest);
            EXPECT_TRUE(ResultCodes::resultsExpected(solved.code)) << solved.code << " " << solved.message;
            EXPECT_EQ(gridVerdict(rest, 0.0, grid), GridVerdict::Feasible);
        }
        ++conflicts;
    }
    EXPECT_EQ(conflicts, static_cast<int>(cases().size()));
}

} // namespace
} // namespace vemra::module
