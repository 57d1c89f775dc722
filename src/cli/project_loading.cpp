#include "project_loading.h"

#include "commands/file_commands.h"
#include "model/tree_ops.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>
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

TreeItem* findMotionItem(TreeItem* project, const std::string& name)
{
    const auto number = [](std::string_view text) -> std::optional<int> {
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return value;
    };
    const auto dash = name.find('-', 1);
    const auto first = number(std::string_view(name).substr(0, dash));
    const auto second = dash == std::string::npos ? std::optional<int>() : number(std::string_view(name).substr(dash + 1));
    if (!first || (dash != std::string::npos && !second))
        return nullptr;
    for (int i = 0; i < project->ChildCount(); ++i) {
        TreeItem* child = project->Child(i);
        if (auto* rx = child->NodeAs<TRXHeader>(); rx && !second && rx->Number() == *first)
            return child;
        if (auto* rel = child->NodeAs<TRelHeader>();
            rel && second && magnitude(rel->FirstMotion()) == magnitude(*first) && rel->SecondMotion() == *second)
            return child;
    }
    return nullptr;
}

std::string exactNumber(double value)
{
    // Like "%.17g", but independent of the process locale.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17).ptr;
    return std::string(text, end);
}

} // namespace vemra::cli
