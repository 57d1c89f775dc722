#include "compute_runs.h"

#include "console_dialogs.h"
#include "interrupt_pump.h"

#include "platform/flock_computation_lock.h"
#include "platform/no_screen_saver.h"
#include "platform/system_clock.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vemra::cli {

namespace {

// Enough of what a module says about a failure; a module that talks without
// end must not fill the memory.
constexpr std::size_t KeptModuleMessages = 20;

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

} // namespace

DialogButton CollectingDialogs::message(DialogKind kind, const std::string& text, unsigned buttons)
{
    shown_.emplace_back(kind, text);
    for (DialogButton b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel, ButtonAbort})
        if (buttons & b)
            return b;
    return ButtonNone;
}

bool ProjectRun::solved() const
{
    return counted && result && result->outcome == ComputationResult::Outcome::Finished
           && resultsExpected(result->resultCode) && result->hasResults;
}

RunObserver::RunObserver(ProgressDisplay& display, std::vector<ProjectRun*> runs) : display_(display)
{
    for (ProjectRun* run : runs)
        runs_[run->project] = run;
}

ProjectRun* RunObserver::runOf(TreeItem* project) const
{
    const auto it = runs_.find(project);
    return it == runs_.end() ? nullptr : it->second;
}

void RunObserver::computationStarted(TreeItem* project)
{
    if (ProjectRun* run = runOf(project))
        display_.started(run->index, run->file);
}

void RunObserver::moduleOutput(TreeItem* project, const std::string& line)
{
    ProjectRun* run = runOf(project);
    if (!run)
        return;
    display_.moduleLine(run->index, line);
    if (!parseProgressLine(line) && !line.empty()) {
        if (run->moduleMessages.size() == KeptModuleMessages)
            run->moduleMessages.erase(run->moduleMessages.begin());
        run->moduleMessages.push_back(line);
    }
}

void RunObserver::computationFinished(TreeItem* project, const ComputationResult& result)
{
    ProjectRun* run = runOf(project);
    if (!run)
        return;
    display_.ended(run->index);
    run->result = result;
    run->messages = run->dialogs ? run->dialogs->take() : ShownMessages{};
    if (onFinished)
        onFinished(*run);
}

void reportRun(ProgressDisplay& display, const ProjectRun& run, bool moduleLinesShown,
               std::optional<ExplainDetail> explain)
{
    if (!run.result)
        return;
    const ComputationResult& r = *run.result;
    const bool finished = r.outcome == ComputationResult::Outcome::Finished;
    display.print(run.file + ": " + (finished ? std::to_string(r.resultCode) : std::string("-")) + ' '
                  + oneLine(r.text));
    if (explain && finished)
        for (const std::string& line : explanationLines(run.project, *explain))
            display.print(line);
    // The line carries the result's own text already.
    for (const auto& [kind, text] : run.messages)
        if (text != r.text)
            display.print(consoleMessage(kind, text), true);
    if (!r.detail.empty())
        display.print(run.file + ": " + r.detail, true);
    const bool failed = finished && !r.hasResults && r.resultCode != ResultCodes::StoppedByUser
                        && r.resultCode != ResultCodes::AlreadyRunning;
    if (failed && !moduleLinesShown)
        for (const std::string& line : run.moduleMessages)
            display.print(run.file + ": " + line, true);
}

std::filesystem::path workerFolder(const std::filesystem::path& workDir, unsigned number)
{
    return workDir / ("vemra-lauf-" + std::to_string(number));
}

namespace {

// Hands out the projects in file order and takes their outcomes back,
// counting them in file order; ends the batch as a batch in turn would.
class Scheduler {
public:
    Scheduler(std::vector<ProjectRun>& runs, ProgressDisplay& display, bool verbose,
              std::optional<ExplainDetail> explain)
        : runs_(runs), display_(display), verbose_(verbose), explain_(explain), done_(runs.size(), false),
          cancel_(runs.size())
    {
    }

    std::optional<std::size_t> next()
    {
        std::lock_guard lock(mutex_);
        if (tally_.ended() || nextToStart_ >= runs_.size())
            return std::nullopt;
        return nextToStart_++;
    }

