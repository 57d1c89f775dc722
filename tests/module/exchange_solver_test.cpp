// The exchange method at a fixed λ, asked to give up once its smoothness sum reaches a bound:
// the shift search relies on a round's sum never exceeding the final one, so that a candidate
// it drops early could not have ended smoother. And the λ search's judgement of a shift: once
// every maximum requirement is met, against its whole search, and with the rows it hands on
// from proving a level unreachable.
#include "module/exchange_solver.h"
#include "module/input_reader.h"
#include "module/input_validator.h"
#include "module/lambda_search.h"
#include "module/problem_model.h"
#include "double_dwell.h"
#include "random_project.h"

#include <gtest/gtest.h>

#include <string>

namespace vemra::module {
namespace {

using testing::makeRandomProject;
using testing::RandomProjectConfig;

// The model of a random project; a project the generator got wrong fails the test here.
ProblemModel modelOf(const RandomProjectConfig& c)
{
    const ReadResult input = readRecords(makeRandomProject(c).text());
    EXPECT_FALSE(input.error) << "seed " << c.seed;
    ValidationResult validation = validateRecords(input.records);
    EXPECT_EQ(validation.code, 0) << "seed " << c.seed << ": " << validation.message;
    return ProblemModel(std::move(validation.problem));
}

// Two motions whose λ* is found by bisection: variable angles on even seeds, a variable eta on
// odd ones.
RandomProjectConfig bisectionProject(std::uint32_t seed)
{
    RandomProjectConfig c;
    c.seed = seed;
    c.relative = true;
    c.variableAngles = seed % 2 == 0;
    c.variableEta = seed % 2 == 1;
    return c;
}

TEST(ExchangeSolverGivingUp, NeverBeforeTheFinalSumAndAlwaysWhenBelowIt)
{
    const std::vector<std::vector<int>> harmonics{{6}, {15}, {5, 8, 10}};
    int gaveUp = 0;
    for (std::size_t h = 0; h < harmonics.size(); ++h) {
        for (std::uint32_t seed = 1; seed <= 4; ++seed) {
            RandomProjectConfig c;
            c.samples = 0;
            c.seed = static_cast<std::uint32_t>(900 + 10 * h) + seed;
            c.harmonics = harmonics[h];
            c.relative = harmonics[h].size() > 1;
            c.highestOrder = 3;
            c.restrictions = 8;
            c.ambition = 30.0;
            const std::string label = "harmonics set " + std::to_string(h) + " seed " + std::to_string(c.seed);
            const ProblemModel model = modelOf(c);
            // Close below λ*, where the smoothest solution sits in a tight corner and the
            // rounds have something to find.
            SolveStats stats;
            const double lambdaStar =
                ExchangeSolver(model.requirementsLinearInLambda(model.zeroShifts()), stats).solveLargestLambda().lambda;
            const double lambda = 0.99 * lambdaStar;
            const RequirementSet set = model.requirementsAt(lambda, model.zeroShifts());

            // Few angles at first, so that most solves take several rounds.
            ExchangeSettings sparse;
            sparse.initialStride = 32;
            stats = {};
            const ExchangeResult full = ExchangeSolver(set, stats, sparse).solveAt(lambda);
            ASSERT_TRUE(full.feasible) << label; // below λ*
            const bool severalRounds = stats.exchangeRounds > 0;

            // A bound a hair above the final sum: every round stays below it.
            const double sum = full.smoothness;
            const ExchangeResult above =
                ExchangeSolver(set, stats, sparse).solveAt(lambda, {}, nullptr, sum + 1e-9 * std::max(1.0, sum));
            EXPECT_FALSE(above.gaveUp) << label;
            ASSERT_TRUE(above.feasible) << label;
            EXPECT_EQ(above.smoothness, sum) << label;

            // A bound of zero: the first round that still breaks a requirement gives up.
            const ExchangeResult atOnce = ExchangeSolver(set, stats, sparse).solveAt(lambda, {}, nullptr, 0.0);
            EXPECT_EQ(atOnce.gaveUp, severalRounds) << label;
            EXPECT_NE(atOnce.gaveUp, atOnce.feasible) << label;
            gaveUp += atOnce.gaveUp ? 1 : 0;
        }
    }
    EXPECT_GE(gaveUp, 8); // most of these need more than one round
}

// Once λ* is 1, a shift is judged by its smoothest coefficients at λ = 1. The programme that
// maximises λ has no smoothness costs, and climbing it back to 1 used to hand on a vertex up to
// 4 % less smooth than the shift's own solve there: the search then passed over smoother shifts.
TEST(LambdaSearchAtFullFulfilment, AShiftIsJudgedByItsSmoothestSolutionAtOne)
{
    int judged = 0;
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
        RandomProjectConfig c;
        c.seed = 1300 + seed;
        c.harmonics = {static_cast<int>(5 + seed % 4), 4};
        c.relative = true;
        c.restrictions = 7;
        c.objects = 1;
        const std::string label = "seed " + std::to_string(c.seed);
        const ProblemModel model = modelOf(c);
        if (model.objectCount() == 0 || !model.shiftRange(0).active)
            continue;
        SolveStats stats;
        const LambdaSearch search(model, stats);
        const Evaluation incumbent = search.evaluate(model.zeroShifts());
        if (!incumbent.feasible || incumbent.lambda < 1.0)
            continue;
        const ShiftRange& range = model.shiftRange(0);
        for (double share : {0.2, 0.4, 0.6, 0.8}) {
            const Shifts shifts{range.lo + share * (range.hi - range.lo)};
            const Evaluation smoothest = search.smoothAt(1.0, shifts);
            if (!smoothest.feasible || !isBetter(smoothest, incumbent))
                continue;
            ++judged;
            const std::optional<Evaluation> better = search.improveOn(shifts, incumbent);
            ASSERT_TRUE(better) << label << " share " << share;
            EXPECT_EQ(better->lambda, 1.0) << label;
            EXPECT_NEAR(better->smoothness, smoothest.smoothness, 1e-7 * smoothest.smoothness) << label;
        }
    }
    EXPECT_GE(judged, 4);
}

// A bisection hands on the rows that proved the level above λ* unreachable, and a shift
// candidate asks the same question a little higher. Held from the start, those rows must
// prove it in the first programme, where the candidate's own rows take rounds to get there.
TEST(LambdaSearchProofRows, TheLevelAboveLambdaStarFallsInTheFirstProgramme)
{
    int proved = 0, roundsSaved = 0;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        RandomProjectConfig c = bisectionProject(1400 + seed);
        c.harmonics = {static_cast<int>(4 + seed % 5), 6};
        c.highestOrder = 3;
        c.restrictions = 7;
        c.ambition = 30.0;
        const std::string label = "seed " + std::to_string(c.seed);
        const ProblemModel model = modelOf(c);
        SolveStats stats;
        const LambdaSearch search(model, stats);
        const Evaluation incumbent = search.evaluate(model.zeroShifts());
        if (!incumbent.feasible || incumbent.lambda >= 1.0 || model.lambdaMode() != LambdaMode::Bisection)
            continue;
        // Where λ* is where a variable bound's ends meet, no programme proves anything above.
        if (!incumbent.proofRows)
            continue;
        const double up = incumbent.lambda + LambdaSearch::kComparableLevels / double(LambdaSearch::kGrid);
        const auto roundsAbove = [&](const WarmStart* proof) {
            SolveStats own;
            const Evaluation e = LambdaSearch(model, own).smoothAt(
                up, model.zeroShifts(), {}, incumbent.start.get(),
                {.method = SimplexMethod::Primal, .proofRowsOf = proof});
            EXPECT_FALSE(e.feasible) << label;
            return own.exchangeRounds;
        };
        EXPECT_EQ(roundsAbove(incumbent.proofRows.get()), 0) << label;
        ++proved;
        roundsSaved += roundsAbove(nullptr) > 0 ? 1 : 0;
    }
    EXPECT_GE(proved, 6);
    EXPECT_GE(roundsSaved, 3);
}

