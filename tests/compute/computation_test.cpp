// RunComputation with fake services: the result-code table, the flags and
// hooks around a run, the lock, the screen saver, test mode and the stop.
#include "support/compute_doubles.h"

#include "commands/file_commands.h"
#include "commands/tree_commands.h"
#include "compute/result_series.h"

#include <functional>

#include <gtest/gtest.h>

namespace vemra {
namespace {

using namespace test;

// A project with one motion (K = 1) whose module run writes the given
// rx4.err and a coefficient file.
struct OneRun : Bench {
    TreeItem* project = simpleProject(ws);
    TProject& p() { return *project->NodeAs<TProject>(); }
    TRXHeader& motion() { return *project->Child(0)->NodeAs<TRXHeader>(); }

    // Whichever runner is asked, local or remote.
    void moduleWrites(const std::string& rx4err)
    {
        runner.during = remoteRunner.during = [this, rx4err](const ModuleRunRequest&) {
            dir.write("rx4.err", rx4err);
            dir.write("remote$.fk1", coefficientText({1, 0, 0, 2}));
        };
    }
};

// What the module process ended with and left in rx4.err (with a
// coefficient file or without), and the code, box and results it gives.
TEST(RunComputation, EveryModuleCodeAndProcessOutcomeGivesItsMessage)
{
    using Kind = ModuleRunOutcome::Kind;
    const ModuleRunOutcome exitedWithZero{Kind::Finished, 0, {}};
    struct Row {
        ModuleRunOutcome outcome;
        std::string rx4err;
        bool coefficients;
        int32_t code;
        std::string text; // empty: no box
        DialogKind kind;
        bool results;
    };
    const Row rows[] = {
        {exitedWithZero, "1", true, 1,
         "Die Maximalforderungen werden erfüllt.\r-> Strengere Restriktionen (Spektrum) sind möglich",
         DialogKind::Warning, true},
        {exitedWithZero, "0", true, 0, "", DialogKind::Information, true},
        {exitedWithZero, "-1", true, -1, "Berechnung wurde abgebrochen.", DialogKind::Information, false},
        {exitedWithZero, "-2", true, -2, "Minimalforderungen sind nicht erfüllbar.", DialogKind::Error, false},
        {exitedWithZero, "-3", true, -3,
         "Die Eingabedaten sind fehlerhaft.\rDer Berechnungsmodul hat die Eingabedatei zurückgewiesen.",
         DialogKind::Error, false},
        {exitedWithZero, "-4", true, -4, "Das System ist zu groß.", DialogKind::Error, false},
        {exitedWithZero, "-5", true, -5, "Abbruch der Berechnung wegen Resonanz.", DialogKind::Error, false},
        {exitedWithZero, "-30", true, -30, "Der Berechnungsmodul liefert keine Rückmeldung", DialogKind::Warning,
         false},
        {exitedWithZero, "7", true, 7, "Unbekannter Fehler: 7", DialogKind::Error, false},
        // An exit code other than 0 wins over whatever rx4.err holds; with 0
        // an unreadable rx4.err means no feedback.
        {{Kind::Finished, 3, {}}, "-2", false, 3, "Unbekannter Fehler: 3", DialogKind::Error, false},
        {exitedWithZero, "ok", false, -30, "Der Berechnungsmodul liefert keine Rückmeldung", DialogKind::Warning,
         false},
        {{Kind::NotStarted, 0, {}}, "-2", false, -10, "Der Berechnungsmodul konnte nicht gestartet werden.",
         DialogKind::Error, false},
        {{Kind::Failed, -201, {}}, "-2", false, -201, "Timeout bei Filetransfer zum Host.", DialogKind::Error, false},
        {{Kind::Failed, -202, {}}, "-2", false, -202, "Verbindung zum Host fehlgeschlagen.", DialogKind::Error, false},
        {{Kind::Stopped, 0, {}}, "-2", false, -100, "", DialogKind::Warning, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        OneRun run;
        run.runner.outcome = row.outcome;
        run.runner.during = [&run, &row](const ModuleRunRequest&) {
            run.dir.write("rx4.err", row.rx4err);
            if (row.coefficients)
                run.dir.write("remote$.fk1", coefficientText({1, 0, 0, 2}));
        };
        EXPECT_EQ(run.computation.RunComputation(run.project).resultCode, row.code);
        if (row.text.empty()) {
            EXPECT_TRUE(run.dialogs.messages.empty());
        } else {
            ASSERT_EQ(run.dialogs.messages.size(), 1u);
            EXPECT_EQ(run.dialogs.messages[0].text, row.text);
            EXPECT_EQ(run.dialogs.messages[0].kind, row.kind);
        }
        EXPECT_EQ(run.p().HasResults, row.results);
        EXPECT_EQ(run.p().AllValid, row.results);
        EXPECT_EQ(run.motion().HasResult, row.results);
        EXPECT_EQ(run.motion().sSC.Count(), row.results ? 4 : 0);
        EXPECT_TRUE(run.p().Computed);
        EXPECT_FALSE(run.dir.exists("rx4.err"));
    }
}

TEST(RunComputation, RefusesWhatCannotBeComputed)
{
    Bench b;
    TreeItem* empty = addProject(b.ws);
    TreeItem* invalid = simpleProject(b.ws);
    auto* r = invalid->Child(0)->Child(0)->NodeAs<TRestr>();
    r->RealPar[8] = -1; // upper bound below the lower one
    r->MakeCaption();
    TreeItem* running = simpleProject(b.ws);
    for (TreeItem* item : {empty, invalid}) {
        b.dialogs.messages.clear();
        EXPECT_EQ(b.computation.RunComputation(item).outcome, ComputationResult::Outcome::Refused);
        ASSERT_EQ(b.dialogs.messages.size(), 1u);
        EXPECT_EQ(b.dialogs.messages[0].text, InconsistentProjectText);
    }
    b.ws.Calculating = true; // a computation runs already
    EXPECT_EQ(b.computation.RunComputation(running).outcome, ComputationResult::Outcome::Refused);
    b.computation.BatchMode = true;
    b.dialogs.messages.clear();
    b.computation.RunComputation(invalid);
    EXPECT_TRUE(b.dialogs.messages.empty());
    EXPECT_EQ(b.computation.BatchResult, 1);
    EXPECT_TRUE(b.runner.requests.empty());
    EXPECT_FALSE(b.dir.exists("remote$.rx4"));
}

TEST(RunComputation, StateDuringAndAfterTheRun)
{
    OneRun run;
    for (int n = 1; n <= 10; ++n)
        run.dir.write("remote$.fk" + std::to_string(n), "stale");
    run.dir.write("remote$.rx5", "stale");
    run.dir.write("rx4.err", "1");
    run.hooks.expanded = true;
    run.p().Unsaved = false;
    run.computation.setMode(ComputationMode::LowPriority);
    bool checked = false;
    run.runner.during = [&](const ModuleRunRequest& request) {
        checked = true;
        EXPECT_TRUE(run.ws.Calculating);
        EXPECT_TRUE(run.p().Computing);
        EXPECT_TRUE(run.p().Unsaved);
        EXPECT_FALSE(run.hooks.expanded);
        EXPECT_EQ(run.lock.acquired, 1);
        EXPECT_EQ(run.lock.released, 0);
        EXPECT_EQ(request.priority, ModulePriority::Low);
        EXPECT_EQ(request.motionNumbers, std::vector<int32_t>{1});
        EXPECT_TRUE(run.dir.exists("remote$.rx4"));
        for (int n = 1; n <= 10; ++n)
            EXPECT_FALSE(run.dir.exists("remote$.fk" + std::to_string(n)));
        EXPECT_FALSE(run.dir.exists("remote$.rx5"));
        EXPECT_FALSE(run.dir.exists("rx4.err"));
        run.dir.write("rx4.err", "0");
        run.dir.write("remote$.fk1", coefficientText({1, 0, 0, 2}));
    };
    TreeItem* restriction = run.project->Child(0)->Child(0);
    run.computation.RunComputation(restriction);
    ASSERT_TRUE(checked);
    EXPECT_FALSE(run.ws.Calculating);
    EXPECT_FALSE(run.p().Computing);
    EXPECT_TRUE(run.p().HasResults);
    EXPECT_EQ(run.lock.released, 1);
    EXPECT_TRUE(run.hooks.expanded);
    EXPECT_EQ(run.ws.tree.Selected(), restriction);
    EXPECT_EQ(run.hooks.log, (std::vector<std::string>{"calc=0 stop=1", "started", "calc=1 stop=0"}));
    ASSERT_EQ(run.hooks.results.size(), 1u);
    EXPECT_TRUE(run.hooks.results[0].hasResults);
}

TEST(RunComputation, BusyLockRefusesWithoutTouchingTheFiles)
{
    OneRun run;
    run.lock.status = ComputationLock::Status::Busy;
    run.dir.write("remote$.rx4", "input of the other computation");
    run.dir.write("remote$.fk1", "results of the other computation");
    run.dir.write("rx4.err", "0");
    run.computation.RunComputation(run.project);
    ASSERT_EQ(run.dialogs.messages.size(), 1u);
    EXPECT_EQ(run.dialogs.messages[0].text,
              "Es läuft bereits eine RX-Berechnung.\rBitte warten Sie auf deren Abschluß.");
    EXPECT_TRUE(run.runner.requests.empty());
    EXPECT_EQ(run.dir.read("remote$.rx4"), "input of the other computation");
    // The result files belong to the run that holds the lock: they stay,
    // and nothing of them is read.
    EXPECT_TRUE(run.dir.exists("remote$.fk1"));
    EXPECT_TRUE(run.dir.exists("rx4.err"));
    EXPECT_EQ(run.lock.released, 0);
    EXPECT_FALSE(run.ws.Calculating);
    EXPECT_FALSE(run.p().HasResults);

    // Without any lock the computation still runs.
    OneRun unlocked;
    unlocked.lock.status = ComputationLock::Status::Unavailable;
    unlocked.moduleWrites("0");
    EXPECT_EQ(unlocked.computation.RunComputation(unlocked.project).resultCode, 0);
}

TEST(RunComputation, UnwritableInputChangesNothing)
{
    OneRun run;
    run.computation.setWorkDir(run.dir.path() / "missing");
    run.p().Unsaved = false;
    const auto result = run.computation.RunComputation(run.project);
    EXPECT_EQ(result.outcome, ComputationResult::Outcome::InputNotWritten);
    ASSERT_EQ(run.dialogs.messages.size(), 1u);
    EXPECT_NE(run.dialogs.messages[0].text.find("konnte nicht geschrieben werden"), std::string::npos);
    EXPECT_TRUE(run.runner.requests.empty());
    EXPECT_FALSE(run.p().Unsaved);
    EXPECT_FALSE(run.p().Computed);
    EXPECT_EQ(run.lock.released, run.lock.acquired);
}

TEST(RunComputation, ScreenSaverIsPausedOnlyForALocalRunWhileItIsActive)
{
    struct Row {
        ComputationMode mode;
        bool active;
        std::vector<bool> calls;
    };
    for (const Row& row : {Row{ComputationMode::NormalPriority, true, {false, true}},
                           Row{ComputationMode::NormalPriority, false, {}}, Row{ComputationMode::Remote, true, {}}}) {
        OneRun run;
        run.screenSaver.active = row.active;
        run.computation.setMode(row.mode);
        run.moduleWrites("0");
        bool activeDuringRun = false;
        const auto writes = run.runner.during;
        run.runner.during = run.remoteRunner.during = [&](const ModuleRunRequest& r) {
            activeDuringRun = run.screenSaver.active;
            writes(r);
        };
        EXPECT_TRUE(run.computation.RunComputation(run.project).hasResults);
        EXPECT_EQ(activeDuringRun, row.active && row.calls.empty());
        EXPECT_EQ(run.screenSaver.calls, row.calls);
        const bool remote = row.mode == ComputationMode::Remote;
        EXPECT_EQ(run.runner.requests.size(), remote ? 0u : 1u);
        EXPECT_EQ(run.remoteRunner.requests.size(), remote ? 1u : 0u);
        if (!row.calls.empty()) {
            EXPECT_EQ(run.hooks.log, (std::vector<std::string>{"calc=0 stop=1", "started",
                                                               "status:Bildschirmschoner deaktiviert.", "status:",
                                                               "calc=1 stop=0"}));
        }
    }
}

TEST(RunComputation, TestModeOnlyDerives)
{
    OneRun run;
    auto& m = run.motion();
    m.sSC.ReSize(4);
    m.sSC[2] = 1;
    m.TestEta = 0.5;
    run.p().TestRun = true;
    const auto result = run.computation.RunComputation(run.project);
    EXPECT_EQ(result.resultCode, 0);
    EXPECT_TRUE(result.hasResults);
    EXPECT_TRUE(run.runner.requests.empty());
    EXPECT_EQ(run.lock.acquired, 0);
    EXPECT_TRUE(run.dialogs.messages.empty());
    EXPECT_FALSE(run.dir.exists("remote$.rx4"));
    EXPECT_TRUE(m.HasResult);
}

TEST(RunComputation, StopAnsweredYesEndsTheRun)
{
    OneRun run;
    run.runner.pumps = 5;
    run.dialogs.answers = {ButtonNo, ButtonYes};
    run.pump.onPump = [&](int) { run.computation.requestStop(); };
    const auto result = run.computation.RunComputation(run.project);
    EXPECT_EQ(result.resultCode, ResultCodes::StoppedByUser);
    EXPECT_EQ(run.pump.count, 2); // No kept it running, Yes stopped it
    ASSERT_EQ(run.dialogs.messages.size(), 2u);
    EXPECT_EQ(run.dialogs.messages[0].text, StopQuestionText);
    EXPECT_EQ(run.dialogs.messages[0].kind, DialogKind::Confirmation);
    EXPECT_FALSE(run.p().HasResults);

    // Outside a computation the command asks nothing.
    run.computation.requestStop();
    EXPECT_EQ(run.dialogs.messages.size(), 2u);
}

TEST(ComputationMode, PriorityClassValues)
{
    EXPECT_EQ(computationModeFromPriorityClass(1), ComputationMode::LowPriority);
    EXPECT_EQ(computationModeFromPriorityClass(3), ComputationMode::HighPriority);
    EXPECT_EQ(computationModeFromPriorityClass(4), ComputationMode::Remote);
    EXPECT_EQ(computationModeFromPriorityClass(0), ComputationMode::NormalPriority);
    EXPECT_EQ(computationModeFromPriorityClass(5), ComputationMode::NormalPriority);
    EXPECT_EQ(priorityClassOf(ComputationMode::NormalPriority), 2);
    EXPECT_EQ(priorityClassOf(ComputationMode::Remote), 4);
}

// The menu keeps "&Löschen" and "Projekt sch&ließen" enabled while a project
// computes, so the user can make the project, or the item the run started
// from, disappear while the module runs. Nothing of it may be touched after.
TEST(RunComputation, SurvivesItsProjectOrItemGoingAwayWhileTheModuleRuns)
{
    struct Row {
        const char* what;
        bool startFromRestriction;
        std::function<void(Workspace&, TreeItem* project, TreeItem* restriction)> goAway;
        bool projectRemains;
    };
    const Row rows[] = {
        {"project deleted", false,
         [](Workspace& ws, TreeItem* project, TreeItem*) {
             ws.tree.SetSelected(project);
             EXPECT_TRUE(DeleteCommand(ws));
         },
         false},
        {"project closed", true,
         [](Workspace& ws, TreeItem* project, TreeItem*) {
             ws.tree.SetSelected(project);
             // It has unsaved changes: discard them.
             static_cast<ScriptedDialogs&>(ws.dialogs()).answerNo();
             EXPECT_TRUE(CloseProjectCommand(ws));
         },
         false},
        {"starting restriction deleted", true,
         [](Workspace& ws, TreeItem*, TreeItem* restriction) {
             ws.tree.SetSelected(restriction);
             EXPECT_TRUE(DeleteCommand(ws));
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        OneRun b;
        TreeItem* project = b.project;
        TreeItem* restriction = project->Child(0)->FirstChild();
        b.runner.pumps = 3;
        b.pump.onPump = [&](int count) {
            if (count == 1)
                row.goAway(b.ws, project, restriction);
        };
        b.moduleWrites("0");
        const ComputationResult result = b.computation.RunComputation(row.startFromRestriction ? restriction : project);
        EXPECT_EQ(result.outcome, ComputationResult::Outcome::Finished);
        EXPECT_FALSE(b.ws.Calculating);
        EXPECT_EQ(b.ws.tree.TopLevelCount(), row.projectRemains ? 1 : 0);
        // Nothing is left to compute (the emptied motion went with its only
        // restriction), and the commands say so.
        EXPECT_EQ(b.hooks.log.back(), "calc=0 stop=0");
        if (row.projectRemains) {
            EXPECT_FALSE(project->NodeAs<TProject>()->Computing);
            EXPECT_TRUE(project->NodeAs<TProject>()->HasResults);
            EXPECT_EQ(b.ws.tree.Selected(), project);
        }
    }
}

} // namespace
} // namespace vemra
