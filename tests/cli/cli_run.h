// Runs vemra-cli as a user would, in a folder of the test's choosing (which
// also holds the computation lock), against projects the stand-in module
// tells apart: project k carries the restriction angle 10 k + 1.
#pragma once

#include "support/temp_dir.h"

#include <string>
#include <utility>
#include <vector>

namespace vemra {
class TreeItem;
class Workspace;
} // namespace vemra

namespace vemra::test {

struct CliOutcome {
    std::string out;
    std::string err; // empty on a terminal, where everything is in out
    int status = -1;
};

CliOutcome runCli(const std::vector<std::string>& args, const TempDir& folder);
// On a pseudo-terminal of 100 columns.
CliOutcome runCliOnTerminal(const std::vector<std::string>& args, const TempDir& folder);

// The stand-in module's answer for project key: its commands (lines to
// print), a pause, the code and, for 0 and 1, a coefficient file.
struct ModuleAnswer {
    int key = 1;
    std::string code = "0";
    std::vector<std::string> commands;
    int sleepMs = 0;
};
std::string moduleScript(const std::vector<ModuleAnswer>& answers);

// Project key as saveProject saves it; inconsistent, its bounds contradict each other.
TreeItem* keyedProject(Workspace& ws, int key, bool consistent = true);
void saveProject(const TempDir& folder, const std::string& name, int key, bool consistent = true);
// The folder's project files with their contents, by name.
std::vector<std::pair<std::string, std::string>> projectFiles(const TempDir& folder);

// Projects a.r4p, b.r4p, ... (key 1, 2, ...; the one whose key is
// inconsistent with contradicting bounds) and a work folder apart, whose
// worker folders for -j hold the same script.
struct CliFolders {
    TempDir projects;
    TempDir work;

    explicit CliFolders(const std::vector<ModuleAnswer>& answers, int inconsistent = 0);
    // vemra-cli args[0] with the stand-in module and the work folder, then
    // the further args and every project file.
    CliOutcome run(std::vector<std::string> args, bool terminal = false) const;
};

// The output up to the running time, the one thing allowed to differ.
std::string withoutTime(const std::string& out);

} // namespace vemra::test
