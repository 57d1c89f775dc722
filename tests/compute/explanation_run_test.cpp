// What a computation keeps beside the results: the module's explanation,
// fulfilment, smoothness and the running time, whichever way the module
// ran; and that nothing of an earlier run, of another instance's run or of
// another project sticks to a new result.
#include "support/compute_doubles.h"

#include "compute/batch_computation.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

using namespace test;

// One motion (K = 1) with one restriction: the module input numbers the
// project 1, the motion 2 and the restriction 3.
constexpr int32_t RestrictionRecord = 3;

struct ModuleAnswer {
    std::string code;
    std::string why; // empty: no explanation file
    std::vector<std::string> lines = {};
    bool coefficients = true;
};

struct ExplainedRun : Bench {
    TreeItem* project = simpleProject(ws);
    TProject& p() { return *project->NodeAs<TProject>(); }

    // Whichever runner is asked, local or remote. The run takes 2.5 s.
    void module(const ModuleAnswer& a)
    {
        runner.during = remoteRunner.during = [this, a](const ModuleRunRequest& request) {
            for (const std::string& line : a.lines)
                request.outputLine(line);
            clock.time += std::chrono::milliseconds(2500);
            dir.write("rx4.err", a.code);
            if (a.coefficients)
                dir.write("remote$.fk1", coefficientText({1, 0, 0, 2}));
            if (!a.why.empty())
                dir.write("remote$.why", a.why);
        };
    }
};

const std::string FulfilmentWhy = "Stufe erfuellung 0 0.8125 3.5\r\nVerschiebung 1 7.5\r\nGrenze 3 1 90 0.25\r\n";

TEST(ComputationOutcome, KeepsWhatTheModuleSaidWhicheverWayItRan)
{
    struct Case {
        const char* name;
        ComputationMode mode;
        ModuleAnswer answer;
        bool results;
        std::optional<ExplanationStage> stage;
        std::optional<double> fulfilment, smoothness;
        std::string problem;
    };
    const Case cases[] = {
        {"local", ComputationMode::NormalPriority, {"0", FulfilmentWhy}, true, ExplanationStage::Fulfilment, 0.8125,
         3.5, ""},
        {"remote", ComputationMode::Remote, {"0", FulfilmentWhy}, true, ExplanationStage::Fulfilment, 0.8125, 3.5, ""},
        {"smoothness", ComputationMode::LowPriority, {"1", "Stufe glattheit 1 1 2\r\nGrenze 3 1 90 0\r\n"}, true,
         ExplanationStage::Smoothness, 1.0, 2.0, ""},
        {"conflict", ComputationMode::NormalPriority, {"-2", "Stufe konflikt -2 - -\r\nKonflikt 3\r\n", {}, false},
         false, ExplanationStage::Conflict, std::nullopt, std::nullopt, ""},
        // An older module: what its last progress line said.
        {"progress only",
         ComputationMode::NormalPriority,
         {"0", "", {"Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.534211, Glattheit 14.3966", "Zwischenzeile"}},
         true, std::nullopt, 0.534211, 14.3966, ""},
        {"the explanation wins over progress",
         ComputationMode::NormalPriority,
         {"0", FulfilmentWhy, {"Stufe 0 (ohne Verschiebung): Erfüllungsgrad 0.1, Glattheit 1"}}, true,
         ExplanationStage::Fulfilment, 0.8125, 3.5, ""},
        // Results that did not read leave nothing to explain.
        {"no coefficients", ComputationMode::NormalPriority, {"0", FulfilmentWhy, {}, false}, false, std::nullopt,
         std::nullopt, std::nullopt, ""},
        {"input error", ComputationMode::NormalPriority, {"-3", FulfilmentWhy}, false, std::nullopt, std::nullopt,
         std::nullopt, ""},
        {"explains another code", ComputationMode::NormalPriority, {"1", FulfilmentWhy}, true, std::nullopt,
         std::nullopt, std::nullopt, "remote$.why erklärt den Code 0, die Berechnung endete mit 1."},
    };
    for (const Case& c : cases) {
        ExplainedRun run;
        run.module(c.answer);
        run.computation.setMode(c.mode);
        const ComputationResult result = run.computation.RunComputation(run.project);
        ASSERT_TRUE(run.p().LastOutcome) << c.name;
        const ComputationOutcome& o = *run.p().LastOutcome;
        EXPECT_EQ(o.resultCode, result.resultCode) << c.name;
        EXPECT_EQ(o.message, result.text) << c.name;
        EXPECT_EQ(o.hasResults, c.results) << c.name;
        EXPECT_EQ(o.seconds, 2.5) << c.name;
        EXPECT_TRUE(o.current()) << c.name;
        EXPECT_EQ(o.explanation ? std::optional(o.explanation->stage) : std::nullopt, c.stage) << c.name;
        EXPECT_EQ(o.fulfilment, c.fulfilment) << c.name;
        EXPECT_EQ(o.smoothness, c.smoothness) << c.name;
        EXPECT_EQ(o.explanationProblem, c.problem) << c.name;
    }
}

