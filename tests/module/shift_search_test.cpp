// Which candidate of a shift-search step wins: the best by fulfilment and smoothness, the
// earlier of equals, and never one that fails the final check.
#include "module/shift_search.h"

#include <gtest/gtest.h>

#include <set>

namespace vemra::module {
namespace {

Evaluation solvedWith(double lambda, double smoothness)
{
    Evaluation e;
    e.feasible = true;
    e.lambda = e.lambdaUsed = lambda;
    e.smoothness = smoothness;
    return e;
}

TEST(ShiftSearchStep, TheBestCandidateThatPassesTheFinalCheckWins)
{
    struct Case {
        const char* name;
        std::set<std::size_t> failing; // candidates that fail the final check
        std::optional<std::size_t> winner;
    };
    // Candidate 1 is the smoothest, 3 the next (a hair smoother than 0, its equal 4 comes
    // later), 2 did not beat the incumbent at all.
    const Case cases[] = {
        {"all pass", {}, 1},
        {"the best fails", {1}, 3},
        {"the two best fail", {1, 3}, 4},
        {"all but the worst fail", {1, 3, 4}, 0},
        {"all fail", {0, 1, 3, 4}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<std::optional<Evaluation>> results{solvedWith(0.5, 7.0), solvedWith(0.5, 5.0), std::nullopt,
                                                       solvedWith(0.5, 6.0), solvedWith(0.5, 6.0)};
        std::vector<std::size_t> checked;
        const auto winner = bestPassing(results, [&](std::size_t i) {
            checked.push_back(i);
            return !c.failing.contains(i);
        });
        EXPECT_EQ(winner, c.winner) << c.name;
        // Only the best remaining one is checked each time, never one that did not win.
        EXPECT_EQ(std::set<std::size_t>(checked.begin(), checked.end()).size(), checked.size()) << c.name;
        EXPECT_FALSE(std::set<std::size_t>(checked.begin(), checked.end()).contains(2)) << c.name;
    }
}

} // namespace
} // namespace vemra::module
