// What vemra-cli compute shows while it computes: on a terminal one updating
// line per running project (its number, file, stage or step, fulfilment and
// running time) below the lines printed so far; elsewhere nothing but the
// printed lines. The module's own lines only when asked for. Every call may
// come from any thread.
#pragma once

#include "compute/module_progress.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace vemra::cli {

class ProgressDisplay {
public:
    struct Options {
        // Draw the progress lines on err (a terminal).
        bool terminal = false;
        // Pass every line of the module on to err, after its file name.
        bool verbose = false;
        // Projects of the command, for "[i/n]".
        std::size_t total = 0;
        // Asked for the terminal's width; -1: 80 columns.
        int terminalFd = -1;
    };

    ProgressDisplay(Options options, std::ostream& out, std::ostream& err);
    // Takes the progress lines away.
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // The module starts for project index (from 0) of file name.
    void started(std::size_t index, const std::string& name);
    void moduleLine(std::size_t index, const std::string& line);
    void ended(std::size_t index);
    // Lets the running time move on; called while the modules run.
    void tick();
    // A line for out (or err) above the progress lines.
    void print(const std::string& line, bool toErr = false);

    // The line shown for a project: "[2/3] greifer.r4p: Schritt 3 von 20,
    // Erfüllungsgrad 0.5342 (0:04)".
    static std::string progressLine(std::size_t index, std::size_t total, const std::string& name,
                                    const ModuleProgress& progress, int64_t seconds);

private:
    struct Running {
        std::string name;
        std::chrono::steady_clock::time_point start;
        ModuleProgress progress;
    };

    // With the mutex held.
    void redraw(bool force);
    void clearBlock();
    std::vector<std::string> render() const;

    Options options_;
    std::ostream& out_;
    std::ostream& err_;
    std::mutex mutex_;
    std::map<std::size_t, Running> running_;
    std::vector<std::string> drawn_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// Cuts text to at most columns characters (UTF-8 aware), so that a line
// never wraps and can be drawn over.
std::string fitToWidth(const std::string& text, std::size_t columns);

} // namespace vemra::cli