// The shift search's shortcuts (the level above first, a solve at the incumbent's λ* that
// stops once it cannot be smoother) must judge a shift as its whole search would. At equal λ*
// the smoothness sum depends a little on the path to it (the feasible set is tiny there), so
// only clear differences are judged.
TEST(LambdaSearchShortcuts, JudgeAShiftAsItsWholeSearchWould)
{
    int higher = 0, lower = 0, smoother = 0, rougher = 0;
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
        RandomProjectConfig c = bisectionProject(1500 + seed);
        c.harmonics = {static_cast<int>(3 + seed % 4), 4};
        c.restrictions = 8;
        c.objects = 1;
        c.ambition = seed % 3 == 0 ? 1.0 : 30.0;
        const std::string label = "seed " + std::to_string(c.seed);
        const ProblemModel model = modelOf(c);
        if (model.objectCount() == 0 || !model.shiftRange(0).active || model.lambdaMode() != LambdaMode::Bisection)
            continue;
        SolveStats stats;
        const LambdaSearch search(model, stats);
        const Evaluation incumbent = search.evaluate(model.zeroShifts());
        if (!incumbent.feasible)
            continue;
        const ShiftRange& range = model.shiftRange(0);
        for (double share : {0.1, 0.3, 0.5, 0.7, 0.9}) {
            const std::string where = label + " share " + std::to_string(share);
            const Shifts shifts{range.lo + share * (range.hi - range.lo)};
            const Evaluation whole = search.evaluate(shifts, &incumbent);
            const std::optional<Evaluation> judged = search.improveOn(shifts, incumbent);
            if (whole.feasible && whole.lambda > incumbent.lambda + 1e-6) {
                ++higher;
                ASSERT_TRUE(judged) << where;
                EXPECT_NEAR(judged->lambda, whole.lambda, 1e-6) << where;
            } else if (!whole.feasible || whole.lambda < incumbent.lambda - 1e-6) {
                ++lower;
                EXPECT_FALSE(judged) << where;
            } else if (whole.smoothness < 0.99 * incumbent.smoothness) {
                ++smoother;
                EXPECT_TRUE(judged) << where;
            } else if (whole.smoothness > 1.01 * incumbent.smoothness) {
                ++rougher;
                EXPECT_FALSE(judged) << where;
            }
        }
    }
    EXPECT_GE(higher, 8);
    EXPECT_GE(lower, 4);
    EXPECT_GE(smoother, 4);
    EXPECT_GE(rougher, 8);
}

// The rows of the cuts a climb adds are held as strictly as the check judges them, so that a
// round never finds again an angle the programmes hold, missed by the simplex's tolerance. The
// double dwell at K = 20 settles in 7 rounds; with the rows of its bound that moves with λ held
// to that bound at λ = 0 (ten times its size at λ*), the same angles came back round after
// round: 19.
TEST(ExchangeRounds, AClimbDoesNotComeBackToTheAnglesItHolds)
{
    const ReadResult input = readRecords(testing::doubleDwellProject(20));
    ValidationResult validation = validateRecords(input.records);
    ASSERT_EQ(validation.code, 0) << validation.message;
    const ProblemModel model(std::move(validation.problem));
    SolveStats stats;
    const ExchangeResult top =
        ExchangeSolver(model.requirementsLinearInLambda(model.zeroShifts()), stats).solveLargestLambda();
    ASSERT_TRUE(top.feasible);
    EXPECT_NEAR(top.lambda, 0.891451, 1e-6);
    EXPECT_LE(stats.exchangeRounds, 9);
}

} // namespace
} // namespace vemra::module
