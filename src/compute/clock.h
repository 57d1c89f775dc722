// Time for the batch computation's running time, behind an interface so that
// tests can let hours pass at once.
#pragma once

#include <chrono>

namespace vemra {

class Clock {
public:
    virtual ~Clock() = default;
    // A monotonic time; only differences are used.
    virtual std::chrono::milliseconds now() = 0;
};

} // namespace vemra
