#include "tree_ops.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

namespace vemra {

namespace {

// MakeCaption and keep the shown text a copy of it.
void refreshCaption(ProjectTree& tree, TreeItem* item)
{
    if (!item)
        return;
    item->Node()->MakeCaption();
    tree.SetText(item, item->Node()->Caption);
}

TreeItem* findMotion(TreeItem* project, int n)
{
    if (!project)
        return nullptr;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        if (auto* rx = child->NodeAs<TRXHeader>(); rx && rx->Number() == n)
            return child;
    }
    return nullptr;
}

TreeItem* findGroup(TreeItem* project, int g)
{
    if (!project)
        return nullptr;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        if (auto* group = child->NodeAs<TGroupHeader>(); group && group->Number() == g)
            return child;
    }
    return nullptr;
}

bool isChildOf(const TreeItem* parent, const TreeItem* item)
{
    for (int i = 0; i < parent->ChildCount(); ++i)
        if (parent->Child(i) == item)
            return true;
    return false;
}

bool anyChildModified(const TreeItem* item)
{
    for (int i = 0; i < item->ChildCount(); ++i)
        if (item->Child(i)->Node()->Modified)
            return true;
    return false;
}

// A negative first motion number marks the restriction, not the motion; the
// mark survives renumbering.
int32_t keepSign(int32_t old, int32_t number)
{
    return old < 0 ? -number : number;
}

// |v| without the overflow of -INT32_MIN, which a damaged file can carry.
int32_t magnitude(int32_t v)
{
    if (v == std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::max();
    return v < 0 ? -v : v;
}

void renumberMotion(ProjectTree& tree, TreeItem* item, int number)
{
    item->Node()->IntPar[2] = number;
    refreshCaption(tree, item);
    for (int i = 0; i < item->ChildCount(); ++i)
        if (auto* r = item->Child(i)->NodeAs<TRestr>())
            r->Motion() = keepSign(r->Motion(), number);
}

void renumberGroup(ProjectTree& tree, TreeItem* item, int number)
{
    item->Node()->IntPar[1] = number;
    refreshCaption(tree, item);
    for (int i = 0; i < item->ChildCount(); ++i)
        if (auto* member = item->Child(i)->NodeAs<TGroupMember>())
            if (TRestr* r = member->restriction())
                r->GroupNo() = number;
}

// Member captions quote the motion number of their restriction.
void refreshMemberCaptions(ProjectTree& tree, TreeItem* project)
{
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        if (!child->NodeAs<TGroupHeader>())
            continue;
        for (int k = 0; k < child->ChildCount(); ++k)
            refreshCaption(tree, child->Child(k));
    }
}

// Every member that points at restriction, wherever it sits: a member must
// never outlive the item it refers to, even when GroupNo disagrees.
std::vector<TreeItem*> membersReferring(TreeItem* project, const TreeItem* restriction)
{
    std::vector<TreeItem*> members;
    if (!project)
        return members;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        if (!child->NodeAs<TGroupHeader>())
            continue;
        for (int k = 0; k < child->ChildCount(); ++k)
            if (auto* m = child->Child(k)->NodeAs<TGroupMember>(); m && m->RefTNR == restriction)
                members.push_back(child->Child(k));
    }
    return members;
}

// The children of project of class T whose number IntPar[par] lies in
// (after, last], except skip. Only existing items are visited, so a damaged
// counter costs nothing and no missing number is invented.
template <class T>
std::vector<TreeItem*> followers(TreeItem* project, const TreeItem* skip, int par, int after, int last)
{
    std::vector<TreeItem*> items;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        const TNLMember* node = child->Node();
        if (child != skip && dynamic_cast<const T*>(node) && node->IntPar[par] > after && node->IntPar[par] <= last)
            items.push_back(child);
    }
    return items;
}

