#include "undo_history.h"

#include "model/tree_ops.h"

#include <algorithm>

namespace vemra {

namespace {

std::string stepText(const char* word, const std::string& action)
{
    return action.empty() ? std::string(word) : std::string(word) + ": " + action;
}

TreeItem* findParent(TreeItem* project, const ItemPlace& place)
{
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* c = project->Child(i);
        switch (place.parent) {
        case ItemPlace::Parent::Motion:
            if (auto* m = c->NodeAs<TRXHeader>(); m && m->Number() == place.first)
                return c;
            break;
        case ItemPlace::Parent::Relative:
            if (auto* r = c->NodeAs<TRelHeader>();
                r && r->FirstMotion() == place.first && r->SecondMotion() == place.second)
                return c;
            break;
        case ItemPlace::Parent::Group:
            if (auto* g = c->NodeAs<TGroupHeader>(); g && g->Number() == place.first)
                return c;
            break;
        case ItemPlace::Parent::Project: return project;
        }
    }
    return place.parent == ItemPlace::Parent::Project ? project : nullptr;
}

} // namespace

ItemPlace ItemPlace::of(const TreeItem* item)
{
    ItemPlace place;
    if (!item || !item->Parent())
        return place;
    const TreeItem* parent = item->Parent();
    if (parent->Parent()) {
        place = of(parent);
        place.child = item->Index();
        return place;
    }
    if (const auto* m = item->NodeAs<TRXHeader>()) {
        place.parent = Parent::Motion;
        place.first = m->Number();
    } else if (const auto* r = item->NodeAs<TRelHeader>()) {
        place.parent = Parent::Relative;
        place.first = r->FirstMotion();
        place.second = r->SecondMotion();
    } else if (const auto* g = item->NodeAs<TGroupHeader>()) {
        place.parent = Parent::Group;
        place.first = g->Number();
    } else {
        place.child = item->Index();
    }
    return place;
}

TreeItem* ItemPlace::find(TreeItem* project) const
{
    if (!project)
        return nullptr;
    TreeItem* parentItem = findParent(project, *this);
    if (!parentItem)
        return project;
    if (child >= 0 && child < parentItem->ChildCount())
        return parentItem->Child(child);
    return parentItem;
}

// --- following the projects ---------------------------------------------------------

UndoHistory::UndoHistory(Workspace& ws) : ws_(ws)
{
    ws_.events().subscribe(this);
    trackAll();
}

UndoHistory::~UndoHistory()
{
    ws_.events().unsubscribe(this);
}

UndoHistory::ProjectId UndoHistory::idOf(TreeItem* project) const
{
    if (!project)
        return 0;
    for (const auto& [id, t] : projects_)
        if (t.item == project && t.serial == project->Serial())
            return id;
    return 0;
}

UndoHistory::Tracked* UndoHistory::tracked(ProjectId id)
{
    const auto it = projects_.find(id);
    return it == projects_.end() ? nullptr : &it->second;
}

UndoHistory::ProjectId UndoHistory::track(TreeItem* project)
{
    if (const ProjectId id = idOf(project))
        return id;
    const ProjectId id = nextId_++;
    Tracked& t = projects_[id];
    t.item = project;
    t.serial = project->Serial();
    t.baseline = takeSnapshot(project);
    return id;
}

void UndoHistory::dropVanished()
{
    std::vector<ProjectId> gone;
    for (const auto& [id, t] : projects_)
        if (t.item && !(ws_.tree.Contains(t.item) && t.item->Serial() == t.serial))
            gone.push_back(id);
    for (ProjectId id : gone)
        forget(id);
}

void UndoHistory::trackAll()
{
    for (int i = 0; i < ws_.tree.TopLevelCount(); ++i)
        if (ws_.tree.TopLevel(i)->NodeAs<TProject>())
            track(ws_.tree.TopLevel(i));
}

void UndoHistory::forget(ProjectId id)
{
    const auto ofProject = [id](const Step& s) { return s.project == id; };
    undo_.erase(std::remove_if(undo_.begin(), undo_.end(), ofProject), undo_.end());
    redo_.erase(std::remove_if(redo_.begin(), redo_.end(), ofProject), redo_.end());
    projects_.erase(id);
    if (historyChanged)
        historyChanged();
}

ItemPlace UndoHistory::selectedPlaceIn(TreeItem* project) const
{
    TreeItem* selected = ws_.tree.Selected();
    return selected && ProjectOf(selected) == project ? ItemPlace::of(selected) : ItemPlace{};
}

void UndoHistory::currentItemChanged(TreeItem*)
{
    if (!applying_)
        trackAll();
}

void UndoHistory::motionsChanged()
{
    if (!applying_)
        trackAll();
}

void UndoHistory::resultsChanged(TreeItem* project)
{
    // Results are no step of their own, but the next step must keep them.
    if (applying_ || !project)
        return;
    if (Tracked* t = tracked(track(project)))
        t->baseline = takeSnapshot(project);
}

void UndoHistory::projectAboutToBeRemoved(TreeItem* project)
{
    // Closing a project ends its history; a deletion has taken its step
    // already and no longer follows the item.
    if (applying_)
        return;
    if (const ProjectId id = idOf(project))
        forget(id);
}

// --- recording ----------------------------------------------------------------------

