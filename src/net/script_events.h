// Script events of the remote login: "when this text arrives, send that
// (and call a handler)", once or every time. Fed with the host's text as it
// arrives, in pieces of any size.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vemra {

class ScriptEvents {
public:
    using Handler = std::function<void()>;
    using Sender = std::function<void(const std::string&)>;

    void clear();
    // An event with a number already in use replaces it. An empty waitFor
    // never matches: it would fire on any text at all.
    void add(int number, const std::string& waitFor, const std::string& reply, Handler handler, bool everyTime);
    void remove(int number);
    bool has(int number) const;

    // Looks for the texts in what has arrived since the last match, fires
    // the event whose text ends first (the earliest added on a tie), and
    // goes on behind it. Letter case counts. A handler may add and remove
    // events and send.
    void feed(const std::string& text, const Sender& send);

private:
    struct Event {
        int number;
        std::string waitFor;
        std::string reply;
        Handler handler;
        bool everyTime;
    };
    std::vector<Event> events_;
    std::string pending_;
};

} // namespace vemra
