// The options of vemra-cli compute and its help text.
#pragma once

#include "explain_output.h"
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
    // What the module explained, under each result line.
    std::optional<ExplainDetail> explain;
    // vemra-cli explain: the explanation only, and nothing is saved.
    bool saves = true;
    // Computing on the compute host; a remote run takes one project after
    // the other whatever -j says, as the host has one work folder.
    RemoteComputeOptions remote;
};

// The options of args, or nothing with the reason in error.
std::optional<ComputeOptions> parseComputeOptions(const std::vector<std::string>& args, std::string& error);
// The options of vemra-cli explain: those of compute without the ones that
// save (and without --explain, which it always does).
std::optional<ComputeOptions> parseExplainOptions(const std::vector<std::string>& args, std::string& error);

// "Aufruf: vemra-cli compute ..." with every option explained.
extern const char* const ComputeHelp;
extern const char* const ComputeUsage;
// The same for vemra-cli explain.
extern const char* const ExplainHelp;
extern const char* const ExplainUsage;

// Creates the work folder (with its parents) when it is missing. The reason,
// when that fails or when the path names something that is not a folder.
std::optional<std::string> prepareWorkDir(const std::string& dir);

} // namespace vemra::cli
