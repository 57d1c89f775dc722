#include "editor_session.h"

#include "model/tree_ops.h"

namespace vemra {

namespace {

std::vector<TreeItem*> groupsOf(const TreeItem* project)
{
    std::vector<TreeItem*> groups;
    for (int i = 0; project && i < project->ChildCount(); ++i)
        if (project->Child(i)->NodeAs<TGroupHeader>())
            groups.push_back(project->Child(i));
    return groups;
}

TreeItem* findGroup(const TreeItem* project, int32_t number)
{
    for (TreeItem* g : groupsOf(project))
        if (g->NodeAs<TGroupHeader>()->Number() == number)
            return g;
    return nullptr;
}

TreeItem* memberOf(const TreeItem* group, const TreeItem* restriction)
{
    for (int i = 0; group && i < group->ChildCount(); ++i)
        if (auto* m = group->Child(i)->NodeAs<TGroupMember>(); m && m->RefTNR == restriction)
            return group->Child(i);
    return nullptr;
}

} // namespace

std::string editActionName(const TreeItem* item)
{
    return item ? "Änderung an " + item->Text() : std::string("Änderung");
}

std::vector<std::string> optimisationObjectChoices(const TreeItem* item)
{
    std::vector<std::string> choices{NewOptimisationObjectText};
    for (const TreeItem* g : groupsOf(ProjectOf(const_cast<TreeItem*>(item))))
        choices.push_back(g->Text());
    return choices;
}

void UndoCopy::take(const TNLMember& node)
{
    IntPar = node.IntPar;
    RealPar = node.RealPar;
    Modified = node.Modified;
    const auto* r = dynamic_cast<const TRestr*>(&node);
    restriction = r != nullptr;
    IsGlobal = r && r->IsGlobal;
    EffPar = r ? r->EffPar : std::array<double, 13>{};
}

bool UndoCopy::differsFrom(const TNLMember& node) const
{
    for (int i = 1; i <= 8; ++i)
        if (IntPar[i] != node.IntPar[i])
            return true;
    // Exact: a value typed again is no change, any other value is one.
    for (int j = 1; j <= 12; ++j)
        if (!(RealPar[j] == node.RealPar[j]))
            return true;
    return false;
}

EditorSession::EditorSession(Workspace& ws, EditorHost& host) : ws_(ws), host_(host) {}

void EditorSession::setObject(TreeItem* item)
{
    treeNode_ = item;
    node_ = item ? item->Node() : nullptr;
    // A member stands for its restriction: that is what the user edits.
    if (auto* member = dynamic_cast<TGroupMember*>(node_)) {
        treeNode_ = member->RefTNR;
        node_ = treeNode_ ? treeNode_->Node() : nullptr;
    }
    if (node_)
        undo_.take(*node_);
    else
        undo_ = UndoCopy{};
}

void EditorSession::resultsArrived()
{
    if (node_)
        undo_.take(*node_);
}

void EditorSession::clearObject()
{
    treeNode_ = nullptr;
    node_ = nullptr;
    undo_ = UndoCopy{};
}

TreeItem* EditorSession::projectItem() const
{
    return ProjectOf(treeNode_);
}

ChangeState EditorSession::detectChange()
{
    ChangeState c;
    if (!node_)
        return c;
    const bool before = node_->Modified;
    c.changed = undo_.differsFrom(*node_);
    node_->Modified = node_->Modified || c.changed;
    c.dirty = c.changed || node_->Modified;
    c.toggled = before != node_->Modified;
    return c;
}

EditorSession::Outcome EditorSession::finishUpdate(const ChangeState& change)
{
    Outcome o;
    if (!node_)
        return o;
    if (TRestr* r = restriction()) {
        r->MakeCaption();
        ws_.tree.SetText(treeNode_, r->Caption);
        if (r->IsGlobal && r->GroupNo() > 0) {
            int g = r->GroupNo();
            if (TreeItem* member = AddGroupMember(ws_.tree, EnsureGroup(ws_.tree, g, projectItem()), treeNode_)) {
                member->Node()->MakeCaption();
                ws_.tree.SetText(member, member->Node()->Caption);
            }
        }
        SortProject(ws_.tree);

        if (isSpectrumKind(r->Kind())) {
            if (change.toggled) {
                UpdateResultState(ws_, treeNode_);
                if (!Loading)
                    host_.redrawDiagramsOf(treeNode_);
            }
            if (change.dirty)
                host_.regenerateReportsOf(treeNode_);
        } else if (isBandKind(r->Kind())) {
            if (change.toggled)
                UpdateResultState(ws_, treeNode_);
            if (change.dirty) {
                host_.regenerateReportsOf(treeNode_);
                if (!Loading)
                    host_.redrawDiagramsOf(treeNode_);
            }
        }
    } else if (dynamic_cast<TRXHeader*>(node_)) {
        if (change.toggled) {
            UpdateResultState(ws_, treeNode_);
            if (!Loading)
                host_.redrawDiagramsOf(treeNode_);
        }
        if (change.dirty) {
            host_.regenerateReportsOf(treeNode_);
            o.fillGrid = true;
        }
    }

    o.valid = node_->Check();
    host_.setCalcEnabled(o.valid && CanCalc(ws_, ws_.tree.Selected()));
    // Filling the page after a selection is no change of the user's.
    if (!Loading)
        ws_.events().changeCommitted({projectItem(), editActionName(treeNode_), ProjectChange::Kind::Edited});
    return o;
}

void EditorSession::keepSelectionOffItem(TreeItem* leaving)
{
    // Deleting the selected item would leave the tree without a selection
    // and the editor without its node.
    TreeItem* selected = ws_.tree.Selected();
    if (leaving && selected == leaving)
        ws_.tree.SetSelected(treeNode_);
}

bool EditorSession::linkRestriction(OptimisationObjectChooser& chooser)
{
    TRestr* r = restriction();
    if (!r)
        return false;
    TreeItem* project = projectItem();
    const std::vector<TreeItem*> groups = groupsOf(project);
    r->IsGlobal = true;
    TreeItem* group = nullptr;
    if (!groups.empty()) {
        const std::optional<int> chosen = chooser.chooseOptimisationObject();
        if (!chosen || *chosen < 0 || *chosen > static_cast<int>(groups.size())) {
            // Nothing was chosen: the restriction stays as it was.
            r->IsGlobal = false;
            return false;
        }
        if (*chosen > 0)
            group = groups[static_cast<size_t>(*chosen - 1)];
    }
    int g = 0;
    if (group)
        g = group->NodeAs<TGroupHeader>()->Number();
    else
        group = EnsureGroup(ws_.tree, g, project);
    if (!group) {
        r->IsGlobal = false;
        return false;
    }
    r->GroupNo() = g;
    AddGroupMember(ws_.tree, group, treeNode_);
    return true;
}

void EditorSession::leaveGroup(int32_t g)
{
    TRestr* r = restriction();
    if (TreeItem* member = memberOf(findGroup(projectItem(), g), treeNode_)) {
        keepSelectionOffItem(member);
        DeleteNode(ws_, member);
    }
    r->GroupNo() = 0;
    r->IsGlobal = false;
}

void EditorSession::unlinkRestriction()
{
    TRestr* r = restriction();
    if (!r)
        return;
    leaveGroup(r->GroupNo());
}

void EditorSession::undoRestriction()
{
    TRestr* r = restriction();
    if (!r)
        return;
    // Moving the selection off a member that goes re-selects this
    // restriction, which takes a fresh undo copy; the old one is the one
    // to restore.
    const UndoCopy copy = undo_;
    const int32_t kept = r->GroupNo();
    const bool wasGlobal = r->IsGlobal;
    const bool modifiedBefore = r->Modified;
    TreeItem* project = projectItem();
    const int32_t target = copy.GroupNo();
    TreeItem* targetGroup = copy.IsGlobal ? findGroup(project, target) : nullptr;

    if (wasGlobal && (!copy.IsGlobal || kept != target))
        leaveGroup(kept);
    for (int i = 1; i <= 8; ++i)
        r->IntPar[i] = copy.IntPar[i];
    for (int j = 1; j <= 12; ++j) {
        r->RealPar[j] = copy.RealPar[j];
        r->EffPar[j] = copy.EffPar[j];
    }
    r->Modified = copy.Modified;
    if (copy.IsGlobal && !(wasGlobal && kept == target)) {
        // Leaving the other object may have renumbered this one, or removed
        // it with its last member; then it comes back under its number.
        int g = target;
        TreeItem* group = targetGroup && ws_.tree.Contains(targetGroup) ? targetGroup
                                                                           : EnsureGroup(ws_.tree, g, project);
        if (group) {
            AddGroupMember(ws_.tree, group, treeNode_);
            r->GroupNo() = group->NodeAs<TGroupHeader>()->Number();
        }
    }
    r->IsGlobal = copy.IsGlobal;
    undo_ = copy;
    // The results follow the parameters back.
    if (r->Modified != modifiedBefore) {
        UpdateResultState(ws_, treeNode_);
        host_.redrawDiagramsOf(treeNode_);
    }
}

} // namespace vemra
