// Cooperative stop of a running synthesis: SIGINT/SIGTERM only raise a flag, and the search
// polls it between linear programmes so that it can still write its result code.
#pragma once

#include <atomic>
#include <stdexcept>

namespace vemra::module {

void installStopSignalHandlers();
void requestStop();
void clearStopRequest();
// True once a stop was requested, or once the work of this thread was called off (below).
bool stopRequested();

// Work a thread does ahead of time (see work_ahead.h) is called off through a flag of
// its own: while a scope holds one, the stop polls of that thread also answer to it.
class CallOffScope {
public:
    explicit CallOffScope(const std::atomic<bool>* flag);
    ~CallOffScope();
    CallOffScope(const CallOffScope&) = delete;
    CallOffScope& operator=(const CallOffScope&) = delete;

private:
    const std::atomic<bool>* previous_;
};

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
