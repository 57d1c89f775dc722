// The live design loop ("Automatisch berechnen"): every committed change of
// a project computes it again once the changes pause, quietly, while the
// user goes on editing. A newer change of the project cancels its run in
// progress and waits for the next pause. The run is the normal computation
// run (Computation in quiet mode) with an observer of its own, in a work
// folder and under a lock of its own, so it never meets a run of the
// computation command, a batch or another instance of the program.
#pragma once

#include "computation.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace vemra {

// The pause after the last change (about 150 ms); the desktop's timer.
class PauseTimer {
public:
    virtual ~PauseTimer() = default;
    // Starts the pause again from now.
    virtual void restart() = 0;
    virtual bool active() const = 0;
};

// A lock that, once obtained, is kept until it is destroyed: the quiet
// computation's folder belongs to this program for its whole run, so
// another instance never picks the same folder between two quiet runs.
class KeptLock : public ComputationLock {
public:
    explicit KeptLock(ComputationLock& lock) : lock_(lock) {}
    ~KeptLock() override;
    KeptLock(const KeptLock&) = delete;
    KeptLock& operator=(const KeptLock&) = delete;

    Status tryAcquire() override;
    // Kept: the folder stays this program's.
    void release() override {}

private:
    ComputationLock& lock_;
    bool held_ = false;
};

inline constexpr auto LivePause = std::chrono::milliseconds(150);

class LiveComputation : public ModelObserver, private ComputationObserver {
public:
    // services: the local runner, the quiet computation's own lock, the
    // event pump; workDir: its own folder. Subscribes to the workspace's
    // events (a closed or deleted project is dropped).
    LiveComputation(Workspace& ws, const ComputationServices& services, const std::filesystem::path& workDir,
                    PauseTimer& pause);
    ~LiveComputation() override;
    LiveComputation(const LiveComputation&) = delete;
    LiveComputation& operator=(const LiveComputation&) = delete;

    // Where the outcome of every quiet run goes (the status bar): the one
    // place it is published. Runs that were cancelled publish nothing.
    std::function<void(TreeItem* project, const ComputationResult& result)> published;
    // Whether a quiet run may start now; when not, the loop waits another
    // pause. (A normal computation or a batch running, a modal dialog.)
    std::function<bool()> mayRunNow;

    // A committed change of project: it is computed once the changes
    // pause; its run in progress, if any, is cancelled.
    void changed(TreeItem* project);
    // The project is about to be restored or computed normally: its quiet
    // run in progress stops.
    void cancel(TreeItem* project);
    // Nothing more is computed (the loop was switched off).
    void clear();
    // The pause is over: computes the waiting projects, one after another,
    // as long as no newer change starts a pause again.
    void pauseOver();

    bool running() const { return running_ != nullptr; }
    bool waiting(const TreeItem* project) const;
    Computation& computation() { return computation_; }

    // ModelObserver
    void projectAboutToBeRemoved(TreeItem* project) override;

private:
    // ComputationObserver
    void computationFinished(TreeItem* project, const ComputationResult& result) override;

    Workspace& ws_;
    PauseTimer& pause_;
    Computation computation_;
    std::vector<TreeItem*> waiting_;
    TreeItem* running_ = nullptr;
};

} // namespace vemra
