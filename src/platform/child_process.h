// One child process on POSIX: started in a given directory at a priority,
// waited for with a time limit, and ended on request (SIGTERM, then SIGKILL).
// The object never leaves a running or unreaped child behind.
#pragma once

#include "compute/module_runner.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vemra {

// Where the child's standard output and error go; its input is always
// /dev/null, so it can never wait for the terminal.
enum class ChildOutput { Inherit, ToStandardError, Discard };

struct ChildProcessSetup {
    std::filesystem::path program;
    std::vector<std::string> arguments; // without the program name
    std::filesystem::path workDir;
    ModulePriority priority = ModulePriority::Normal;
    ChildOutput output = ChildOutput::Inherit;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program. On failure (no such directory, not executable)
    // returns false with the reason; nothing is left running.
    bool start(const ChildProcessSetup& setup, std::string* error = nullptr);

    // Waits at most timeout for the child to end; true when it has ended.
    // A signal that arrives meanwhile ends the wait early.
    bool waitFor(std::chrono::milliseconds timeout);

    // Asks the child (and anything it started) to end with SIGTERM and, when
    // it has not ended after grace, kills it; returns when it is gone.
    void terminate(std::chrono::milliseconds grace);

    bool running() const { return pid_ > 0 && !ended_; }
    pid_t pid() const { return pid_; }
    // After the child ended: its exit code, or nothing when a signal killed
    // it.
    std::optional<int> exitCode() const;
    std::optional<int> terminatingSignal() const;

private:
    bool reap(bool block);
    void closePidFd();

    pid_t pid_ = -1;
    int pidFd_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

} // namespace vemra
