// The options of vemra-cli compute and its help text.
#pragma once

#include "remote_compute.h"

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
    // The module's own lines (and a remote run's protocol) go to standard
    // error.
    bool verbose = false;
    std::vector<std::string> inputs;
    // Computing on the compute host; a remote run takes one project after
    // the other whatever -j says, as the host has one work folder.
    RemoteComputeOptions remote;
};

// The options of args, or nothing with the reason in error.
std::optional<ComputeOptions> parseComputeOptions(const std::vector<std::string>& args, std::string& error);

// "Aufruf: vemra-cli compute ..." with every option explained.
extern const char* const ComputeHelp;

// Creates the work folder (with its parents) when it is missing. The reason,
// when that fails or when the path names something that is not a folder.
std::optional<std::string> prepareWorkDir(const std::string& dir);

} // namespace vemra::cli
