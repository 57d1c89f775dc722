// Lets the desktop process its pending events while a computation waits on
// the user-interface thread, so menus, the stop command and repaints work.
#pragma once

#include "compute/event_pump.h"

namespace vemra {

class QtEventPump : public EventPump {
public:
    void processPendingEvents() override;
};

} // namespace vemra
