// What changed in the model, announced to whoever shows it. The model and the
// commands say what happened to projects, motions and the selection; they
// never name a window. The desktop subscribes and passes each change on to
// its diagrams, reports, editor and menus.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace vemra {

class TreeItem;
class TPaintObj;

// A change of a project that the user made and that is now complete: an
// edit in the editor, a new or deleted node, a copied or imported project.
// Whatever can take changes back or computes them again listens to it.
struct ProjectChange {
    enum class Kind {
        // The project was changed and is still there.
        Edited,
        // The project is new (new, copied, imported).
        Created,
        // The project is about to be deleted as a whole; it is still in the
        // tree while this is announced.
        Removed,
    };
    TreeItem* project = nullptr;
    // What the user did, as the edit menu names it ("Löschen", ...).
    std::string action;
    Kind kind = Kind::Edited;
};

// Every event does nothing by default, so a subscriber takes only what it
// shows. Events arrive in the order in which the program needs them: a
// motion's removal before its node is gone, the end of a change last.
class ModelObserver {
public:
    virtual ~ModelObserver() = default;

    // The item the user works on next was created or opened, or its state
    // changed (a computation started): whatever shows the current item shows
    // it afresh.
    virtual void currentItemChanged(TreeItem* /*item*/) {}
    // A command moved the selection (after a deletion or a close), as if the
    // user had selected item (which may be null).
    virtual void selectionChanged(TreeItem* /*item*/) {}
    // Motion definitions came or went: new motions, deletions, projects
    // opened, copied or closed.
    virtual void motionsChanged() {}
    // The motion definition is about to be destroyed.
    virtual void motionAboutToBeRemoved(TPaintObj* /*motion*/) {}
    // The project is about to be deleted or closed as a whole.
    virtual void projectAboutToBeRemoved(TreeItem* /*project*/) {}
    // Nodes of the project were removed; what shows the whole project is
    // rebuilt.
    virtual void projectContentChanged(TreeItem* /*project*/) {}
    // The project's results were replaced or lost (a computation ended).
    virtual void resultsChanged(TreeItem* /*project*/) {}
    // What can be done with the project changed: result state, unsaved
    // changes, its file name.
    virtual void projectStateChanged(TreeItem* /*project*/) {}
    // The project was saved under a new name.
    virtual void projectSavedAs(TreeItem* /*project*/, const std::string& /*fileName*/) {}
    // A change that took several steps is complete: whatever was marked
    // out of date on the way is brought up to date now.
    virtual void changeFinished() {}
    // A command is about to change the project (nothing has changed yet).
    virtual void changeStarting(TreeItem* /*project*/) {}
    // A change of the user's is complete (see ProjectChange).
    virtual void changeCommitted(const ProjectChange& /*change*/) {}
};

// The notifier: passes every event to its subscribers in the order they
// subscribed. Subscribers unsubscribe before they go.
class ModelEvents {
public:
    void subscribe(ModelObserver* observer)
    {
        if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
            observers_.push_back(observer);
    }
    void unsubscribe(ModelObserver* observer)
    {
        observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
    }

    void currentItemChanged(TreeItem* item) { notifyAll(&ModelObserver::currentItemChanged, item); }
    void selectionChanged(TreeItem* item) { notifyAll(&ModelObserver::selectionChanged, item); }
    void motionsChanged() { notifyAll(&ModelObserver::motionsChanged); }
    void motionAboutToBeRemoved(TPaintObj* motion) { notifyAll(&ModelObserver::motionAboutToBeRemoved, motion); }
    void projectAboutToBeRemoved(TreeItem* project) { notifyAll(&ModelObserver::projectAboutToBeRemoved, project); }
    void projectContentChanged(TreeItem* project) { notifyAll(&ModelObserver::projectContentChanged, project); }
    void resultsChanged(TreeItem* project) { notifyAll(&ModelObserver::resultsChanged, project); }
    void projectStateChanged(TreeItem* project) { notifyAll(&ModelObserver::projectStateChanged, project); }
    void projectSavedAs(TreeItem* project, const std::string& fileName)
    {
        notifyAll(&ModelObserver::projectSavedAs, project, fileName);
    }
    void changeFinished() { notifyAll(&ModelObserver::changeFinished); }
    void changeStarting(TreeItem* project)
    {
        if (grouped_ == 0)
            notifyAll(&ModelObserver::changeStarting, project);
    }
    void changeCommitted(const ProjectChange& change)
    {
        if (grouped_ == 0)
            notifyAll(&ModelObserver::changeCommitted, change);
    }
    // A command built of other commands is one change for the user: while
    // a group is open, the inner commands' starts and commits are not
    // announced (the outer command announces its own around the group).
    void beginGroup() { ++grouped_; }
    void endGroup() { --grouped_; }

private:
    template <class... Params, class... Args> void notifyAll(void (ModelObserver::*event)(Params...), Args&&... args)
    {
        // A copy: a subscriber may unsubscribe while it is told.
        const std::vector<ModelObserver*> observers = observers_;
        for (ModelObserver* o : observers)
            (o->*event)(args...);
    }

    std::vector<ModelObserver*> observers_;
    int grouped_ = 0;
};

class ChangeGroup {
public:
    explicit ChangeGroup(ModelEvents& events) : events_(events) { events_.beginGroup(); }
    ~ChangeGroup() { events_.endGroup(); }
    ChangeGroup(const ChangeGroup&) = delete;
    ChangeGroup& operator=(const ChangeGroup&) = delete;

private:
    ModelEvents& events_;
};

} // namespace vemra
