#include "system_clock.h"

namespace vemra {

std::chrono::milliseconds SystemClock::now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace vemra
