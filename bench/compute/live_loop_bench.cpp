// The live loop with the real synthesis module, for each bundled example:
// from a committed change (a bound widened by a thousandth, alternately)
// to the redrawn picture of a diagram window (five diagrams, 1920 x 1080),
// without the pause of 150 ms the loop waits for further changes. Then the
// parts of the way one by one: the commit with its undo snapshot, the
// module input, starting a module process, the module's run, reading the
// results (with the actual values), the actual values alone, and painting.
// Every case reports the median of its repetitions.
#include "commands/file_commands.h"
#include "commands/undo_history.h"
#include "compute/live_computation.h"
#include "compute/module_files.h"
#include "compute/module_input.h"
#include "compute/result_files.h"
#include "compute/result_series.h"
#include "diagram/diagram_page.h"
#include "model/tree_ops.h"
#include "platform/child_process.h"
#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/qt/canvas/picture_render.h"
#include "platform/qt/canvas/qpainter_canvas.h"
#include "protocol/exchange_files.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace vemra {
namespace {

namespace fs = std::filesystem;

class SilentDialogs : public UserDialogs {
public:
    DialogButton message(DialogKind, const std::string&, unsigned buttons) override
    {
        return buttons & ButtonYes ? ButtonYes : ButtonOk;
    }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
};

// The pause is over as soon as the benchmark says so.
class Pause : public PauseTimer {
public:
    void restart() override { on = true; }
    bool active() const override { return on; }
    bool on = false;
};

class NoWaiting : public RunControl {
public:
    void pump() override {}
    bool stopRequested() const override { return false; }
};

LocalModuleRunnerOptions moduleOptions()
{
    LocalModuleRunnerOptions o;
    o.modulePath = VEMRA_MODULE;
    o.output = ChildOutput::Discard;
    o.pumpInterval = std::chrono::milliseconds(10);
    return o;
}

// One example open in a workspace with the undo history and the quiet
// computation, and a diagram window's page of all its motions.
struct Loop {
    explicit Loop(const std::string& example)
        : folder(fs::temp_directory_path() / ("vemra-live-bench-" + std::to_string(::getpid()))),
          runner(moduleOptions()), lock((fs::create_directories(folder), folder)), kept(lock),
          live(ws, services(), folder, pause), image(1920, 1080, QImage::Format_RGB32)
    {
        project = OpenProjectCommand(ws, (fs::path(VEMRA_EXAMPLES) / example).string());
        history.projectChanged = [this](TreeItem* p) { live.changed(p); };
        live.published = [this](TreeItem*, const ComputationResult& r) { last = r; };
        page.Items = diagramItems();
        page.SetQuantities({true, true, true, true, true});
        // The first restriction with an upper bound is the one the user drags.
        ws.tree.ForEach([&](TreeItem* i) {
            if (auto* r = i->NodeAs<TRestr>(); r && !bound && r->UpperMode() >= 0 && !isSpectrumKind(r->Kind()))
                bound = i;
        });
        upper = bound->NodeAs<TRestr>()->Upper();
        // Once, so that the work folder holds the example's result files.
        live.changed(project);
        computeAndDraw();
    }
    ~Loop()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    ComputationServices services()
    {
        ComputationServices s;
        s.localRunner = &runner;
        s.lock = &kept;
        return s;
    }
    std::vector<TreeItem*> diagramItems() const
    {
        std::vector<TreeItem*> items;
        for (int i = 0; i < project->ChildCount(); ++i)
            if (project->Child(i)->NodeAs<TPaintObj>())
                items.push_back(project->Child(i));
        return items;
    }

    // What the editor does when the user confirms a new upper bound.
    void change()
    {
        auto* r = bound->NodeAs<TRestr>();
        widened = !widened;
        r->Upper() = upper + (widened ? 0.001 * std::abs(upper) + 0.001 : 0.0);
        r->Modified = true;
        r->MakeCaption();
        ws.tree.SetText(bound, r->Caption);
        UpdateResultState(ws, bound);
        ws.events().changeCommitted({project, "Änderung", ProjectChange::Kind::Edited});
    }
    void computeAndDraw()
    {
        pause.on = false;
        live.pauseOver();
        draw();
    }
    void draw()
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, pictureFontPixels(FontSetting(), 11), Qt::black);
        page.Draw(canvas, image.width(), image.height(), 1);
    }
    std::vector<std::pair<TRestr*, TPaintObj*>> restrictions() const
    {
        std::vector<std::pair<TRestr*, TPaintObj*>> all;
        for (TreeItem* motion : diagramItems())
            for (int k = 0; k < motion->ChildCount(); ++k)
                if (auto* r = motion->Child(k)->NodeAs<TRestr>())
                    all.emplace_back(r, motion->NodeAs<TPaintObj>());
        return all;
    }

    SilentDialogs dialogs;
    Workspace ws{dialogs};
    UndoHistory history{ws};
    fs::path folder;
    LocalModuleRunner runner;
    FlockComputationLock lock;
    KeptLock kept;
    Pause pause;
    LiveComputation live;
    TreeItem* project = nullptr;
    TreeItem* bound = nullptr;
    double upper = 0;
    bool widened = false;
    DiagramPage page;
    QImage image;
    ComputationResult last;
};

