// The bisection over the levels of λ with the levels it may need next solved ahead on spare
// cores. A level that turns out unreachable leaves the bisection in the lower half, solved
// from the same feasible level's rows, so the level it solves next is known before the
// answer is; so is the one after that should that one fail too, and so on. A core left idle
// solves the level everything waits for once more from the initial angles, which is what that
// level needs should its solve from the neighbour's rows end without a verdict. Each level is
// solved exactly as it would be one after the other (the same level, from the same feasible
// level's rows, or from none for that second solve), so the outcome does not depend on the
// number of cores.
#pragma once

#include "module/lambda_search.h"
#include "module/solve_stats.h"

#include <chrono>
#include <functional>
#include <memory>

namespace vemra::module {

// How long the level everything waits for has to take before work ahead starts. Where every
// level is solved in a millisecond or two (ten motions), work started ahead would mostly be
// called off again, and a second busy core slows the first a little. And most solves from a
// neighbour's rows end with a verdict, so the second solve of a level is started ahead only
// once it has taken a good while.
struct AheadPatience {
    std::chrono::steady_clock::duration solveAhead = std::chrono::milliseconds(2);
    std::chrono::steady_clock::duration retryAhead = std::chrono::milliseconds(20);
};

class LevelBisection {
public:
    // Solves one level from the rows of a feasible one (nullptr: from the initial angles),
    // counting its work in stats. A solve from rows that ends without a verdict says so
    // (Evaluation::failedFromWarmStart) instead of trying again itself.
    using SolveLevel = std::function<Evaluation(long level, const WarmStart* start, SolveStats& stats)>;

    LevelBisection(SolveLevel solve, int threads, AheadPatience patience = {});

    struct Outcome {
        Evaluation atFeasible; // at the largest feasible level; proofRows those of the level above
        SolveStats stats;      // the work of the levels the bisection went through, and no other
    };
    Outcome run(long feasibleLevel, long infeasibleLevel, Evaluation atFeasible,
                std::shared_ptr<const WarmStart> proofAbove) const;

private:
    SolveLevel solve_;
    int threads_;
    AheadPatience patience_;
};

} // namespace vemra::module
