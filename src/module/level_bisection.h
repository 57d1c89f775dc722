// The bisection over the levels of λ with the levels it may need next solved ahead on spare
// cores. A level that turns out unreachable leaves the bisection in the lower half, solved
// from the same feasible level's rows, so the level it solves next is known before the
// answer is; so is the one after that should that one fail too, and so on. Each level is
// solved exactly as it would be one after the other (the same level, from the same feasible
// level's rows), so the outcome does not depend on the number of cores.
#pragma once

#include "module/lambda_search.h"
#include "module/solve_stats.h"

#include <functional>
#include <memory>

namespace vemra::module {

class LevelBisection {
public:
    // Solves one level from the rows of a feasible one, counting its work in stats.
    using SolveLevel = std::function<Evaluation(long level, const WarmStart* start, SolveStats& stats)>;

    LevelBisection(SolveLevel solve, int threads);

    struct Outcome {
        Evaluation atFeasible; // at the largest feasible level; proofRows those of the level above
        SolveStats stats;      // the work of the levels the bisection went through, and no other
    };
    Outcome run(long feasibleLevel, long infeasibleLevel, Evaluation atFeasible,
                std::shared_ptr<const WarmStart> proofAbove) const;

private:
    SolveLevel solve_;
    int threads_;
};

} // namespace vemra::module