// Wall-clock time (the module is another process), mean, median and spread
// of the repetitions; iterations 0: as many as the library wants.
void medianOf(benchmark::internal::Benchmark* b, int repetitions, int iterations)
{
    b->Repetitions(repetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
    if (iterations > 0)
        b->Iterations(iterations);
}

// --- the whole way ------------------------------------------------------------------

void BM_ChangeToRedrawnDiagrams(benchmark::State& state, const char* example)
{
    Loop loop(example);
    for (auto _ : state) {
        loop.change();
        loop.computeAndDraw();
    }
    if (!loop.last.hasResults)
        state.SkipWithError(("no results: " + loop.last.text).c_str());
}

// --- its parts ----------------------------------------------------------------------

void BM_CommitWithUndoSnapshot(benchmark::State& state, const char* example)
{
    Loop loop(example);
    for (auto _ : state)
        loop.change();
}

void BM_WriteModuleInput(benchmark::State& state, const char* example)
{
    Loop loop(example);
    for (auto _ : state) {
        std::string input;
        WriteModuleInput(loop.project, input);
        benchmark::DoNotOptimize(writeWholeFile(loop.folder / protocol::ModuleInputFileName, input));
    }
}

// Starting a module process that does nothing but end: fork, exec, loading.
void BM_ModuleProcessStart(benchmark::State& state)
{
    for (auto _ : state) {
        ChildProcessSetup setup;
        setup.program = VEMRA_MODULE;
        setup.arguments = {"--version"};
        setup.output = ChildOutput::Discard;
        ChildProcess child;
        child.start(setup);
        child.waitFor(std::chrono::seconds(10));
    }
}

// The module's run on the example's input, its process start included.
void BM_ModuleRun(benchmark::State& state, const char* example)
{
    Loop loop(example);
    std::string input;
    WriteModuleInput(loop.project, input);
    writeWholeFile(loop.folder / protocol::ModuleInputFileName, input);
    ModuleRunRequest request;
    request.workDir = loop.folder;
    NoWaiting control;
    ModuleRunOutcome outcome;
    for (auto _ : state)
        outcome = loop.runner.run(request, control);
    if (outcome.kind != ModuleRunOutcome::Kind::Finished || outcome.code != 0)
        state.SkipWithError("the module did not run");
}

// Reading the result files and deriving q, the torque term, the relative
// motions and the actual values, as after every run.
void BM_ReadResults(benchmark::State& state, const char* example)
{
    Loop loop(example);
    bool read = true;
    for (auto _ : state) {
        ReadEffectiveParams(loop.project, loop.folder / protocol::EffectiveParamsFileName);
        read = DeriveResultSeries(loop.project, loop.folder, [](const std::string&) {}) && read;
    }
    if (!read)
        state.SkipWithError("the result files could not be read");
}

void BM_ActualValues(benchmark::State& state, const char* example)
{
    Loop loop(example);
    const auto all = loop.restrictions();
    for (auto _ : state)
        for (const auto& [r, motion] : all) {
            r->UpdateActualValuesS(*motion);
            r->UpdateActualValuesQ(*motion);
        }
}

void BM_PaintFiveDiagrams1920x1080(benchmark::State& state, const char* example)
{
    Loop loop(example);
    for (auto _ : state)
        loop.draw();
}

#define LIVE_CASES(fn, repetitions, iterations)                                                                    \
    BENCHMARK_CAPTURE(fn, hubkurve, "hubkurve.r4p")->Apply([](auto* b) { medianOf(b, repetitions, iterations); });   \
    BENCHMARK_CAPTURE(fn, greifer, "greifer.r4p")->Apply([](auto* b) { medianOf(b, repetitions, iterations); });     \
    BENCHMARK_CAPTURE(fn, foerderer, "foerderer.r4p")->Apply([](auto* b) { medianOf(b, repetitions, iterations); })

LIVE_CASES(BM_ChangeToRedrawnDiagrams, 15, 1);
LIVE_CASES(BM_CommitWithUndoSnapshot, 5, 0);
LIVE_CASES(BM_WriteModuleInput, 5, 0);
BENCHMARK(BM_ModuleProcessStart)->Apply([](auto* b) { medianOf(b, 15, 5); });
LIVE_CASES(BM_ModuleRun, 15, 1);
LIVE_CASES(BM_ReadResults, 5, 0);
LIVE_CASES(BM_ActualValues, 5, 0);
LIVE_CASES(BM_PaintFiveDiagrams1920x1080, 5, 0);

} // namespace
} // namespace vemra

int main(int argc, char** argv)
{
    // Text needs the GUI application object; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
