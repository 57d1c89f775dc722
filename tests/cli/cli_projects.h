// Project files for the vemra-cli tests, told apart by the stand-in module:
// project k carries the restriction angle 10 k + 1, which its input file
// shows as "<10 k + 1>.0".
#pragma once

#include "support/temp_dir.h"

#include <string>
#include <vector>

namespace vemra::test {

// The stand-in module's answer for project k: its lines, a pause, the code
// and, for codes 0 and 1, a coefficient file.
struct ModuleAnswer {
    int key = 1;
    std::string code = "0";
    std::vector<std::string> lines;
    int sleepMs = 0;
};

std::string moduleScript(const std::vector<ModuleAnswer>& answers);

// Saves project key as folder/name; an inconsistent one cannot be computed.
void saveProject(const TempDir& folder, const std::string& name, int key, bool consistent = true);

// The folder's project files with their contents, by name.
std::vector<std::pair<std::string, std::string>> filesIn(const TempDir& folder);

} // namespace vemra::test
