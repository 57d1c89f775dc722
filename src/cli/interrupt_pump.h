// The command line's event pump: Ctrl+C during a computation is the user's
// stop request, taken up at the next pump like the desktop's stop command.
#pragma once

#include "compute/event_pump.h"

#include <atomic>
#include <functional>

namespace vemra {
class Workspace;
}

namespace vemra::cli {

// Catches SIGINT while it exists; the destructor restores the previous
// handler. One for the whole command, whatever number of runs it has.
class InterruptHandler {
public:
    InterruptHandler();
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

    // Ctrl+C was pressed since the handler was installed.
    static bool requested();
};

// One per workspace (and thread): clears the workspace's Calculating once
// Ctrl+C was pressed or cancel was set, and calls onPump every time (the
// progress display's clock).
class InterruptPump : public EventPump {
public:
    explicit InterruptPump(Workspace& ws, std::function<void()> onPump = {},
                           const std::atomic<bool>* cancel = nullptr);

    void processPendingEvents() override;

private:
    Workspace& ws_;
    std::function<void()> onPump_;
    const std::atomic<bool>* cancel_;
};

} // namespace vemra::cli
