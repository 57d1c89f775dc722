#include "project_loading.h"

#include "commands/file_commands.h"
#include "model/tree_ops.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

namespace vemra::cli {

namespace {

// Why fileName cannot be read, in the words of the system (and its language).
std::optional<std::string> unreadableReason(const std::string& fileName)
{
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f)
        return std::generic_category().message(errno);
    // A folder opens and fails only when it is read.
    char first;
    const bool failed = std::fread(&first, 1, 1, f) != 1 && std::ferror(f);
    const int error = errno;
    std::fclose(f);
    if (failed)
        return std::generic_category().message(error);
    return std::nullopt;
}

} // namespace

TreeItem* loadProject(Workspace& ws, const std::string& fileName)
{
    // The desktop's box names neither; among several files on a command
    // line the user needs both.
    if (auto reason = unreadableReason(fileName)) {
        ws.dialogs().error("Projektdatei " + fileName + " konnte nicht geöffnet werden: " + *reason + ".");
        return nullptr;
    }
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
