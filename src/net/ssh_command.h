// The module's command over SSH: run in the remote folder on an exec
// channel with a terminal of its own (80 x 25), whose output arrives as the
// host's text while it runs. Breaking the connection hangs up that
// terminal, which ends the command on the host as a logout would.
#pragma once

#include "ssh_connection.h"

#include "compute/remote_transport.h"

#include <memory>

namespace vemra {

// text in single quotes for a POSIX shell.
std::string shellQuoted(const std::string& text);

class SshCommand : public RemoteCommand {
public:
    using LineSink = std::function<void(const std::string&)>;

    SshCommand(std::shared_ptr<SshConnection> connection, const RemoteSettings& settings, LineSink protocolLine,
               LineSink received);

    void begin(const std::string& command) override;
    Status poll(std::chrono::milliseconds maxWait) override;
    std::string reason() const override { return connection_->reason(); }
    void cancel() override;

private:
    std::shared_ptr<SshConnection> connection_;
    std::string folder_;
    LineSink protocolLine_;
    LineSink received_;
    bool running_ = false;
};

} // namespace vemra
