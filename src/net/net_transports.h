// The network clients of a real remote run: libcurl's FTP for the files,
// a Telnet session for the login.
#pragma once

#include "compute/remote_transport.h"

namespace vemra {

class NetTransports : public RemoteTransports {
public:
    std::unique_ptr<RemoteFileTransfer> fileTransfer(const RemoteSettings& settings, LineSink protocolLine) override;
    std::unique_ptr<RemoteLoginSession> login(const RemoteSettings& settings, LineSink received) override;
};

} // namespace vemra