void deleteMotionReferences(Workspace& ws, TreeItem* projectItem, TProject* project, TreeItem* motion, int n)
{
    ProjectTree& tree = ws.tree;
    for (TreeItem* follower : followers<TRXHeader>(projectItem, motion, 2, n, project->IntPar[3]))
        renumberMotion(tree, follower, follower->Node()->IntPar[2] - 1);
    if (project->IntPar[3] > 0)
        project->IntPar[3] -= 1;

    // Deleting a relative motion can empty and thereby delete optimisation
    // objects, which shifts the indices of the project's children.
    std::vector<TreeItem*> relatives;
    for (int i = 0; i < projectItem->ChildCount(); ++i)
        if (projectItem->Child(i)->NodeAs<TRelHeader>())
            relatives.push_back(projectItem->Child(i));

    for (TreeItem* rel : relatives) {
        if (!isChildOf(projectItem, rel))
            continue;
        auto* header = rel->NodeAs<TRelHeader>();
        const int32_t a = header->IntPar[1];
        const int32_t b = header->IntPar[2];
        const int32_t absA = magnitude(a);
        if (absA == n || b == n) {
            DeleteNode(ws, rel);
            continue;
        }
        if (absA <= n && b <= n)
            continue;
        if (absA > n)
            header->IntPar[1] = keepSign(a, absA - 1);
        if (b > n)
            header->IntPar[2] = b - 1;
        refreshCaption(tree, rel);
        for (int i = 0; i < rel->ChildCount(); ++i) {
            auto* r = rel->Child(i)->NodeAs<TRestr>();
            if (!r)
                continue;
            if (absA > n)
                r->Motion() = header->IntPar[1];
            if (b > n)
                r->Motion2() = header->IntPar[2];
        }
    }
    refreshMemberCaptions(tree, projectItem);
}

std::unique_ptr<TRestr> newRestriction(int32_t motion)
{
    auto r = std::make_unique<TRestr>();
    r->Motion() = motion;
    return r;
}

TreeItem* appendAndSelect(Workspace& ws, TreeItem* parent, std::unique_ptr<TRestr> restriction)
{
    restriction->MakeCaption();
    TreeItem* item = ws.tree.AddChild(parent, std::move(restriction));
    SortProject(ws.tree);
    ws.tree.SetSelected(item);
    ws.hooks().showInEditor(item);
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

// --- lookups -------------------------------------------------------------------

TreeItem* ProjectOf(TreeItem* item)
{
    while (item && item->Parent())
        item = item->Parent();
    return item;
}

TProject* ProjectNodeOf(TreeItem* item)
{
    TreeItem* project = ProjectOf(item);
    return project ? project->NodeAs<TProject>() : nullptr;
}

bool MotionExists(int n, TreeItem* project)
{
    return findMotion(project, n) != nullptr;
}

TreeItem* EnsureMotion(ProjectTree& tree, int& n, TreeItem* project)
{
    auto* p = project ? project->NodeAs<TProject>() : nullptr;
    if (!p)
        return nullptr;
    // A negative number is the marked first motion of a relative entry; the
    // motion itself is numbered by its magnitude and never negative.
    int number = magnitude(n);
    if (number > 0 && number <= p->IntPar[3])
        if (TreeItem* found = findMotion(project, number))
            return found;

    if (number == 0)
        n = number = ++p->IntPar[3];
    else if (number > p->IntPar[3])
        p->IntPar[3] = number;

    auto motion = std::make_unique<TRXHeader>();
    motion->IntPar[2] = number;
    motion->MakeCaption();
    TreeItem* item = tree.AddChild(project, std::move(motion));

    // Pairs of the motions that exist, in ascending order; walking the numbers
    // instead would take ages on a damaged file's counter.
    std::vector<int> numbers;
    for (int i = 0; i < project->ChildCount(); ++i)
        if (auto* rx = project->Child(i)->NodeAs<TRXHeader>(); rx && rx->Number() >= 1 && rx->Number() <= p->IntPar[3])
            numbers.push_back(rx->Number());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (size_t i = 0; i < numbers.size(); ++i)
        for (size_t j = i + 1; j < numbers.size(); ++j)
            EnsureRelMotion(tree, numbers[i], numbers[j], project);
    return item;
}

TreeItem* EnsureRelMotion(ProjectTree& tree, int i, int j, TreeItem* project)
{
    if (!project)
        return nullptr;
    for (int k = 0; k < project->ChildCount(); ++k) {
        TreeItem* child = project->Child(k);
        if (auto* rel = child->NodeAs<TRelHeader>(); rel && rel->IntPar[1] == i && rel->IntPar[2] == j)
            return child;
    }
    auto rel = std::make_unique<TRelHeader>();
    rel->IntPar[1] = i;
    rel->IntPar[2] = j;
    rel->MakeCaption();
    return tree.AddChild(project, std::move(rel));
}

TreeItem* EnsureGroup(ProjectTree& tree, int& g, TreeItem* project)
{
    auto* p = project ? project->NodeAs<TProject>() : nullptr;
    if (!p)
        return nullptr;
    if (g > 0 && g <= p->IntPar[8])
        if (TreeItem* found = findGroup(project, g))
            return found;

    if (g == 0)
        g = ++p->IntPar[8];
    else if (g > p->IntPar[8])
        p->IntPar[8] = g;

    auto group = std::make_unique<TGroupHeader>();
    group->IntPar[1] = g;
    group->MakeCaption();
    return tree.AddChild(project, std::move(group));
}

TreeItem* AddGroupMember(ProjectTree& tree, TreeItem* group, TreeItem* restriction)
{
    if (!group)
        return nullptr;
    for (int i = 0; i < group->ChildCount(); ++i) {
        TreeItem* child = group->Child(i);
        if (auto* m = child->NodeAs<TGroupMember>(); m && m->RefTNR == restriction)
            return child;
    }
    auto member = std::make_unique<TGroupMember>();
    member->RefTNR = restriction;
    member->MakeCaption();
    return tree.AddChild(group, std::move(member));
}

TreeItem* FindByIdent(int id, TreeItem* project)
{
    if (!project)
        return nullptr;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        if (child->Node()->IntPar[9] == id)
            return child;
        for (int k = 0; k < child->ChildCount(); ++k)
            if (child->Child(k)->Node()->IntPar[9] == id)
                return child->Child(k);
    }
    return nullptr;
}

