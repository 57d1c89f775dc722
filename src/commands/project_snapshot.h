// A project as it stands, kept so that it can be brought back: the bytes the
// project file writer gives for it, plus what a file does not hold but the
// open project does (which nodes are modified or invalid, the file name, how
// the relative motions are drawn). Bringing it back goes through the
// project file reader, so a restored project is exactly what opening the
// same bytes gives, with that state on top.
#pragma once

#include "model/display_record.h"
#include "model/workspace.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vemra {

struct ProjectSnapshot {
    std::string bytes;
    std::string fileName;
    // Modified and Valid of the nodes in the order the file lists them
    // (project, each motion with its restrictions, the restrictions of the
    // relative motions).
    std::vector<std::pair<bool, bool>> nodeFlags;
    // Drawing of the relative motions (not stored in the file), by their
    // two motion numbers.
    std::vector<std::pair<std::pair<int32_t, int32_t>, DisplayRecord>> relativeDisplays;
    // The items of the motions (TreeItem::Serial) by their number(s): a
    // motion that is still there after a renumbering is found again.
    std::vector<std::pair<std::pair<int32_t, int32_t>, uint64_t>> motionItems;

    // The same project content (the file name does not count: saving under
    // another name is no change of the project).
    bool sameContent(const ProjectSnapshot& other) const
    {
        return bytes == other.bytes && nodeFlags == other.nodeFlags && relativeDisplays == other.relativeDisplays;
    }
};

// Takes the snapshot without changing anything of the project (writing a
// file clears flags and stores counts; all of it is put back).
ProjectSnapshot takeSnapshot(TreeItem* project);

// Makes projectItem what snapshot holds. The project's item and the items of
// motions that exist before and after keep their identity (diagram windows
// and reports keep showing them); everything else is replaced. The project
// is re-sorted and marked unsaved; the caller announces the change. While
// the tree is rebuilt the workspace is locked and the selection is cleared.
void restoreSnapshot(Workspace& ws, TreeItem* projectItem, const ProjectSnapshot& snapshot);

// Opens the snapshot as a new project at position index of the top level.
TreeItem* recreateFromSnapshot(Workspace& ws, const ProjectSnapshot& snapshot, int index);

// Removes the project without asking, as closing it would after saving.
void removeProject(Workspace& ws, TreeItem* projectItem);

} // namespace vemra
