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

InterruptHandler::InterruptHandler()
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

InterruptHandler::~InterruptHandler()
{
    sigaction(SIGINT, &previousHandler, nullptr);
}

bool InterruptHandler::requested()
{
    return interruptRequested != 0;
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