bool SubtreeValid(TreeItem* item)
{
    if (!item)
        return false;
    if (!item->Node()->Valid)
        return false;
    for (int i = 0; i < item->ChildCount(); ++i)
        if (!SubtreeValid(item->Child(i)))
            return false;
    return true;
}

bool CanCalc(const Workspace& ws, TreeItem* item)
{
    TreeItem* project = ProjectOf(item);
    return project && project->ChildCount() > 0 && !ws.Calculating && SubtreeValid(project);
}

void SortProject(ProjectTree& tree)
{
    const auto byKey = [](const TreeItem* a, const TreeItem* b) { return a->Node()->SortKey < b->Node()->SortKey; };
    tree.SortChildren(nullptr, byKey);
    const std::function<void(TreeItem*)> sortBelow = [&](TreeItem* item) {
        if (item->ChildCount() == 0)
            return;
        tree.SortChildren(item, byKey);
        for (int i = 0; i < item->ChildCount(); ++i)
            sortBelow(item->Child(i));
    };
    for (int i = 0; i < tree.TopLevelCount(); ++i)
        sortBelow(tree.TopLevel(i));
}

// --- deletion ------------------------------------------------------------------

void DeleteNode(Workspace& ws, TreeItem* item)
{
    if (!item)
        return;
    ProjectTree& tree = ws.tree;
    TNLMember* node = item->Node();
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem->NodeAs<TProject>();
    // Inside a project that goes as a whole, renumbering its followers is
    // wasted work.
    const bool projectGoing = project && project->Deleting;
    // The parent that this deletion may leave empty.
    TreeItem* emptied = nullptr;

    if (auto* member = dynamic_cast<TGroupMember*>(node)) {
        if (TRestr* r = member->restriction()) {
            r->GroupNo() = 0;
            r->IsGlobal = false;
            // Its validity no longer depends on the shift ranges.
            if (!r->Deleting)
                refreshCaption(tree, member->RefTNR);
        }
        emptied = item->Parent();
    } else if (auto* group = dynamic_cast<TGroupHeader*>(node)) {
        if (project && !projectGoing) {
            for (TreeItem* follower :
                 followers<TGroupHeader>(projectItem, item, 1, group->Number(), project->IntPar[8]))
                renumberGroup(tree, follower, follower->Node()->IntPar[1] - 1);
            if (project->IntPar[8] > 0)
                project->IntPar[8] -= 1;
        }
        node->Deleting = true;
    } else if (dynamic_cast<TRelHeader*>(node)) {
        node->Deleting = true;
    } else if (dynamic_cast<TRestr*>(node)) {
        node->Deleting = true;
        for (TreeItem* member : membersReferring(projectItem, item))
            DeleteNode(ws, member);
        if (item->Parent() && item->Parent()->NodeAs<TRXHeader>())
            emptied = item->Parent();
    } else if (auto* motion = dynamic_cast<TRXHeader*>(node)) {
        if (project && !projectGoing)
            deleteMotionReferences(ws, projectItem, project, item, motion->Number());
        node->Deleting = true;
    } else if (dynamic_cast<TProject*>(node)) {
        node->Deleting = true;
    }

    while (item->ChildCount() > 0)
        DeleteNode(ws, item->LastChild());

    if (auto* paint = dynamic_cast<TPaintObj*>(node))
        ws.hooks().removeFromDiagrams(paint);

    tree.Delete(item);

    if (emptied && emptied->ChildCount() == 0 && !emptied->Node()->Deleting)
        DeleteNode(ws, emptied);
}

