// Runs the synthesis module on this machine: "rx-10-L remote$.rx4 0" in the
// computation directory at the chosen priority, waiting while the user
// interface is kept alive, ending the module when the user stops. What the
// module prints reaches the request's line callback.
#pragma once

#include "child_process.h"

#include "compute/module_runner.h"

#include <chrono>
#include <filesystem>

namespace vemra {

struct LocalModuleRunnerOptions {
    // Empty: the module beside the running program, else along PATH.
    std::filesystem::path modulePath;
    // Capture hands the module's lines to ModuleRunRequest::outputLine
    // (the desktop's progress indicator, the command line's progress line).
    ChildOutput output = ChildOutput::Capture;
    // Longest wait between two looks at the user interface.
    std::chrono::milliseconds pumpInterval{500};
    // How long a stopped module may take to end after SIGTERM before it is
    // killed; with the look at the stop request right after each pump the
    // module is gone well within half a second of the request.
    std::chrono::milliseconds terminateGrace{200};
};

class LocalModuleRunner : public ModuleRunner {
public:
    explicit LocalModuleRunner(LocalModuleRunnerOptions options = {});

    // Finished with the exit code as a signed 8-bit value (254 is -2);
    // Failed with -30 ("no feedback") when a signal killed the module;
    // NotStarted when it cannot be found or executed; Stopped after a stop
    // request.
    ModuleRunOutcome run(const ModuleRunRequest& request, RunControl& control) override;

private:
    LocalModuleRunnerOptions options_;
};

} // namespace vemra