void UndoHistory::changeStarting(TreeItem* project)
{
    if (applying_ || !ProjectOf(project))
        return;
    project = ProjectOf(project);
    Tracked& t = *tracked(track(project));
    t.before = takeSnapshot(project);
    t.beforeFocus = selectedPlaceIn(project);
}

void UndoHistory::changeCommitted(const ProjectChange& change)
{
    TreeItem* project = ProjectOf(change.project);
    if (applying_ || !project)
        return;
    dropVanished();
    const ProjectId id = track(project);
    Tracked& t = *tracked(id);
    Step step;
    step.project = id;
    step.action = change.action;
    step.index = project->Index();
    step.focus = t.before ? t.beforeFocus : selectedPlaceIn(project);

    bool recorded = true;
    switch (change.kind) {
    case ProjectChange::Kind::Created: t.baseline = takeSnapshot(project); break;
    case ProjectChange::Kind::Removed:
        step.image = t.before ? *t.before : takeSnapshot(project);
        t.item = nullptr;
        break;
    case ProjectChange::Kind::Edited: {
        ProjectSnapshot now = takeSnapshot(project);
        const ProjectSnapshot& before = t.before ? *t.before : t.baseline;
        // A value typed again, a page filled: nothing to take back.
        recorded = !before.sameContent(now);
        if (recorded)
            step.image = before;
        t.baseline = std::move(now);
        break;
    }
    }
    // A command's own start belongs to this change only.
    for (auto& [other, tracking] : projects_)
        tracking.before.reset();
    if (!recorded)
        return;
    record(std::move(step));
    if (change.kind != ProjectChange::Kind::Removed && projectChanged)
        projectChanged(project);
}

void UndoHistory::record(Step step)
{
    const ProjectId id = step.project;
    undo_.push_back(std::move(step));
    redo_.clear();
    const auto ofProject = [id](const Step& s) { return s.project == id; };
    if (static_cast<size_t>(std::count_if(undo_.begin(), undo_.end(), ofProject)) > StepsPerProject)
        undo_.erase(std::find_if(undo_.begin(), undo_.end(), ofProject));
    if (historyChanged)
        historyChanged();
}

// --- taking steps ---------------------------------------------------------------------

UndoHistory::Outcome UndoHistory::undo()
{
    return take(undo_, redo_);
}

UndoHistory::Outcome UndoHistory::redo()
{
    return take(redo_, undo_);
}

UndoHistory::Outcome UndoHistory::take(std::deque<Step>& from, std::deque<Step>& to)
{
    dropVanished();
    if (from.empty())
        return Outcome::NothingToDo;
    Tracked* t = tracked(from.back().project);
    if (t && t->item && t->item->NodeAs<TProject>()->Computing)
        return Outcome::ProjectComputing;
    const Step step = from.back();
    from.pop_back();
    if (!t) {
        // The project was closed since; its steps went with it.
        if (historyChanged)
            historyChanged();
        return Outcome::NothingToDo;
    }
    to.push_back(apply(step));
    if (historyChanged)
        historyChanged();
    if (projectChanged && tracked(step.project)->item)
        projectChanged(tracked(step.project)->item);
    return Outcome::Done;
}

UndoHistory::Step UndoHistory::apply(const Step& step)
{
    Tracked& t = *tracked(step.project);
    TreeItem* item = t.item;
    Step back = step;
    back.image.reset();
    if (item) {
        back.image = takeSnapshot(item);
        back.index = item->Index();
        back.focus = selectedPlaceIn(item);
    }

    applying_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{applying_};

    TreeItem* select = nullptr;
    if (step.image) {
        if (item) {
            if (beforeRestore)
                beforeRestore(item);
            restoreSnapshot(ws_, item, *step.image);
        } else {
            item = recreateFromSnapshot(ws_, *step.image, step.index);
            t.item = item;
            t.serial = item->Serial();
        }
        announce(item);
        select = step.focus.find(item);
    } else if (item) {
        if (beforeRestore)
            beforeRestore(item);
        const int index = item->Index();
        removeProject(ws_, item);
        t.item = nullptr;
        item = nullptr;
        const int count = ws_.tree.TopLevelCount();
        select = count == 0 ? nullptr : ws_.tree.TopLevel(std::clamp(index - 1, 0, count - 1));
    }
    if (item)
        t.baseline = takeSnapshot(item);
    t.before.reset();
    ws_.tree.SetSelected(select);
    ws_.events().selectionChanged(select);
    return back;
}

void UndoHistory::announce(TreeItem* project)
{
    ws_.events().motionsChanged();
    ws_.events().projectContentChanged(project);
    ws_.events().resultsChanged(project);
    ws_.events().projectStateChanged(project);
    ws_.events().changeFinished();
}

// --- captions ------------------------------------------------------------------------

std::string UndoHistory::undoText() const
{
    return undo_.empty() ? std::string(UndoCaption) : stepText(UndoCaption, undo_.back().action);
}

std::string UndoHistory::redoText() const
{
    return redo_.empty() ? std::string(RedoCaption) : stepText(RedoCaption, redo_.back().action);
}

size_t UndoHistory::undoSteps(TreeItem* item) const
{
    const ProjectId id = idOf(ProjectOf(item));
    return static_cast<size_t>(std::count_if(undo_.begin(), undo_.end(), [id](const Step& s) { return s.project == id; }));
}

} // namespace vemra