// --- copying, result state, highlight ------------------------------------------

TreeItem* CopyProject(Workspace& ws, TreeItem* projectItem)
{
    TreeItem* source = ProjectOf(projectItem);
    auto* sourceProject = source ? source->NodeAs<TProject>() : nullptr;
    if (!sourceProject)
        return nullptr;
    ProjectTree& tree = ws.tree;

    auto copy = std::make_unique<TProject>();
    sourceProject->CopyTo(*copy);
    copy->MakeCaption();
    TreeItem* target = tree.AddTopLevel(std::move(copy));

    const auto copyRestrictions = [&](TreeItem* from, TreeItem* to) {
        for (int i = 0; i < from->ChildCount(); ++i) {
            auto* r = from->Child(i)->NodeAs<TRestr>();
            if (!r)
                continue;
            auto restriction = std::make_unique<TRestr>();
            r->CopyTo(*restriction);
            TreeItem* copied = tree.AddChild(to, std::move(restriction));
            if (r->GroupNo() > 0) {
                int g = r->GroupNo();
                AddGroupMember(tree, EnsureGroup(tree, g, target), copied);
            }
        }
    };

    for (int i = 0; i < source->ChildCount(); ++i) {
        TreeItem* child = source->Child(i);
        std::unique_ptr<TPaintObj> motion;
        if (child->NodeAs<TRXHeader>())
            motion = std::make_unique<TRXHeader>();
        else if (child->NodeAs<TRelHeader>())
            motion = std::make_unique<TRelHeader>();
        else
            continue;
        child->NodeAs<TPaintObj>()->Duplicate(*motion);
        copyRestrictions(child, tree.AddChild(target, std::move(motion)));
    }
    SortProject(tree);
    return target;
}

void UpdateResultState(Workspace& ws, TreeItem* item)
{
    if (ws.Locked)
        return;
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return;

    for (int i = 0; i < projectItem->ChildCount(); ++i) {
        TreeItem* child = projectItem->Child(i);
        if (auto* motion = child->NodeAs<TRXHeader>())
            motion->ResultValid = !(motion->Modified || anyChildModified(child));
    }

    // An outdated motion outdates every relative motion built on it and the
    // other motions that share an optimisation object with it; whenever a
    // result flips to outdated the walk starts over so that children already
    // passed see it too. Flags only ever go from current to outdated except
    // for a relative motion whose two motions are current, so this ends.
    int i = 0;
    while (i < projectItem->ChildCount()) {
        TreeItem* child = projectItem->Child(i);
        bool restart = false;
        if (auto* rel = child->NodeAs<TRelHeader>()) {
            // Missing motions (a damaged tree) count as outdated; this pass
            // never creates nodes.
            const int32_t a = rel->IntPar[1];
            TreeItem* itemA = findMotion(projectItem, magnitude(a));
            TreeItem* itemB = findMotion(projectItem, rel->IntPar[2]);
            auto* motionA = itemA ? itemA->NodeAs<TPaintObj>() : nullptr;
            auto* motionB = itemB ? itemB->NodeAs<TPaintObj>() : nullptr;
            if (motionA && motionB && motionA->ResultValid && motionB->ResultValid && !anyChildModified(child)) {
                rel->ResultValid = true;
            } else {
                for (TPaintObj* m : {motionA, motionB, static_cast<TPaintObj*>(rel)})
                    if (m) {
                        restart = restart || m->ResultValid;
                        m->ResultValid = false;
                    }
            }
        } else if (child->NodeAs<TGroupHeader>()) {
            bool modified = false;
            for (int k = 0; k < child->ChildCount(); ++k)
                if (auto* m = child->Child(k)->NodeAs<TGroupMember>())
                    if (TRestr* r = m->restriction(); r && r->Modified)
                        modified = true;
            if (modified) {
                for (int k = 0; k < child->ChildCount(); ++k) {
                    auto* m = child->Child(k)->NodeAs<TGroupMember>();
                    TreeItem* above = m && m->RefTNR ? m->RefTNR->Parent() : nullptr;
                    if (auto* motion = above ? above->NodeAs<TPaintObj>() : nullptr) {
                        restart = restart || motion->ResultValid;
                        motion->ResultValid = false;
                    }
                }
            }
        }
        i = restart ? 0 : i + 1;
    }

    project->AllValid = true;
    for (int k = 0; k < projectItem->ChildCount(); ++k)
        if (auto* motion = projectItem->Child(k)->NodeAs<TPaintObj>(); motion && !motion->ResultValid) {
            project->AllValid = false;
            break;
        }
    if (!project->AllValid)
        project->Unsaved = true;

    ws.hooks().updateMenus(ws.tree.Selected());
}

