// The sub-commands of vemra-cli. Each returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace vemra::cli {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(const Args& args);
    // What "vemra-cli NAME --help" prints; without it, usage and summary.
    const char* help = nullptr;
};

const std::vector<Command>& commands();

// Exit statuses shared by the commands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 1;
inline constexpr int ExitBadInput = 2;
// A computation ended without results (or was not started).
inline constexpr int ExitNotComputed = 3;

int runCheck(const Args& args);
int runModuleInput(const Args& args);
int runCompute(const Args& args);
int runExplain(const Args& args);
int runResave(const Args& args);
int runActual(const Args& args);
int runEval(const Args& args);
int runExtrema(const Args& args);
int runBand(const Args& args);
int runReport(const Args& args);
int runTable(const Args& args);
int runImport(const Args& args);
int runPlot(const Args& args);

} // namespace vemra::cli
