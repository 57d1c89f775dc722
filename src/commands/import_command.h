// "&Import...": input files of older programs become nodes of the tree. An
// ".rx4" file becomes a project of its own; an ".rxe" or ".rxw" file one
// motion definition in a new or the selected project. The file dialog
// belongs to the window; the command takes the file the user chose.
#pragma once

#include "model/workspace.h"

#include <string>
#include <utility>
#include <vector>

namespace vemra {

// What the main window keeps of the last successful import.
struct ImportSettings {
    // Folder of the last imported file, with its trailing separator.
    std::string LastImportPath;
    // 1 ".rx4", 2 ".rxe", 3 ".rxw": the filter the dialog starts with.
    int LastFType = 1;
};

inline constexpr const char* ImportDialogTitle = "Import";
// How the edit menu names an import when it offers to take it back.
inline constexpr const char* ImportAction = "Import";
// Caption and pattern of each filter, in the order of the type numbers.
const std::vector<std::pair<std::string, std::string>>& importFilters();
// The type number of a file name's extension (also in upper case), 0 for
// any other.
int importFileType(const std::string& fileName);

// Reads fileName and places what it holds. On success the project is
// captioned, sorted, selected and shown, settings remember the file's
// folder and type, and the project's item is returned. Otherwise the user
// was told why and nothing changed: a damaged file leaves no project behind
// and no open project touched. detail (if given) receives the reader's own
// explanation of a damaged file, which the message box does not show.
TreeItem* ImportCommand(Workspace& ws, ImportSettings& settings, const std::string& fileName,
                        std::string* detail = nullptr);
// The same for bytes already read from fileName.
TreeItem* importFileContent(Workspace& ws, ImportSettings& settings, const std::string& fileName, std::string bytes,
                            std::string* detail = nullptr);

} // namespace vemra
