// vemra-cli check: reads a project the way the desktop opens it and lists
// the tree, one caption a line, so a file can be inspected headless.
#include "commands.h"
#include "project_loading.h"

#include <iostream>

namespace vemra::cli {

namespace {

void printItem(const TreeItem* item, int depth)
{
    std::cout << std::string(static_cast<size_t>(2 * depth), ' ') << item->Text() << '\n';
    for (int i = 0; i < item->ChildCount(); ++i)
        printItem(item->Child(i), depth + 1);
}

} // namespace

int runCheck(const Args& args)
{
    if (args.empty()) {
        std::cerr << "Aufruf: vemra-cli check DATEI.r4p...\n";
        return ExitUsage;
    }
    int status = ExitOk;
    for (const auto& file : args) {
        ConsoleWorkspace console;
        TreeItem* project = loadProject(console.ws, file);
        if (!project) {
            status = ExitBadInput;
            continue;
        }
        printItem(project, 0);
    }
    return status;
}

} // namespace vemra::cli
