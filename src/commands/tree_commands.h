// The commands of "&Bearbeiten" that change the tree: new project, motion
// definition and restrictions, deletion, and copying a project by drag and
// drop. Each selects the item the user works on next and announces what
// changed through the workspace's events.
#pragma once

#include "model/workspace.h"

namespace vemra {

// Each returns the new item (nullptr when nothing happened).
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

// How the edit menu names each command when it offers to take it back.
inline constexpr const char* NewProjectAction = "Neues Projekt";
inline constexpr const char* NewMotionAction = "Neue Bewegungsvorgabe";
inline constexpr const char* NewAbsRestrictionAction = "Neue Restriktion (absolut)";
inline constexpr const char* NewSpectrumRestrictionAction = "Neue Restriktion (Spektrum)";
inline constexpr const char* NewRelRestrictionAction = "Neue Restriktion (relativ)";
inline constexpr const char* DeleteAction = "Löschen";
inline constexpr const char* CopyProjectAction = "Projekt kopieren";

} // namespace vemra