    void done(std::size_t index)
    {
        std::lock_guard lock(mutex_);
        done_[index] = true;
        while (nextToCount_ < runs_.size() && done_[nextToCount_] && !tally_.ended()) {
            ProjectRun& run = runs_[nextToCount_++];
            tally_.add(*run.result, run.batchResult);
            run.counted = true;
            reportRun(display_, run, verbose_, explain_);
        }
        // The later projects do not count any more: whatever of them still
        // runs is stopped.
        if (tally_.ended())
            for (std::size_t i = nextToCount_; i < cancel_.size(); ++i)
                cancel_[i] = true;
    }

    const std::atomic<bool>* cancelFlag(std::size_t index) const { return &cancel_[index]; }
    BatchTally tally() const
    {
        std::lock_guard lock(mutex_);
        return tally_;
    }

private:
    std::vector<ProjectRun>& runs_;
    ProgressDisplay& display_;
    bool verbose_;
    std::optional<ExplainDetail> explain_;
    mutable std::mutex mutex_;
    std::vector<bool> done_;
    std::vector<std::atomic<bool>> cancel_;
    std::size_t nextToStart_ = 0;
    std::size_t nextToCount_ = 0;
    BatchTally tally_;
};

// The core keeps a little state beyond its workspaces (the model's
// rounding threshold among it), so only one worker at a time may be inside
// it; what runs side by side is the waiting for the modules.
class CoreReleasingRunner : public ModuleRunner {
public:
    CoreReleasingRunner(ModuleRunner& runner, std::mutex& core) : runner_(runner), core_(core) {}
    ModuleRunOutcome run(const ModuleRunRequest& request, RunControl& control) override
    {
        core_.unlock();
        ModuleRunOutcome outcome;
        try {
            outcome = runner_.run(request, control);
        } catch (...) {
            core_.lock();
            throw;
        }
        core_.lock();
        return outcome;
    }

private:
    ModuleRunner& runner_;
    std::mutex& core_;
};

// One worker: its own module runner, lock and folder; a computation per
// project, each in the project's own workspace, and the core to itself
// except while the module runs.
void work(Scheduler& scheduler, std::vector<ProjectRun>& runs, ProgressDisplay& display, const ParallelSetup& setup,
          unsigned number, std::mutex& core)
{
    const std::filesystem::path folder = workerFolder(setup.workDir, number);
    LocalModuleRunner localRunner(setup.runner);
    CoreReleasingRunner runner(localRunner, core);
    FlockComputationLock lock(folder);
    NoScreenSaver screenSaver;
    SystemClock clock;
    while (const auto index = scheduler.next()) {
        ProjectRun& run = runs[*index];
        InterruptPump pump(*run.ws, [&display] { display.tick(); }, scheduler.cancelFlag(*index));
        ComputationServices services;
        services.localRunner = &runner;
        services.lock = &lock;
        services.screenSaver = &screenSaver;
        services.eventPump = &pump;
        services.clock = &clock;
        RunObserver observer(display, {&run});
        Computation computation(*run.ws, services, &observer);
        computation.setMode(setup.mode);
        computation.setWorkDir(folder);
        // As within "&alle Berechnen": no boxes, the code into BatchResult.
        computation.BatchMode = true;
        {
            std::lock_guard inCore(core);
            const ComputationResult result = computation.RunComputation(run.project);
            if (!run.result)
                run.result = result;
            run.batchResult = computation.BatchResult;
        }
        scheduler.done(*index);
    }
}

} // namespace

BatchTally runParallel(std::vector<ProjectRun>& runs, ProgressDisplay& display, const ParallelSetup& setup)
{
    Scheduler scheduler(runs, display, setup.verbose, setup.explain);
    std::mutex core;
    const unsigned workers = std::max(1u, std::min<unsigned>(setup.workers, static_cast<unsigned>(runs.size())));
    std::vector<std::thread> threads;
    for (unsigned number = 1; number <= workers; ++number)
        threads.emplace_back(work, std::ref(scheduler), std::ref(runs), std::ref(display), std::cref(setup), number,
                             std::ref(core));
    for (auto& t : threads)
        t.join();
    return scheduler.tally();
}

} // namespace vemra::cli
