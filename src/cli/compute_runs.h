// The projects of vemra-cli compute and what became of them: each run's
// progress goes to the display, its outcome into its ProjectRun and, once
// it counts, into one result line. Projects run one after another in one
// workspace, or side by side, each in a workspace of its own.
#pragma once

#include "explain_output.h"
#include "progress_display.h"

#include "compute/batch_computation.h"
#include "compute/computation.h"
#include "model/user_dialogs.h"
#include "platform/local_module_runner.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vemra::cli {

using ShownMessages = std::vector<std::pair<DialogKind, std::string>>;

// Keeps the boxes a computation shows, so that they can be printed beside
// the line of their project. Questions get the first affirmative answer.
class CollectingDialogs : public UserDialogs {
public:
    DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) override;
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
    // What was shown since the last call.
    ShownMessages take() { return std::exchange(shown_, {}); }

private:
    ShownMessages shown_;
};

// One project of the command line.
struct ProjectRun {
    std::size_t index = 0;
    std::string file;
    TreeItem* project = nullptr;
    Workspace* ws = nullptr;
    CollectingDialogs* dialogs = nullptr;

    // Filled when its computation is over.
    std::optional<ComputationResult> result;
    int32_t batchResult = 0;
    ShownMessages messages;
    // The module's lines that are not progress: its explanation of a
    // failure.
    std::vector<std::string> moduleMessages;
    // Its result line was printed, and it may be saved: false for a project
    // that the batch did not reach in file order.
    bool counted = false;

    bool solved() const;
};

// Passes the computations of one workspace on to the display and their
// outcomes to their runs; onFinished follows every outcome.
class RunObserver : public ComputationObserver {
public:
    RunObserver(ProgressDisplay& display, std::vector<ProjectRun*> runs);
    void computationStarted(TreeItem* project) override;
    void moduleOutput(TreeItem* project, const std::string& line) override;
    void computationFinished(TreeItem* project, const ComputationResult& result) override;

    std::function<void(ProjectRun&)> onFinished;

private:
    ProjectRun* runOf(TreeItem* project) const;

    ProgressDisplay& display_;
    std::map<TreeItem*, ProjectRun*> runs_;
};

// The result line of a project on standard output ("file: code message"),
// below it what the module explained when asked for, then on standard error
// the boxes its computation showed besides, why the module could not be
// started and, after a failed run, what the module said (unless it was
// shown already).
void reportRun(ProgressDisplay& display, const ProjectRun& run, bool moduleLinesShown,
               std::optional<ExplainDetail> explain = std::nullopt);

struct ParallelSetup {
    unsigned workers = 2;
    // Each worker computes in a folder of its own below it, under a lock
    // of its own.
    std::filesystem::path workDir;
    ComputationMode mode = ComputationMode::NormalPriority;
    LocalModuleRunnerOptions runner;
    bool verbose = false;
    std::optional<ExplainDetail> explain;
};

// The folder below workDir in which worker number (from 1) computes.
std::filesystem::path workerFolder(const std::filesystem::path& workDir, unsigned number);

// Computes runs (each in its own workspace) up to setup.workers at once on
// as many threads, which take turns in the core and wait for their modules
// side by side, and counts them in file order exactly as RunBatch counts a batch computed in
// turn: once the batch has ended (-1, -20, -100, an unwritten input file) no
// further project starts, the later ones still running are stopped, and
// none of them counts. Result lines appear in file order.
BatchTally runParallel(std::vector<ProjectRun>& runs, ProgressDisplay& display, const ParallelSetup& setup);

} // namespace vemra::cli
