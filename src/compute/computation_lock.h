// The system-wide computation lock "RX4Call": two instances of the
// application computing at once would overwrite each other's module files.
#pragma once

#include <string>

namespace vemra {

inline constexpr const char* ComputationLockName = "RX4Call";

class ComputationLock {
public:
    enum class Status {
        Acquired,
        // Another holder (this or another process) has it.
        Busy,
        // The lock itself is not available (no place for it); the
        // computation goes on without it rather than refusing to run.
        Unavailable,
    };

    virtual ~ComputationLock() = default;
    virtual Status tryAcquire() = 0;
    // Gives up a lock obtained by tryAcquire; harmless when none is held.
    virtual void release() = 0;
};

} // namespace vemra
