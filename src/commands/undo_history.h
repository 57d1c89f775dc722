// "Rückgängig" and "Wiederholen" for every change of a project: new,
// deleted, copied and imported nodes and projects, and every edit. The
// history listens to the workspace's events; each committed change becomes
// a step that holds a snapshot of the project as it was before. Taking a
// step back (or forth) swaps that snapshot with the project as it is now,
// so results computed in between are never lost: they wait on the other
// side. Steps of different projects are independent; the history keeps the
// newest StepsPerProject of each project.
#pragma once

#include "project_snapshot.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vemra {

inline constexpr const char* UndoCaption = "Rückgängig";
inline constexpr const char* RedoCaption = "Wiederholen";
inline constexpr const char* UndoWhileComputingText
    = "Das Projekt wird gerade berechnet: Rückgängig ist erst nach der Berechnung möglich.";
inline constexpr const char* RedoWhileComputingText
    = "Das Projekt wird gerade berechnet: Wiederholen ist erst nach der Berechnung möglich.";

// Where in its project an item stands, in terms that survive a restore:
// the motion by its number(s), the optimisation object by its number, a
// child by its position.
struct ItemPlace {
    enum class Parent { Project, Motion, Relative, Group };
    Parent parent = Parent::Project;
    int32_t first = 0;
    int32_t second = 0;
    // -1: the parent itself.
    int child = -1;

    static ItemPlace of(const TreeItem* item);
    // The item at this place in project, or the nearest that is there.
    TreeItem* find(TreeItem* project) const;
};

class UndoHistory : public ModelObserver {
public:
    static constexpr size_t StepsPerProject = 100;

    enum class Outcome { Done, NothingToDo, ProjectComputing };

    // Subscribes to the workspace's events.
    explicit UndoHistory(Workspace& ws);
    ~UndoHistory() override;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // Called before a project is restored (a quiet computation of it must
    // stop first) and after a step was taken back or forth or recorded.
    std::function<void(TreeItem* project)> beforeRestore;
    std::function<void(TreeItem* project)> projectChanged;
    // The captions may have changed.
    std::function<void()> historyChanged;

    Outcome undo();
    Outcome redo();
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // "Rückgängig: ACTION" / "Wiederholen: ACTION", or the bare word.
    std::string undoText() const;
    std::string redoText() const;
    // Steps that can be taken back for the project of item.
    size_t undoSteps(TreeItem* item) const;

    // ModelObserver
    void changeStarting(TreeItem* project) override;
    void changeCommitted(const ProjectChange& change) override;
    void resultsChanged(TreeItem* project) override;
    void projectAboutToBeRemoved(TreeItem* project) override;
    void currentItemChanged(TreeItem* item) override;
    void motionsChanged() override;

private:
    using ProjectId = int;
    struct Step {
        ProjectId project = 0;
        std::string action;
        // The project as this step brings it back; none: it did not exist.
        std::optional<ProjectSnapshot> image;
        // Its place among the projects, when the step brings it back.
        int index = 0;
        // What is selected once the step is taken.
        ItemPlace focus;
    };
    struct Tracked {
        // None while the project is deleted (a step may bring it back).
        TreeItem* item = nullptr;
        uint64_t serial = 0;
        ProjectSnapshot baseline;
        // Taken when a command announced its start.
        std::optional<ProjectSnapshot> before;
        ItemPlace beforeFocus;
    };

    ProjectId idOf(TreeItem* project) const;
    Tracked* tracked(ProjectId id);
    ProjectId track(TreeItem* project);
    // Starts following every open project not followed yet.
    void trackAll();
    // Forgets projects that left the tree without being closed or deleted.
    void dropVanished();
    void record(Step step);
    void forget(ProjectId id);
    Outcome take(std::deque<Step>& from, std::deque<Step>& to);
    // Brings project id to step's image and returns the step back.
    Step apply(const Step& step);
    ItemPlace selectedPlaceIn(TreeItem* project) const;
    void announce(TreeItem* project);

    Workspace& ws_;
    std::map<ProjectId, Tracked> projects_;
    ProjectId nextId_ = 1;
    std::deque<Step> undo_;
    std::deque<Step> redo_;
    // The history's own restores announce themselves; it does not listen then.
    bool applying_ = false;
};

} // namespace vemra
