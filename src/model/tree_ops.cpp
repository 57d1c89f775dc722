#include "tree_ops.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>
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

void renumberMotion(ProjectTree& tree, TreeItem* item, int number)
{
    item->NodeAs<TRXHeader>()->Number() = number;
    refreshCaption(tree, item);
    for (int i = 0; i < item->ChildCount(); ++i)
        if (auto* r = item->Child(i)->NodeAs<TRestr>())
            r->Motion() = keepSign(r->Motion(), number);
}

void renumberGroup(ProjectTree& tree, TreeItem* item, int number)
{
    item->NodeAs<TGroupHeader>()->Number() = number;
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

// The children of project of class T whose Number() lies in (after, last],
// except skip. Only existing items are visited, so a damaged
// counter costs nothing and no missing number is invented.
template <class T>
std::vector<TreeItem*> followers(TreeItem* project, const TreeItem* skip, int after, int last)
{
    std::vector<TreeItem*> items;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        const T* node = child->NodeAs<T>();
        if (child != skip && node && node->Number() > after && node->Number() <= last)
            items.push_back(child);
    }
    return items;
}

void deleteMotionReferences(Workspace& ws, TreeItem* projectItem, TProject* project, TreeItem* motion, int n)
{
    ProjectTree& tree = ws.tree;
    for (TreeItem* follower : followers<TRXHeader>(projectItem, motion, n, project->MotionCount()))
        renumberMotion(tree, follower, follower->NodeAs<TRXHeader>()->Number() - 1);
    if (project->MotionCount() > 0)
        project->MotionCount() -= 1;

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
        const int32_t a = header->FirstMotion();
        const int32_t b = header->SecondMotion();
        const int32_t absA = magnitude(a);
        if (absA == n || b == n) {
            DeleteNode(ws, rel);
            continue;
        }
        if (absA <= n && b <= n)
            continue;
        if (absA > n)
            header->FirstMotion() = keepSign(a, absA - 1);
        if (b > n)
            header->SecondMotion() = b - 1;
        refreshCaption(tree, rel);
        for (int i = 0; i < rel->ChildCount(); ++i) {
            auto* r = rel->Child(i)->NodeAs<TRestr>();
            if (!r)
                continue;
            if (absA > n)
                r->Motion() = header->FirstMotion();
            if (b > n)
                r->Motion2() = header->SecondMotion();
        }
    }
    refreshMemberCaptions(tree, projectItem);
}

} // namespace

// --- lookups -------------------------------------------------------------------

int32_t magnitude(int32_t v)
{
    if (v == std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::max();
    return v < 0 ? -v : v;
}

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
    if (number > 0 && number <= p->MotionCount())
        if (TreeItem* found = findMotion(project, number))
            return found;

    // A damaged counter at its limit has no next number to give.
    if (number == 0 && p->MotionCount() == std::numeric_limits<int32_t>::max())
        return nullptr;
    if (number == 0)
        n = number = ++p->MotionCount();
    else if (number > p->MotionCount())
        p->MotionCount() = number;

    auto motion = std::make_unique<TRXHeader>();
    motion->Number() = number;
    motion->MakeCaption();
    TreeItem* item = tree.AddChild(project, std::move(motion));

    // Pairs of the motions that exist, in ascending order; walking the numbers
    // instead would take ages on a damaged file's counter.
    std::vector<int> numbers;
    for (int i = 0; i < project->ChildCount(); ++i)
        if (auto* rx = project->Child(i)->NodeAs<TRXHeader>(); rx && rx->Number() >= 1 && rx->Number() <= p->MotionCount())
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
        if (auto* rel = child->NodeAs<TRelHeader>(); rel && rel->FirstMotion() == i && rel->SecondMotion() == j)
            return child;
    }
    auto rel = std::make_unique<TRelHeader>();
    rel->FirstMotion() = i;
    rel->SecondMotion() = j;
    rel->MakeCaption();
    return tree.AddChild(project, std::move(rel));
}

TreeItem* EnsureGroup(ProjectTree& tree, int& g, TreeItem* project)
{
    auto* p = project ? project->NodeAs<TProject>() : nullptr;
    if (!p)
        return nullptr;
    if (g > 0 && g <= p->GroupCount())
        if (TreeItem* found = findGroup(project, g))
            return found;

    if (g == 0 && p->GroupCount() == std::numeric_limits<int32_t>::max())
        return nullptr;
    if (g == 0)
        g = ++p->GroupCount();
    else if (g > p->GroupCount())
        p->GroupCount() = g;

    auto group = std::make_unique<TGroupHeader>();
    group->Number() = g;
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
        if (child->Node()->Ident() == id)
            return child;
        for (int k = 0; k < child->ChildCount(); ++k)
            if (child->Child(k)->Node()->Ident() == id)
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
    // Restrictions of two relative motions can give members of one object equal keys. Those
    // follow their restrictions' places in the sorted project: a file lists the restrictions
    // in any order, the members come in that order, and only this makes the tree a file reads
    // as the same after it is saved and read again. So objects are sorted after everything
    // else of their project.
    const auto restrictionPlace = [](const TreeItem* member) {
        const auto* m = member->NodeAs<TGroupMember>();
        const TreeItem* r = m ? m->RefTNR : nullptr;
        return r && r->Parent() ? std::pair(r->Parent()->Index(), r->Index()) : std::pair(-1, -1);
    };
    const auto byKeyThenPlace = [&](const TreeItem* a, const TreeItem* b) {
        if (a->Node()->SortKey != b->Node()->SortKey)
            return a->Node()->SortKey < b->Node()->SortKey;
        return restrictionPlace(a) < restrictionPlace(b);
    };
    const std::function<void(TreeItem*)> sortBelow = [&](TreeItem* item) {
        if (item->ChildCount() == 0)
            return;
        tree.SortChildren(item, byKey);
        for (int i = 0; i < item->ChildCount(); ++i)
            if (!item->Child(i)->NodeAs<TGroupHeader>())
                sortBelow(item->Child(i));
        for (int i = 0; i < item->ChildCount(); ++i)
            if (item->Child(i)->NodeAs<TGroupHeader>())
                tree.SortChildren(item->Child(i), byKeyThenPlace);
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
    // The explanation of the last result may name what goes now.
    if (project && !projectGoing)
        outdateOutcome(*project);

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
                 followers<TGroupHeader>(projectItem, item, group->Number(), project->GroupCount()))
                renumberGroup(tree, follower, follower->NodeAs<TGroupHeader>()->Number() - 1);
            if (project->GroupCount() > 0)
                project->GroupCount() -= 1;
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
        ws.events().motionAboutToBeRemoved(paint);

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
            const int32_t a = rel->FirstMotion();
            TreeItem* itemA = findMotion(projectItem, magnitude(a));
            TreeItem* itemB = findMotion(projectItem, rel->SecondMotion());
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
    // What the module said about the result is as current as the result.
    followResultState(*project, project->AllValid);

    ws.events().projectStateChanged(projectItem);
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

// --- what diagrams show -------------------------------------------------------

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
