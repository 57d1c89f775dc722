// The command line's event pump: Ctrl+C during a computation is the user's
// stop request, taken up at the next pump like the desktop's stop command.
#pragma once

#include "compute/event_pump.h"

namespace vemra {
class Workspace;
}

namespace vemra::cli {

class InterruptPump : public EventPump {
public:
    // Installs the SIGINT handler; the destructor restores the previous one.
    explicit InterruptPump(Workspace& ws);
    ~InterruptPump() override;
    InterruptPump(const InterruptPump&) = delete;
    InterruptPump& operator=(const InterruptPump&) = delete;

    // Clears the workspace's Calculating once Ctrl+C was pressed.
    void processPendingEvents() override;
    bool interrupted() const;

private:
    Workspace& ws_;
};

} // namespace vemra::cli
