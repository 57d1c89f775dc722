// The live loop's quiet computation with fake services: a run once the
// changes pause that leaves everything the user sees alone and publishes
// its outcome, a newer change that cancels the run without losing the
// results there are, and the projects the loop leaves alone.
#include "support/compute_doubles.h"
#include "support/recording_model_observer.h"

#include "compute/live_computation.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vemra {
namespace {

using namespace test;

class FakePause : public PauseTimer {
public:
    void restart() override
    {
        on = true;
        ++restarts;
    }
    bool active() const override { return on; }
    // The timer fires.
    void elapse(LiveComputation& live)
    {
        on = false;
        live.pauseOver();
    }
    bool on = false;
    int restarts = 0;
};

struct LiveBench : Bench {
    LiveBench()
    {
        ComputationServices services{&runner, nullptr, &kept, nullptr, &pump, nullptr};
        live = std::make_unique<LiveComputation>(ws, services, folder.path(), pause);
        live->published = [this](TreeItem* p, const ComputationResult& r) { published.emplace_back(p, r); };
        // The module writes a solution with coefficients that follow the
        // number of runs, so a result can be told from the one before.
        runner.during = [this](const ModuleRunRequest& request) {
            ++runs;
            std::ofstream(request.workDir / "rx4.err") << code << "\n";
            std::ofstream(request.workDir / "remote$.fk1") << coefficientText({double(runs), 0, 0, 1});
        };
        ws.tree.SetSelected(project->Child(0)->Child(0));
    }
    TRXHeader& motion() { return *project->Child(0)->NodeAs<TRXHeader>(); }

    TempDir folder;
    KeptLock kept{lock};
    FakePause pause;
    RecordingModelObserver events{ws};
    TreeItem* project = simpleProject(ws);
    std::unique_ptr<LiveComputation> live;
    std::vector<std::pair<TreeItem*, ComputationResult>> published;
    int runs = 0;
    int code = 0;
};

TEST(LiveComputation, RunsOnceTheChangesPauseAndLeavesWhatTheUserSeesAlone)
{
    LiveBench b;
    TreeItem* selected = b.ws.tree.Selected();
    b.runner.pumps = 2;
    bool stateDuringRun = false;
    b.pump.onPump = [&](int) {
        stateDuringRun = !b.ws.Calculating && !b.project->NodeAs<TProject>()->Computing && b.live->running();
    };
    b.live->changed(b.project->Child(0));
    b.live->changed(b.project);
    EXPECT_TRUE(b.pause.on);
    EXPECT_EQ(b.runs, 0) << "nothing runs before the pause is over";

    b.pause.elapse(*b.live);
    EXPECT_EQ(b.runs, 1) << "two changes within one pause: one run";
    EXPECT_TRUE(stateDuringRun) << "the computation command and the project stay free";
    EXPECT_EQ(b.runner.requests.back().workDir, b.folder.path());
    EXPECT_TRUE(b.dialogs.messages.empty());
    EXPECT_EQ(b.ws.tree.Selected(), selected);
    EXPECT_FALSE(b.hooks.expanded);
    EXPECT_TRUE(b.events.shown.empty()) << "the editor is not told to show anything afresh";
    EXPECT_EQ(b.events.results, std::vector<TreeItem*>{b.project}) << "results arrive as after any run";
    EXPECT_TRUE(b.motion().HasResult && b.motion().ResultValid);
    ASSERT_EQ(b.published.size(), 1u);
    EXPECT_EQ(b.published[0].first, b.project);
    EXPECT_EQ(b.published[0].second.resultCode, 0);
    EXPECT_TRUE(b.published[0].second.hasResults);

    // A second run keeps the folder's lock: it was never given back.
    b.live->changed(b.project);
    b.pause.elapse(*b.live);
    EXPECT_EQ(b.runs, 2);
    EXPECT_EQ(b.lock.acquired, 1);
    EXPECT_EQ(b.lock.released, 0);
}

TEST(LiveComputation, ANewerChangeCancelsTheRunKeepsTheResultsAndRunsAgainAfterThePause)
{
    LiveBench b;
    b.live->changed(b.project);
    b.pause.elapse(*b.live);
    ASSERT_EQ(b.runs, 1);
    const double before = b.motion().sSC[1];

    b.runner.pumps = 3;
    b.pump.onPump = [&](int n) {
        if (n == 1)
            b.live->changed(b.project);
    };
    b.live->changed(b.project);
    b.pause.elapse(*b.live);
    EXPECT_EQ(b.runs, 1) << "the cancelled run never read anything";
    EXPECT_EQ(b.motion().sSC[1], before);
    EXPECT_TRUE(b.project->NodeAs<TProject>()->HasResults) << "the results there are stay drawn";
    EXPECT_EQ(b.published.size(), 1u) << "a cancelled run publishes nothing";
    EXPECT_TRUE(b.live->waiting(b.project));
    EXPECT_TRUE(b.pause.on) << "the newer change waits for its own pause";

    b.runner.pumps = 0;
    b.pause.elapse(*b.live);
    EXPECT_EQ(b.runs, 2);
    EXPECT_NE(b.motion().sSC[1], before);
    EXPECT_EQ(b.published.size(), 2u);
}

TEST(LiveComputation, LeavesAloneWhatTheComputationCommandHasAndWhatIsClosed)
{
    LiveBench b;
    b.live->mayRunNow = [&] { return !b.ws.Calculating; };
    b.ws.Calculating = true;
    b.live->changed(b.project);
    b.pause.elapse(*b.live);
    EXPECT_EQ(b.runs, 0);
    EXPECT_TRUE(b.pause.on) << "it waits another pause";
    EXPECT_TRUE(b.live->waiting(b.project));

    b.ws.Calculating = false;
    b.project->NodeAs<TProject>()->Computing = true;
    b.pause.elapse(*b.live);
    EXPECT_EQ(b.runs, 0) << "a project being computed normally is left alone";
    EXPECT_FALSE(b.live->waiting(b.project));

    b.project->NodeAs<TProject>()->Computing = false;
    b.live->changed(b.project);
    b.ws.events().projectAboutToBeRemoved(b.project);
    EXPECT_FALSE(b.live->waiting(b.project));
}

TEST(LiveComputation, EveryOutcomeIsPublishedAndNoneShownInABox)
{
    struct Row {
        const char* name;
        int code;
        bool invalid;
        std::string text;
        bool results;
    };
    const std::vector<Row> rows = {
        {"solved", 0, false, "ok", true},
        {"maximum requirements met", 1, false,
         "Die Maximalforderungen werden erfüllt.\r-> Strengere Restriktionen (Spektrum) sind möglich", true},
        {"not solvable", -2, false, "Minimalforderungen sind nicht erfüllbar.", false},
        {"inconsistent project", 0, true, InconsistentProjectText, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LiveBench b;
        b.code = row.code;
        if (row.invalid) {
            auto* r = b.project->Child(0)->Child(0)->NodeAs<TRestr>();
            r->Kind() = 10; // an interval that ends where it starts
            r->Check();
        }
        b.live->changed(b.project);
        b.pause.elapse(*b.live);
        ASSERT_EQ(b.published.size(), 1u);
        EXPECT_EQ(b.published[0].second.text, row.text);
        EXPECT_EQ(b.published[0].second.hasResults, row.results);
        EXPECT_TRUE(b.dialogs.messages.empty());
    }
}

} // namespace
} // namespace vemra
