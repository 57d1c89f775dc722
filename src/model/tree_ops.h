// Lookups, find-or-create operations and the operations that change the
// tree of a project: they keep motion, relative motion and
// optimisation-object numbers free of gaps and every numbered link
// consistent. The user's commands built on them live in the commands layer.
#pragma once

#include "workspace.h"

#include <vector>

namespace vemra {

// |v| of a motion number that may carry the check-only mark, without the
// overflow of -INT32_MIN that a damaged file can carry.
int32_t magnitude(int32_t v);

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

// The motion definitions whose diagrams show item: all of a project's, a
// motion itself, the motion above a restriction, and for an optimisation
// object (or one member) the motions above its restrictions.
std::vector<const TPaintObj*> affectedMotions(const TreeItem* item);

} // namespace vemra
