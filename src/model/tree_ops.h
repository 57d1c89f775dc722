// Lookups, find-or-create operations and the commands that change the tree:
// they keep motion, relative motion and optimisation-object numbers free of
// gaps and every numbered link consistent.
#pragma once

#include "workspace.h"

namespace vemra {

TreeItem* ProjectOf(TreeItem* item);
TProject* ProjectNodeOf(TreeItem* item);
bool MotionExists(int n, TreeItem* project);
// n == 0 creates the next number and returns it in n. The caller sorts.
TreeItem* EnsureMotion(ProjectTree& tree, int& n, TreeItem* project);
TreeItem* EnsureRelMotion(ProjectTree& tree, int i, int j, TreeItem* project);
// g == 0 creates the next number and returns it in g.
TreeItem* EnsureGroup(ProjectTree& tree, int& g, TreeItem* project);
TreeItem* AddGroupMember(ProjectTree& tree, TreeItem* group, TreeItem* restriction);
// Searches the project's children in order, each followed by its children.
TreeItem* FindByIdent(int id, TreeItem* project);
bool SubtreeValid(TreeItem* item);
bool CanCalc(const Workspace& ws, TreeItem* item);
void SortProject(ProjectTree& tree);
// Removes item with everything below it and everything that refers to it,
// renumbering the followers.
void DeleteNode(Workspace& ws, TreeItem* item);
TreeItem* CopyProject(Workspace& ws, TreeItem* project);
void UpdateResultState(Workspace& ws, TreeItem* item);
void SetHighlight(TreeItem* item, bool on);

// Menu commands. Each selects the item the user works on next and returns it
// (nullptr when nothing happened).
TreeItem* NewProjectCommand(Workspace& ws);
TreeItem* NewMotionCommand(Workspace& ws);
TreeItem* NewAbsRestrictionCommand(Workspace& ws);
TreeItem* NewSpectrumRestrictionCommand(Workspace& ws);
TreeItem* NewRelRestrictionCommand(Workspace& ws);
// Returns true when something was deleted.
bool DeleteCommand(Workspace& ws);

// Drag and drop of projects onto free space of the tree.
bool CanDropProject(const TreeItem* dragged, const TreeItem* target);
TreeItem* DropProject(Workspace& ws, TreeItem* dragged, TreeItem* target);
// Status bar text while dragging.
inline constexpr const char* CopyProjectStatusText = "Projekt kopieren";

} // namespace vemra
