#include "interrupt_pump.h"

#include "model/workspace.h"

#include <atomic>
#include <csignal>

namespace vemra::cli {

namespace {

// Set by the handler, read by every worker's pump: an atomic that needs no
// lock is safe in both places.
std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
struct sigaction previousHandler {};

void onInterrupt(int)
{
    interruptRequested = true;
}

} // namespace

InterruptHandler::InterruptHandler()
{
    interruptRequested = false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the wait for the module returns at once and the next
    // pump sees the request.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousHandler);
}

InterruptHandler::~InterruptHandler()
{
    sigaction(SIGINT, &previousHandler, nullptr);
}

bool InterruptHandler::requested()
{
    return interruptRequested;
}

InterruptPump::InterruptPump(Workspace& ws, std::function<void()> onPump, const std::atomic<bool>* cancel)
    : ws_(ws), onPump_(std::move(onPump)), cancel_(cancel)
{
}

void InterruptPump::processPendingEvents()
{
    if (ws_.Calculating && (InterruptHandler::requested() || (cancel_ && cancel_->load())))
        ws_.Calculating = false;
    if (onPump_)
        onPump_();
}

} // namespace vemra::cli
