#include "module/stop_request.h"

#include <atomic>
#include <csignal>

namespace vemra::module {
namespace {

// A lock-free atomic is the only shared state a signal handler may touch safely.
std::atomic<int> stopFlag{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onStopSignal(int)
{
    stopFlag.store(1, std::memory_order_relaxed);
}

thread_local const std::atomic<bool>* calledOff = nullptr;

} // namespace

CallOffScope::CallOffScope(const std::atomic<bool>* flag) : previous_(calledOff) { calledOff = flag; }

CallOffScope::~CallOffScope() { calledOff = previous_; }

void installStopSignalHandlers()
{
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

void requestStop() { stopFlag.store(1, std::memory_order_relaxed); }
void clearStopRequest() { stopFlag.store(0, std::memory_order_relaxed); }
bool stopRequested()
{
    return stopFlag.load(std::memory_order_relaxed) != 0
        || (calledOff != nullptr && calledOff->load(std::memory_order_relaxed));
}

} // namespace vemra::module
