#include "live_computation.h"

#include "model/tree_ops.h"

#include <algorithm>

namespace vemra {

KeptLock::~KeptLock()
{
    if (held_)
        lock_.release();
}

ComputationLock::Status KeptLock::tryAcquire()
{
    if (held_)
        return Status::Acquired;
    const Status status = lock_.tryAcquire();
    held_ = status == Status::Acquired;
    return status;
}

LiveComputation::LiveComputation(Workspace& ws, const ComputationServices& services,
                                 const std::filesystem::path& workDir, PauseTimer& pause)
    : ws_(ws), pause_(pause), computation_(ws, services, this)
{
    computation_.setQuiet(true);
    computation_.setWorkDir(workDir);
    ws_.events().subscribe(this);
}

LiveComputation::~LiveComputation()
{
    ws_.events().unsubscribe(this);
}

bool LiveComputation::waiting(const TreeItem* project) const
{
    return std::find(waiting_.begin(), waiting_.end(), project) != waiting_.end();
}

void LiveComputation::changed(TreeItem* project)
{
    project = ProjectOf(project);
    if (!project)
        return;
    cancel(project);
    if (!waiting(project))
        waiting_.push_back(project);
    pause_.restart();
}

void LiveComputation::cancel(TreeItem* project)
{
    if (running_ && running_ == ProjectOf(project))
        computation_.cancel();
}

void LiveComputation::clear()
{
    waiting_.clear();
    if (running_)
        computation_.cancel();
}

void LiveComputation::pauseOver()
{
    // The pause may end while a quiet run waits for its module (its event
    // pump delivers the timer); the loop below goes on once that run is back.
    if (running_ || waiting_.empty())
        return;
    if (mayRunNow && !mayRunNow()) {
        pause_.restart();
        return;
    }
    while (!waiting_.empty() && !pause_.active()) {
        TreeItem* project = waiting_.front();
        waiting_.erase(waiting_.begin());
        // A project the computation command works on is left alone.
        if (!ws_.tree.Contains(project) || project->NodeAs<TProject>()->Computing)
            continue;
        running_ = project;
        struct Done {
            TreeItem*& running;
            ~Done() { running = nullptr; }
        } done{running_};
        computation_.RunComputation(project);
        // What the run's event pump delivered may forbid the next one.
        if (mayRunNow && !mayRunNow() && !waiting_.empty()) {
            pause_.restart();
            return;
        }
    }
}

void LiveComputation::computationFinished(TreeItem* project, const ComputationResult& result)
{
    if (published)
        published(project, result);
}

void LiveComputation::projectAboutToBeRemoved(TreeItem* project)
{
    waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), project), waiting_.end());
    cancel(project);
}

} // namespace vemra