TEST(ComputationOutcome, RecordsLeadBackToTheRestriction)
{
    ExplainedRun run;
    run.module({"0", FulfilmentWhy});
    run.computation.RunComputation(run.project);
    TreeItem* restriction = run.project->Child(0)->Child(0);
    ASSERT_TRUE(run.p().LastOutcome && run.p().LastOutcome->explanation);
    const ResultExplanation& e = *run.p().LastOutcome->explanation;
    ASSERT_EQ(e.limits.size(), 1u);
    EXPECT_EQ(FindRestrictionByRecord(run.project, e.limits[0].record), restriction);
    EXPECT_EQ(e.shifts, (std::vector<ObjectShift>{{1, 7.5}}));
    EXPECT_EQ(explanationRole(run.p(), *restriction->NodeAs<TRestr>()), ExplanationRole::Limiting);
}

TEST(ComputationOutcome, NothingOfAnotherRunSticks)
{
    // An explanation left by an earlier run is gone before the module starts.
    {
        ExplainedRun run;
        run.dir.write("remote$.why", FulfilmentWhy);
        run.module({"0", ""});
        run.computation.RunComputation(run.project);
        ASSERT_TRUE(run.p().LastOutcome);
        EXPECT_FALSE(run.p().LastOutcome->explanation);
    }
    // The files in the folder belong to the instance that holds the lock:
    // neither read nor removed.
    {
        ExplainedRun run;
        run.dir.write("remote$.why", FulfilmentWhy);
        run.lock.status = ComputationLock::Status::Busy;
        run.computation.RunComputation(run.project);
        ASSERT_TRUE(run.p().LastOutcome);
        EXPECT_EQ(run.p().LastOutcome->resultCode, ResultCodes::AlreadyRunning);
        EXPECT_FALSE(run.p().LastOutcome->explanation);
        EXPECT_FALSE(run.p().LastOutcome->seconds);
        EXPECT_TRUE(run.dir.exists("remote$.why"));
    }
    // A test run derives the series anew and keeps what the module said.
    {
        ExplainedRun run;
        run.module({"0", FulfilmentWhy});
        run.computation.RunComputation(run.project);
        const ResultExplanation before = *run.p().LastOutcome->explanation;
        run.module({"-3", ""});
        run.p().TestRun = true;
        run.computation.RunComputation(run.project);
        run.p().TestRun = false;
        ASSERT_TRUE(run.p().LastOutcome && run.p().LastOutcome->explanation);
        EXPECT_EQ(*run.p().LastOutcome->explanation, before);
        EXPECT_TRUE(run.runner.requests.size() == 1u);
    }
}

TEST(ComputationOutcome, EveryProjectOfABatchKeepsItsOwn)
{
    Bench bench;
    TreeItem* first = simpleProject(bench.ws);
    TreeItem* second = simpleProject(bench.ws);
    int runs = 0;
    bench.runner.during = [&](const ModuleRunRequest&) {
        ++runs;
        bench.dir.write("rx4.err", "0");
        bench.dir.write("remote$.fk1", coefficientText({1, 0, 0, 2}));
        bench.dir.write("remote$.why", "Stufe erfuellung 0 0." + std::to_string(runs) + " 1\r\nGrenze 3 1 90 0\r\n");
    };
    RunBatch(bench.computation);
    ASSERT_EQ(runs, 2);
    EXPECT_EQ(first->NodeAs<TProject>()->LastOutcome->fulfilment, 0.1);
    EXPECT_EQ(second->NodeAs<TProject>()->LastOutcome->fulfilment, 0.2);
}

} // namespace
} // namespace vemra
