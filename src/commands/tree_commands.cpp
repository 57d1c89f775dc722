#include "tree_commands.h"

#include "model/tree_ops.h"

#include <memory>
#include <vector>

namespace vemra {

namespace {

std::unique_ptr<TRestr> newRestriction(int32_t motion)
{
    auto r = std::make_unique<TRestr>();
    r->Motion() = motion;
    return r;
}

TreeItem* appendAndSelect(Workspace& ws, TreeItem* parent, std::unique_ptr<TRestr> restriction,
                          const std::string& action)
{
    restriction->MakeCaption();
    TreeItem* item = ws.tree.AddChild(parent, std::move(restriction));
    SortProject(ws.tree);
    ws.tree.SetSelected(item);
    ws.events().currentItemChanged(item);
    ws.events().changeCommitted({ProjectOf(item), action, ProjectChange::Kind::Edited});
    return item;
}

// The absolute motion a new restriction goes below when the selection names
// one (the motion itself or one of its restrictions).
TreeItem* selectedMotion(TreeItem* selected)
{
    if (!selected)
        return nullptr;
    if (selected->NodeAs<TRXHeader>())
        return selected;
    if (selected->Parent() && selected->Parent()->NodeAs<TRXHeader>())
        return selected->Parent();
    return nullptr;
}

std::string deleteQuestion(const TreeItem* item)
{
    const std::string& text = item->Text();
    const TNLMember* node = item->Node();
    if (dynamic_cast<const TProject*>(node))
        return "Gesamtes Projekt " + text + " löschen?";
    if (dynamic_cast<const TRXHeader*>(node))
        return text + " und alle Einträge,\rdie Bezüge darauf enthalten, löschen?";
    if (dynamic_cast<const TRestr*>(node))
        return "Restriktion " + text + " löschen?";
    if (dynamic_cast<const TGroupHeader*>(node))
        return text + " löschen?";
    if (dynamic_cast<const TGroupMember*>(node))
        return "Restriktion für globale Optimierung:\r löschen?";
    return text + " löschen?";
}

} // namespace

TreeItem* NewProjectCommand(Workspace& ws)
{
    auto project = std::make_unique<TProject>();
    project->MakeCaption();
    TreeItem* item = ws.tree.AddTopLevel(std::move(project));
    SortProject(ws.tree);
    ws.tree.SetSelected(item);
    ws.events().currentItemChanged(item);
    ws.events().motionsChanged();
    ws.events().changeCommitted({item, NewProjectAction, ProjectChange::Kind::Created});
    return item;
}

namespace {

TreeItem* newAbsRestriction(Workspace& ws, const char* action)
{
    TreeItem* selected = ws.tree.Selected();
    if (!selected)
        return nullptr;
    TreeItem* motion = selectedMotion(selected);
    if (!motion) {
        TreeItem* projectItem = ProjectOf(selected);
        auto* project = projectItem->NodeAs<TProject>();
        if (!project)
            return nullptr;
        if (project->MotionCount() > 9) {
            ws.dialogs().error("Ein Projekt kann maximal 10 Bewegungsvorgaben enthalten.");
            return nullptr;
        }
        ws.events().changeStarting(projectItem);
        int n = 0;
        motion = EnsureMotion(ws.tree, n, projectItem);
        ws.events().motionsChanged();
    } else {
        ws.events().changeStarting(ProjectOf(motion));
    }
    return appendAndSelect(ws, motion, newRestriction(motion->NodeAs<TRXHeader>()->Number()), action);
}

} // namespace

TreeItem* NewAbsRestrictionCommand(Workspace& ws)
{
    return newAbsRestriction(ws, NewAbsRestrictionAction);
}

TreeItem* NewMotionCommand(Workspace& ws)
{
    TreeItem* project = ProjectOf(ws.tree.Selected());
    if (!project)
        return nullptr;
    ws.tree.SetSelected(project);
    return newAbsRestriction(ws, NewMotionAction);
}

TreeItem* NewSpectrumRestrictionCommand(Workspace& ws)
{
    TreeItem* motion = selectedMotion(ws.tree.Selected());
    if (!motion)
        return nullptr;
    auto r = newRestriction(motion->NodeAs<TRXHeader>()->Number());
    r->Harmonic() = 1;
    r->Kind() = 20;
    r->LowerMode() = 0;
    r->SpectrumLimit() = 0;
    r->SpectrumBound() = 0;
    ws.events().changeStarting(ProjectOf(motion));
    return appendAndSelect(ws, motion, std::move(r), NewSpectrumRestrictionAction);
}

TreeItem* NewRelRestrictionCommand(Workspace& ws)
{
    TreeItem* selected = ws.tree.Selected();
    if (!selected)
        return nullptr;
    if (!selected->NodeAs<TRelHeader>() && selected->Parent())
        selected = selected->Parent();
    auto* rel = selected->NodeAs<TRelHeader>();
    if (!rel)
        return nullptr;
    auto r = newRestriction(rel->FirstMotion());
    r->Kind() = 40;
    r->Motion2() = rel->SecondMotion();
    ws.events().changeStarting(ProjectOf(selected));
    return appendAndSelect(ws, selected, std::move(r), NewRelRestrictionAction);
}

bool DeleteCommand(Workspace& ws)
{
    TreeItem* selected = ws.tree.Selected();
    // Relative motions exist exactly as long as their two motions do.
    if (!selected || selected->NodeAs<TRelHeader>())
        return false;
    ws.Locked = true;
    if (ws.DelConfirm && !ws.dialogs().askYesNo(deleteQuestion(selected))) {
        ws.Locked = false;
        return false;
    }

    TreeItem* projectItem = ProjectOf(selected);
    auto* project = projectItem->NodeAs<TProject>();
    // Where the selection goes afterwards: the nearest surviving ancestor,
    // else the project before the deleted one.
    std::vector<TreeItem*> ancestors;
    for (TreeItem* a = selected->Parent(); a; a = a->Parent())
        ancestors.push_back(a);
    const int projectIndex = projectItem->Index();
    TreeItem* previousProject = projectIndex > 0 ? ws.tree.TopLevel(projectIndex - 1) : nullptr;

    const bool wholeProject = selected == projectItem;
    ws.events().changeStarting(projectItem);
    if (wholeProject) {
        ws.events().changeCommitted({projectItem, DeleteAction, ProjectChange::Kind::Removed});
        ws.events().projectAboutToBeRemoved(projectItem);
    }
    if (project)
        project->Unsaved = true;
    DeleteNode(ws, selected);

    ws.events().changeFinished();
    if (!wholeProject)
        ws.events().projectContentChanged(projectItem);
    ws.events().motionsChanged();

    ws.Locked = false;
    TreeItem* next = nullptr;
    for (TreeItem* a : ancestors)
        if (ws.tree.Contains(a)) {
            next = a;
            break;
        }
    if (!next && previousProject && ws.tree.Contains(previousProject))
        next = previousProject;
    ws.tree.SetSelected(next);
    ws.events().selectionChanged(next);
    if (!wholeProject)
        ws.events().changeCommitted({projectItem, DeleteAction, ProjectChange::Kind::Edited});
    return true;
}

// --- drag and drop ---------------------------------------------------------------

bool CanDropProject(const TreeItem* dragged, const TreeItem* target)
{
    return dragged && !dragged->Parent() && dragged->NodeAs<TProject>() && !target;
}

TreeItem* DropProject(Workspace& ws, TreeItem* dragged, TreeItem* target)
{
    if (!CanDropProject(dragged, target))
        return nullptr;
    TreeItem* copy = CopyProject(ws, dragged);
    ws.events().motionsChanged();
    ws.events().changeCommitted({copy, CopyProjectAction, ProjectChange::Kind::Created});
    return copy;
}

} // namespace vemra
