#include "local_module_runner.h"

#include "module_locator.h"

#include "compute/module_files.h"
#include "protocol/exchange_files.h"
#include "compute/result_code.h"

#include <cstring>

namespace vemra {

LocalModuleRunner::LocalModuleRunner(LocalModuleRunnerOptions options) : options_(std::move(options)) {}

ModuleRunOutcome LocalModuleRunner::run(const ModuleRunRequest& request, RunControl& control)
{
    using Kind = ModuleRunOutcome::Kind;
    const auto program
        = options_.modulePath.empty() ? findModuleProgram() : resolveModuleProgram(options_.modulePath);
    if (!program)
        return {Kind::NotStarted, 0, std::string(ModuleProgramName) + " nicht gefunden"};

    ChildProcessSetup setup;
    setup.program = *program;
    setup.arguments = {protocol::ModuleInputFileName, protocol::ModuleCallFlag};
    setup.workDir = request.workDir;
    setup.priority = request.priority;
    setup.output = options_.output;
    setup.outputLine = request.outputLine;
    ChildProcess child;
    std::string error;
    if (!child.start(setup, &error))
        return {Kind::NotStarted, 0, error};

    // The stop request is looked at right after each pump, where the user's
    // command is processed, not only after the next wait.
    for (;;) {
        control.pump();
        if (control.stopRequested())
            break;
        if (child.waitFor(options_.pumpInterval))
            break;
    }
    if (control.stopRequested()) {
        child.terminate(options_.terminateGrace);
        return {Kind::Stopped, ResultCodes::StoppedByUser, {}};
    }
    if (const auto code = child.exitCode())
        return {Kind::Finished, static_cast<int8_t>(static_cast<uint8_t>(*code)), {}};
    if (const auto sig = child.terminatingSignal())
        return {Kind::Failed, ResultCodes::NoFeedback, std::string("Signal ") + ::strsignal(*sig)};
    return {Kind::Failed, ResultCodes::NoFeedback, "Ende des Berechnungsmoduls unbekannt"};
}

} // namespace vemra
