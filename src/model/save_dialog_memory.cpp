#include "save_dialog_memory.h"

#include "file_names.h"
#include "tree_ops.h"

#include <algorithm>
#include <cctype>

namespace vemra {

namespace {

// "/a/b/" and "/a/b" are the same folder.
std::string withoutTrailingSeparators(std::string folder)
{
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

bool sameFolder(const std::string& a, const std::string& b)
{
    return withoutTrailingSeparators(a) == withoutTrailingSeparators(b);
}

} // namespace

FileDialogRequest SaveDialogMemory::prepared(FileDialogRequest request) const
{
    const auto it = request.placeKey.empty() ? places.end() : places.find(request.placeKey);
    if (it == places.end())
        return request;
    const SavePlace& place = it->second;
    if (place.filterIndex >= 0 && place.filterIndex < static_cast<int>(request.filters.size()))
        request.filterIndex = place.filterIndex;
    if (request.initialDirectory.empty() || sameFolder(request.initialDirectory, place.requestedFolder)) {
        request.initialDirectory = place.chosenFolder;
        // A proposed name keeps its name but goes where the dialog starts.
        if (!request.proposedName.empty() && !place.chosenFolder.empty())
            request.proposedName = place.chosenFolder + fileNamePart(request.proposedName);
    }
    return request;
}

void SaveDialogMemory::remember(const FileDialogRequest& request, const std::string& chosenFile, int filterIndex)
{
    if (request.placeKey.empty())
        return;
    places[request.placeKey] = SavePlace{request.initialDirectory, folderPart(chosenFile), filterIndex};
}

int filterIndexFor(const FileDialogRequest& request, const std::string& chosenFile, int selected)
{
    const auto lower = [](std::string t) {
        for (char& c : t)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    const std::string extension = lower(extensionPart(chosenFile));
    for (size_t i = 0; !extension.empty() && i < request.filters.size(); ++i)
        if (lower(patternExtension(request.filters[i].second)) == extension)
            return static_cast<int>(i);
    return std::max(0, selected);
}

std::string projectFolderOf(const TreeItem* item)
{
    const TreeItem* projectItem = item ? ProjectOf(const_cast<TreeItem*>(item)) : nullptr;
    const auto* project = projectItem ? projectItem->NodeAs<TProject>() : nullptr;
    return project ? folderPart(project->FileName) : std::string();
}

} // namespace vemra
