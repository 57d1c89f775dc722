// One SSH connection to the compute host, shared by the file transfers and
// the command of a remote run. Its own thread connects, checks the host
// key, logs in and then runs one job at a time with libssh's blocking
// calls; the caller's thread only starts jobs and polls them, never waiting
// longer than it says. What the connection must ask the user (an unknown
// host key, a password) is asked on the caller's thread while it polls.
#pragma once

#include "compute/remote_transport.h"
#include "model/user_dialogs.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct ssh_session_struct;
struct sftp_session_struct;

namespace vemra {

// Who answers the connection's questions, on the caller's thread.
struct SshPrompts {
    // Asks whether to trust a host key that known_hosts does not hold; none:
    // an unknown key is refused.
    UserDialogs* dialogs = nullptr;
    // The password, asked only when no key was taken and the settings have
    // none; none (or nothing returned): no password.
    std::function<std::optional<std::string>(const RemoteSettings&)> password;
};

// What a job on the connection's thread may use.
class SshLink {
public:
    virtual ~SshLink() = default;
    virtual ssh_session_struct* session() = 0;
    // The file-transfer subsystem, started on first use; nothing with the
    // reason when the host refuses it.
    virtual sftp_session_struct* sftp(std::string& reason) = 0;
    // The caller gave up on the job: end it soon.
    virtual bool cancelled() const = 0;
    // Text for the caller's sinks, delivered when it polls.
    virtual void protocol(const std::string& line) = 0;
    virtual void output(const std::string& text) = 0;
};

class SshConnection {
public:
    using Status = RemoteFileTransfer::Status;
    using Sink = std::function<void(const std::string&)>;
    // Runs on the connection's thread; sets reason when it fails.
    using Job = std::function<Status(SshLink& link, std::string& reason)>;

    SshConnection(const RemoteSettings& settings, SshPrompts prompts,
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Logs out; a job still running is broken off.
    ~SshConnection();
    SshConnection(const SshConnection&) = delete;
    SshConnection& operator=(const SshConnection&) = delete;

    // Whether this connection serves settings (same host, port, user and
    // password) and can still be used.
    bool serves(const RemoteSettings& settings) const;

    // Starts job, connecting and logging in first when that has not been
    // done. protocolLine gets the connection's own lines and the job's,
    // output what the job receives from the host.
    void start(Job job, Sink protocolLine, Sink output = {});
    // Advances the questions, hands the text that has come to the sinks and
    // tells how the job stands, waiting at most maxWait.
    Status poll(std::chrono::milliseconds maxWait);
    std::string reason() const;
    // Breaks off the running job at once by breaking the connection (a
    // half-done transfer or command cannot be left any other way); the
    // connection is of no further use.
    void cancel();

private:
    struct Shared;
    class Worker;
    // With the lock held: puts a pending question to the user, hands the
    // text that has come to the sinks (both let go of the lock meanwhile).
    void answer(std::unique_lock<std::mutex>& lock);
    void deliver(std::unique_lock<std::mutex>& lock);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    RemoteSettings settings_;
    SshPrompts prompts_;
    Sink protocolLine_;
    Sink output_;
    bool asking_ = false;
};

} // namespace vemra
