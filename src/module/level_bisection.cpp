#include "module/level_bisection.h"

#include "module/work_ahead.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace vemra::module {
namespace {

struct CountedEvaluation {
    Evaluation evaluation;
    SolveStats stats;
};

using LevelTask = WorkAhead<CountedEvaluation>;

// One level: its solve from the feasible level's rows and, where that ends without a verdict,
// its solve from the initial angles, each with its task while it runs and what it found after.
using Clock = std::chrono::steady_clock;

struct Level {
    std::unique_ptr<LevelTask> warmTask, coldTask;
    std::optional<CountedEvaluation> warm, cold;
    Clock::time_point since; // when its first solve started

    void collect()
    {
        if (warmTask && warmTask->done()) {
            warm = warmTask->take(); // throws what the solve threw
            warmTask.reset();
        }
        if (coldTask && coldTask->done()) {
            cold = coldTask->take();
            coldTask.reset();
        }
    }
    bool needsCold() const { return warm && warm->evaluation.failedFromWarmStart; }
    // The level's answer once known: the warm solve's, or the cold one's where that was needed.
    const Evaluation* answer() const
    {
        if (!warm)
            return nullptr;
        if (!needsCold())
            return &warm->evaluation;
        return cold ? &cold->evaluation : nullptr;
    }
    SolveStats stats() const
    {
        SolveStats s = warm->stats;
        if (needsCold())
            s += cold->stats;
        return s;
    }
};

} // namespace

LevelBisection::LevelBisection(SolveLevel solve, int threads, AheadPatience patience)
    : solve_(std::move(solve)), threads_(std::max(1, threads)), patience_(patience)
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
    auto callOff = [&](std::unique_ptr<LevelTask>& task) {
        if (!task)
            return;
        task->callOff();
        calledOff.push_back(std::move(task));
    };
    auto running = [](const std::unique_ptr<LevelTask>& task) { return task && !task->done(); };
    long busy = 0;
    auto start = [&](std::unique_ptr<LevelTask>& task, long level, std::shared_ptr<const WarmStart> rows) {
        if (task || busy >= threads_)
            return false;
        task = std::make_unique<LevelTask>(
            [this, level, rows = std::move(rows)] {
                CountedEvaluation counted;
                counted.evaluation = solve_(level, rows.get(), counted.stats);
                return counted;
            },
            onEnd);
        ++busy;
        return true;
    };

    for (long seen = 0;;) {
        busy = 0;
        for (auto& [level, l] : levels) {
            l.collect();
            busy += (running(l.warmTask) ? 1 : 0) + (running(l.coldTask) ? 1 : 0);
        }
        for (const auto& task : calledOff)
            busy += running(task) ? 1 : 0;

        // The path the bisection takes on what is known, where a level still being solved is
        // taken to be unreachable: the levels on it are the ones worth solving now.
        long lo = feasibleLevel, hi = infeasibleLevel;
        const Evaluation* atLo = &atFeasible;
        std::shared_ptr<const WarmStart> proof = proofAbove;
        long waitingOn = -1; // the first level on the path without an answer: everything waits for it
        std::set<long> onPath;
        const Clock::time_point now = Clock::now();
        std::optional<Clock::time_point> wakeUp; // when work ahead may start that may not yet
        auto aheadFrom = [&](Clock::duration patience) {
            const Clock::time_point from = levels[waitingOn].since + patience;
            if (from <= now)
                return true;
            wakeUp = wakeUp ? std::min(*wakeUp, from) : from;
            return false;
        };
        while (hi - lo > 1) {
            const long middle = lo + (hi - lo) / 2;
            onPath.insert(middle);
            Level& level = levels[middle];
            if (level.warm && !level.needsCold())
                callOff(level.coldTask); // started ahead, not needed
            if (!level.warm) {
                if ((waitingOn < 0 || aheadFrom(patience_.solveAhead)) && start(level.warmTask, middle, atLo->start))
                    level.since = Clock::now();
            } else if (level.needsCold() && !level.cold) {
                start(level.coldTask, middle, nullptr);
            }
            const Evaluation* answer = level.answer();
            if (!answer) {
                if (waitingOn < 0)
                    waitingOn = middle;
                hi = middle;
                continue;
            }
            if (answer->feasible) {
                lo = middle;
                atLo = answer;
            } else {
                hi = middle;
                if (waitingOn < 0)
                    proof = answer->proofRows;
            }
        }
        if (waitingOn < 0) {
            Outcome outcome;
            for (long level : onPath)
                outcome.stats += levels[level].stats();
            outcome.atFeasible = *atLo;
            outcome.atFeasible.proofRows = std::move(proof);
            return outcome;
        }
        // A core with nothing else to do solves the level everything waits for once more from
        // the initial angles, in case its solve from the neighbour's rows ends without a verdict.
        if (!levels[waitingOn].warm && !levels[waitingOn].cold && levels[waitingOn].warmTask
            && aheadFrom(patience_.retryAhead))
            start(levels[waitingOn].coldTask, waitingOn, nullptr);
        // Levels off the path have been overtaken by an answer above them.
        for (auto it = levels.begin(); it != levels.end();) {
            if (onPath.contains(it->first)) {
                ++it;
                continue;
            }
            callOff(it->second.warmTask);
            callOff(it->second.coldTask);
            it = levels.erase(it);
        }
        std::unique_lock lock(mutex);
        if (wakeUp)
            ended.wait_until(lock, *wakeUp, [&] { return endings != seen; });
        else
            ended.wait(lock, [&] { return endings != seen; });
        seen = endings;
    }
}

} // namespace vemra::module
