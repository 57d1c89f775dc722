// The monotonic clock of the system for the batch computation's running time.
#pragma once

#include "compute/clock.h"

namespace vemra {

class SystemClock : public Clock {
public:
    std::chrono::milliseconds now() override;
};

} // namespace vemra
