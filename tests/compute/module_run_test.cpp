// Computations with a real module process: the stand-in module started by
// the local runner, a stop while the module runs, alone and in the batch.
#include "support/compute_doubles.h"

#include "compute/batch_computation.h"

#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <tuple>

namespace vemra {
namespace {

using namespace test;

// A workspace whose computations start the stand-in module.
struct Live {
    ScriptedDialogs dialogs;
    Workspace ws{dialogs};
    TempDir dir;
    TempDir lockDir;
    LocalModuleRunner runner{LocalModuleRunnerOptions{FAKE_RX_MODULE, ChildOutput::Capture}};
    FlockComputationLock lock{lockDir.path()};
    CallbackPump pump;
    FakeClock clock;
    RecordingObserver hooks;
    Computation computation{ws, ComputationServices{&runner, nullptr, &lock, nullptr, &pump, &clock}, &hooks};

    Live() { computation.setWorkDir(dir.path()); }
    void control(const std::string& text) { dir.write("fake_module.ctl", text); }
    int32_t compute(TreeItem* item) { return computation.RunComputation(item).resultCode; }
};

// The stand-in module has written its process id, the whole line: the file can exist
// before its content does, and a stop taken up in between would leave it empty.
bool pidWritten(const TempDir& dir)
{
    if (!dir.exists("pid.txt"))
        return false;
    const std::string pid = dir.read("pid.txt");
    return !pid.empty() && pid.back() == '\n';
}

std::string solution(const std::string& code)
{
    return "write rx4.err\n" + code + "\nend\nwrite remote$.fk1\n1\n0\n0\n2\nend\n";
}

TEST(ModuleRun, CodesFromRx4ErrAndFromTheExitStatus)
{
    const std::string noFeedback = "Der Berechnungsmodul liefert keine Rückmeldung";
    const std::tuple<std::string, int32_t, std::string> cases[] = {
        {solution("1"), 1, "Die Maximalforderungen werden erfüllt.\r-> Strengere Restriktionen (Spektrum) sind möglich"},
        {solution("-5"), -5, "Abbruch der Berechnung wegen Resonanz."},
        // The exit status is a signed byte, and any status but 0 is the code.
        {solution("0") + "exit 254\n", -2, "Minimalforderungen sind nicht erfüllbar."},
        {solution("0") + "exit 3\n", 3, "Unbekannter Fehler: 3"},
        // No file, no number in it, a crash.
        {"exit 0\n", -30, noFeedback},
        {"write rx4.err\nfertig\nend\n", -30, noFeedback},
        {"crash\n", -30, noFeedback},
    };
    Live live;
    TreeItem* project = simpleProject(live.ws);
    for (const auto& [control, code, message] : cases) {
        SCOPED_TRACE(control);
        live.dialogs.messages.clear();
        live.control(control);
        EXPECT_EQ(live.compute(project), code);
        EXPECT_EQ(project->NodeAs<TProject>()->HasResults, code == 1);
        EXPECT_FALSE(live.dir.exists("rx4.err"));
        ASSERT_EQ(live.dialogs.messages.size(), 1u);
        EXPECT_EQ(live.dialogs.messages[0].text, message);
    }
}

TEST(ModuleRun, ResultsAreReadBack)
{
    Live live;
    TreeItem* project = simpleProject(live.ws);
    auto* r = project->Child(0)->Child(0)->NodeAs<TRestr>();
    r->IsGlobal = true;
    r->GroupNo() = 1;
    r->RealPar[10] = 360;
    project->NodeAs<TProject>()->IntPar[8] = 1;
    live.control(solution("0")
                 + "write remote$.rx5\n1 0 0 0 0 0 0 1 3\n0 95 0 0 0 0 0 0 0 360 0 0\nend\n");
    EXPECT_EQ(live.compute(project), 0);
    EXPECT_EQ(r->EffPar[2], 95);
    const auto& m = *project->Child(0)->NodeAs<TRXHeader>();
    EXPECT_EQ(m.sSC[1], 1);
    EXPECT_EQ(m.sSC[2], 2);
    EXPECT_NEAR(r->ActS[3], 1 + 2 * std::sin(95 * 3.14159265358979323846 / 180), 1e-12);
}

TEST(ModuleRun, StartsInTheWorkDirWithItsArgumentsAndPriority)
{
    Live live;
    TreeItem* project = simpleProject(live.ws);
    live.control("report seen.txt\n" + solution("0"));
    live.computation.setMode(ComputationMode::LowPriority);
    EXPECT_EQ(live.compute(project), 0);
    const std::string seen = live.dir.read("seen.txt");
    EXPECT_NE(seen.find("argv: fake_rx_module remote$.rx4 0\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("cwd: " + std::filesystem::canonical(live.dir.path()).string() + "\n"), std::string::npos);
    EXPECT_NE(seen.find("nice: 19\n"), std::string::npos);
    EXPECT_NE(seen.find("remote$.rx4"), std::string::npos);
}

TEST(ModuleRun, MissingOrUnusableModule)
{
    for (const std::string program : {"/nonexistent/rx-10-L", "/dev/null"}) {
        Live live;
        LocalModuleRunner runner(LocalModuleRunnerOptions{program, ChildOutput::Discard});
        Computation computation(live.ws, ComputationServices{&runner, nullptr, &live.lock, nullptr, nullptr, nullptr});
        computation.setWorkDir(live.dir.path());
        EXPECT_EQ(computation.RunComputation(simpleProject(live.ws)).resultCode, -10);
        EXPECT_EQ(live.dialogs.messages.back().text, "Der Berechnungsmodul konnte nicht gestartet werden.");
    }
}

TEST(ModuleRun, StopTerminatesTheModule)
{
    for (const std::string control : {"pidfile pid.txt\nsleep 30000\n", "ignore-term\npidfile pid.txt\nsleep 30000\n"}) {
        Live live;
        TreeItem* project = simpleProject(live.ws);
        live.control(control + solution("0"));
        int pumpsAfterStop = 0;
        live.pump.onPump = [&](int) {
            if (!live.ws.Calculating)
                ++pumpsAfterStop;
            else if (pidWritten(live.dir))
                live.ws.Calculating = false; // the user's stop, taken up right here
        };
        EXPECT_EQ(live.compute(project), -100);
        EXPECT_EQ(pumpsAfterStop, 0);
        EXPECT_TRUE(live.dialogs.messages.empty());
        EXPECT_FALSE(project->NodeAs<TProject>()->HasResults);
        const pid_t module = std::stoi(live.dir.read("pid.txt"));
        EXPECT_EQ(::kill(module, 0), -1); // gone and reaped
        EXPECT_EQ(errno, ESRCH);
    }
}

// A stop in the second project leaves the third alone: the first run ends at
// once, the second waits until the stop.
TEST(ModuleRun, StopInTheBatchEndsItWithTheModule)
{
    Live live;
    std::vector<TreeItem*> projects;
    for (int i = 0; i < 3; ++i)
        projects.push_back(simpleProject(live.ws));
    live.control(solution("0"));
    live.hooks.onFinished = [&](const ComputationResult&) {
        live.control("pidfile pid.txt\nsleep 30000\n" + solution("0"));
    };
    live.pump.onPump = [&](int) {
        if (live.ws.Calculating && pidWritten(live.dir))
            live.ws.Calculating = false;
    };
    const auto summary = RunBatch(live.computation);
    EXPECT_EQ(summary->text, "Abbruch durch das Shell-Programm.");
    EXPECT_EQ(summary->solved, 1);
    EXPECT_TRUE(projects[0]->NodeAs<TProject>()->HasResults);
    EXPECT_FALSE(projects[2]->NodeAs<TProject>()->Computed);
    EXPECT_EQ(::kill(std::stoi(live.dir.read("pid.txt")), 0), -1);
}

} // namespace
} // namespace vemra
