#include "project_snapshot.h"

#include "formats/project_file.h"
#include "model/tree_ops.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace vemra {

namespace {

std::vector<TreeItem*> motionsByNumber(TreeItem* project)
{
    std::vector<TreeItem*> motions;
    for (int i = 0; i < project->ChildCount(); ++i)
        if (project->Child(i)->NodeAs<TRXHeader>())
            motions.push_back(project->Child(i));
    std::stable_sort(motions.begin(), motions.end(), [](TreeItem* a, TreeItem* b) {
        return a->NodeAs<TRXHeader>()->Number() < b->NodeAs<TRXHeader>()->Number();
    });
    return motions;
}

// The nodes in the order the project file lists their records, so that the
// flags taken from one project land on the same nodes of its restored copy.
void forEachRecordNode(TreeItem* project, const std::function<void(TNLMember&)>& f)
{
    const auto restrictionsOf = [&](TreeItem* parent) {
        for (int k = 0; k < parent->ChildCount(); ++k)
            if (auto* r = parent->Child(k)->NodeAs<TRestr>())
                f(*r);
    };
    f(*project->Node());
    for (TreeItem* motion : motionsByNumber(project)) {
        f(*motion->Node());
        restrictionsOf(motion);
    }
    for (int i = 0; i < project->ChildCount(); ++i)
        if (project->Child(i)->NodeAs<TRelHeader>())
            restrictionsOf(project->Child(i));
}

std::pair<int32_t, int32_t> motionPair(const TRelHeader& rel)
{
    return {rel.FirstMotion(), rel.SecondMotion()};
}

// What names a motion definition within its project: an absolute one by
// its number (second 0), a relative one by its two.
std::optional<std::pair<int32_t, int32_t>> motionKey(const TreeItem* item)
{
    if (const auto* abs = item->NodeAs<TRXHeader>())
        return std::pair<int32_t, int32_t>{abs->Number(), 0};
    if (const auto* rel = item->NodeAs<TRelHeader>())
        return motionPair(*rel);
    return std::nullopt;
}

// The live item that stood for the restored motion when the snapshot was
// taken, if it is still a motion definition of the project.
TreeItem* keptMotionItem(TreeItem* project, const TreeItem* restored, const ProjectSnapshot& snapshot)
{
    const auto key = motionKey(restored);
    if (!key)
        return nullptr;
    for (const auto& [k, serial] : snapshot.motionItems) {
        if (k != *key)
            continue;
        for (int i = 0; i < project->ChildCount(); ++i) {
            TreeItem* c = project->Child(i);
            const bool sameClass = (c->NodeAs<TRXHeader>() != nullptr) == (restored->NodeAs<TRXHeader>() != nullptr);
            if (c->Serial() == serial && sameClass && motionKey(c))
                return c;
        }
    }
    return nullptr;
}

// What the file does not hold, laid onto a project just read from the
// snapshot's bytes.
void applyOpenState(TreeItem* project, const ProjectSnapshot& snapshot)
{
    size_t k = 0;
    forEachRecordNode(project, [&](TNLMember& node) {
        if (k < snapshot.nodeFlags.size()) {
            node.Modified = snapshot.nodeFlags[k].first;
            node.Valid = snapshot.nodeFlags[k].second;
        }
        ++k;
    });
    for (int i = 0; i < project->ChildCount(); ++i)
        if (auto* rel = project->Child(i)->NodeAs<TRelHeader>())
            for (const auto& [pair, display] : snapshot.relativeDisplays)
                if (pair == motionPair(*rel))
                    rel->setDisplayRecord(display);
    project->NodeAs<TProject>()->Unsaved = true;
}

TreeItem* readSnapshot(ProjectTree& scratch, const ProjectSnapshot& snapshot)
{
    TreeItem* project = ProjectFileReader().read(scratch, snapshot.bytes, snapshot.fileName);
    SortProject(scratch);
    return project;
}

class LockedWorkspace {
public:
    explicit LockedWorkspace(Workspace& ws) : ws_(ws) { ws_.Locked = true; }
    ~LockedWorkspace() { ws_.Locked = false; }
    LockedWorkspace(const LockedWorkspace&) = delete;
    LockedWorkspace& operator=(const LockedWorkspace&) = delete;

private:
    Workspace& ws_;
};

// The editor and the highlight hold nodes that are about to be replaced.
void clearSelection(Workspace& ws)
{
    ws.tree.SetSelected(nullptr);
    ws.events().selectionChanged(nullptr);
}

std::vector<TreeItem*> childrenOf(TreeItem* item)
{
    std::vector<TreeItem*> children;
    for (int i = 0; i < item->ChildCount(); ++i)
        children.push_back(item->Child(i));
    return children;
}

} // namespace

