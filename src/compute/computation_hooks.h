// What a computation asks of the windows above the core, beyond the
// workspace's own hooks (editor, reports, diagram redraw, which it uses as
// well). Every hook does nothing by default, so the core runs headless and
// the desktop implements only what it shows.
#pragma once

#include <string>

namespace vemra {

class TreeItem;
struct ComputationResult;

class ComputationHooks {
public:
    virtual ~ComputationHooks() = default;

    // The project's tree item is collapsed while it is computed and may not
    // be expanded again until the run is over (TProject::Computing).
    virtual bool isExpanded(TreeItem* /*project*/) { return false; }
    virtual void setExpanded(TreeItem* /*project*/, bool /*expanded*/) {}

    // Enabled state of "&Berechnen" and "Berechnung &abbrechen". Outside a
    // batch "&alle Berechnen" follows "&Berechnen".
    virtual void setCalcCommands(bool /*calcEnabled*/, bool /*stopEnabled*/) {}
    // A batch starts or ends: its one-second timer, the tree control (the
    // selection may not change during a batch), "&alle Berechnen".
    virtual void batchRunning(bool /*running*/) {}

    // Status bar text; empty clears it.
    virtual void setStatusText(const std::string& /*text*/) {}
    // Every open diagram window that shows a motion of the project is to be
    // repainted.
    virtual void markDiagramsOf(TreeItem* /*project*/) {}

    // RunComputation is over, whatever its outcome, also within a batch.
    // project is null only when RunComputation was given no item. Not called
    // when the project was closed while the module ran.
    virtual void computationFinished(TreeItem* /*project*/, const ComputationResult& /*result*/) {}
};

} // namespace vemra
