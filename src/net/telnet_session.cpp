#include "telnet_session.h"

#include <libtelnet.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace vemra {

namespace {

// No option is wanted: libtelnet answers DONT to every WILL and WONT to
// every DO of an option missing from this table.
const telnet_telopt_t noOptions[] = {{-1, 0, 0}};

int waitMs(std::chrono::milliseconds d)
{
    return static_cast<int>(std::max<long long>(0, std::min<long long>(d.count(), 60000)));
}

} // namespace

// The name lookup on its helper thread. The thread keeps its own reference,
// so a session that is closed meanwhile does not wait for it.
struct TelnetSession::Lookup {
    std::mutex mutex;
    std::condition_variable ready;
    bool done = false;
    int error = 0;
    std::vector<sockaddr_storage> addresses;
    std::vector<socklen_t> lengths;
};

TelnetSession::TelnetSession(std::string host, int port, TextSink received, std::chrono::milliseconds connectTimeout)
    : host_(std::move(host)), port_(port), received_(std::move(received)), connectTimeout_(connectTimeout)
{
}

TelnetSession::~TelnetSession()
{
    close();
}

void TelnetSession::fail(const std::string& why)
{
    reason_ = why;
    status_ = Status::Failed;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TelnetSession::connect()
{
    close();
    reason_.clear();
    status_ = Status::Connecting;
    connectStarted_ = std::chrono::steady_clock::now();
    if (host_.empty()) {
        fail("kein Host angegeben");
        return;
    }
    lookup_ = std::make_shared<Lookup>();
    std::thread([lookup = lookup_, host = host_, port = std::to_string(port_)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
        std::lock_guard lock(lookup->mutex);
        lookup->error = error;
        for (addrinfo* a = found; a; a = a->ai_next) {
            sockaddr_storage s{};
            std::memcpy(&s, a->ai_addr, a->ai_addrlen);
            lookup->addresses.push_back(s);
            lookup->lengths.push_back(a->ai_addrlen);
        }
        if (found)
            freeaddrinfo(found);
        lookup->done = true;
        lookup->ready.notify_all();
    }).detach();
}

// Starts a non-blocking connect to the next address; false when none is left.
bool TelnetSession::startNextAddress()
{
    while (nextAddress_ < addresses_.size()) {
        const auto& address = addresses_[nextAddress_];
        const socklen_t length = addressLengths_[nextAddress_];
        ++nextAddress_;
        fd_ = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            continue;
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0 || errno == EINPROGRESS)
            return true;
        reason_ = std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
    }
    return false;
}

void TelnetSession::finishConnect(std::chrono::milliseconds maxWait)
{
    if (!lookup_) {
        // Waiting for the socket of the current address.
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, waitMs(maxWait)) <= 0)
            return;
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error == 0) {
            socketConnected_ = true;
            status_ = Status::Connected;
            telnet_ = telnet_init(noOptions, &TelnetSession::onTelnetEvent, 0, this);
            if (!telnet_)
                fail("Telnet nicht verfügbar");
            return;
        }
        reason_ = std::strerror(error);
        ::close(fd_);
        fd_ = -1;
        if (!startNextAddress())
            fail("keine Verbindung zu " + host_ + ":" + std::to_string(port_) + " (" + reason_ + ")");
        return;
    }
    std::unique_lock lock(lookup_->mutex);
    if (!lookup_->ready.wait_for(lock, maxWait, [&] { return lookup_->done; }))
        return;
    const int error = lookup_->error;
    addresses_ = std::move(lookup_->addresses);
    addressLengths_ = std::move(lookup_->lengths);
    lock.unlock();
    lookup_.reset();
    nextAddress_ = 0;
    if (error != 0) {
        fail("Host " + host_ + " nicht gefunden (" + gai_strerror(error) + ")");
        return;
    }
    if (!startNextAddress())
        fail("keine Verbindung zu " + host_ + ":" + std::to_string(port_) + " (" + reason_ + ")");
}

void TelnetSession::onTelnetEvent(telnet_t*, telnet_event_t* event, void* self)
{
    auto* s = static_cast<TelnetSession*>(self);
    switch (event->type) {
    case TELNET_EV_DATA: {
        const std::string text(event->data.buffer, event->data.size);
        if (s->received_)
            s->received_(text);
        s->events_.feed(text, [s](const std::string& reply) { s->send(reply); });
        break;
    }
    case TELNET_EV_SEND: s->output_.append(event->data.buffer, event->data.size); break;
    case TELNET_EV_ERROR: s->reason_ = std::string("Telnet: ") + event->error.msg; s->status_ = Status::Failed; break;
    default: break; // negotiation is answered by libtelnet itself
    }
}

void TelnetSession::send(const std::string& text)
{
    if (!telnet_ || status_ != Status::Connected)
        return;
    std::string nvt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        nvt += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            nvt += '\0';
    }
    telnet_send(telnet_, nvt.data(), nvt.size());
    flushOutput();
}

void TelnetSession::flushOutput()
{
    while (!output_.empty() && fd_ >= 0) {
        const ssize_t n = ::send(fd_, output_.data(), output_.size(), MSG_NOSIGNAL);
        if (n > 0) {
            output_.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        } else {
            fail(std::string("Senden fehlgeschlagen: ") + std::strerror(errno));
            return;
        }
    }
}

void TelnetSession::exchange(std::chrono::milliseconds maxWait)
{
    flushOutput();
    if (status_ != Status::Connected)
        return;
    pollfd p{fd_, static_cast<short>(POLLIN | (output_.empty() ? 0 : POLLOUT)), 0};
    if (::poll(&p, 1, waitMs(maxWait)) <= 0)
        return;
    if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n > 0) {
                telnet_recv(telnet_, buffer, static_cast<std::size_t>(n));
                if (status_ != Status::Connected)
                    return;
                continue;
            }
            if (n == 0) {
                reason_ = "Verbindung vom Host beendet";
                status_ = Status::Closed;
                ::close(fd_);
                fd_ = -1;
                return;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                fail(std::string("Empfang fehlgeschlagen: ") + std::strerror(errno));
            break;
        }
    }
    flushOutput();
}

RemoteLoginSession::Status TelnetSession::poll(std::chrono::milliseconds maxWait)
{
    if (status_ == Status::Connecting) {
        if (std::chrono::steady_clock::now() - connectStarted_ > connectTimeout_) {
            fail("Zeitüberschreitung beim Verbindungsaufbau");
            return status_;
        }
        finishConnect(maxWait);
        return status_;
    }
    if (status_ == Status::Connected)
        exchange(maxWait);
    return status_;
}

void TelnetSession::close()
{
    if (fd_ >= 0) {
        flushOutput();
        if (fd_ >= 0)
            ::close(fd_);
    }
    fd_ = -1;
    if (telnet_)
        telnet_free(telnet_);
    telnet_ = nullptr;
    lookup_.reset();
    output_.clear();
    socketConnected_ = false;
    if (status_ == Status::Connected || status_ == Status::Connecting)
        status_ = Status::Closed;
}

} // namespace vemra
