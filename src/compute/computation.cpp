#include "computation.h"

#include "module_files.h"
#include "module_input.h"
#include "result_files.h"
#include "result_series.h"

#include "model/tree_ops.h"
#include "protocol/exchange_files.h"

#include <functional>

namespace vemra {

ComputationMode computationModeFromPriorityClass(int32_t value)
{
    switch (value) {
    case 1: return ComputationMode::LowPriority;
    case 3: return ComputationMode::HighPriority;
    case 4: return ComputationMode::Remote;
    default: return ComputationMode::NormalPriority;
    }
}

int32_t priorityClassOf(ComputationMode mode)
{
    switch (mode) {
    case ComputationMode::LowPriority: return 1;
    case ComputationMode::HighPriority: return 3;
    case ComputationMode::Remote: return 4;
    case ComputationMode::NormalPriority: break;
    }
    return 2;
}

namespace {

// Holds the computation lock for one run and gives it back on every way out.
class LockHold {
public:
    explicit LockHold(ComputationLock* lock) : lock_(lock)
    {
        status_ = lock_ ? lock_->tryAcquire() : ComputationLock::Status::Unavailable;
    }
    ~LockHold()
    {
        if (status_ == ComputationLock::Status::Acquired)
            lock_->release();
    }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

    bool busy() const { return status_ == ComputationLock::Status::Busy; }

private:
    ComputationLock* lock_;
    ComputationLock::Status status_;
};

// Switches an active screen saver off for a local run and on again after it.
class ScreenSaverPause {
public:
    ScreenSaverPause(ScreenSaver* saver, ComputationObserver& observer) : saver_(saver), observer_(observer)
    {
        if (!saver_ || !saver_->isActive())
            return;
        wasActive_ = true;
        saver_->setActive(false);
        if (!saver_->isActive())
            observer_.statusChanged(ScreenSaverOffText);
    }
    ~ScreenSaverPause()
    {
        if (!wasActive_)
            return;
        saver_->setActive(true);
        observer_.statusChanged("");
    }
    ScreenSaverPause(const ScreenSaverPause&) = delete;
    ScreenSaverPause& operator=(const ScreenSaverPause&) = delete;

private:
    ScreenSaver* saver_;
    ComputationObserver& observer_;
    bool wasActive_ = false;
};

// Whatever happens on the way, the project is not left marked as computing
// and the run not left going on: either would lock the user out. The
// project is looked up through its item at the end, as the events processed
// during the run may have replaced or removed it.
class ComputingMark {
public:
    ComputingMark(Workspace& ws, TreeItem* project, std::function<void()> stopped)
        : ws_(ws), project_(project), stopped_(std::move(stopped))
    {
    }
    ~ComputingMark()
    {
        stopped_();
        if (project_ && ws_.tree.Contains(project_))
            if (auto* p = project_->NodeAs<TProject>())
                p->Computing = false;
    }
    ComputingMark(const ComputingMark&) = delete;
    ComputingMark& operator=(const ComputingMark&) = delete;

