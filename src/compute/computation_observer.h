// How a computation reports its progress to whoever runs it: the state of the
// computation commands, the batch, a status line, the end of each run. What
// the computation changes in the model (results, the project's state) goes
// through the workspace's model events instead. Every call does nothing by
// default, so the core runs headless.
#pragma once

#include <string>

namespace vemra {

class TreeItem;
struct ComputationResult;

class ComputationObserver {
public:
    virtual ~ComputationObserver() = default;

    // The project's tree item is collapsed while it is computed and may not
    // be expanded again until the run is over (TProject::Computing); it gets
    // its former state back afterwards.
    virtual bool isExpanded(TreeItem* /*project*/) { return false; }
    virtual void setExpanded(TreeItem* /*project*/, bool /*expanded*/) {}

    // Whether a computation can be started and stopped now. Outside a batch
    // the batch command follows the first.
    virtual void runStateChanged(bool /*canCalc*/, bool /*canStop*/) {}
    // A batch starts or ends (its one-second timer runs meanwhile, and the
    // selection may not change).
    virtual void batchStateChanged(bool /*running*/) {}

    // Status line text; empty clears it.
    virtual void statusChanged(const std::string& /*text*/) {}

    // The module is about to run for project (the lock is held, the input
    // written). Its lines follow through moduleOutput as it prints them;
    // computationFinished ends the run.
    virtual void computationStarted(TreeItem* /*project*/) {}
    // One line the module printed (progress, or anything else it says).
    virtual void moduleOutput(TreeItem* /*project*/, const std::string& /*line*/) {}

    // RunComputation is over, whatever its outcome, also within a batch.
    // project is null only when RunComputation was given no item. Not called
    // when the project was closed while the module ran.
    virtual void computationFinished(TreeItem* /*project*/, const ComputationResult& /*result*/) {}
};

} // namespace vemra
