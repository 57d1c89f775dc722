// Reading a project for a command the way the desktop's open command does:
// read, then sort the tree.
#pragma once

#include "console_dialogs.h"

#include "model/workspace.h"

#include <string>

namespace vemra::cli {

// A workspace whose messages go to standard error.
struct ConsoleWorkspace {
    ConsoleDialogs dialogs;
    Workspace ws{dialogs};
};

// nullptr after the reason was written to standard error (with file name and
// line for a damaged file).
TreeItem* loadProject(Workspace& ws, const std::string& fileName);

// The motion a command line names: "3" the absolute motion 3, "1-2" the
// relative motion of 1 and 2 (the first number may carry the check-only
// minus). nullptr when the project has none such or the name is malformed.
TreeItem* findMotionItem(TreeItem* project, const std::string& name);

// Numbers that other programs read back exactly.
std::string exactNumber(double value);

} // namespace vemra::cli