void SetHighlight(TreeItem* item, bool on)
{
    if (!item)
        return;
    TNLMember* node = item->Node();
    node->Highlight = on;
    if (dynamic_cast<TPaintObj*>(node)) {
        for (int i = 0; i < item->ChildCount(); ++i)
            if (auto* r = item->Child(i)->NodeAs<TRestr>())
                r->Highlight = on;
    } else if (dynamic_cast<TGroupHeader*>(node)) {
        for (int i = 0; i < item->ChildCount(); ++i)
            if (auto* m = item->Child(i)->NodeAs<TGroupMember>())
                if (TRestr* r = m->restriction())
                    r->Highlight = on;
    } else if (auto* member = dynamic_cast<TGroupMember*>(node)) {
        if (TRestr* r = member->restriction())
            r->Highlight = on;
    }
}

// --- commands ------------------------------------------------------------------

TreeItem* NewProjectCommand(Workspace& ws)
{
    auto project = std::make_unique<TProject>();
    project->MakeCaption();
    TreeItem* item = ws.tree.AddTopLevel(std::move(project));
    SortProject(ws.tree);
    ws.tree.SetSelected(item);
    ws.hooks().showInEditor(item);
    ws.hooks().refreshDiagramOptionsList();
    return item;
}

TreeItem* NewAbsRestrictionCommand(Workspace& ws)
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
        if (project->IntPar[3] > 9) {
            ws.dialogs().error("Ein Projekt kann maximal 10 Bewegungsvorgaben enthalten.");
            return nullptr;
        }
        int n = 0;
        motion = EnsureMotion(ws.tree, n, projectItem);
        ws.hooks().refreshDiagramOptionsList();
    }
    return appendAndSelect(ws, motion, newRestriction(motion->Node()->IntPar[2]));
}

TreeItem* NewMotionCommand(Workspace& ws)
{
    TreeItem* project = ProjectOf(ws.tree.Selected());
    if (!project)
        return nullptr;
    ws.tree.SetSelected(project);
    return NewAbsRestrictionCommand(ws);
}

TreeItem* NewSpectrumRestrictionCommand(Workspace& ws)
{
    TreeItem* motion = selectedMotion(ws.tree.Selected());
    if (!motion)
        return nullptr;
    auto r = newRestriction(motion->Node()->IntPar[2]);
    r->Harmonic() = 1;
    r->Kind() = 20;
    r->LowerMode() = 0;
    r->RealPar[5] = 0;
    r->RealPar[6] = 0;
    return appendAndSelect(ws, motion, std::move(r));
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
    auto r = newRestriction(rel->IntPar[1]);
    r->Kind() = 40;
    r->Motion2() = rel->IntPar[2];
    return appendAndSelect(ws, selected, std::move(r));
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
    if (wholeProject)
        ws.hooks().closeReportsOf(projectItem);
    if (project)
        project->Unsaved = true;
    DeleteNode(ws, selected);

    ws.hooks().redrawDirtyDiagrams();
    if (!wholeProject)
        ws.hooks().rebuildReportsOf(projectItem);
    ws.hooks().refreshDiagramOptionsList();

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
    ws.hooks().selectionChangedHandling(next);
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
    ws.hooks().refreshDiagramOptionsList();
    return copy;
}

} // namespace vemra
