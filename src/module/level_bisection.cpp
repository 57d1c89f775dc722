#include "module/level_bisection.h"

#include "module/speculative_task.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace vemra::module {
namespace {

struct CountedEvaluation {
    Evaluation evaluation;
    SolveStats stats;
};

using LevelTask = SpeculativeTask<CountedEvaluation>;

// A level's task and, once it has ended, what it found.
struct Level {
    std::unique_ptr<LevelTask> task;
    std::optional<CountedEvaluation> found;
};

} // namespace

LevelBisection::LevelBisection(SolveLevel solve, int threads) : solve_(std::move(solve)), threads_(std::max(1, threads))
{
}

LevelBisection::Outcome LevelBisection::run(long feasibleLevel, long infeasibleLevel, Evaluation atFeasible,
                                            std::shared_ptr<const WarmStart> proofAbove) const
{
    std::mutex mutex;
    std::condition_variable ended;
    long endings = 0;
    auto onEnd = [&] {
        const std::lock_guard lock(mutex);
        ++endings;
        ended.notify_all();
    };
    std::map<long, Level> levels;
    std::vector<std::unique_ptr<LevelTask>> calledOff; // no longer needed; they stop at their next poll
    auto busyCores = [&] {
        long busy = 0;
        for (const auto& [level, l] : levels)
            busy += l.task && !l.task->done() ? 1 : 0;
        for (const auto& task : calledOff)
            busy += task->done() ? 0 : 1;
        return busy;
    };

    for (long seen = 0;;) {
        // The path the bisection takes on what is known, where a level still being solved is
        // taken to be unreachable: the levels on it are the ones worth solving now.
        long lo = feasibleLevel, hi = infeasibleLevel;
        const Evaluation* atLo = &atFeasible;
        std::shared_ptr<const WarmStart> proof = proofAbove;
        bool known = true; // every level so far on the path has its answer
        std::set<long> onPath;
        long busy = busyCores();
        while (hi - lo > 1) {
            const long middle = lo + (hi - lo) / 2;
            onPath.insert(middle);
            Level& level = levels[middle];
            if (level.task && level.task->done() && !level.found) {
                level.found = level.task->take(); // throws what the solve threw
                level.task.reset();
            }
            if (!level.found) {
                if (!level.task && busy < threads_) {
                    auto start = atLo->start;
                    level.task = std::make_unique<LevelTask>(
                        [this, middle, start] {
                            CountedEvaluation counted;
                            counted.evaluation = solve_(middle, start.get(), counted.stats);
                            return counted;
                        },
                        onEnd);
                    ++busy;
                }
                known = false;
                hi = middle;
                continue;
            }
            if (level.found->evaluation.feasible) {
                lo = middle;
                atLo = &level.found->evaluation;
            } else {
                hi = middle;
                if (known)
                    proof = level.found->evaluation.proofRows;
            }
        }
        if (known) {
            Outcome outcome;
            for (long level : onPath)
                outcome.stats += levels[level].found->stats;
            outcome.atFeasible = *atLo;
            outcome.atFeasible.proofRows = std::move(proof);
            return outcome;
        }
        // Levels off the path have been overtaken by an answer above them.
        for (auto it = levels.begin(); it != levels.end();) {
            if (onPath.contains(it->first)) {
                ++it;
                continue;
            }
            if (it->second.task) {
                it->second.task->callOff();
                calledOff.push_back(std::move(it->second.task));
            }
            it = levels.erase(it);
        }
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return endings != seen; });
        seen = endings;
    }
}

} // namespace vemra::module
