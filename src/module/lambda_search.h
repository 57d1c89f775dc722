// Finds the largest fulfilment level λ* at which every requirement can be met for one set of
// shifts, and the smoothest coefficients at λ*.
#pragma once

#include "module/exchange_solver.h"
#include "module/problem_model.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace vemra::module {

struct Evaluation {
    bool feasible = false;
    double lambda = 0.0;     // λ*
    double lambdaUsed = 0.0; // λ the coefficients were solved at (λ* or at most 1e-7 below)
    std::vector<MotionCoefficients> coefficients;
    double smoothness = std::numeric_limits<double>::infinity();
    // Where neighbouring solves (other λ, other shifts) can start from.
    std::shared_ptr<const WarmStart> start;
    // Where λ* is the optimum of the λ programme: its rows and dual values there.
    std::shared_ptr<const std::vector<RowReading>> fulfilmentRows;
    // Infeasible: the rows that took part when the simplex proved it (see ExchangeResult).
    // Feasible, where known: those of the nearest level above λ* found unreachable (by a
    // bisection, or by a shift's solve above it), which other shifts are asked about again.
    std::shared_ptr<const WarmStart> proofRows;
    // Infeasible only as far as a solve from a neighbour's rows could tell, the retry from the
    // initial angles left to the caller (see ExchangeSettings::retryFromInitialAngles).
    bool failedFromWarmStart = false;
    // The largest λ* a search has accepted on its way here. Equal λ* is judged from there, so
    // that a chain of smoother solutions, each a hair lower, cannot walk λ* down.
    double bestLambdaSoFar = 0.0;

    double comparedLambda() const { return std::max(lambda, bestLambdaSoFar); }
};

// Larger λ* wins; at equal λ* the smaller smoothness sum (by more than 1e-7, relative).
// λ* counts as equal within 1e-6: the precision the search determines it to.
bool isBetter(const Evaluation& candidate, const Evaluation& incumbent);

// How a solve at a fixed λ goes about it.
struct FixedSolve {
    SimplexMethod method = SimplexMethod::Dual;
    // Gives up once the smoothness sum is known to reach this.
    double giveUpAt = std::numeric_limits<double>::infinity();
    // As in ExchangeSettings. Where "infeasible" only rules a shift candidate out, the dual
    // simplex's word for it is taken unchecked: on a badly scaled project that can cost a
    // candidate, but checking it there doubled the search's time.
    bool confirmInfeasibility = true;
    // Rows held from the start, on top of the neighbour's: those that proved a neighbour's
    // programme infeasible (without their margins). Where the same rows rule this one out,
    // the proof takes one round instead of the rounds that found them.
    const WarmStart* proofRowsOf = nullptr;
};

class LambdaSearch {
public:
    // Bisection resolves λ on a grid of 2^-24 (6e-8), well inside the promised 1e-6.
    static constexpr int kBisectionSteps = 24;
    static constexpr long kGrid = 1L << kBisectionSteps;
    // In the shift search, λ* found by bisection has to be this many levels larger than the
    // incumbent's to count as larger: just over 1e-6.
    static constexpr long kComparableLevels = 17;

    // threads: how many levels of a bisection may be solved at once (see level_bisection.h);
    // the outcome does not depend on it.
    LambdaSearch(const ProblemModel& model, SolveStats& stats, ExchangeSettings settings = {}, int threads = 1);

    // The same search counting its work elsewhere, e.g. in a thread of its own, on one core.
    LambdaSearch countingIn(SolveStats& stats) const { return LambdaSearch(model_, stats, settings_); }
    // Adds work counted elsewhere to this search's counters.
    void addStats(const SolveStats& other) const;

    // λ* and the smoothest solution there. A neighbouring evaluation only speeds things up.
    Evaluation evaluate(const Shifts& shifts, const Evaluation* neighbour = nullptr) const;

    // The evaluation of `shifts` if it is better than the incumbent, nothing otherwise. Uses the
    // incumbent's λ* to skip work: a candidate that cannot meet the requirements there, or
    // meets them no more smoothly and cannot go beyond it, cannot win.
    std::optional<Evaluation> improveOn(const Shifts& shifts, const Evaluation& incumbent) const;

    // Smoothest coefficients at a fixed λ; infeasible when λ puts a motion into resonance.
    // Extra angles enter the programme from the start.
    Evaluation smoothAt(double lambda, const Shifts& shifts, const std::vector<ExtraAngle>& extraAngles = {},
                        const WarmStart* start = nullptr, FixedSolve how = {}) const;

private:
    Evaluation largestLambda(const Shifts& shifts, const WarmStart* start) const;
    std::optional<Evaluation> improveOnLinearBounds(const Shifts& shifts, const Evaluation& incumbent) const;
    std::optional<Evaluation> improveOnBisection(const Shifts& shifts, const Evaluation& incumbent) const;
    Evaluation smoothAtLevel(long level, const Shifts& shifts, const Evaluation* neighbour, FixedSolve how = {}) const;
    // The evaluation at the largest feasible level; its proofRows are those of the level above.
    // With holdProof every level also holds, from the start, the rows that proved the nearest
    // level above it unreachable.
    Evaluation bisect(long feasibleLevel, long infeasibleLevel, Evaluation atFeasible, const Shifts& shifts,
                      std::shared_ptr<const WarmStart> proofAbove, bool holdProof = false) const;

    const ProblemModel& model_;
    SolveStats& stats_;
    ExchangeSettings settings_;
    int threads_;
};

} // namespace vemra::module
