// Projects on disk (".r4p") and the file commands of the main window. The
// commands take the file the user chose; the dialogs belong to the window.
#pragma once

#include "record_io.h"
#include "workspace.h"

#include <optional>
#include <string>

namespace vemra {

// Writes the whole project of item; clears Unsaved.
void WriteProject(RecordWriter& out, TreeItem* item);
// Builds a new project at the end of the top level. On a ReadError the
// partly read project stays in the tree and the error propagates; callers
// use readProjectFile, which detaches such a project from its file.
TreeItem* ReadProject(Workspace& ws, RecordReader& in, const std::string& fileName);

// Reads fileName into a new project. Never throws: on a read error the part
// that was read stays (Unsaved, no FileName, so it cannot overwrite the
// original by a plain save), the user is told "Fehler beim Lesen der Datei\r"
// + name + " in Zeile " + line + "." and nullptr is returned.
TreeItem* readProjectFile(Workspace& ws, const std::string& fileName);

// Writes atomically: a temporary file beside the target, then a rename. On
// failure the previous file is intact and the error text is returned.
std::optional<std::string> writeProjectFile(TreeItem* project, const std::string& fileName);

// File commands.
FileDialogRequest openProjectDialogRequest(const Workspace& ws);
FileDialogRequest saveProjectDialogRequest(const Workspace& ws, TreeItem* selected);
TreeItem* OpenProjectCommand(Workspace& ws, const std::string& chosenFile);
TreeItem* OpenRecentCommand(Workspace& ws, const std::string& fileName);
// Returns true when the file was written.
bool SaveProjectCommand(Workspace& ws);
bool SaveProjectAsCommand(Workspace& ws, const std::string& chosenFile);

// Helpers on Windows-style or POSIX paths: everything after the last "\",
// "/" or ":"; the folder part including that separator; the extension from
// the last ".".
std::string fileNamePart(const std::string& path);
std::string folderPart(const std::string& path);
std::string extensionPart(const std::string& path);

} // namespace vemra
