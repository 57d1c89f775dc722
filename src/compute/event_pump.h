// Keeps the user interface alive while a computation waits on the UI thread:
// the desktop processes its pending events, the command line checks for
// Ctrl+C.
#pragma once

namespace vemra {

class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
};

} // namespace vemra
