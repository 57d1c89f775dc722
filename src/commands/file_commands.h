// The commands of "&Datei" that work on projects: open (also from the list
// of recent files), save, save as, close, and the question before the
// program ends. The file dialogs belong to the window; these take the file
// the user chose.
#pragma once

#include "model/workspace.h"

#include <string>

namespace vemra {

// Reads fileName into a new project. On a read error the part that was read
// stays (Unsaved, no FileName, so it cannot overwrite the original by a
// plain save), the user is told "Fehler beim Lesen der Datei\r" + name +
// " in Zeile " + line + "." and nullptr is returned.
TreeItem* readProjectFile(Workspace& ws, const std::string& fileName);

FileDialogRequest openProjectDialogRequest(const Workspace& ws);
FileDialogRequest saveProjectDialogRequest(const Workspace& ws, TreeItem* selected);
TreeItem* OpenProjectCommand(Workspace& ws, const std::string& chosenFile);
TreeItem* OpenRecentCommand(Workspace& ws, const std::string& fileName);
// Both return true when the file was written.
bool SaveProjectCommand(Workspace& ws);
bool SaveProjectAsCommand(Workspace& ws, const std::string& chosenFile);

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

} // namespace vemra
