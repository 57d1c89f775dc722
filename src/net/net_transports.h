// The network clients of a real remote run: libcurl's FTP for the files and
// a Telnet session for the login, or over SSH one connection per run for
// the files (SFTP) and the command.
#pragma once

#include "ssh_connection.h"

#include "compute/remote_transport.h"

#include <memory>

namespace vemra {

class NetTransports : public RemoteTransports {
public:
    // Without prompts an unknown host key is refused and no password is
    // asked beyond the settings'.
    NetTransports() = default;
    explicit NetTransports(SshPrompts prompts) : prompts_(std::move(prompts)) {}

    std::unique_ptr<RemoteFileTransfer> fileTransfer(const RemoteSettings& settings, LineSink protocolLine) override;
    std::unique_ptr<RemoteLoginSession> login(const RemoteSettings& settings, LineSink received) override;
    std::unique_ptr<RemoteCommand> command(const RemoteSettings& settings, LineSink protocolLine,
                                           LineSink received) override;
    void endRun() override { ssh_.reset(); }

private:
    // The run's SSH connection: the steps share one login (and one
    // question about the host key).
    std::shared_ptr<SshConnection> ssh(const RemoteSettings& settings);

    SshPrompts prompts_;
    std::shared_ptr<SshConnection> ssh_;
};

} // namespace vemra
