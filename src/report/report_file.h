// Saving a report ("Sichern unter..."): the save dialog's settings, the
// question about a foreign extension, and the atomic write of the lines.
#pragma once

#include "model/user_dialogs.h"

#include <string>
#include <vector>

namespace vemra {

class TreeItem;

inline constexpr const char* ReportExtensionQuestion
    = "Der Report wird unabhängig vom gewählten Dateiname\rim Rich Text Format gespeichert. Fortfahren?";

// Titled "Report sichern", proposing the project's file name without its
// extension (folder kept).
FileDialogRequest reportSaveRequest(const TreeItem* project);

// Writes lines to chosenFile. A name with an extension other than ".rtf"
// is confirmed first; a failed write is reported and leaves the previous
// file. True when the file was written.
bool SaveReportCommand(UserDialogs& dialogs, const std::vector<std::string>& lines, const std::string& chosenFile);

} // namespace vemra
