#include "project_loading.h"

#include "commands/file_commands.h"
#include "model/tree_ops.h"

#include <charconv>

namespace vemra::cli {

TreeItem* loadProject(Workspace& ws, const std::string& fileName)
{
    TreeItem* project = readProjectFile(ws, fileName);
    if (project)
        SortProject(ws.tree);
    return project;
}

std::string exactNumber(double value)
{
    // Like "%.17g", but independent of the process locale.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17).ptr;
    return std::string(text, end);
}

} // namespace vemra::cli
