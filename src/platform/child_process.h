// One child process on POSIX: started in a given directory at a priority,
// waited for with a time limit, and ended on request (SIGTERM, then SIGKILL).
// Its output may be captured line by line while it is waited for. The object
// never leaves a running or unreaped child behind.
#pragma once

#include "compute/module_runner.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vemra {

// Where the child's standard output and error go; its input is always
// /dev/null, so it can never wait for the terminal. Capture reads both
// through one pipe and hands them on line by line.
enum class ChildOutput { Inherit, Discard, Capture };

struct ChildProcessSetup {
    std::filesystem::path program;
    std::vector<std::string> arguments; // without the program name
    std::filesystem::path workDir;
    ModulePriority priority = ModulePriority::Normal;
    ChildOutput output = ChildOutput::Inherit;
    // With Capture: every line the child writes, without its line end, in
    // the order written. Called only from waitFor and terminate, on the
    // caller's thread; may be empty (the lines are read and dropped, so the
    // child never blocks on a full pipe).
    std::function<void(const std::string&)> outputLine;
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
    // A signal that arrives meanwhile ends the wait early. Captured output
    // is read as it comes, never blocking; once the child has ended, what
    // it left in the pipe is handed on before this returns (a last line
    // without line end included).
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
    // Reads what the pipe holds now; closes it at its end.
    void readOutput();
    void finishOutput();
    void takeOutput(const char* data, std::size_t size);

    pid_t pid_ = -1;
    int pidFd_ = -1;
    int outFd_ = -1;
    std::string partialLine_;
    std::function<void(const std::string&)> outputLine_;
    bool ended_ = false;
    int status_ = 0;
};

} // namespace vemra
