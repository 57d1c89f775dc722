// The remote login: a Telnet session on a non-blocking socket, its option
// negotiation and escapes done by libtelnet (every option the host offers
// or asks for is refused), and script events that answer the host's texts.
// Name lookup runs on a helper thread, so no call ever blocks longer than
// the wait it is given.
#pragma once

#include "script_events.h"

#include "compute/remote_transport.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

struct telnet_t;
union telnet_event_t;

namespace vemra {

class TelnetSession : public RemoteLoginSession {
public:
    using TextSink = std::function<void(const std::string&)>;

    // received gets the host's text (without Telnet commands) before the
    // events look at it.
    TelnetSession(std::string host, int port, TextSink received,
                  std::chrono::milliseconds connectTimeout = std::chrono::seconds(30));
    ~TelnetSession() override;
    TelnetSession(const TelnetSession&) = delete;
    TelnetSession& operator=(const TelnetSession&) = delete;

    void clearEvents() override { events_.clear(); }
    void addEvent(int number, const std::string& waitFor, const std::string& reply, Handler handler,
                  bool everyTime) override
    {
        events_.add(number, waitFor, reply, std::move(handler), everyTime);
    }
    void removeEvent(int number) override { events_.remove(number); }

    void connect() override;
    // A carriage return that no line feed follows goes out as CR NUL, as
    // the protocol wants it; the byte 255 is doubled.
    void send(const std::string& text) override;
    Status poll(std::chrono::milliseconds maxWait) override;
    std::string reason() const override { return reason_; }
    void close() override;

private:
    struct Lookup;
    static void onTelnetEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void fail(const std::string& why);
    bool startNextAddress();
    void finishConnect(std::chrono::milliseconds maxWait);
    void exchange(std::chrono::milliseconds maxWait);
    void flushOutput();

    std::string host_;
    int port_;
    TextSink received_;
    std::chrono::milliseconds connectTimeout_;
    std::chrono::steady_clock::time_point connectStarted_{};

    ScriptEvents events_;
    Status status_ = Status::Closed;
    std::string reason_;
    std::shared_ptr<Lookup> lookup_;
    std::vector<sockaddr_storage> addresses_;
    std::vector<socklen_t> addressLengths_;
    std::size_t nextAddress_ = 0;
    int fd_ = -1;
    bool socketConnected_ = false;
    telnet_t* telnet_ = nullptr;
    std::string output_;
};

} // namespace vemra