    // A quiet run never marks the project.
    void forgetProject() { project_ = nullptr; }

private:
    Workspace& ws_;
    TreeItem* project_;
    std::function<void()> stopped_;
};

ModulePriority priorityOf(ComputationMode mode)
{
    switch (mode) {
    case ComputationMode::LowPriority: return ModulePriority::Low;
    case ComputationMode::HighPriority: return ModulePriority::High;
    default: return ModulePriority::Normal;
    }
}

} // namespace

class Computation::Control : public RunControl {
public:
    explicit Control(Computation& c) : c_(c) {}
    void pump() override
    {
        if (c_.services_.eventPump)
            c_.services_.eventPump->processPendingEvents();
    }
    bool stopRequested() const override { return !c_.goingOn(); }

private:
    Computation& c_;
};

Computation::Computation(Workspace& ws, const ComputationServices& services, ComputationObserver* observer)
    : ws_(ws), services_(services), observer_(observer ? observer : &noObserver_)
{
}

void Computation::reportFailure(const std::string& text)
{
    if (BatchMode)
        BatchResult = 1;
    else if (!quiet_)
        ws_.dialogs().error(text);
}

void Computation::setGoingOn(bool on)
{
    if (quiet_)
        quietRunning_ = on;
    else
        ws_.Calculating = on;
}

ModuleRunRequest Computation::runRequest(TreeItem* project)
{
    ModuleRunRequest request;
    request.workDir = workDir_;
    request.priority = priorityOf(mode_);
    for (int i = 0; i < project->ChildCount(); ++i)
        if (auto* m = project->Child(i)->NodeAs<TRXHeader>())
            request.motionNumbers.push_back(m->Number());
    request.outputLine = [this, project](const std::string& line) {
        recorder_.moduleLine(line);
        observer_->moduleOutput(project, line);
    };
    return request;
}

// Starts the module (locally or remotely), waits for it and forms the
// ResultCode from its exit code and "rx4.err".
int32_t Computation::runModule(TreeItem* project, std::string& detail)
{
    removeStaleResultFiles(workDir_);
    const ModuleRunRequest request = runRequest(project);
    Control control(*this);
    recorder_.started(services_.clock);

    ModuleRunOutcome outcome;
    if (mode_ == ComputationMode::Remote) {
        if (services_.remoteRunner)
            outcome = services_.remoteRunner->run(request, control);
    } else {
        ScreenSaverPause pause(services_.screenSaver, *observer_);
        if (services_.localRunner)
            outcome = services_.localRunner->run(request, control);
    }

    recorder_.finished();
    detail = outcome.detail;
    int32_t code = ResultCodes::ModuleNotStarted;
    switch (outcome.kind) {
    case ModuleRunOutcome::Kind::Finished: code = outcome.code; break;
    case ModuleRunOutcome::Kind::NotStarted: code = ResultCodes::ModuleNotStarted; break;
    case ModuleRunOutcome::Kind::Stopped: code = ResultCodes::StoppedByUser; break;
    case ModuleRunOutcome::Kind::Failed: code = outcome.code; break;
    }
    const auto resultCodeFile = workDir_ / protocol::ResultCodeFileName;
    if (outcome.kind == ModuleRunOutcome::Kind::Finished && code == 0)
        code = readResultCodeFile(resultCodeFile).value_or(ResultCodes::NoFeedback);
    // Gone in every case, so that no later run can mistake it for its own.
    std::error_code ignored;
    std::filesystem::remove(resultCodeFile, ignored);
    return code;
}

ComputationResult Computation::RunComputation(TreeItem* item)
{
    ComputationResult result;
    TreeItem* projectItem = ProjectOf(item);
    if (!CanCalc(ws_, item)) {
        result.text = InconsistentProjectText;
        result.kind = DialogKind::Error;
        reportFailure(result.text);
        observer_->computationFinished(projectItem, result);
        return result;
    }
    auto* project = projectItem->NodeAs<TProject>();
    const bool wasExpanded = !quiet_ && observer_->isExpanded(projectItem);
    ComputingMark mark(ws_, projectItem, [this] { setGoingOn(false); });
    if (quiet_)
        mark.forgetProject();

    int32_t code = ResultCodes::Solved;
    if (!project->TestRun) {
        // The input is formed first (that numbers the records and resets the
        // effective parameters) but reaches the disk only under the lock, so
        // a refused second instance never overwrites the input of the
        // computation that holds it.
        std::string input;
        WriteModuleInput(item, input);
        // Nothing of an earlier run may be taken for this one's.
        recorder_ = OutcomeRecorder();
        {
            LockHold lock(services_.lock);
            if (lock.busy()) {
                // The result files in the work folder belong to the run that
                // holds the lock; removing them here would break that run.
                // Nothing of them is read after this code.
                code = ResultCodes::AlreadyRunning;
            } else {
                if (auto error = writeWholeFile(workDir_ / protocol::ModuleInputFileName, input)) {
                    result.outcome = ComputationResult::Outcome::InputNotWritten;
                    result.text = "Die Eingabedatei für den Berechnungsmodul konnte nicht geschrieben werden.\r" + *error;
                    result.kind = DialogKind::Error;
                    if (!quiet_)
                        ws_.dialogs().error(result.text);
                    observer_->computationFinished(projectItem, result);
                    return result;
                }
                project->Unsaved = true;
                if (!quiet_) {
                    if (wasExpanded)
                        observer_->setExpanded(projectItem, false);
                    project->Computing = true;
                    ws_.events().currentItemChanged(ws_.tree.Selected());
                    observer_->runStateChanged(false, true);
                }
                setGoingOn(true);
                observer_->computationStarted(projectItem);
                code = runModule(projectItem, result.detail);
            }
            setGoingOn(false);
        }
        // The events processed while the module ran may have deleted or
        // closed the project, or deleted the item the run was started from;
        // nothing may touch either before it is known to be there.
        const bool projectGone = !ws_.tree.Contains(projectItem);
        if (projectGone)
            mark.forgetProject();
        else if (!ws_.tree.Contains(item))
            item = projectItem;
        if (!BatchMode && !quiet_)
            observer_->runStateChanged(!projectGone && CanCalc(ws_, item), false);

        const ResultMessage message = resultCodeMessage(code);
        if (BatchMode)
            BatchResult = code;
        else if (!quiet_ && code != ResultCodes::Solved && code != ResultCodes::StoppedByUser)
            ws_.dialogs().message(message.kind, message.text, ButtonOk);
        result.outcome = ComputationResult::Outcome::Finished;
        result.resultCode = code;
        result.text = message.text;
        result.kind = message.kind;

        // Without the project there is nothing left to give the results to;
        // a quiet run that was cancelled leaves the results that are there
        // (a newer run is on its way).
        if (projectGone || (quiet_ && code == ResultCodes::StoppedByUser))
            return result;
        // The node may have been replaced while the module ran.
        project = projectItem->NodeAs<TProject>();
        if (resultsExpected(code)) {
            code = ResultCodes::Solved;
            project->HasResults = false;
            ReadEffectiveParams(projectItem, workDir_ / protocol::EffectiveParamsFileName);
        }
    }
    if (project->TestRun) {
        const ResultMessage message = resultCodeMessage(ResultCodes::Solved);
        result.text = message.text;
        result.kind = message.kind;
    }
    result.outcome = ComputationResult::Outcome::Finished;

    if (code == ResultCodes::Solved) {
        if (!DeriveResultSeries(projectItem, workDir_, [this](const std::string& text) { reportFailure(text); })) {
            result.text = NoResultsText;
            result.kind = DialogKind::Error;
        }
    } else {
        project->HasResults = false;
    }

    project->Computed = true;
    project->AllValid = project->HasResults;
    for (int i = 0; i < projectItem->ChildCount(); ++i)
        if (auto* motion = projectItem->Child(i)->NodeAs<TPaintObj>())
            motion->HasResult = project->HasResults;
    result.hasResults = project->HasResults;
    if (!project->TestRun)
        project->LastOutcome = recorder_.outcome(result, workDir_, projectItem);

    ws_.events().resultsChanged(projectItem);
    if (!quiet_) {
        observer_->setExpanded(projectItem, wasExpanded);
        ws_.tree.SetSelected(ws_.tree.Contains(item) ? item : projectItem);
    }
    ws_.events().changeFinished();
    if (!quiet_)
        project->Computing = false;

    observer_->computationFinished(projectItem, result);
    return result;
}

void Computation::requestStop()
{
    if (ws_.Calculating && !quiet_ && ws_.dialogs().askYesNo(StopQuestionText))
        ws_.Calculating = false;
}

} // namespace vemra
