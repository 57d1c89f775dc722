// How the synthesis module is run: on this machine at a process priority, or
// on a remote host. The computation only writes the input, hands the run to
// a ModuleRunner and interprets what comes back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vemra {

enum class ModulePriority { Low, Normal, High };

struct ModuleRunRequest {
    // Holds "remote$.rx4" and receives the module's files; the module runs
    // with it as its current directory.
    std::filesystem::path workDir;
    ModulePriority priority = ModulePriority::Normal;
    // Numbers of the project's absolute motion definitions, in tree
    // order: a remote run fetches one coefficient file for each.
    std::vector<int32_t> motionNumbers;
    // Each line the module prints (standard output and error), without its
    // line end, while the run waits; empty: nobody listens. A runner that
    // cannot see the module's output never calls it.
    std::function<void(const std::string&)> outputLine;
};

struct ModuleRunOutcome {
    enum class Kind {
        // The module ended by itself; code is its exit code read as a signed
        // 8-bit value. 0 means: the result code is in "rx4.err" (a remote
        // run reports 0 once it has fetched the files).
        Finished,
        // The module could not be started (not found, not executable).
        NotStarted,
        // The stop request ended the run; the module was terminated.
        Stopped,
        // The run failed in a way that has a result code of its own, given in
        // code: a module killed by a signal (-30), a remote time-out (-201),
        // a failed connection (-202), cancelled remote settings (-100).
        Failed,
    };
    Kind kind = Kind::NotStarted;
    int32_t code = 0;
    // For diagnostics only (command line, log); the user sees the message of
    // the result code.
    std::string detail;
};

// What a runner needs from the computation while it waits.
class RunControl {
public:
    virtual ~RunControl() = default;
    // Lets the user interface process what is pending (menus, the stop
    // command, repaints). A runner calls it at least every 500 ms.
    virtual void pump() = 0;
    // The user asked to stop (the main window's Calculating was cleared).
    virtual bool stopRequested() const = 0;
};

class ModuleRunner {
public:
    virtual ~ModuleRunner() = default;
    // Runs the module on request.workDir/"remote$.rx4" and returns when it
    // has ended or has been stopped. Must not throw for anything the module
    // or the operating system does.
    virtual ModuleRunOutcome run(const ModuleRunRequest& request, RunControl& control) = 0;
};

} // namespace vemra
