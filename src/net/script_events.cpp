#include "script_events.h"

#include <algorithm>

namespace vemra {

void ScriptEvents::clear()
{
    events_.clear();
    pending_.clear();
}

void ScriptEvents::add(int number, const std::string& waitFor, const std::string& reply, Handler handler,
                       bool everyTime)
{
    remove(number);
    events_.push_back({number, waitFor, reply, std::move(handler), everyTime});
}

void ScriptEvents::remove(int number)
{
    std::erase_if(events_, [number](const Event& e) { return e.number == number; });
}

bool ScriptEvents::has(int number) const
{
    return std::any_of(events_.begin(), events_.end(), [number](const Event& e) { return e.number == number; });
}

void ScriptEvents::feed(const std::string& text, const Sender& send)
{
    pending_ += text;
    for (;;) {
        std::size_t bestEnd = std::string::npos;
        const Event* best = nullptr;
        for (const Event& e : events_) {
            if (e.waitFor.empty())
                continue;
            const auto at = pending_.find(e.waitFor);
            if (at != std::string::npos && (best == nullptr || at + e.waitFor.size() < bestEnd)) {
                bestEnd = at + e.waitFor.size();
                best = &e;
            }
        }
        if (!best)
            break;
        // The handler may change the list: work on a copy.
        const Event fired = *best;
        pending_.erase(0, bestEnd);
        if (!fired.everyTime)
            remove(fired.number);
        if (!fired.reply.empty())
            send(fired.reply);
        if (fired.handler)
            fired.handler();
    }
    // Only the tail that may still begin a text needs keeping.
    std::size_t longest = 0;
    for (const Event& e : events_)
        longest = std::max(longest, e.waitFor.size());
    const std::size_t keep = longest > 0 ? longest - 1 : 0;
    if (pending_.size() > keep)
        pending_.erase(0, pending_.size() - keep);
}

} // namespace vemra
