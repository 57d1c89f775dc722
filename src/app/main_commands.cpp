#include "main_commands.h"

#include "model/project_file.h"
#include "model/tree_ops.h"

#include <algorithm>

namespace vemra {

std::string closeProjectQuestion(const std::string& itemText)
{
    return "Das Projekt \"" + itemText + "\" wurde bearbeitet.\rSollen die Änderungen gesichert werden?";
}

bool CloseProjectCommand(Workspace& ws)
{
    TreeItem* projectItem = ProjectOf(ws.tree.Selected());
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return false;

    if (project->Unsaved) {
        const DialogButton answer = ws.dialogs().message(DialogKind::Confirmation,
                                                         closeProjectQuestion(projectItem->Text()),
                                                         ButtonYes | ButtonNo | ButtonAbort);
        if (answer != ButtonYes && answer != ButtonNo)
            return false; // Abort, or the box was closed without an answer
        if (answer == ButtonYes) {
            // The save commands work on the project of the selected item,
            // which is this one.
            if (extensionPart(project->FileName) != ".r4p") {
                const auto chosen = ws.dialogs().chooseFile(saveProjectDialogRequest(ws, projectItem));
                // A cancelled dialog closes the project unsaved, as the user
                // already said Yes to closing it.
                if (chosen && !SaveProjectAsCommand(ws, *chosen))
                    return false; // wrong extension or a write error: keep it
            } else if (!SaveProjectCommand(ws)) {
                return false; // the write failed; the changes must not be lost
            }
        }
    }

    // Where the selection goes: the project before the closed one, else the
    // one after it.
    const int index = projectItem->Index();
    TreeItem* next = index > 0 ? ws.tree.TopLevel(index - 1)
                               : (ws.tree.TopLevelCount() > 1 ? ws.tree.TopLevel(1) : nullptr);

    ws.Locked = true;
    ws.hooks().closeReportsOf(projectItem);
    DeleteNode(ws, projectItem);
    ws.hooks().redrawDirtyDiagrams();
    ws.hooks().refreshDiagramOptionsList();
    ws.Locked = false;
    ws.tree.SetSelected(next);
    ws.hooks().selectionChangedHandling(ws.tree.Selected());
    return true;
}

bool anyProjectUnsaved(const Workspace& ws)
{
    for (int i = 0; i < ws.tree.TopLevelCount(); ++i)
        if (auto* p = ws.tree.TopLevel(i)->NodeAs<TProject>(); p && p->Unsaved)
            return true;
    return false;
}

bool CloseQuery(Workspace& ws)
{
    if (ws.Calculating) {
        if (!ws.dialogs().askYesNo(StopRunningComputationQuestion))
            return false;
        ws.Calculating = false;
    }
    if (anyProjectUnsaved(ws))
        return ws.dialogs().askYesNo(QuitWithUnsavedQuestion);
    return true;
}

namespace {

void addMotionAbove(std::vector<const TPaintObj*>& motions, const TreeItem* restriction)
{
    const TreeItem* above = restriction ? restriction->Parent() : nullptr;
    const auto* motion = above ? above->NodeAs<TPaintObj>() : nullptr;
    if (motion && std::find(motions.begin(), motions.end(), motion) == motions.end())
        motions.push_back(motion);
}

} // namespace

std::vector<const TPaintObj*> affectedMotions(const TreeItem* item)
{
    std::vector<const TPaintObj*> motions;
    if (!item)
        return motions;
    if (item->NodeAs<TProject>()) {
        for (int i = 0; i < item->ChildCount(); ++i)
            if (const auto* m = item->Child(i)->NodeAs<TPaintObj>())
                motions.push_back(m);
    } else if (const auto* m = item->NodeAs<TPaintObj>()) {
        motions.push_back(m);
    } else if (item->NodeAs<TRestr>()) {
        addMotionAbove(motions, item);
    } else if (item->NodeAs<TGroupHeader>()) {
        for (int i = 0; i < item->ChildCount(); ++i)
            if (const auto* member = item->Child(i)->NodeAs<TGroupMember>())
                addMotionAbove(motions, member->RefTNR);
    } else if (const auto* member = item->NodeAs<TGroupMember>()) {
        addMotionAbove(motions, member->RefTNR);
    }
    return motions;
}

} // namespace vemra
