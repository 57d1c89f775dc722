// What the save dialogs for pictures, reports and tables remember between
// uses, per kind of file: the folder and file type last chosen, and the
// folder the dialog was asked to start in at the time (the project's). A
// dialog for the same project goes back to where the last file went; one
// for another project starts in that project's folder; one for a project
// never saved starts where the last file went.
#pragma once

#include "user_dialogs.h"

#include <array>
#include <map>
#include <string>

namespace vemra {

class TreeItem;

// The kinds of file whose save dialogs keep their place.
inline constexpr const char* PicturePlace = "Picture";
inline constexpr const char* ReportPlace = "Report";
inline constexpr const char* TablePlace = "Table";
inline constexpr const char* CoefficientsPlace = "Coefficients";
inline constexpr std::array<const char*, 4> SavePlaceKeys = {PicturePlace, ReportPlace, TablePlace, CoefficientsPlace};

struct SavePlace {
    // initialDirectory of the request the place was chosen for.
    std::string requestedFolder;
    // Folder of the file chosen, with its trailing separator.
    std::string chosenFolder;
    int filterIndex = 0;
    bool operator==(const SavePlace&) const = default;
};

class SaveDialogMemory {
public:
    // The request with the remembered folder and file type of its placeKey
    // filled in; unchanged without a key or without a place for it.
    FileDialogRequest prepared(FileDialogRequest request) const;
    // Notes the file chosen for request (as the caller made it, before
    // prepared) and the index of the file type it was saved as.
    void remember(const FileDialogRequest& request, const std::string& chosenFile, int filterIndex);

    // By placeKey.
    std::map<std::string, SavePlace> places;
};

// The file type a chosen file was saved as: the one whose extension it
// carries, else the one that was selected in the dialog.
int filterIndexFor(const FileDialogRequest& request, const std::string& chosenFile, int selected);

// The folder a save dialog for something of item's project starts in: the
// folder of the project's file, empty for a project never saved.
std::string projectFolderOf(const TreeItem* item);

} // namespace vemra
