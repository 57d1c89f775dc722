// The main window's own commands that work on the project model only:
// closing a project and the question before the program ends.
#pragma once

#include <string>
#include <vector>

namespace vemra {

class Workspace;
class TreeItem;
class TPaintObj;

// The question shown before a modified project is closed.
std::string closeProjectQuestion(const std::string& itemText);
inline constexpr const char* StopRunningComputationQuestion = "Laufende Berechnung abbrechen?";
inline constexpr const char* QuitWithUnsavedQuestion
    = "Es wurden nicht alle Änderungen gesichert.\rWollen Sie das Programm trotzdem beenden?";

// Closes the project of the selected item, asking first when it has unsaved
// changes (Yes saves, No discards, Abort keeps it open). Returns true when
// the project was closed.
bool CloseProjectCommand(Workspace& ws);

// Asks about a running computation and unsaved projects; true when the
// program may end. Answering Yes to the first question stops the computation.
bool CloseQuery(Workspace& ws);

bool anyProjectUnsaved(const Workspace& ws);

// The motion definitions whose diagrams show item: all of a project's,
// a motion itself, the motion above a restriction, and for an optimisation
// object (or one member) the motions above its restrictions.
std::vector<const TPaintObj*> affectedMotions(const TreeItem* item);

} // namespace vemra
