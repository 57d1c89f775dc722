// The bisection with levels solved ahead on spare cores: the same levels from the same rows,
// the same answer and the same counted work as one after the other, whatever the cores; and
// work called off stops without stopping anything else.
#include "module/level_bisection.h"
#include "module/work_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace vemra::module {
namespace {

// Levels up to `reachable` are feasible. A level in `failsWarm` ends without a verdict when
// solved from a neighbour's rows and answers when solved from the initial angles (no start).
// Each solve leaves rows of its own (a start, or proof rows where infeasible), so that the test
// can tell which level's rows a solve started from. Levels above take longer, so that the
// levels below them are solved ahead and, where a level turns out reachable, called off.
class FakeLevels {
public:
    FakeLevels(long reachable, std::set<long> failsWarm) : reachable_(reachable), failsWarm_(std::move(failsWarm)) {}

    Evaluation solve(long level, const WarmStart* start, SolveStats& stats)
    {
        std::this_thread::sleep_for(std::chrono::microseconds(level > reachable_ ? 3000 : 300 + 100 * (level % 5)));
        throwIfStopRequested();
        Evaluation e;
        stats.linearProgrammes += 1;
        stats.simplexIterations += level;
        if (start != nullptr && failsWarm_.contains(level)) {
            e.failedFromWarmStart = true;
            return e;
        }
        auto rows = std::make_shared<WarmStart>();
        // Only the solve that gives the level its answer is recorded: a retry from the initial
        // angles of a level whose first solve answers is one done ahead and not needed.
        if (start == nullptr && !failsWarm_.contains(level)) {
            e.feasible = level <= reachable_;
            return e;
        }
        {
            const std::lock_guard lock(mutex_);
            const long from = start == nullptr ? -1 : levelOf_.at(start);
            startOf_[level] = from;
            levelOf_[rows.get()] = level;
            rowsOf_[level] = rows;
        }
        e.feasible = level <= reachable_;
        (e.feasible ? e.start : e.proofRows) = rows;
        e.lambda = static_cast<double>(level);
        return e;
    }
    void knowStart(const WarmStart* rows, long level) { levelOf_[rows] = level; }
    std::map<long, long> startOf() const { return startOf_; }
    const WarmStart* rowsOf(long level) const { return rowsOf_.at(level).get(); }

private:
    long reachable_;
    std::set<long> failsWarm_;
    std::mutex mutex_;
    std::map<const WarmStart*, long> levelOf_;
    std::map<long, long> startOf_; // level answered → level whose rows it started from, -1 for none
    std::map<long, std::shared_ptr<WarmStart>> rowsOf_;
};

// The bisection as the search does it on one core: each level from the rows of the largest
// level found feasible so far, and once more from the initial angles where that ends without
// a verdict.
LevelBisection::Outcome oneAfterTheOther(FakeLevels& levels, long feasibleLevel, long infeasibleLevel,
                                         Evaluation atFeasible, std::shared_ptr<const WarmStart> proofAbove)
{
    LevelBisection::Outcome outcome;
    while (infeasibleLevel - feasibleLevel > 1) {
        const long middle = feasibleLevel + (infeasibleLevel - feasibleLevel) / 2;
        Evaluation e = levels.solve(middle, atFeasible.start.get(), outcome.stats);
        if (e.failedFromWarmStart)
            e = levels.solve(middle, nullptr, outcome.stats);
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
    // As much work ahead as the cores allow, and the second solve of every level started ahead.
    const AheadPatience kNoPatience{.solveAhead = {}, .retryAhead = {}};
    constexpr long kTop = 64;
    Evaluation bottom;
    bottom.feasible = true;
    bottom.start = std::make_shared<WarmStart>();
    const auto topProof = std::make_shared<const WarmStart>();
    struct Case {
        long reachable;
        std::set<long> failsWarm;
    };
    const Case cases[] = {{0, {}},  {1, {32}},     {17, {}},       {31, {32, 16}}, {32, {32}},
                          {33, {}}, {50, {48, 52}}, {62, {63, 62}}, {63, {}}};
    for (const Case& c : cases) {
        FakeLevels serialLevels(c.reachable, c.failsWarm);
        serialLevels.knowStart(bottom.start.get(), 0);
        const LevelBisection::Outcome serial = oneAfterTheOther(serialLevels, 0, kTop, bottom, topProof);
        EXPECT_EQ(serial.atFeasible.lambda, static_cast<double>(c.reachable));
        for (int threads : {1, 2, 3, 4}) {
            const std::string label = std::to_string(c.reachable) + " on " + std::to_string(threads);
            FakeLevels levels(c.reachable, c.failsWarm);
            levels.knowStart(bottom.start.get(), 0);
            const LevelBisection bisection(
                [&levels](long level, const WarmStart* start, SolveStats& stats) {
                    return levels.solve(level, start, stats);
                },
                threads, kNoPatience);
            const LevelBisection::Outcome outcome = bisection.run(0, kTop, bottom, topProof);
            EXPECT_EQ(outcome.atFeasible.lambda, serial.atFeasible.lambda) << label;
            // The rows that proved the level above unreachable (the top's own, if that is it).
            const WarmStart* proof = c.reachable + 1 == kTop ? topProof.get() : levels.rowsOf(c.reachable + 1);
            EXPECT_EQ(outcome.atFeasible.proofRows.get(), proof) << label;
            // Only the solves the bisection needed count, as one after the other.
            EXPECT_EQ(outcome.stats.linearProgrammes, serial.stats.linearProgrammes) << label;
            EXPECT_EQ(outcome.stats.simplexIterations, serial.stats.simplexIterations) << label;
            // Every level answered, those solved ahead included, started from the rows it starts
            // from one after the other (or from none, where that is how it gets its answer).
            for (const auto& [level, from] : levels.startOf()) {
                if (serialLevels.startOf().contains(level)) {
                    EXPECT_EQ(from, serialLevels.startOf().at(level)) << label << ", level " << level;
                }
            }
        }
    }
}

TEST(WorkAhead, WorkCalledOffStopsAtItsNextPollAndNothingElseStops)
{
    std::atomic<bool> polling{false};
    {
        WorkAhead<int> task([&] {
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

    WorkAhead<int> failing([]() -> int { throw std::runtime_error("kaputt"); });
    EXPECT_THROW(failing.take(), std::runtime_error);

    // A stop of the whole run reaches work done ahead, and its result says so.
    requestStop();
    WorkAhead<int> stopped([] {
        throwIfStopRequested();
        return 1;
    });
    EXPECT_THROW(stopped.take(), StopRequested);
    clearStopRequest();
}

} // namespace
} // namespace vemra::module
