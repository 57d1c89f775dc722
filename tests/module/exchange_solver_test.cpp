// The exchange method at a fixed λ, asked to give up once its smoothness sum reaches a bound:
// the shift search relies on a round's sum never exceeding the final one, so that a candidate
// it drops early could not have ended smoother.
#include "module/exchange_solver.h"
#include "module/input_reader.h"
#include "module/input_validator.h"
#include "module/problem_model.h"
#include "random_project.h"

#include <gtest/gtest.h>

#include <string>

namespace vemra::module {
namespace {

using testing::makeRandomProject;
using testing::RandomProjectConfig;

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
            const ReadResult input = readRecords(makeRandomProject(c).text());
            ASSERT_FALSE(input.error) << label;
            ValidationResult validation = validateRecords(input.records);
            ASSERT_EQ(validation.code, 0) << label << ": " << validation.message;
            const ProblemModel model(std::move(validation.problem));
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

} // namespace
} // namespace vemra::module
