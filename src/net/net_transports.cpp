#include "net_transports.h"

#include "curl_file_transfer.h"
#include "ssh_command.h"
#include "ssh_file_transfer.h"
#include "telnet_session.h"

namespace vemra {

std::shared_ptr<SshConnection> NetTransports::ssh(const RemoteSettings& settings)
{
    if (!ssh_ || !ssh_->serves(settings))
        ssh_ = std::make_shared<SshConnection>(settings, prompts_);
    return ssh_;
}

std::unique_ptr<RemoteFileTransfer> NetTransports::fileTransfer(const RemoteSettings& settings, LineSink protocolLine)
{
    if (settings.connection == RemoteConnection::Ssh)
        return std::make_unique<SshFileTransfer>(ssh(settings), settings, std::move(protocolLine));
    return std::make_unique<CurlFileTransfer>(settings, std::move(protocolLine));
}

std::unique_ptr<RemoteLoginSession> NetTransports::login(const RemoteSettings& settings, LineSink received)
{
    return std::make_unique<TelnetSession>(settings.host, settings.telnetPort, std::move(received));
}

std::unique_ptr<RemoteCommand> NetTransports::command(const RemoteSettings& settings, LineSink protocolLine,
                                                      LineSink received)
{
    return std::make_unique<SshCommand>(ssh(settings), settings, std::move(protocolLine), std::move(received));
}

} // namespace vemra
