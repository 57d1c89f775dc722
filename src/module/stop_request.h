// Cooperative stop of a running synthesis: SIGINT/SIGTERM only raise a flag, and the search
// polls it between linear programmes so that it can still write its result code.
#pragma once

#include <stdexcept>

namespace vemra::module {

void installStopSignalHandlers();
void requestStop();
void clearStopRequest();
bool stopRequested();

// Thrown from deep inside the search to unwind to the top level once a stop was requested.
class StopRequested : public std::runtime_error {
public:
    StopRequested() : std::runtime_error("Berechnung auf Anforderung beendet") {}
};

inline void throwIfStopRequested()
{
    if (stopRequested())
        throw StopRequested();
}

} // namespace vemra::module
