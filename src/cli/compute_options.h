// The options of vemra-cli compute and its help text.
#pragma once

#include "compute/computation.h"

#include <optional>
#include <string>
#include <vector>

namespace vemra::cli {

struct ComputeOptions {
    ComputationMode mode = ComputationMode::NormalPriority;
    std::string modulePath;
    std::string workDir = ".";
    bool inPlace = false;
    std::string output;
    // Projects computed at once; 0 is one per processor core.
    unsigned jobs = 1;
    // The module's own lines go to standard error.
    bool verbose = false;
    std::vector<std::string> inputs;
};

// The options of args, or nothing with the reason in error.
std::optional<ComputeOptions> parseComputeOptions(const std::vector<std::string>& args, std::string& error);

// "Aufruf: vemra-cli compute ..." with every option explained.
extern const char* const ComputeHelp;

// Creates the work folder (with its parents) when it is missing. The reason,
// when that fails or when the path names something that is not a folder.
std::optional<std::string> prepareWorkDir(const std::string& dir);

} // namespace vemra::cli
