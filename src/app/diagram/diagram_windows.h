// All diagram windows of the program: opened for the selected tree item,
// marked and redrawn after changes of the model, and cleared of motions
// that are about to go.
#pragma once

#include "grafik_window.h"

#include "app/app_windows.h"

#include <QPointer>

#include <vector>

namespace vemra {

// The motion definitions a new window shows for a selected item: all of a
// project's (also for its optimisation objects and their members), a
// motion itself, the motion above a restriction.
std::vector<TreeItem*> diagramItemsFor(TreeItem* item);

class DiagramWindowList : public DiagramWindows {
public:
    explicit DiagramWindowList(const DiagramContext& context);
    ~DiagramWindowList() override;

    void openFor(TreeItem* item) override;
    void markDirty(const std::vector<const TPaintObj*>& motions) override;
    void redrawDirty() override;
    void removeMotion(TPaintObj* motion) override;
    void closeFor(TreeItem* project) override;

    // Every open window, oldest first.
    std::vector<TGrafik*> windows() const;
    void redrawAll();

private:
    DiagramContext context_;
    std::vector<QPointer<TGrafik>> windows_;
};

} // namespace vemra
