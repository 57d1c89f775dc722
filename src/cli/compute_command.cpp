// vemra-cli compute: computes projects with the local synthesis module the
// way the desktop does (one project: "&Berechnen"; several: "&alle
// Berechnen", or several at once with -j) and saves them with their
// results.
#include "commands.h"
#include "compute_options.h"
#include "compute_runs.h"
#include "console_dialogs.h"
#include "interrupt_pump.h"
#include "progress_display.h"
#include "project_loading.h"

#include "compute/batch_computation.h"
#include "compute/computation.h"

#include "platform/flock_computation_lock.h"
#include "platform/local_module_runner.h"
#include "platform/no_screen_saver.h"
#include "platform/system_clock.h"

#include "formats/project_file.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <thread>
#include <unistd.h>

namespace vemra::cli {

namespace {

// A workspace whose computations keep their boxes for the result lines.
struct CollectingWorkspace {
    CollectingDialogs dialogs;
    Workspace ws{dialogs};
};

unsigned workerCount(const ComputeOptions& options)
{
    if (options.jobs > 0)
        return options.jobs;
    return std::max(1u, std::thread::hardware_concurrency());
}

// One project, or a batch in turn: the desktop's way, in one workspace
// under the computation lock that every instance shares.
std::optional<BatchSummary> computeInTurn(CollectingWorkspace& space, std::vector<ProjectRun>& runs,
                                          ProgressDisplay& display, const ComputeOptions& options,
                                          const LocalModuleRunnerOptions& runnerOptions, ModuleRunner* remoteRunner)
{
    LocalModuleRunner runner(runnerOptions);
    FlockComputationLock lock;
    NoScreenSaver screenSaver;
    InterruptPump pump(space.ws, [&display] { display.tick(); });
    SystemClock clock;
    ComputationServices services;
    services.localRunner = &runner;
    services.lock = &lock;
    services.screenSaver = &screenSaver;
    services.eventPump = &pump;
    services.clock = &clock;
    services.remoteRunner = remoteRunner;
    std::vector<ProjectRun*> all;
    for (ProjectRun& run : runs)
        all.push_back(&run);
    RunObserver observer(display, all);
    observer.onFinished = [&](ProjectRun& run) {
        run.counted = true;
        reportRun(display, run, options.verbose, options.explain);
    };
    Computation computation(space.ws, services, &observer);
    computation.setMode(remoteRunner ? ComputationMode::Remote : options.mode);
    computation.setWorkDir(options.workDir);
    if (runs.size() == 1) {
        computation.RunComputation(runs.front().project);
        return std::nullopt;
    }
    return RunBatch(computation);
}

// Computes the projects of options; saves them unless it explains them only.
int computeProjects(const ComputeOptions& options)
{
    std::string error;
    std::unique_ptr<RemoteCompute> remote;
    if (options.remote.enabled || options.remote.given) {
        remote = RemoteCompute::create(options.remote, error);
        if (!remote) {
            std::cerr << error << '\n';
            return ExitUsage;
        }
    }
    const std::size_t count = options.inputs.size();
    const unsigned workers = remote ? 1u : std::min<std::size_t>(workerCount(options), count);
    const bool parallel = workers > 1;

    // Side by side every project needs a workspace of its own (the core
    // is single-threaded per workspace); in turn they share one, as in the
    // desktop.
    ConsoleDialogs console;
    std::vector<std::unique_ptr<CollectingWorkspace>> spaces;
    std::vector<ProjectRun> runs(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (parallel || spaces.empty())
            spaces.push_back(std::make_unique<CollectingWorkspace>());
        CollectingWorkspace& space = *spaces.back();
        space.ws.setDialogs(console);
        TreeItem* project = loadProject(space.ws, options.inputs[i]);
        // A project that did not read completely is never computed or saved.
        if (!project)
            return ExitBadInput;
        space.ws.setDialogs(space.dialogs);
        runs[i].index = i;
        runs[i].file = options.inputs[i];
        runs[i].project = project;
        runs[i].ws = &space.ws;
        runs[i].dialogs = &space.dialogs;
    }

    std::vector<std::filesystem::path> folders{options.workDir};
    for (unsigned number = 1; parallel && number <= workers; ++number)
        folders.push_back(workerFolder(options.workDir, number));
    for (const auto& folder : folders)
        if (auto problem = prepareWorkDir(folder.string())) {
            std::cerr << consoleMessage(DialogKind::Error, *problem) << '\n';
            return ExitBadInput;
        }

    LocalModuleRunnerOptions runnerOptions;
    runnerOptions.modulePath = options.modulePath;
    runnerOptions.output = ChildOutput::Capture;
    {
        ProgressDisplay display({::isatty(STDERR_FILENO) == 1, options.verbose, count, STDERR_FILENO}, std::cout,
                                std::cerr);
        InterruptHandler interrupt;
        std::optional<BatchSummary> summary;
        if (!parallel) {
            summary = computeInTurn(*spaces.front(), runs, display, options, runnerOptions,
                                    remote ? &remote->runner() : nullptr);
        } else {
            const auto start = std::chrono::steady_clock::now();
            ParallelSetup setup;
            setup.workers = workers;
            setup.workDir = options.workDir;
            setup.mode = options.mode;
            setup.runner = runnerOptions;
            setup.verbose = options.verbose;
            setup.explain = options.explain;
            const BatchTally tally = runParallel(runs, display, setup);
            const auto seconds
                = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
            summary = tally.summary(static_cast<int32_t>(std::clamp<long long>(seconds, 0, INT32_MAX)));
        }
        if (summary) {
            for (const ProjectRun& run : runs)
                if (!run.counted)
                    display.print(run.file + ": - nicht berechnet");
            for (auto& space : spaces)
                for (const auto& [kind, text] : space->dialogs.take())
                    display.print(consoleMessage(kind, text), true);
            std::string text = summary->text;
            std::replace(text.begin(), text.end(), '\r', '\n');
            display.print(text);
        }
    }

    int status = ExitOk;
    for (const ProjectRun& run : runs) {
        if (!run.solved()) {
            status = ExitNotComputed;
            if (options.saves && run.counted && run.result
                && run.result->outcome == ComputationResult::Outcome::Finished)
                std::cerr << run.file << ": ohne Ergebnisse, nicht gesichert\n";
            continue;
        }
        if (!options.saves)
            continue;
        const std::string target = options.inPlace ? run.project->NodeAs<TProject>()->FileName : options.output;
        if (auto failure = writeProjectFile(run.project, target)) {
            std::cerr << consoleMessage(DialogKind::Error, *failure) << '\n';
            status = ExitNotComputed;
        }
    }
    return status;
}

} // namespace

int runCompute(const Args& args)
{
    std::string error;
    const auto options = parseComputeOptions(args, error);
    if (!options) {
        std::cerr << error << '\n' << ComputeUsage << remoteComputeUsage();
        return ExitUsage;
    }
    return computeProjects(*options);
}

int runExplain(const Args& args)
{
    std::string error;
    const auto options = parseExplainOptions(args, error);
    if (!options) {
        std::cerr << error << '\n' << ExplainUsage;
        return ExitUsage;
    }
    return computeProjects(*options);
}

} // namespace vemra::cli
