#include "net_transports.h"

#include "curl_file_transfer.h"
#include "telnet_session.h"

namespace vemra {

std::unique_ptr<RemoteFileTransfer> NetTransports::fileTransfer(const RemoteSettings& settings, LineSink protocolLine)
{
    return std::make_unique<CurlFileTransfer>(settings, std::move(protocolLine));
}

std::unique_ptr<RemoteLoginSession> NetTransports::login(const RemoteSettings& settings, LineSink received)
{
    return std::make_unique<TelnetSession>(settings.host, settings.telnetPort, std::move(received));
}

} // namespace vemra
