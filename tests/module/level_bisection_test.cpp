// The bisection with levels solved ahead on spare cores: the same levels from the same rows,
// the same answer and the same counted work as one after the other, whatever the cores; and
// work called off stops without stopping anything else.
#include "module/level_bisection.h"
#include "module/speculative_task.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace vemra::module {
namespace {

// Levels up to `reachable` are feasible. Each solve leaves a start and, where infeasible, proof
// rows of its own, so that the test can tell which level's rows a solve started from. Levels
// above take longer, so that the levels below them are solved ahead and, where a level turns
// out reachable, called off mid-way.
class FakeLevels {
public:
    explicit FakeLevels(long reachable) : reachable_(reachable) {}

    Evaluation solve(long level, const WarmStart* start, SolveStats& stats)
    {
        std::this_thread::sleep_for(std::chrono::microseconds(level > reachable_ ? 3000 : 300 + 100 * (level % 5)));
        throwIfStopRequested();
        Evaluation e;
        auto rows = std::make_shared<WarmStart>();
        {
            const std::lock_guard lock(mutex_);
            startOf_[level] = levelOf_.contains(start) ? levelOf_[start] : -1;
            levelOf_[rows.get()] = level;
            rowsOf_[level] = rows;
        }
        e.feasible = level <= reachable_;
        (e.feasible ? e.start : e.proofRows) = rows;
        e.lambda = static_cast<double>(level);
        stats.linearProgrammes += 1;
        stats.simplexIterations += level;
        return e;
    }
    std::map<long, long> startOf() const { return startOf_; }
    const WarmStart* rowsOf(long level) const { return rowsOf_.at(level).get(); }

private:
    long reachable_;
    std::mutex mutex_;
    std::map<const WarmStart*, long> levelOf_;
    std::map<long, long> startOf_; // level solved → level whose rows it started from
    std::map<long, std::shared_ptr<WarmStart>> rowsOf_;
};

// The bisection as the search does it on one core: each level from the rows of the largest
// level found feasible so far.
LevelBisection::Outcome oneAfterTheOther(FakeLevels& levels, long feasibleLevel, long infeasibleLevel,
                                         Evaluation atFeasible, std::shared_ptr<const WarmStart> proofAbove)
{
    LevelBisection::Outcome outcome;
    while (infeasibleLevel - feasibleLevel > 1) {
        const long middle = feasibleLevel + (infeasibleLevel - feasibleLevel) / 2;
        Evaluation e = levels.solve(middle, atFeasible.start.get(), outcome.stats);
        if (e.feasible) {
            feasibleLevel = middle;
            atFeasible = e;
        } else {
            infeasibleLevel = middle;
            proofAbove = e.proofRows;
        }
    }
    outcome.atFeasible = atFeasible;
    outcome.atFeasible.proofRows = proofAbove;
    return outcome;
}

TEST(LevelBisection, SolvesEachLevelAsOneAfterTheOtherWouldWhateverTheCores)
{
    constexpr long kTop = 64;
    Evaluation bottom;
    bottom.feasible = true;
    bottom.start = std::make_shared<WarmStart>();
    const auto topProof = std::make_shared<const WarmStart>();
    for (long reachable : {0L, 1L, 17L, 31L, 32L, 33L, 50L, 62L, 63L}) {
        FakeLevels serialLevels(reachable);
        const LevelBisection::Outcome serial = oneAfterTheOther(serialLevels, 0, kTop, bottom, topProof);
        EXPECT_EQ(serial.atFeasible.lambda, static_cast<double>(reachable));
        for (int threads : {1, 2, 3, 4}) {
            const std::string label = std::to_string(reachable) + " on " + std::to_string(threads);
            FakeLevels levels(reachable);
            const LevelBisection bisection(
                [&levels](long level, const WarmStart* start, SolveStats& stats) {
                    return levels.solve(level, start, stats);
                },
                threads);
            const LevelBisection::Outcome outcome = bisection.run(0, kTop, bottom, topProof);
            EXPECT_EQ(outcome.atFeasible.lambda, serial.atFeasible.lambda) << label;
            // The rows that proved the level above unreachable (the top's own, if that is it).
            const WarmStart* proof = reachable + 1 == kTop ? topProof.get() : levels.rowsOf(reachable + 1);
            EXPECT_EQ(outcome.atFeasible.proofRows.get(), proof) << label;
            // Only the levels the bisection went through count, as one after the other.
            EXPECT_EQ(outcome.stats.linearProgrammes, serial.stats.linearProgrammes) << label;
            EXPECT_EQ(outcome.stats.simplexIterations, serial.stats.simplexIterations) << label;
            // Every level, those solved ahead included, started from the rows it starts from
            // one after the other; those never reached there were called off or off the path.
            for (const auto& [level, from] : levels.startOf()) {
                if (serialLevels.startOf().contains(level)) {
                    EXPECT_EQ(from, serialLevels.startOf().at(level)) << label << ", level " << level;
                }
            }
        }
    }
}

TEST(SpeculativeTask, WorkCalledOffStopsAtItsNextPollAndNothingElseStops)
{
    std::atomic<bool> polling{false};
    {
        SpeculativeTask<int> task([&] {
            polling = true;
            while (!stopRequested())
                std::this_thread::yield();
            return 1;
        });
        while (!polling)
            std::this_thread::yield();
        task.callOff();
        // Leaving the scope waits for the task: without the call-off it would never end.
    }
    EXPECT_FALSE(stopRequested());

    SpeculativeTask<int> failing([]() -> int { throw std::runtime_error("kaputt"); });
    EXPECT_THROW(failing.take(), std::runtime_error);

    // A stop of the whole run reaches work done ahead, and its result says so.
    requestStop();
    SpeculativeTask<int> stopped([] {
        throwIfStopRequested();
        return 1;
    });
    EXPECT_THROW(stopped.take(), StopRequested);
    clearStopRequest();
}

} // namespace
} // namespace vemra::module
