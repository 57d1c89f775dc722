#include "diagram_windows.h"

#include "dlg_diag_default.h"
#include "dlg_diag_opt.h"

#include "app/dlg_main.h"

#include "model/tree_ops.h"

#include <algorithm>

namespace vemra {

std::vector<TreeItem*> diagramItemsFor(TreeItem* item)
{
    std::vector<TreeItem*> items;
    if (!item)
        return items;
    if (item->NodeAs<TGroupHeader>() || item->NodeAs<TGroupMember>())
        item = ProjectOf(item);
    if (!item)
        return items;
    if (item->NodeAs<TProject>()) {
        for (int i = 0; i < item->ChildCount(); ++i)
            if (item->Child(i)->NodeAs<TPaintObj>())
                items.push_back(item->Child(i));
    } else if (item->NodeAs<TPaintObj>()) {
        items.push_back(item);
    } else if (item->NodeAs<TRestr>() && item->Parent() && item->Parent()->NodeAs<TPaintObj>()) {
        items.push_back(item->Parent());
    }
    return items;
}

DiagramWindowList::DiagramWindowList(const DiagramContext& context) : context_(context) {}

DiagramWindowList::~DiagramWindowList()
{
    for (const auto& w : windows_)
        delete w.data();
}

std::vector<TGrafik*> DiagramWindowList::windows() const
{
    std::vector<TGrafik*> result;
    for (const auto& w : windows_)
        if (w)
            result.push_back(w.data());
    return result;
}

void DiagramWindowList::openFor(TreeItem* item)
{
    if (!item)
        return;
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [](const auto& w) { return w.isNull(); }),
                   windows_.end());
    auto* w = new TGrafik(context_, context_.main);
    w->Page.Items = diagramItemsFor(item);
    if (context_.defaults)
        w->Page.HighlightColor = context_.defaults->HLColor();
    windows_.emplace_back(w);
    w->show();
    if (context_.options)
        context_.options->attach(w);
    else
        w->Redraw();
}

void DiagramWindowList::markDirty(const std::vector<const TPaintObj*>& motions)
{
    for (TGrafik* w : windows())
        for (const TreeItem* item : w->Page.Items)
            if (std::find(motions.begin(), motions.end(), item->NodeAs<TPaintObj>()) != motions.end())
                w->Dirty = true;
}

void DiagramWindowList::redrawDirty()
{
    for (TGrafik* w : windows())
        if (w->Dirty)
            w->Redraw();
}

void DiagramWindowList::removeMotion(TPaintObj* motion)
{
    for (TGrafik* w : windows()) {
        std::vector<const TreeItem*> going;
        for (const TreeItem* item : w->Page.Items)
            if (item->Node() == motion)
                going.push_back(item);
        for (const TreeItem* item : going)
            w->RemoveItem(item);
    }
}

void DiagramWindowList::closeFor(TreeItem* project)
{
    // A window showing motions of other projects as well keeps those; the
    // project's own leave it through removeMotion.
    for (TGrafik* w : windows()) {
        const auto& items = w->Page.Items;
        const bool onlyThisProject = !items.empty() && std::all_of(items.begin(), items.end(), [project](TreeItem* item) {
            return ProjectOf(item) == project;
        });
        if (onlyThisProject)
            w->close();
    }
}

void DiagramWindowList::redrawAll()
{
    for (TGrafik* w : windows())
        w->Redraw();
}

} // namespace vemra
