#include "interrupt_pump.h"

#include "model/workspace.h"

#include <csignal>

namespace vemra::cli {

namespace {

volatile std::sig_atomic_t interruptRequested = 0;
struct sigaction previousHandler {};

void onInterrupt(int)
{
    interruptRequested = 1;
}

} // namespace

InterruptPump::InterruptPump(Workspace& ws) : ws_(ws)
{
    interruptRequested = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the wait for the module returns at once and the next
    // pump sees the request.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousHandler);
}

InterruptPump::~InterruptPump()
{
    sigaction(SIGINT, &previousHandler, nullptr);
}

void InterruptPump::processPendingEvents()
{
    if (interruptRequested && ws_.Calculating)
        ws_.Calculating = false;
}

bool InterruptPump::interrupted() const
{
    return interruptRequested != 0;
}

} // namespace vemra::cli