ProjectSnapshot takeSnapshot(TreeItem* item)
{
    ProjectSnapshot s;
    TreeItem* projectItem = ProjectOf(item);
    auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    if (!project)
        return s;
    s.fileName = project->FileName;
    forEachRecordNode(projectItem, [&](TNLMember& node) { s.nodeFlags.emplace_back(node.Modified, node.Valid); });
    for (int i = 0; i < projectItem->ChildCount(); ++i) {
        TreeItem* child = projectItem->Child(i);
        if (auto* rel = child->NodeAs<TRelHeader>())
            s.relativeDisplays.emplace_back(motionPair(*rel), rel->displayRecord());
        if (const auto key = motionKey(child))
            s.motionItems.emplace_back(*key, child->Serial());
    }

    // Writing stores counts and flags in the nodes and clears Modified and
    // Unsaved; the open project must not notice it was looked at.
    struct Kept {
        TNLMember* node;
        std::array<int32_t, 10> ints;
        std::array<double, 13> reals;
        bool modified;
    };
    std::vector<Kept> kept;
    std::function<void(TreeItem*)> keep = [&](TreeItem* i) {
        kept.push_back({i->Node(), i->Node()->IntPar, i->Node()->RealPar, i->Node()->Modified});
        for (int k = 0; k < i->ChildCount(); ++k)
            keep(i->Child(k));
    };
    keep(projectItem);
    const bool unsaved = project->Unsaved;

    RecordWriter out;
    WriteProject(out, projectItem);
    s.bytes = out.bytes();

    for (const Kept& k : kept) {
        k.node->IntPar = k.ints;
        k.node->RealPar = k.reals;
        k.node->Modified = k.modified;
    }
    project->Unsaved = unsaved;
    return s;
}

void restoreSnapshot(Workspace& ws, TreeItem* projectItem, const ProjectSnapshot& snapshot)
{
    // Read first: should the bytes not read, the open project is untouched.
    ProjectTree scratch;
    TreeItem* restored = readSnapshot(scratch, snapshot);

    LockedWorkspace locked(ws);
    clearSelection(ws);

    // Which restored motion goes into which item that is there now.
    std::vector<std::pair<TreeItem*, TreeItem*>> kept;
    for (TreeItem* child : childrenOf(restored))
        if (TreeItem* live = keptMotionItem(projectItem, child, snapshot))
            kept.emplace_back(child, live);
    const auto keptFor = [&](const TreeItem* item, bool live) -> TreeItem* {
        for (const auto& [restoredItem, liveItem] : kept)
            if ((live ? liveItem : restoredItem) == item)
                return live ? restoredItem : liveItem;
        return nullptr;
    };

    // What the restored project does not have goes, optimisation objects
    // first (their members refer to restrictions). Motions that it has too
    // stay as items and only lose their restrictions.
    for (TreeItem* child : childrenOf(projectItem))
        if (child->NodeAs<TGroupHeader>())
            ws.tree.Delete(child);
    const std::vector<TreeItem*> children = childrenOf(projectItem);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TreeItem* child = *it;
        if (keptFor(child, true)) {
            while (child->ChildCount() > 0)
                ws.tree.Delete(child->LastChild());
            continue;
        }
        if (auto* motion = child->NodeAs<TPaintObj>())
            ws.events().motionAboutToBeRemoved(motion);
        ws.tree.Delete(child);
    }

    // The running state and the file name belong to the open project, not
    // to the state it goes back to.
    const auto* before = projectItem->NodeAs<TProject>();
    const bool computing = before->Computing;
    const bool testRun = before->TestRun;
    const std::string fileName = before->FileName;
    ws.tree.SwapNode(projectItem, scratch, restored);
    auto* project = projectItem->NodeAs<TProject>();
    project->Computing = computing;
    project->TestRun = testRun;
    project->FileName = fileName;
    project->MakeCaption();
    ws.tree.SetText(projectItem, project->Caption);

    for (TreeItem* child : childrenOf(restored)) {
        TreeItem* live = keptFor(child, false);
        if (!live) {
            ws.tree.Adopt(projectItem, scratch, child);
            continue;
        }
        ws.tree.SwapNode(live, scratch, child);
        for (TreeItem* grandChild : childrenOf(child))
            ws.tree.Adopt(live, scratch, grandChild);
    }
    SortProject(ws.tree);
    applyOpenState(projectItem, snapshot);
}

TreeItem* recreateFromSnapshot(Workspace& ws, const ProjectSnapshot& snapshot, int index)
{
    ProjectTree scratch;
    TreeItem* restored = readSnapshot(scratch, snapshot);
    TreeItem* projectItem = ws.tree.Adopt(nullptr, scratch, restored);
    ws.tree.MoveTopLevel(projectItem, index);
    SortProject(ws.tree);
    applyOpenState(projectItem, snapshot);
    return projectItem;
}

void removeProject(Workspace& ws, TreeItem* projectItem)
{
    LockedWorkspace locked(ws);
    ws.events().projectAboutToBeRemoved(projectItem);
    DeleteNode(ws, projectItem);
    ws.events().changeFinished();
    ws.events().motionsChanged();
}

} // namespace vemra
